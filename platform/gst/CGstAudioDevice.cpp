#include "platform/gst/CGstAudioDevice.h"

#include <chrono>
#include <thread>

#include "platform/gst/GstRuntime.h"
#include "platform/mci/MciErrors.h"

#include <algorithm>
#include <filesystem>
#include <gst/gst.h>
#include <system_error>

namespace {

// playbin's "flags": audio, with its volume done in software (so the sink's own volume,
// PulseAudio's stream volume, is never touched); no video, no subtitles.
constexpr unsigned kPlayFlagAudio = 1u << 1;
constexpr unsigned kPlayFlagSoftVolume = 1u << 4;
constexpr const char* kGainName = "mixorel-gain";
constexpr std::int64_t kNsPerMs = 1'000'000;

// Streaming threads: keep only what the owner thread polls for. A dropped message is
// ours to unref; each one holds a reference to the element that posted it, so a message
// left alive keeps the whole pipeline (and its file and sink) alive.
GstBusSyncReply KeepEndAndErrors(GstBus*, GstMessage* message, gpointer) {
    const GstMessageType type = GST_MESSAGE_TYPE(message);
    if (type == GST_MESSAGE_EOS || type == GST_MESSAGE_ERROR) {
        return GST_BUS_PASS;
    }
    gst_message_unref(message);
    return GST_BUS_DROP;
}

GstBin* AsBin(GstElement* element) {
    return reinterpret_cast<GstBin*>(element);
}

} // namespace

CGstAudioDevice::~CGstAudioDevice() {
    Close();
}

std::uint32_t CGstAudioDevice::OpenFile(const std::string& path) {
    Close();
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (error || !std::filesystem::exists(status)) {
        return MciError::kFileNotFound;
    }
    if (!std::filesystem::is_regular_file(status)) {
        return MciError::kInvalidFile;
    }
    if (!GstRuntime::Init()) {
        return MciError::kDriverError;
    }
    gchar* uri = gst_filename_to_uri(path.c_str(), nullptr);
    if (uri == nullptr) {
        return MciError::kFileNotFound;
    }
    const std::string text(uri);
    g_free(uri);
    return Load(text, false);
}

std::uint32_t CGstAudioDevice::OpenCdDrive() {
    Close();
    if (!GstRuntime::Init() || !gst_uri_protocol_is_supported(GST_URI_SRC, "cdda")) {
        return MciError::kDriverError;
    }
    m_bCdDrive = true;
    return MciError::kNone;
}

std::uint32_t CGstAudioDevice::OpenCdTrack(int track) {
    if (!m_bCdDrive) {
        return MciError::kDeviceNotReady;
    }
    ReleasePipeline();
    m_nTrack = 0;
    const std::uint32_t error = Load("cdda://" + std::to_string(track), true);
    if (error == MciError::kNone) {
        m_nTrack = track;
    }
    return error;
}

std::int64_t CGstAudioDevice::CdTrackLengthMs(int track) {
    if (!m_bCdDrive || track < 1) {
        return -1;
    }
    if (track == m_nTrack && m_pPipeline != nullptr) {
        return DurationMs();
    }
    // Another track: look at it in a pipeline of its own that plays nothing.
    CGstAudioDevice probe;
    probe.m_bCdDrive = true;
    if (probe.OpenCdTrack(track) != MciError::kNone) {
        return -1;
    }
    return probe.DurationMs();
}

std::uint32_t CGstAudioDevice::Load(const std::string& uri, bool cd) {
    m_bCd = cd;
    const std::uint32_t built = Build(uri);
    if (built != MciError::kNone) {
        ReleasePipeline();
        return built;
    }
    const std::uint32_t error = Preroll(kOpenTimeoutMs);
    if (error != MciError::kNone) {
        ReleasePipeline();
        return error;
    }
    return MciError::kNone;
}

std::uint32_t CGstAudioDevice::Build(const std::string& uri) {
    m_pPipeline = gst_element_factory_make("playbin", nullptr);
    if (m_pPipeline == nullptr) {
        return MciError::kDriverError;
    }
    gst_object_ref_sink(m_pPipeline);
    const std::string description =
        std::string("volume name=") + kGainName + " ! " + GstRuntime::SinkDescription();
    GError* error = nullptr;
    GstElement* sink = gst_parse_bin_from_description(description.c_str(), TRUE, &error);
    if (error != nullptr) {
        g_error_free(error);
        if (sink != nullptr) {
            gst_object_unref(sink);
        }
        return MciError::kDriverError;
    }
    GstElement* volume = gst_bin_get_by_name(AsBin(sink), kGainName);
    const bool attached = volume != nullptr && m_ramp.Attach(volume);
    if (volume != nullptr) {
        gst_object_unref(volume);
    }
    g_object_set(m_pPipeline, "uri", uri.c_str(), "audio-sink", sink, "flags",
                 kPlayFlagAudio | kPlayFlagSoftVolume, "volume", 1.0, nullptr);
    if (!attached) {
        return MciError::kDriverError;
    }
    m_pBus = gst_element_get_bus(m_pPipeline);
    gst_bus_set_sync_handler(m_pBus, &KeepEndAndErrors, nullptr, nullptr);
    return MciError::kNone;
}

