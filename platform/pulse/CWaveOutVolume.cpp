#include "CWaveOutVolume.h"

#include <pulse/pulseaudio.h>

namespace {

// Results of one query made from the caller's thread, filled in on the loop thread.
struct SinkQuery {
    explicit SinkQuery(pa_threaded_mainloop* l) : loop(l) {}
    pa_threaded_mainloop* loop;
    bool done = false;
    bool found = false;
    std::string name;
    std::uint32_t index = 0;
    std::uint32_t channels = 0;
    std::int32_t volume = -1;
};

struct ServerQuery {
    explicit ServerQuery(pa_threaded_mainloop* l) : loop(l) {}
    pa_threaded_mainloop* loop;
    bool done = false;
    std::string defaultSink;
};

struct SuccessQuery {
    explicit SuccessQuery(pa_threaded_mainloop* l) : loop(l) {}
    pa_threaded_mainloop* loop;
    bool done = false;
    bool success = false;
};

void OnSinkQuery(pa_context*, const pa_sink_info* info, int eol, void* data) {
    auto* query = static_cast<SinkQuery*>(data);
    if (eol == 0 && info != nullptr && !query->found) {
        query->found = true;
        query->name = info->name != nullptr ? info->name : "";
        query->index = info->index;
        query->channels = info->volume.channels;
        query->volume =
            info->volume.channels > 0 ? static_cast<std::int32_t>(info->volume.values[0]) : -1;
        return;
    }
    if (eol != 0) {
        query->done = true;
        pa_threaded_mainloop_signal(query->loop, 0);
    }
}

void OnServerQuery(pa_context*, const pa_server_info* info, void* data) {
    auto* query = static_cast<ServerQuery*>(data);
    if (info != nullptr && info->default_sink_name != nullptr) {
        query->defaultSink = info->default_sink_name;
    }
    query->done = true;
    pa_threaded_mainloop_signal(query->loop, 0);
}

void OnSuccess(pa_context*, int success, void* data) {
    auto* query = static_cast<SuccessQuery*>(data);
    query->success = success != 0;
    query->done = true;
    pa_threaded_mainloop_signal(query->loop, 0);
}

// Waits, with the loop lock held, until the operation has ended or the context failed.
bool Finish(pa_threaded_mainloop* loop, pa_context* context, pa_operation* operation) {
    if (operation == nullptr) {
        return false;
    }
    while (pa_operation_get_state(operation) == PA_OPERATION_RUNNING &&
           pa_context_get_state(context) == PA_CONTEXT_READY) {
        pa_threaded_mainloop_wait(loop);
    }
    const bool done = pa_operation_get_state(operation) == PA_OPERATION_DONE;
    pa_operation_unref(operation);
    return done;
}

// Ends a connection attempt that the server never answers.
void OnConnectTimeout(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* data) {
    auto* timedOut = static_cast<std::pair<pa_threaded_mainloop*, bool>*>(data);
    timedOut->second = true;
    pa_threaded_mainloop_signal(timedOut->first, 0);
}

class LoopLock {
public:
    explicit LoopLock(pa_threaded_mainloop* loop) : m_loop(loop) {
        pa_threaded_mainloop_lock(m_loop);
    }
    ~LoopLock() { pa_threaded_mainloop_unlock(m_loop); }
    LoopLock(const LoopLock&) = delete;
    LoopLock& operator=(const LoopLock&) = delete;

private:
    pa_threaded_mainloop* m_loop;
};

} // namespace

CWaveOutVolume::CWaveOutVolume() {
    if (!Open() || !ReadLine()) {
        Close();
    }
}

CWaveOutVolume::~CWaveOutVolume() {
    Close();
}

