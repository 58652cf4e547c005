#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// What a device is doing, as "status ... mode" reports it.
enum class EAudioMode { kStopped, kPlaying, kPaused };

// One playing device behind a media-control alias: a file or an audio CD track, played
// from and to positions in milliseconds, with one gain. Operations answer 0 or a
// media-control error code (MciErrors.h). A device is used by one thread only: the one
// whose context opened it.
class IAudioDevice {
public:
    virtual ~IAudioDevice() = default;

    // Loads a file and makes it ready to play; returns when it is ready or has failed
    // (bounded). On failure the device holds nothing.
    virtual std::uint32_t OpenFile(const std::string& path) = 0;
    // Checks that audio CDs can be played at all; tracks are loaded by OpenCdTrack.
    virtual std::uint32_t OpenCdDrive() = 0;
    // Loads track (1-based) of the disc in the drive, ready to play from its start.
    virtual std::uint32_t OpenCdTrack(int track) = 0;
    // Length of a track of the disc in the drive, -1 when unknown.
    virtual std::int64_t CdTrackLengthMs(int track) = 0;

    // Plays from fromMs (-1: where it stands) up to toMs (-1: the end of the media).
    virtual std::uint32_t Play(std::int64_t fromMs, std::int64_t toMs) = 0;
    virtual std::uint32_t Pause() = 0;
    virtual std::uint32_t Resume() = 0;
    // Stops; the position stays where it was.
    virtual std::uint32_t Stop() = 0;
    // Releases the media and everything held for it; safe to call more than once.
    virtual void Close() = 0;

    // 0.0 silent to 1.0 full. A device that can glides to it over a few milliseconds.
    virtual void SetGain(double gain) = 0;

    virtual EAudioMode Mode() = 0;
    // The length the device knows, in ms; -1 while it does not know it.
    virtual std::int64_t DurationMs() = 0;
    virtual std::int64_t PositionMs() = 0;
    // True once playing stopped because the media ended (not at a "to" position).
    virtual bool ReachedEnd() = 0;
    // "info ... product".
    virtual std::string ProductName() const = 0;

    // ---- devices that play through a mixing engine ------------------------------------
    // Engine time is the engine's running count of mixed samples, in ms. The defaults
    // describe a device without an engine: it has no engine time and plays at once.

    // A fixed gain in dB applied before the gain curve; set before playing.
    virtual void SetTrimDb(double /*dB*/) {}
    // The engine time of the next sample to be mixed; -1 without an engine.
    virtual std::int64_t EngineClockMs() { return -1; }
    // The engine time at which the playing song reaches atMs of its own time; -1 when it
    // is not playing or there is no engine.
    virtual std::int64_t EngineTimeOfPositionMs(std::int64_t /*atMs*/) { return -1; }
    // Play, with the first sample placed at engine time atMs (in the past: at once).
    virtual std::uint32_t PlayAt(std::int64_t fromMs, std::int64_t toMs, std::int64_t /*atMs*/) {
        return Play(fromMs, toMs);
    }
    // Stops at engine time atMs (in the past: at once).
    virtual std::uint32_t StopAt(std::int64_t /*atMs*/) { return Stop(); }
    // The gain (0..1) as a curve of engine times: linear between the points, the last
    // level held after them; the gain at the moment of the call holds until the first.
    // bScaled: the levels are shares of the gain at the first point (a fade-out from
    // wherever the gain stands). False when the device cannot follow a curve.
    struct SGainPoint {
        std::int64_t nAtMs = 0;
        double dGain = 0;
    };
    virtual bool SetGainCurve(const std::vector<SGainPoint>& /*points*/, bool /*bScaled*/) {
        return false;
    }
    // True while the engine waits for its sound output to come back.
    virtual bool OutputWaiting() { return false; }
};

// Makes a fresh device for each "open".
using AudioDeviceMaker = std::function<std::unique_ptr<IAudioDevice>()>;
