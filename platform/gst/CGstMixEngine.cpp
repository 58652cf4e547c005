#include "platform/gst/CGstMixEngine.h"

#include "platform/gst/CGstMixBranch.h"
#include "platform/gst/GstRuntime.h"

#include <algorithm>
#include <gst/app/gstappsrc.h>
#include <gst/audio/gstaudiobasesink.h>
#include <gst/gst.h>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr const char* kSourceName = "mixorel-mix";
constexpr std::size_t kBlockBytes =
    CGstMixEngine::kBlockFrames * CGstMixEngine::kChannels * sizeof(float);
// The output queue holds this many blocks; with the sink's own small buffer it paces the
// mixer, so a block mixed now is heard about 100 ms later.
constexpr std::size_t kQueuedBlocks = 4;
// An audio sink's ring buffer, in microseconds: small, so little is mixed ahead.
constexpr gint64 kSinkBufferUs = 60000;
constexpr gint64 kSinkPeriodUs = 10000;
// A queue that does not move for this long is an output that has died quietly.
constexpr milliseconds kStallLimit{2000};
constexpr milliseconds kRoomWait{20};
constexpr milliseconds kIdleWait{1000};

// Small ring buffers for the audio sinks inside the output's sink (pulsesink, alsasink).
void KeepSinkBuffersSmall(GstElement* pipeline) {
    GstIterator* it = gst_bin_iterate_recurse(GST_BIN(pipeline));
    GValue item = G_VALUE_INIT;
    while (gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
        auto* element = static_cast<GstElement*>(g_value_get_object(&item));
        if (GST_IS_AUDIO_BASE_SINK(element)) {
            g_object_set(element, "buffer-time", kSinkBufferUs, "latency-time", kSinkPeriodUs,
                         nullptr);
        }
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(it);
}

} // namespace

CGstMixEngine& CGstMixEngine::Instance() {
    // Never destroyed: the mixer thread may still run while the process exits.
    static CGstMixEngine* const engine = new CGstMixEngine();
    return *engine;
}

CGstMixEngine::CGstMixEngine() {
    GstRuntime::Init();
    m_taps.reserve(16);
    m_pPool = gst_buffer_pool_new();
    GstStructure* config = gst_buffer_pool_get_config(m_pPool);
    gst_buffer_pool_config_set_params(config, nullptr, kBlockBytes, kQueuedBlocks + 4, 0);
    gst_buffer_pool_set_config(m_pPool, config);
    gst_buffer_pool_set_active(m_pPool, TRUE);
    m_lastBusy = Clock::now();
    m_thread = std::thread([this] { Run(); });
    m_thread.detach();
}

void CGstMixEngine::AddTap(std::shared_ptr<IMixTap> pTap) {
    if (!pTap) {
        return;
    }
    CGstMixEngine& engine = Instance();
    {
        std::lock_guard lock(engine.m_tapMutex);
        engine.m_taps.push_back(std::move(pTap));
        engine.m_bHasTaps.store(true);
    }
    std::lock_guard wake(engine.m_wakeMutex);
    engine.m_wake.notify_all();
}

void CGstMixEngine::RemoveTap(const std::shared_ptr<IMixTap>& pTap) {
    CGstMixEngine& engine = Instance();
    std::lock_guard lock(engine.m_tapMutex);
    std::erase(engine.m_taps, pTap);
    engine.m_bHasTaps.store(!engine.m_taps.empty());
}

