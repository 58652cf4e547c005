#pragma once

// Threads: the device's owner thread schedules gain changes; GStreamer's streaming
// thread runs the volume element, reads the control curve (the control source locks
// it) and, through a pad probe, stores how far it has processed in an atomic. Nothing
// else is shared.

#include <atomic>
#include <cstdint>
#include <utility>
#include <vector>

typedef struct _GstElement GstElement;
typedef struct _GstControlSource GstControlSource;

// Drives a volume element's gain along a curve in stream time, so a change glides over
// kRampNs instead of jumping (no zipper clicks) and takes effect at a sample-exact
// point. The element sits in the audio sink bin, after playbin's queue, so what it
// processes is heard a sink buffer or two later. Each glide starts a constant lead
// ahead of the playing position (first measured as how far the element runs ahead
// plus one of its buffers, raised if it is ever seen further ahead), so the steps of a
// fade keep the spacing they were sent with.
class CGstVolumeRamp {
public:
    static constexpr std::int64_t kRampNs = 30'000'000;
    static constexpr std::int64_t kInitialLeadNs = 30'000'000;
    static constexpr std::int64_t kMaxLeadNs = 500'000'000;

    CGstVolumeRamp() = default;
    ~CGstVolumeRamp();
    CGstVolumeRamp(const CGstVolumeRamp&) = delete;
    CGstVolumeRamp& operator=(const CGstVolumeRamp&) = delete;

    // Takes a reference to the element and binds the curve to its "volume".
    bool Attach(GstElement* volume);
    void Detach();

    // Before sound starts (or starts again after a re-preroll): the gain holds from the
    // start of the stream.
    void SetNow(double gain);
    // While playing or paused mid-song: glide from the gain at the start point to gain.
    void GlideTo(double gain, std::int64_t positionNs);
    // A seek makes what was processed before meaningless.
    void ForgetProcessed();

    double Gain() const { return m_dGain; }
    std::int64_t LeadNs() const { return m_nLeadNs; }
    // Stream time at which the planned curve ends (-1 when nothing is planned).
    std::int64_t CurveEndNs() const { return m_points.empty() ? -1 : m_points.back().first; }
    // Gain the element applies at a stream time, from the curve.
    double GainAt(std::int64_t streamTimeNs) const;

private:
    void PlanGlide(std::int64_t start, double from, double to);
    void Drop(std::int64_t fromNs);

    GstElement* m_pVolume = nullptr;
    GstControlSource* m_pSource = nullptr;
    unsigned long m_nProbe = 0;
    // Written by the streaming thread: the end of the last buffer the element put out,
    // and that buffer's length.
    std::atomic<std::int64_t> m_nProcessedEndNs{-1};
    std::atomic<std::int64_t> m_nBufferNs{0};
    std::int64_t m_nLeadNs = kInitialLeadNs;
    bool m_bLeadMeasured = false;
    // The points of the curve, in time order (the control source holds the same).
    std::vector<std::pair<std::int64_t, double>> m_points;
    // The last glide and the position it was asked at: a change asked at the same
    // moment (the right side after the left) starts where it starts.
    std::int64_t m_nLastStartNs = -1;
    std::int64_t m_nLastPositionNs = -1;
    double m_dGain = 1.0;
};