bool CWaveOutVolume::Open() {
    m_pLoop = pa_threaded_mainloop_new();
    if (m_pLoop == nullptr) {
        return false;
    }
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(m_pLoop);
    m_pContext = pa_context_new(api, "Mixorel");
    if (m_pContext == nullptr) {
        return false;
    }
    pa_context_set_state_callback(m_pContext, &CWaveOutVolume::ContextStateCallback, this);
    LoopLock lock(m_pLoop);
    if (pa_threaded_mainloop_start(m_pLoop) < 0 ||
        pa_context_connect(m_pContext, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        return false;
    }
    std::pair<pa_threaded_mainloop*, bool> timedOut{m_pLoop, false};
    struct timeval deadline {};
    pa_gettimeofday(&deadline);
    pa_timeval_add(&deadline, static_cast<pa_usec_t>(kConnectTimeoutMs) * PA_USEC_PER_MSEC);
    pa_time_event* timer = api->time_new(api, &deadline, &OnConnectTimeout, &timedOut);
    pa_context_state_t state = pa_context_get_state(m_pContext);
    while (!timedOut.second && PA_CONTEXT_IS_GOOD(state) && state != PA_CONTEXT_READY) {
        pa_threaded_mainloop_wait(m_pLoop);
        state = pa_context_get_state(m_pContext);
    }
    api->time_free(timer);
    if (state != PA_CONTEXT_READY) {
        return false;
    }
    m_bOpened = true;
    return true;
}

// The default sink stands for the wave-output line: its channels and its volume bounds.
bool CWaveOutVolume::ReadLine() {
    LoopLock lock(m_pLoop);
    ServerQuery server{m_pLoop};
    if (!Finish(m_pLoop, m_pContext,
                pa_context_get_server_info(m_pContext, &OnServerQuery, &server)) ||
        server.defaultSink.empty()) {
        return false;
    }
    SinkQuery sink{m_pLoop};
    if (!Finish(m_pLoop, m_pContext,
                pa_context_get_sink_info_by_name(m_pContext, server.defaultSink.c_str(),
                                                 &OnSinkQuery, &sink)) ||
        !sink.found) {
        return false;
    }
    m_strSink = sink.name;
    m_nSinkIndex = sink.index;
    m_nChannels = sink.channels;
    m_nLastVolume = sink.volume;
    m_bHasVolume = sink.channels > 0;
    m_nMin = static_cast<std::int32_t>(PA_VOLUME_MUTED);
    m_nMax = static_cast<std::int32_t>(PA_VOLUME_NORM);
    m_nSteps = m_nMax - m_nMin;
    pa_context_set_subscribe_callback(
        m_pContext,
        [](pa_context*, pa_subscription_event_type_t type, std::uint32_t index, void* self) {
            static_cast<CWaveOutVolume*>(self)->OnSubscription(static_cast<int>(type), index);
        },
        this);
    const auto mask = static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SINK |
                                                          PA_SUBSCRIPTION_MASK_SERVER);
    SuccessQuery subscribed{m_pLoop};
    if (!Finish(m_pLoop, m_pContext,
                pa_context_subscribe(m_pContext, mask, &OnSuccess, &subscribed)) ||
        !subscribed.success) {
        return false;
    }
    m_bReady = true;
    return true;
}

void CWaveOutVolume::Close() {
    if (m_pLoop != nullptr) {
        {
            LoopLock lock(m_pLoop);
            if (m_pContext != nullptr) {
                pa_context_set_state_callback(m_pContext, nullptr, nullptr);
                pa_context_set_subscribe_callback(m_pContext, nullptr, nullptr);
                pa_context_disconnect(m_pContext);
                pa_context_unref(m_pContext);
                m_pContext = nullptr;
            }
        }
        pa_threaded_mainloop_stop(m_pLoop);
        pa_threaded_mainloop_free(m_pLoop);
        m_pLoop = nullptr;
    }
    if (m_pContext != nullptr) {
        pa_context_unref(m_pContext);
        m_pContext = nullptr;
    }
    m_bOpened = false;
    m_bReady = false;
    m_bHasVolume = false;
    m_nMin = m_nMax = m_nSteps = -1;
}

bool CWaveOutVolume::HasVolume() const {
    return m_bReady && m_bHasVolume;
}

std::int32_t CWaveOutVolume::GetSteps() const {
    return HasVolume() ? m_nSteps : -1;
}
std::int32_t CWaveOutVolume::GetMin() const {
    return HasVolume() ? m_nMin : -1;
}
std::int32_t CWaveOutVolume::GetMax() const {
    return HasVolume() ? m_nMax : -1;
}

std::int32_t CWaveOutVolume::GetVolume() const {
    if (!HasVolume()) {
        return -1;
    }
    LoopLock lock(m_pLoop);
    SinkQuery sink{m_pLoop};
    if (!Finish(
            m_pLoop, m_pContext,
            pa_context_get_sink_info_by_name(m_pContext, m_strSink.c_str(), &OnSinkQuery, &sink)) ||
        !sink.found) {
        return -1;
    }
    return sink.volume;
}

