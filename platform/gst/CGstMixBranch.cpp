#include "platform/gst/CGstMixBranch.h"

#include <algorithm>
#include <gst/app/gstappsink.h>
#include <gst/gst.h>

namespace {

constexpr std::uint64_t kRate = 48000;
constexpr std::size_t kFrameBytes = 2 * sizeof(float);
constexpr double kDeclickStep = 1.0 / CGstMixBranch::kDeclickFrames;

std::int64_t FramesOf(GstClockTime time) {
    return static_cast<std::int64_t>(gst_util_uint64_scale_round(time, kRate, GST_SECOND));
}

} // namespace

CGstMixBranch::CGstMixBranch(GstAppSink* pSink)
    : m_pSink(static_cast<GstAppSink*>(gst_object_ref(pSink))) {}

CGstMixBranch::~CGstMixBranch() {
    ReleaseSampleLocked();
    gst_object_unref(m_pSink);
}

// ---- mixer thread ----------------------------------------------------------------------

void CGstMixBranch::MixInto(float* out, std::size_t frames, std::int64_t clock) {
    std::lock_guard lock(m_mutex);
    if (m_bSeeking || m_eState != EState::kPlaying) {
        return;
    }
    std::size_t i = 0;
    if (m_nStartAt > clock) {
        if (m_nStartAt >= clock + static_cast<std::int64_t>(frames)) {
            return;
        }
        i = static_cast<std::size_t>(m_nStartAt - clock);
    }
    bool starved = false;
    for (; i < frames; ++i) {
        const std::int64_t now = clock + static_cast<std::int64_t>(i);
        if (m_nHaltAt >= 0 && now >= m_nHaltAt) {
            m_bClosing = true;
        }
        if (m_bClosing && m_dDeclick <= 0.0) {
            HaltLocked(m_eHaltTo);
            break;
        }
        if (m_nToFrame >= 0 && m_nPosition >= m_nToFrame) {
            m_bStoppedAtTo = true;
            HaltLocked(EState::kStopped);
            break;
        }
        if (m_nChunkAt >= m_nChunkFrames && !FillChunkLocked() && !PullLocked()) {
            if (m_bEos) {
                ReleaseSampleLocked();
                HaltLocked(EState::kEnded);
            } else {
                starved = true;
            }
            break;
        }
        const double gain = CurveAtLocked(now) * m_dTrim * m_dDeclick;
        const float* frame = &m_chunk[2 * m_nChunkAt];
        out[2 * i] += static_cast<float>(frame[0] * gain);
        out[2 * i + 1] += static_cast<float>(frame[1] * gain);
        ++m_nChunkAt;
        ++m_nPosition;
        m_dDeclick = m_bClosing ? std::max(0.0, m_dDeclick - kDeclickStep)
                                : std::min(1.0, m_dDeclick + kDeclickStep);
    }
    m_nMixedTo = clock + static_cast<std::int64_t>(frames);
    m_nStarved = starved ? m_nStarved + static_cast<std::int64_t>(frames - i) : 0;
}

bool CGstMixBranch::PullLocked() {
    ReleaseSampleLocked();
    GstSample* sample = gst_app_sink_try_pull_sample(m_pSink, 0);
    if (sample == nullptr) {
        m_bEos = gst_app_sink_is_eos(m_pSink) != FALSE;
        return false;
    }
    m_pSample = sample;
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    const std::size_t bytes = buffer != nullptr ? gst_buffer_get_size(buffer) : 0;
    std::size_t first = 0;
    std::size_t last = bytes / kFrameBytes;
    const GstSegment* segment = gst_sample_get_segment(sample);
    const GstClockTime pts = buffer != nullptr ? GST_BUFFER_PTS(buffer) : GST_CLOCK_TIME_NONE;
    if (segment != nullptr && segment->format == GST_FORMAT_TIME && GST_CLOCK_TIME_IS_VALID(pts)) {
        // Decoders may hand over a little before the start of a seek or after its stop.
        GstClockTime begin = pts;
        if (GST_CLOCK_TIME_IS_VALID(segment->start) && pts < segment->start) {
            first = std::min<std::size_t>(last, FramesOf(segment->start - pts));
            begin = segment->start;
        }
        if (GST_CLOCK_TIME_IS_VALID(segment->stop)) {
            const std::int64_t keep = segment->stop > pts ? FramesOf(segment->stop - pts) : 0;
            last = std::min<std::size_t>(last, static_cast<std::size_t>(keep));
        }
        const GstClockTime stream = gst_segment_to_stream_time(segment, GST_FORMAT_TIME, begin);
        if (GST_CLOCK_TIME_IS_VALID(stream)) {
            m_nPosition = FramesOf(stream);
        }
    }
    m_nSampleOffset = first * kFrameBytes;
    m_nSampleEnd = std::max(first, last) * kFrameBytes;
    return FillChunkLocked() || PullLocked();
}

bool CGstMixBranch::FillChunkLocked() {
    m_nChunkFrames = 0;
    m_nChunkAt = 0;
    if (m_pSample == nullptr || m_nSampleOffset >= m_nSampleEnd) {
        return false;
    }
    const std::size_t bytes =
        std::min(m_nSampleEnd - m_nSampleOffset, m_chunk.size() * sizeof(float));
    const std::size_t copied = gst_buffer_extract(gst_sample_get_buffer(m_pSample), m_nSampleOffset,
                                                  m_chunk.data(), bytes);
    m_nSampleOffset += bytes;
    m_nChunkFrames = copied / kFrameBytes;
    return m_nChunkFrames > 0;
}

