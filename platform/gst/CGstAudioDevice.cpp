#include "platform/gst/CGstAudioDevice.h"

#include "platform/gst/CGstMixBranch.h"
#include "platform/gst/CGstMixEngine.h"
#include "platform/gst/GstRuntime.h"
#include "platform/mci/MciErrors.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <system_error>
#include <thread>

namespace {

constexpr std::int64_t kNsPerMs = 1'000'000;
// The decoder works this many buffers ahead of the mixer.
constexpr guint kAheadBuffers = 16;
// How long a pause or stop waits for the branch to close its envelope.
constexpr auto kHaltWait = std::chrono::milliseconds(60);

// Streaming threads: keep only errors for the owner thread. A dropped message is ours
// to unref; each one holds a reference to the element that posted it.
GstBusSyncReply KeepErrors(GstBus*, GstMessage* message, gpointer) {
    if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
        return GST_BUS_PASS;
    }
    gst_message_unref(message);
    return GST_BUS_DROP;
}

// Streaming thread of the decoder: its first audio pad goes to the converter.
void LinkAudioPad(GstElement*, GstPad* pad, gpointer data) {
    GstPad* sink = gst_element_get_static_pad(static_cast<GstElement*>(data), "sink");
    GstCaps* caps = gst_pad_get_current_caps(pad);
    if (caps == nullptr) {
        caps = gst_pad_query_caps(pad, nullptr);
    }
    const GstStructure* structure =
        caps != nullptr && gst_caps_get_size(caps) > 0 ? gst_caps_get_structure(caps, 0) : nullptr;
    if (structure != nullptr && g_str_has_prefix(gst_structure_get_name(structure), "audio/") &&
        !gst_pad_is_linked(sink)) {
        gst_pad_link(pad, sink);
    }
    if (caps != nullptr) {
        gst_caps_unref(caps);
    }
    gst_object_unref(sink);
}

CGstMixEngine& Engine() {
    return CGstMixEngine::Instance();
}

std::int64_t Frames(std::int64_t ms) {
    return ms < 0 ? -1 : CGstMixEngine::MsToFrames(ms);
}

} // namespace

CGstAudioDevice::CGstAudioDevice() = default;

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
    // Another track: look at it in a device of its own that plays nothing.
    CGstAudioDevice probe;
    probe.m_bCdDrive = true;
    if (probe.OpenCdTrack(track) != MciError::kNone) {
        return -1;
    }
    return probe.DurationMs();
}