void CWaveOutVolume::SetVolume(std::int32_t v) {
    if (!HasVolume() || v < m_nMin || v > m_nMax) {
        return;
    }
    LoopLock lock(m_pLoop);
    pa_cvolume volume;
    pa_cvolume_set(&volume, m_nChannels, static_cast<pa_volume_t>(v));
    SuccessQuery done{m_pLoop};
    Finish(m_pLoop, m_pContext,
           pa_context_set_sink_volume_by_name(m_pContext, m_strSink.c_str(), &volume, &OnSuccess,
                                              &done));
}

bool CWaveOutVolume::SetMute(bool mute) {
    if (!HasVolume()) {
        return false;
    }
    LoopLock lock(m_pLoop);
    SuccessQuery done{m_pLoop};
    return Finish(m_pLoop, m_pContext,
                  pa_context_set_sink_mute_by_name(m_pContext, m_strSink.c_str(), mute ? 1 : 0,
                                                   &OnSuccess, &done)) &&
           done.success;
}

bool CWaveOutVolume::Enable() {
    return SetMute(false);
}
bool CWaveOutVolume::Disable() {
    return SetMute(true);
}

void CWaveOutVolume::SetCallback(Callback callback, std::uint32_t parameter) {
    std::lock_guard<std::mutex> lock(m_callbackMutex);
    m_callback = std::move(callback);
    m_nCallbackParameter = parameter;
}

void CWaveOutVolume::ContextStateCallback(pa_context*, void* self) {
    pa_threaded_mainloop_signal(static_cast<CWaveOutVolume*>(self)->m_pLoop, 0);
}

// Loop thread. A change of our sink is read again; a change of the server may name a new
// default sink, which then becomes the line that is followed.
void CWaveOutVolume::OnSubscription(int eventType, std::uint32_t index) {
    CWaveOutVolume* self = this;
    pa_context* context = m_pContext;
    const int facility = eventType & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    const int kind = eventType & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
    if (kind != PA_SUBSCRIPTION_EVENT_CHANGE) {
        return;
    }
    auto onInfo = [](pa_context*, const pa_sink_info* info, int eol, void* me) {
        if (eol == 0 && info != nullptr) {
            static_cast<CWaveOutVolume*>(me)->OnSinkInfo(*info);
        }
    };
    if (facility == PA_SUBSCRIPTION_EVENT_SINK && index == self->m_nSinkIndex) {
        pa_operation* operation = pa_context_get_sink_info_by_index(context, index, onInfo, self);
        if (operation != nullptr) {
            pa_operation_unref(operation);
        }
    } else if (facility == PA_SUBSCRIPTION_EVENT_SERVER) {
        auto onServer = [](pa_context* c, const pa_server_info* info, void* me) {
            if (info != nullptr && info->default_sink_name != nullptr) {
                pa_operation* operation = pa_context_get_sink_info_by_name(
                    c, info->default_sink_name,
                    [](pa_context*, const pa_sink_info* sink, int eol, void* owner) {
                        if (eol == 0 && sink != nullptr) {
                            static_cast<CWaveOutVolume*>(owner)->OnSinkInfo(*sink);
                        }
                    },
                    me);
                if (operation != nullptr) {
                    pa_operation_unref(operation);
                }
            }
        };
        pa_operation* operation = pa_context_get_server_info(context, onServer, self);
        if (operation != nullptr) {
            pa_operation_unref(operation);
        }
    }
}

// Loop thread, loop lock held: follows the sink and reports a volume that moved.
void CWaveOutVolume::OnSinkInfo(const pa_sink_info& info) {
    if (info.name != nullptr) {
        m_strSink = info.name;
    }
    m_nSinkIndex = info.index;
    m_nChannels = info.volume.channels;
    const std::int32_t volume =
        info.volume.channels > 0 ? static_cast<std::int32_t>(info.volume.values[0]) : -1;
    if (volume == -1 || volume == m_nLastVolume) {
        return;
    }
    m_nLastVolume = volume;
    Callback callback;
    std::uint32_t parameter = 0;
    {
        std::lock_guard<std::mutex> lock(m_callbackMutex);
        callback = m_callback;
        parameter = m_nCallbackParameter;
    }
    if (callback) {
        callback(volume, parameter);
    }
}
