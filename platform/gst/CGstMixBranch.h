#pragma once

// Threads: the device's owner thread (CGstAudioDevice) and the engine's mixer thread.
// Every member is guarded by the branch mutex; the mixer holds it while it mixes one
// block of the branch (a few microseconds), the owner for each short change. Nothing is
// allocated under the lock once the branch is made, and neither side ever waits for
// GStreamer while it holds the lock (pulls never wait).

#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>

typedef struct _GstAppSink GstAppSink;
typedef struct _GstSample GstSample;

// One song as the mixer sees it: the appsink its decoder fills (interleaved float, 2
// channels, the engine's rate), where it is in the song, when in engine time it starts
// and stops, and its gain: a fixed trim times a curve of (engine frame, gain) points,
// interpolated per sample, times a short de-click envelope that opens at every start and
// closes before every pause and stop. Engine time counts frames of the mix.
class CGstMixBranch {
public:
    enum class EState { kIdle, kPlaying, kPaused, kStopped, kEnded };
    struct SPoint {
        std::int64_t nFrame = 0;
        double dGain = 0;
    };
    static constexpr std::size_t kMaxPoints = 256;
    // The de-click envelope opens and closes over this many frames (5 ms).
    static constexpr int kDeclickFrames = 240;

    // Takes a reference to the appsink.
    explicit CGstMixBranch(GstAppSink* pSink);
    ~CGstMixBranch();
    CGstMixBranch(const CGstMixBranch&) = delete;
    CGstMixBranch& operator=(const CGstMixBranch&) = delete;

    // ---- mixer thread --------------------------------------------------------------
    // Adds the branch's frames [clock, clock + frames) into out (interleaved stereo).
    void MixInto(float* out, std::size_t frames, std::int64_t clock);

    // ---- owner thread (each takes the lock) ------------------------------------------
    // Starts playing from the position it holds at engine frame startAt (clamped to now);
    // toFrame: the song position it stops at (-1: its end).
    void Start(std::int64_t startAt, std::int64_t toFrame, std::int64_t now);
    // Closes the envelope and then pauses or stops (the position holds).
    void Halt(bool bPause, std::int64_t atFrame);
    // Pauses or stops at once, without the envelope (the mixer is not running).
    void ForceHalt(bool bPause);
    // Sets the song position it stops at without touching the stream (-1: its end).
    void SetToFrame(std::int64_t toFrame);
    // Before a flushing seek on the decoder: the mixer leaves the branch alone and the
    // sample it held is dropped; after it, the new position.
    void BeginSeek();
    void EndSeek(std::int64_t positionFrame);
    void SetTrim(double linear);
    // A curve from now on: when the first point lies ahead, the gain at now holds until it.
    // bScaled: every level is a share of the gain the old curve has at the first point
    // (a fade-out from wherever a fade-in has got to).
    void SetCurve(const SPoint* points, std::size_t count, std::int64_t now, bool bScaled = false);
    // A glide from the gain at now to gain over glideFrames.
    void GlideTo(double gain, std::int64_t now, std::int64_t glideFrames);

    EState State();
    // The position in the song, in frames (stream time).
    std::int64_t PositionFrame();
    // The engine frame at which the playing branch reaches positionFrame; -1 when it is
    // not playing.
    std::int64_t EngineFrameOf(std::int64_t positionFrame);
    // True once it stopped at its "to" position or halted (not at the media's end).
    bool StoppedAtTo();
    // How many frames in a row it had nothing to give while it should play.
    std::int64_t StarvedFrames();

private:
    // Next sample from the appsink; false when none is waiting (end: m_bEos set).
    bool PullLocked();
    void ReleaseSampleLocked();
    double CurveAtLocked(std::int64_t frame) const;
    void HaltLocked(EState state);

    // Copies the next part of the held sample into the chunk; false when it is used up.
    bool FillChunkLocked();

    static constexpr std::size_t kChunkFrames = 2048;

    std::mutex m_mutex;
    GstAppSink* m_pSink = nullptr;
    GstSample* m_pSample = nullptr;
    // Bytes of the held sample's buffer not yet copied into the chunk, from where.
    std::size_t m_nSampleOffset = 0;
    std::size_t m_nSampleEnd = 0;
    std::array<float, 2 * kChunkFrames> m_chunk{};
    std::size_t m_nChunkFrames = 0;
    std::size_t m_nChunkAt = 0;
    bool m_bEos = false;
    // The engine frame that follows the last frame mixed (m_nPosition belongs to it).
    std::int64_t m_nMixedTo = 0;
    mutable std::size_t m_nHint = 0;
    bool m_bSeeking = false;
    EState m_eState = EState::kIdle;
    std::int64_t m_nPosition = 0;
    std::int64_t m_nStartAt = 0;
    std::int64_t m_nToFrame = -1;
    std::int64_t m_nHaltAt = -1;
    EState m_eHaltTo = EState::kStopped;
    bool m_bStoppedAtTo = false;
    std::int64_t m_nStarved = 0;
    double m_dTrim = 1.0;
    double m_dDeclick = 0.0;
    bool m_bClosing = false;
    std::array<SPoint, kMaxPoints> m_points{};
    std::size_t m_nPoints = 0;
    // The gain before the first point.
    double m_dBefore = 1.0;
};