std::uint32_t CGstAudioDevice::Load(const std::string& uri, bool cd) {
    m_bCd = cd;
    std::uint32_t error = Build(uri);
    if (error == MciError::kNone) {
        // Prerolled: the first samples wait in the appsink. Playing lets the decoder work
        // ahead until the appsink is full.
        if (gst_element_set_state(m_pPipeline, GST_STATE_PAUSED) == GST_STATE_CHANGE_FAILURE) {
            error = GstRuntime::TakeError(m_pPipeline, m_bCd, MciError::kDriverError);
        } else {
            error = WaitForState(kOpenTimeoutMs);
        }
    }
    if (error == MciError::kNone &&
        gst_element_set_state(m_pPipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        error = GstRuntime::TakeError(m_pPipeline, m_bCd, MciError::kDriverError);
    }
    if (error == MciError::kNone) {
        m_bRegistered = Engine().Register(m_pBranch.get());
        error = m_bRegistered ? MciError::kNone : MciError::kDriverError;
    }
    if (error != MciError::kNone) {
        ReleasePipeline();
    }
    return error;
}

std::uint32_t CGstAudioDevice::Build(const std::string& uri) {
    m_pPipeline = gst_pipeline_new(nullptr);
    GstElement* decoder = gst_element_factory_make("uridecodebin", nullptr);
    GstElement* convert = gst_element_factory_make("audioconvert", nullptr);
    GstElement* resample = gst_element_factory_make("audioresample", nullptr);
    GstElement* sink = gst_element_factory_make("appsink", nullptr);
    if (m_pPipeline == nullptr || decoder == nullptr || convert == nullptr || resample == nullptr ||
        sink == nullptr) {
        for (GstElement* element : {decoder, convert, resample, sink}) {
            if (element != nullptr) {
                gst_object_unref(gst_object_ref_sink(element));
            }
        }
        return MciError::kDriverError;
    }
    gst_object_ref_sink(m_pPipeline);
    gst_bin_add_many(GST_BIN(m_pPipeline), decoder, convert, resample, sink, nullptr);
    GstCaps* caps = gst_caps_new_simple("audio/x-raw", "format", G_TYPE_STRING, "F32LE", "layout",
                                        G_TYPE_STRING, "interleaved", "channels", G_TYPE_INT,
                                        CGstMixEngine::kChannels, "rate", G_TYPE_INT,
                                        CGstMixEngine::kRate, nullptr);
    g_object_set(sink, "caps", caps, "sync", FALSE, "max-buffers", kAheadBuffers, "drop", FALSE,
                 "emit-signals", FALSE, nullptr);
    gst_caps_unref(caps);
    g_object_set(decoder, "uri", uri.c_str(), nullptr);
    g_signal_connect(decoder, "pad-added", G_CALLBACK(&LinkAudioPad), convert);
    if (!gst_element_link_many(convert, resample, sink, nullptr)) {
        return MciError::kDriverError;
    }
    m_pBranch = std::make_unique<CGstMixBranch>(GST_APP_SINK(sink));
    m_pBus = gst_element_get_bus(m_pPipeline);
    gst_bus_set_sync_handler(m_pBus, &KeepErrors, nullptr, nullptr);
    return MciError::kNone;
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
    return Start(fromMs, toMs, -1);
}

std::uint32_t CGstAudioDevice::PlayAt(std::int64_t fromMs, std::int64_t toMs, std::int64_t atMs) {
    return Start(fromMs, toMs, Frames(atMs));
}

// A play mid-song without "from" only moves the end; otherwise the decoder seeks when it
// does not already stand where the play begins.
std::uint32_t CGstAudioDevice::Start(std::int64_t fromMs, std::int64_t toMs, std::int64_t atFrame) {
    if (m_pPipeline == nullptr) {
        return MciError::kDeviceNotReady;
    }
    Poll();
    const std::int64_t length = DurationMs();
    if (length > 0 && (fromMs > length || toMs > length)) {
        return MciError::kOutOfRange;
    }
    const bool midSong = m_eMode == EAudioMode::kPlaying || m_eMode == EAudioMode::kPaused;
    if (midSong && fromMs < 0) {
        m_pBranch->SetToFrame(Frames(toMs));
        if (m_eMode == EAudioMode::kPaused) {
            m_pBranch->Start(atFrame, Frames(toMs), Engine().ClockFrames());
        }
    } else {
        const std::int64_t held = PositionMs();
        const std::int64_t start = fromMs >= 0 ? fromMs : (m_bEnded ? 0 : held);
        if (midSong) {
            HaltNow(false);
        }
        if (m_bEnded || start != held) {
            const std::uint32_t error = Seek(start);
            if (error != MciError::kNone) {
                return Release(error);
            }
        }
        m_pBranch->Start(atFrame, Frames(toMs), Engine().ClockFrames());
    }
    m_eMode = EAudioMode::kPlaying;
    m_bEnded = false;
    m_nToMs = toMs;
    return MciError::kNone;
}

std::uint32_t CGstAudioDevice::Seek(std::int64_t fromMs) {
    m_pBranch->BeginSeek();
    const auto flags = static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
    const gboolean done =
        gst_element_seek(m_pPipeline, 1.0, GST_FORMAT_TIME, flags, GST_SEEK_TYPE_SET,
                         fromMs * kNsPerMs, GST_SEEK_TYPE_NONE, -1);
    const std::uint32_t error = done ? WaitForState(kStateTimeoutMs) : MciError::kOutOfRange;
    m_pBranch->EndSeek(Frames(fromMs));
    return error;
}

void CGstAudioDevice::HaltNow(bool bPause) {
    m_pBranch->Halt(bPause, Engine().ClockFrames());
    const auto deadline = std::chrono::steady_clock::now() + kHaltWait;
    while (m_pBranch->State() == CGstMixBranch::EState::kPlaying &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    // The engine holds while its output is lost: the branch halts without its envelope.
    if (m_pBranch->State() == CGstMixBranch::EState::kPlaying) {
        m_pBranch->ForceHalt(bPause);
    }
}

std::uint32_t CGstAudioDevice::Pause() {
    Poll();
    if (m_pPipeline == nullptr || m_eMode != EAudioMode::kPlaying) {
        return MciError::kNone;
    }
    HaltNow(true);
    m_eMode = EAudioMode::kPaused;
    return MciError::kNone;
}

std::uint32_t CGstAudioDevice::Resume() {
    Poll();
    if (m_pPipeline == nullptr || m_eMode != EAudioMode::kPaused) {
        return MciError::kNone;
    }
    m_pBranch->Start(-1, Frames(m_nToMs), Engine().ClockFrames());
    m_eMode = EAudioMode::kPlaying;
    return MciError::kNone;
}

std::uint32_t CGstAudioDevice::Stop() {
    Poll();
    if (m_pPipeline == nullptr || m_eMode == EAudioMode::kStopped) {
        return MciError::kNone;
    }
    HaltNow(false);
    m_eMode = EAudioMode::kStopped;
    m_bEnded = false;
    return MciError::kNone;
}

std::uint32_t CGstAudioDevice::StopAt(std::int64_t atMs) {
    Poll();
    if (m_pPipeline == nullptr || m_eMode == EAudioMode::kStopped) {
        return MciError::kNone;
    }
    if (m_eMode == EAudioMode::kPaused) {
        return Stop();
    }
    m_pBranch->Halt(false, std::max(Frames(atMs), Engine().ClockFrames()));
    return MciError::kNone;
}

void CGstAudioDevice::Close() {
    if (m_pPipeline != nullptr && m_eMode == EAudioMode::kPlaying) {
        HaltNow(false);
    }
    ReleasePipeline();
    m_bCdDrive = false;
    m_nTrack = 0;
}

// An error while playing: the branch goes silent and the device holds nothing; a later
// open starts again from scratch.
std::uint32_t CGstAudioDevice::Release(std::uint32_t error) {
    ReleasePipeline();
    return error;
}

void CGstAudioDevice::ReleasePipeline() {
    if (m_bRegistered) {
        Engine().Unregister(m_pBranch.get());
        m_bRegistered = false;
    }
    if (m_pPipeline != nullptr) {
        gst_element_set_state(m_pPipeline, GST_STATE_NULL);
    }
    m_pBranch.reset();
    if (m_pBus != nullptr) {
        gst_bus_set_sync_handler(m_pBus, nullptr, nullptr, nullptr);
        gst_object_unref(m_pBus);
        m_pBus = nullptr;
    }
    if (m_pPipeline != nullptr) {
        gst_object_unref(m_pPipeline);
        m_pPipeline = nullptr;
    }
    m_eMode = EAudioMode::kStopped;
    m_bEnded = false;
    m_nToMs = -1;
}

void CGstAudioDevice::SetGain(double gain) {
    m_dGain = std::clamp(gain, 0.0, 1.0);
    if (!m_pBranch) {
        return;
    }
    const std::int64_t now = Engine().ClockFrames();
    if (m_eMode == EAudioMode::kPlaying) {
        m_pBranch->GlideTo(m_dGain, now, CGstMixEngine::MsToFrames(kGlideMs));
    } else {
        const CGstMixBranch::SPoint point{now, m_dGain};
        m_pBranch->SetCurve(&point, 1, now);
    }
}

void CGstAudioDevice::SetTrimDb(double dB) {
    if (m_pBranch) {
        m_pBranch->SetTrim(std::pow(10.0, std::clamp(dB, -60.0, 24.0) / 20.0));
    }
}

bool CGstAudioDevice::SetGainCurve(const std::vector<SGainPoint>& points, bool bScaled) {
    if (!m_pBranch) {
        return false;
    }
    std::vector<CGstMixBranch::SPoint> frames;
    frames.reserve(points.size());
    for (const SGainPoint& point : points) {
        frames.push_back(
            {CGstMixEngine::MsToFrames(point.nAtMs), std::clamp(point.dGain, 0.0, 1.0)});
    }
    m_pBranch->SetCurve(frames.data(), frames.size(), Engine().ClockFrames(), bScaled);
    if (!points.empty() && !bScaled) {
        m_dGain = points.back().dGain;
    }
    return true;
}

std::int64_t CGstAudioDevice::EngineClockMs() {
    return CGstMixEngine::FramesToMs(Engine().ClockFrames());
}

std::int64_t CGstAudioDevice::EngineTimeOfPositionMs(std::int64_t atMs) {
    Poll();
    if (!m_pBranch || m_eMode != EAudioMode::kPlaying) {
        return -1;
    }
    const std::int64_t frame = m_pBranch->EngineFrameOf(Frames(atMs));
    return frame < 0 ? -1 : CGstMixEngine::FramesToMs(frame);
}

bool CGstAudioDevice::OutputWaiting() {
    return Engine().OutputWaiting();
}

EAudioMode CGstAudioDevice::Mode() {
    Poll();
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
    Poll();
    return m_pBranch ? CGstMixEngine::FramesToMs(m_pBranch->PositionFrame()) : 0;
}

bool CGstAudioDevice::ReachedEnd() {
    Poll();
    return m_bEnded;
}

void CGstAudioDevice::Poll() {
    if (m_pBus == nullptr) {
        return;
    }
    if (GstMessage* message = gst_bus_pop_filtered(m_pBus, GST_MESSAGE_ERROR)) {
        gst_message_unref(message);
        // A decoder that fails leaves the mix; the song reads as stopped.
        if (m_pBranch) {
            HaltNow(false);
        }
        m_eMode = EAudioMode::kStopped;
        m_bEnded = false;
        return;
    }
    if (m_eMode != EAudioMode::kPlaying) {
        return;
    }
    const CGstMixBranch::EState state = m_pBranch->State();
    if (state == CGstMixBranch::EState::kEnded) {
        m_eMode = EAudioMode::kStopped;
        m_bEnded = m_nToMs < 0;
    } else if (state == CGstMixBranch::EState::kStopped) {
        m_eMode = EAudioMode::kStopped;
    } else if (state == CGstMixBranch::EState::kPlaying &&
               m_pBranch->StarvedFrames() > CGstMixEngine::MsToFrames(kStallLimitMs)) {
        HaltNow(false); // a stream that stalls
        m_eMode = EAudioMode::kStopped;
    }
}
