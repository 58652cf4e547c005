#pragma once

// Whether a remote player plays, from what it says and how its position moves. Some
// MPRIS players (mpv with mpv-mpris among them) report "Stopped" while they play a file
// opened from idle, so a position that moves forward also counts as playing; and mpv may
// report "Playing" while it idles, so that word counts only while a track is loaded. A player
// also needs a moment to load a file it was told to play; for that moment, until it
// shows that it plays or the grace time passes, it counts as playing too, so a loop that
// polls right after a start does not take the song as ended before it began.
//
// Standard C++ only. Threads: one object per player, used under the link's lock.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string_view>

class CMprisPlayState {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    // A start counts as playing at most this long before the player shows it plays.
    static constexpr std::chrono::seconds kStartGrace{5};
    // A position that has not moved for this long is standing still (players update it
    // in steps: mpv every 50 to 100 ms).
    static constexpr std::chrono::milliseconds kStillLimit{400};
    // A sample older than this is not compared (it may belong to another song).
    static constexpr std::chrono::milliseconds kMaxSampleAge{2000};
    // The shortest wait between two samples of one query.
    static constexpr std::chrono::milliseconds kMinSampleGap{50};

    enum class Mode { Stopped, Playing, Paused };

    // The player was told to start a file or to play.
    void NoteStart(TimePoint now);
    // The player was told to stop: no grace any more.
    void NoteStop();

    // The mode from the reported status, when it decides: "Paused", and "Playing" while
    // a track is loaded (mpv may say "Playing" while it idles with nothing loaded).
    std::optional<Mode> FromStatus(std::string_view status, bool bHasTrack);
    // Adds a position sample (microseconds; negative when the player gave none) and
    // answers the mode, or nothing when a later sample must tell whether the position
    // moves (no recent sample, a position that went back as at a new song, or one that
    // has stood still for less than kStillLimit).
    std::optional<Mode> FromPosition(TimePoint now, std::int64_t nPositionUs);
    // How long to wait before the sample that can decide.
    std::chrono::milliseconds NextSampleIn(TimePoint now) const;
    // The mode when no deciding sample can be had: the grace decides.
    Mode Undecided(TimePoint now) const;

private:
    bool InGrace(TimePoint now) const;

    std::optional<TimePoint> m_startedAt;
    std::optional<TimePoint> m_sampledAt;
    std::int64_t m_nSampleUs = -1;
    // Since when the samples have shown the same position.
    TimePoint m_stillSince{};
};