bool CGstMixEngine::Register(CGstMixBranch* pBranch) {
    bool rebuild = false;
    const int builds = m_nBuilds.load();
    {
        std::lock_guard lock(m_branchMutex);
        if (m_nBranches >= kMaxBranches) {
            return false;
        }
        m_branches[m_nBranches++] = pBranch;
        const std::string sink = GstRuntime::SinkDescription();
        if (sink != m_strWantedSink) {
            m_strWantedSink = sink;
            m_bRebuild.store(true);
            rebuild = true;
        }
    }
    {
        std::lock_guard wake(m_wakeMutex);
        m_wake.notify_all();
    }
    // Another sink: the song's first block must go to the new output, not the old one.
    const auto limit = std::chrono::steady_clock::now() + kRebuildWait;
    while (rebuild && m_nBuilds.load() == builds && std::chrono::steady_clock::now() < limit) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

void CGstMixEngine::Unregister(CGstMixBranch* pBranch) {
    std::lock_guard lock(m_branchMutex);
    const auto end = m_branches.begin() + static_cast<std::ptrdiff_t>(m_nBranches);
    const auto found = std::find(m_branches.begin(), end, pBranch);
    if (found != end) {
        *found = m_branches[m_nBranches - 1];
        m_branches[--m_nBranches] = nullptr;
    }
}

// ---- mixer thread ----------------------------------------------------------------------

void CGstMixEngine::Run() {
    for (;;) {
        if (Idle()) {
            continue;
        }
        if (m_bRebuild.exchange(false)) {
            DropOutput();
            m_bWaiting.store(false);
            m_nextRetry = Clock::now();
        }
        if (m_pOutput == nullptr && Clock::now() >= m_nextRetry) {
            const bool built = BuildOutput();
            m_bWaiting.store(!built);
            m_nextRetry = Clock::now() + kRetry;
            m_pace = Clock::now();
        }
        if (m_pOutput == nullptr) {
            PaceSilence();
            continue;
        }
        if (!WaitForRoom()) {
            DropOutput();
            m_bWaiting.store(true);
            m_nextRetry = Clock::now() + kRetry;
            m_pace = Clock::now();
            continue;
        }
        MixBlock();
        HandToTaps(m_block.data());
        Push();
    }
}

// With no branch and no tap for a while the output is let go and the thread sleeps
// until one comes; true when it slept.
bool CGstMixEngine::Idle() {
    bool busy = m_bHasTaps.load();
    {
        std::lock_guard lock(m_branchMutex);
        busy = busy || m_nBranches > 0;
    }
    const auto now = Clock::now();
    if (busy) {
        m_lastBusy = now;
        return false;
    }
    if (now - m_lastBusy < kIdleLinger) {
        return false;
    }
    DropOutput();
    m_bWaiting.store(false);
    m_nextRetry = now;
    std::unique_lock wake(m_wakeMutex);
    m_wake.wait_for(wake, kIdleWait);
    return true;
}

bool CGstMixEngine::BuildOutput() {
    ++m_nBuilds;
    std::string sink;
    {
        std::lock_guard lock(m_branchMutex);
        if (m_strWantedSink.empty()) {
            m_strWantedSink = GstRuntime::SinkDescription();
        }
        sink = m_strWantedSink;
    }
    const std::string description =
        std::string("appsrc name=") + kSourceName + " ! audioconvert ! audioresample ! " + sink;
    GError* error = nullptr;
    GstElement* pipeline = gst_parse_launch(description.c_str(), &error);
    if (error != nullptr) {
        g_error_free(error);
        if (pipeline != nullptr) {
            gst_object_unref(pipeline);
        }
        return false;
    }
    gst_object_ref_sink(pipeline);
    m_pOutput = pipeline;
    m_pSource = gst_bin_get_by_name(GST_BIN(pipeline), kSourceName);
    m_pBus = gst_element_get_bus(pipeline);
    if (m_pSource == nullptr) {
        DropOutput();
        return false;
    }
    GstCaps* caps = gst_caps_new_simple("audio/x-raw", "format", G_TYPE_STRING, "F32LE", "layout",
                                        G_TYPE_STRING, "interleaved", "channels", G_TYPE_INT,
                                        kChannels, "rate", G_TYPE_INT, kRate, nullptr);
    g_object_set(m_pSource, "caps", caps, "format", GST_FORMAT_TIME, "is-live", FALSE, "block",
                 FALSE, "max-bytes", static_cast<guint64>(kQueuedBlocks * kBlockBytes),
                 "min-percent", 50u, nullptr);
    gst_caps_unref(caps);
    GstAppSrcCallbacks callbacks{};
    callbacks.need_data = [](GstAppSrc*, guint, gpointer data) {
        auto* engine = static_cast<CGstMixEngine*>(data);
        std::lock_guard lock(engine->m_wakeMutex);
        engine->m_bRoom = true;
        engine->m_wake.notify_all();
    };
    gst_app_src_set_callbacks(GST_APP_SRC(m_pSource), &callbacks, this, nullptr);
    KeepSinkBuffersSmall(pipeline);
    m_nOutputFrames = 0;
    if (gst_element_set_state(pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        DropOutput();
        return false;
    }
    return true;
}

void CGstMixEngine::DropOutput() {
    if (m_pOutput == nullptr) {
        return;
    }
    gst_element_set_state(m_pOutput, GST_STATE_NULL);
    if (m_pSource != nullptr) {
        gst_object_unref(m_pSource);
        m_pSource = nullptr;
    }
    if (m_pBus != nullptr) {
        gst_object_unref(m_pBus);
        m_pBus = nullptr;
    }
    gst_object_unref(m_pOutput);
    m_pOutput = nullptr;
}

bool CGstMixEngine::OutputHealthy() {
    GstMessage* message = gst_bus_pop_filtered(m_pBus, GST_MESSAGE_ERROR);
    if (message == nullptr) {
        return true;
    }
    gst_message_unref(message);
    return false;
}

bool CGstMixEngine::WaitForRoom() {
    const auto limit = Clock::now() + kStallLimit;
    const guint64 most = (kQueuedBlocks - 1) * kBlockBytes;
    for (;;) {
        if (!OutputHealthy()) {
            return false;
        }
        if (gst_app_src_get_current_level_bytes(GST_APP_SRC(m_pSource)) <= most) {
            return true;
        }
        if (Clock::now() >= limit || m_bRebuild.load()) {
            return m_bRebuild.load();
        }
        std::unique_lock wake(m_wakeMutex);
        m_wake.wait_for(wake, kRoomWait, [this] { return m_bRoom; });
        m_bRoom = false;
    }
}

void CGstMixEngine::MixBlock() {
    std::fill(m_block.begin(), m_block.end(), 0.0f);
    const std::int64_t clock = m_nClock.load();
    {
        std::lock_guard lock(m_branchMutex);
        for (std::size_t i = 0; i < m_nBranches; ++i) {
            m_branches[i]->MixInto(m_block.data(), kBlockFrames, clock);
        }
    }
    m_nClock.store(clock + static_cast<std::int64_t>(kBlockFrames));
}

void CGstMixEngine::HandToTaps(const float* samples) {
    if (!m_bHasTaps.load()) {
        return;
    }
    std::lock_guard lock(m_tapMutex);
    for (const std::shared_ptr<IMixTap>& tap : m_taps) {
        tap->OnMixBlock(samples, kBlockFrames);
    }
}

void CGstMixEngine::Push() {
    GstBuffer* buffer = nullptr;
    if (gst_buffer_pool_acquire_buffer(m_pPool, &buffer, nullptr) != GST_FLOW_OK) {
        return;
    }
    gst_buffer_fill(buffer, 0, m_block.data(), kBlockBytes);
    GST_BUFFER_PTS(buffer) =
        gst_util_uint64_scale_int(static_cast<guint64>(m_nOutputFrames), GST_SECOND, kRate);
    GST_BUFFER_DURATION(buffer) = gst_util_uint64_scale_int(kBlockFrames, GST_SECOND, kRate);
    m_nOutputFrames += static_cast<std::int64_t>(kBlockFrames);
    gst_app_src_push_buffer(GST_APP_SRC(m_pSource), buffer);
}

// No output: the mix stands still, the taps hear silence at the pace of real time.
void CGstMixEngine::PaceSilence() {
    const auto now = Clock::now();
    const auto block = std::chrono::microseconds(1'000'000 * kBlockFrames / kRate);
    m_pace = std::max(m_pace + block, now - 10 * block);
    std::this_thread::sleep_until(m_pace);
    std::fill(m_block.begin(), m_block.end(), 0.0f);
    HandToTaps(m_block.data());
}