void CGstMixBranch::ReleaseSampleLocked() {
    if (m_pSample != nullptr) {
        gst_sample_unref(m_pSample);
        m_pSample = nullptr;
    }
    m_nSampleOffset = 0;
    m_nSampleEnd = 0;
    m_nChunkFrames = 0;
    m_nChunkAt = 0;
}

double CGstMixBranch::CurveAtLocked(std::int64_t frame) const {
    if (m_nPoints == 0 || frame < m_points[0].nFrame) {
        return m_dBefore;
    }
    if (m_nHint >= m_nPoints || m_points[m_nHint].nFrame > frame) {
        m_nHint = 0;
    }
    while (m_nHint + 1 < m_nPoints && m_points[m_nHint + 1].nFrame <= frame) {
        ++m_nHint;
    }
    const SPoint& a = m_points[m_nHint];
    if (m_nHint + 1 >= m_nPoints) {
        return a.dGain;
    }
    const SPoint& b = m_points[m_nHint + 1];
    const double t =
        static_cast<double>(frame - a.nFrame) / static_cast<double>(b.nFrame - a.nFrame);
    return a.dGain + (b.dGain - a.dGain) * t;
}

void CGstMixBranch::HaltLocked(EState state) {
    m_eState = state;
    m_nHaltAt = -1;
    m_bClosing = false;
    m_dDeclick = 0.0;
}

// ---- owner thread ----------------------------------------------------------------------

void CGstMixBranch::Start(std::int64_t startAt, std::int64_t toFrame, std::int64_t now) {
    std::lock_guard lock(m_mutex);
    m_eState = EState::kPlaying;
    m_nStartAt = std::max(startAt, now);
    m_nMixedTo = now;
    m_nToFrame = toFrame;
    m_nHaltAt = -1;
    m_bClosing = false;
    m_dDeclick = 0.0;
    m_bStoppedAtTo = false;
    m_nStarved = 0;
}

void CGstMixBranch::Halt(bool bPause, std::int64_t atFrame) {
    std::lock_guard lock(m_mutex);
    const EState to = bPause ? EState::kPaused : EState::kStopped;
    if (m_eState != EState::kPlaying) {
        if (!bPause && m_eState != EState::kEnded) {
            m_eState = EState::kStopped;
        }
        return;
    }
    m_eHaltTo = to;
    if (atFrame <= m_nStartAt && m_nStartAt > m_nMixedTo) {
        HaltLocked(to); // not started yet: nothing was heard
        return;
    }
    m_nHaltAt = atFrame;
}

void CGstMixBranch::ForceHalt(bool bPause) {
    std::lock_guard lock(m_mutex);
    if (m_eState == EState::kPlaying) {
        HaltLocked(bPause ? EState::kPaused : EState::kStopped);
    }
}

void CGstMixBranch::SetToFrame(std::int64_t toFrame) {
    std::lock_guard lock(m_mutex);
    m_nToFrame = toFrame;
}

void CGstMixBranch::BeginSeek() {
    std::lock_guard lock(m_mutex);
    m_bSeeking = true;
    m_bEos = false;
    ReleaseSampleLocked();
}

void CGstMixBranch::EndSeek(std::int64_t positionFrame) {
    std::lock_guard lock(m_mutex);
    m_bSeeking = false;
    m_nPosition = positionFrame;
    if (m_eState == EState::kEnded) {
        m_eState = EState::kStopped;
    }
}

void CGstMixBranch::SetTrim(double linear) {
    std::lock_guard lock(m_mutex);
    m_dTrim = linear;
}

void CGstMixBranch::SetCurve(const SPoint* points, std::size_t count, std::int64_t now,
                             bool bScaled) {
    std::lock_guard lock(m_mutex);
    const double current = CurveAtLocked(now);
    const double scale =
        bScaled && count > 0 ? CurveAtLocked(std::max(now, points[0].nFrame)) : 1.0;
    std::size_t n = 0;
    if (count == 0 || points[0].nFrame > now) {
        m_points[n++] = {now, current};
    }
    for (std::size_t i = 0; i < count && n < kMaxPoints; ++i) {
        if (n > 0 && points[i].nFrame <= m_points[n - 1].nFrame) {
            m_points[n - 1].dGain = points[i].dGain * scale; // same moment: the later wins
            continue;
        }
        m_points[n++] = {points[i].nFrame, points[i].dGain * scale};
    }
    m_nPoints = n;
    m_dBefore = m_points[0].dGain;
    m_nHint = 0;
}

void CGstMixBranch::GlideTo(double gain, std::int64_t now, std::int64_t glideFrames) {
    const SPoint point{now + std::max<std::int64_t>(1, glideFrames), gain};
    SetCurve(&point, 1, now);
}

CGstMixBranch::EState CGstMixBranch::State() {
    std::lock_guard lock(m_mutex);
    return m_eState;
}

std::int64_t CGstMixBranch::PositionFrame() {
    std::lock_guard lock(m_mutex);
    return m_nPosition;
}

std::int64_t CGstMixBranch::EngineFrameOf(std::int64_t positionFrame) {
    std::lock_guard lock(m_mutex);
    if (m_eState != EState::kPlaying || m_nHaltAt >= 0) {
        return -1;
    }
    const std::int64_t base = std::max(m_nStartAt, m_nMixedTo);
    return base + (positionFrame - m_nPosition);
}

bool CGstMixBranch::StoppedAtTo() {
    std::lock_guard lock(m_mutex);
    return m_bStoppedAtTo;
}

std::int64_t CGstMixBranch::StarvedFrames() {
    std::lock_guard lock(m_mutex);
    return m_nStarved;
}