std::uint32_t CGstAudioDevice::Preroll(std::int64_t timeoutMs) {
    m_bStarted = false;
    m_eMode = EAudioMode::kStopped;
    if (gst_element_set_state(m_pPipeline, GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE) {
        return GstRuntime::TakeError(m_pPipeline, m_bCd, MciError::kDriverError);
    }
    return WaitForState(timeoutMs);
}

std::uint32_t CGstAudioDevice::WaitForState(std::int64_t timeoutMs) {
    const GstStateChangeReturn result = gst_element_get_state(
        m_pPipeline, nullptr, nullptr, static_cast<GstClockTime>(timeoutMs * kNsPerMs));
    switch (result) {
    case GST_STATE_CHANGE_SUCCESS:
    case GST_STATE_CHANGE_NO_PREROLL:
        return MciError::kNone;
    case GST_STATE_CHANGE_FAILURE:
        return GstRuntime::TakeError(m_pPipeline, m_bCd, MciError::kDriverError);
    case GST_STATE_CHANGE_ASYNC:
        break;
    }
    return MciError::kDriverError;
}

std::uint32_t CGstAudioDevice::Play(std::int64_t fromMs, std::int64_t toMs) {
    if (m_pPipeline == nullptr) {
        return MciError::kDeviceNotReady;
    }
    PollBus();
    const std::int64_t length = DurationMs();
    if (length > 0 && (fromMs > length || toMs > length)) {
        return MciError::kOutOfRange;
    }
    const bool midSong =
        m_bStarted && (m_eMode == EAudioMode::kPlaying || m_eMode == EAudioMode::kPaused);
    std::uint32_t error = MciError::kNone;
    if (!midSong) {
        const std::int64_t start = fromMs >= 0 ? fromMs : (m_bEnded ? 0 : m_nHeldPositionMs);
        // Preroll again just before playing: a sink held prerolled for a while would
        // start late by as long as it was held.
        gst_element_set_state(m_pPipeline, GST_STATE_READY);
        m_ramp.SetNow(m_ramp.Gain());
        m_ramp.ForgetProcessed();
        error = Preroll(kStateTimeoutMs);
        if (error == MciError::kNone && (start > 0 || toMs >= 0)) {
            error = Seek(start, toMs);
        }
    } else if (fromMs >= 0 || toMs >= 0 || m_nToMs >= 0) {
        error = Seek(fromMs, toMs);
    }
    if (error == MciError::kNone &&
        gst_element_set_state(m_pPipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        error = GstRuntime::TakeError(m_pPipeline, m_bCd, MciError::kDriverError);
    }
    if (error != MciError::kNone) {
        return Release(error);
    }
    m_bStarted = true;
    m_eMode = EAudioMode::kPlaying;
    m_bEnded = false;
    m_nToMs = toMs;
    return MciError::kNone;
}

std::uint32_t CGstAudioDevice::Seek(std::int64_t fromMs, std::int64_t toMs) {
    const auto flags = static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
    const gboolean done = gst_element_seek(m_pPipeline, 1.0, GST_FORMAT_TIME, flags,
                                           fromMs >= 0 ? GST_SEEK_TYPE_SET : GST_SEEK_TYPE_NONE,
                                           fromMs >= 0 ? fromMs * kNsPerMs : 0, GST_SEEK_TYPE_SET,
                                           toMs >= 0 ? toMs * kNsPerMs : -1);
    m_ramp.ForgetProcessed();
    if (!done) {
        return MciError::kOutOfRange;
    }
    return WaitForState(kStateTimeoutMs);
}

// Volume steps are heard a little after they are sent (they glide ahead of the playing
// position). Before the sound is cut, let the planned curve play out, so a stop right
// after a step to silence does not chop audio that is still loud: that would click.
void CGstAudioDevice::WaitForGlide() {
    const std::int64_t end = m_ramp.CurveEndNs();
    if (m_pPipeline == nullptr || m_eMode != EAudioMode::kPlaying || end < 0) {
        return;
    }
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kGlideWaitMs);
    while (std::chrono::steady_clock::now() < deadline) {
        const std::int64_t position = QueryPositionNs();
        if (position < 0 || position >= end || m_bEnded) {
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

std::uint32_t CGstAudioDevice::Pause() {
    PollBus();
    if (m_pPipeline == nullptr || m_eMode != EAudioMode::kPlaying) {
        return MciError::kNone;
    }
    WaitForGlide();
    gst_element_set_state(m_pPipeline, GST_STATE_PAUSED);
    const std::uint32_t error = WaitForState(kStateTimeoutMs);
    if (error != MciError::kNone) {
        return Release(error);
    }
    m_eMode = EAudioMode::kPaused;
    return MciError::kNone;
}

std::uint32_t CGstAudioDevice::Resume() {
    PollBus();
    if (m_pPipeline == nullptr || m_eMode != EAudioMode::kPaused) {
        return MciError::kNone;
    }
    if (gst_element_set_state(m_pPipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        return Release(GstRuntime::TakeError(m_pPipeline, m_bCd, MciError::kDriverError));
    }
    m_eMode = EAudioMode::kPlaying;
    return MciError::kNone;
}

std::uint32_t CGstAudioDevice::Stop() {
    PollBus();
    if (m_pPipeline == nullptr || m_eMode == EAudioMode::kStopped) {
        return MciError::kNone;
    }
    WaitForGlide();
    const std::int64_t position = QueryPositionNs();
    if (position >= 0) {
        m_nHeldPositionMs = position / kNsPerMs;
    }
    gst_element_set_state(m_pPipeline, GST_STATE_PAUSED);
    m_eMode = EAudioMode::kStopped;
    m_bEnded = false;
    const std::uint32_t error = WaitForState(kStateTimeoutMs);
    return error == MciError::kNone ? error : Release(error);
}

void CGstAudioDevice::Close() {
    WaitForGlide();
    ReleasePipeline();
    m_bCdDrive = false;
    m_nTrack = 0;
}

// An error while playing: the pipeline lets go of everything; a later play starts it
// up again from scratch.
std::uint32_t CGstAudioDevice::Release(std::uint32_t error) {
    if (m_pPipeline != nullptr) {
        gst_element_set_state(m_pPipeline, GST_STATE_NULL);
    }
    m_bStarted = false;
    m_eMode = EAudioMode::kStopped;
    return error;
}

void CGstAudioDevice::ReleasePipeline() {
    if (m_pPipeline != nullptr) {
        gst_element_set_state(m_pPipeline, GST_STATE_NULL);
    }
    m_ramp.Detach();
    if (m_pBus != nullptr) {
        gst_bus_set_sync_handler(m_pBus, nullptr, nullptr, nullptr);
        gst_object_unref(m_pBus);
        m_pBus = nullptr;
    }
    if (m_pPipeline != nullptr) {
        gst_object_unref(m_pPipeline);
        m_pPipeline = nullptr;
    }
    m_bStarted = false;
    m_eMode = EAudioMode::kStopped;
    m_bEnded = false;
    m_nToMs = -1;
    m_nHeldPositionMs = 0;
}

void CGstAudioDevice::SetGain(double gain) {
    const std::int64_t position = m_eMode == EAudioMode::kStopped ? -1 : QueryPositionNs();
    if (position >= 0) {
        m_ramp.GlideTo(gain, position);
    } else {
        m_ramp.SetNow(gain);
    }
}

EAudioMode CGstAudioDevice::Mode() {
    PollBus();
    return m_eMode;
}

std::int64_t CGstAudioDevice::DurationMs() {
    gint64 duration = -1;
    if (m_pPipeline == nullptr ||
        !gst_element_query_duration(m_pPipeline, GST_FORMAT_TIME, &duration) || duration < 0) {
        return -1;
    }
    return duration / kNsPerMs;
}

std::int64_t CGstAudioDevice::PositionMs() {
    PollBus();
    if (m_eMode == EAudioMode::kStopped) {
        return m_nHeldPositionMs;
    }
    const std::int64_t position = QueryPositionNs();
    return position >= 0 ? position / kNsPerMs : m_nHeldPositionMs;
}

bool CGstAudioDevice::ReachedEnd() {
    PollBus();
    return m_bEnded;
}

std::int64_t CGstAudioDevice::QueryPositionNs() {
    gint64 position = -1;
    if (m_pPipeline == nullptr ||
        !gst_element_query_position(m_pPipeline, GST_FORMAT_TIME, &position)) {
        return -1;
    }
    return position;
}

// Takes the end of stream and errors the streaming threads left on the bus.
void CGstAudioDevice::PollBus() {
    if (m_pBus == nullptr) {
        return;
    }
    const auto types = static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR);
    while (GstMessage* message = gst_bus_pop_filtered(m_pBus, types)) {
        const bool isError = GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR;
        gst_message_unref(message);
        if (!m_bStarted) {
            continue;
        }
        const std::int64_t position = QueryPositionNs();
        if (position >= 0) {
            m_nHeldPositionMs = position / kNsPerMs;
        }
        if (isError) {
            Release(MciError::kDriverError);
            continue;
        }
        if (m_nToMs < 0) {
            m_nHeldPositionMs = std::max(m_nHeldPositionMs, DurationMs());
        }
        m_bEnded = m_nToMs < 0;
        m_eMode = EAudioMode::kStopped;
        gst_element_set_state(m_pPipeline, GST_STATE_PAUSED);
    }
}
