#include "platform/mpris/CMprisPlayState.h"

#include <gtest/gtest.h>

namespace {

using Mode = CMprisPlayState::Mode;
using std::chrono::milliseconds;

const CMprisPlayState::TimePoint kT0{};

CMprisPlayState::TimePoint At(int ms) {
    return kT0 + milliseconds(ms);
}

TEST(MprisPlayStateTest, StatusDecidesWhenItSaysPlayingOrPaused) {
    CMprisPlayState state;
    EXPECT_EQ(state.FromStatus("Playing", true), Mode::Playing);
    EXPECT_EQ(state.FromStatus("Paused", false), Mode::Paused);
    EXPECT_EQ(state.FromStatus("Stopped", true), std::nullopt);
    EXPECT_EQ(state.FromStatus("", true), std::nullopt);
    // "Playing" with nothing loaded leaves the decision to the position.
    EXPECT_EQ(state.FromStatus("Playing", false), std::nullopt);
}

TEST(MprisPlayStateTest, APositionThatMovesIsPlayingAndOneThatStandsStillIsStopped) {
    CMprisPlayState state;
    // A first sample cannot tell; the next one soon after can.
    EXPECT_EQ(state.FromPosition(At(0), 100000), std::nullopt);
    EXPECT_EQ(state.NextSampleIn(At(0)), milliseconds(50));
    EXPECT_EQ(state.FromPosition(At(50), 150000), Mode::Playing);
    // Players move the position in steps: a short stand is not yet a stop.
    EXPECT_EQ(state.FromPosition(At(100), 150000), std::nullopt);
    EXPECT_EQ(state.NextSampleIn(At(100)), milliseconds(350));
    EXPECT_EQ(state.FromPosition(At(200), 200000), Mode::Playing);
    EXPECT_EQ(state.FromPosition(At(300), 200000), std::nullopt);
    EXPECT_EQ(state.FromPosition(At(600), 200000), Mode::Stopped);
    // Too old, or gone back (a new song): sample again.
    EXPECT_EQ(state.FromPosition(At(5000), 900000), std::nullopt);
    EXPECT_EQ(state.FromPosition(At(5100), 1000), std::nullopt);
    EXPECT_EQ(state.FromPosition(At(5200), 101000), Mode::Playing);
    // No position at all is stopped.
    EXPECT_EQ(state.FromPosition(At(5300), -1), Mode::Stopped);
}

TEST(MprisPlayStateTest, AStartCountsAsPlayingUntilItShowsOrTheGraceEnds) {
    CMprisPlayState state;
    state.NoteStart(kT0);
    state.FromPosition(At(0), 0);
    EXPECT_EQ(state.FromPosition(At(500), 0), Mode::Playing);
    EXPECT_EQ(state.Undecided(At(4900)), Mode::Playing);
    EXPECT_EQ(state.Undecided(At(5000)), Mode::Stopped);

    // Once the song moved, standing still is stopped (it ended).
    state.NoteStart(kT0);
    EXPECT_EQ(state.FromPosition(At(600), 50000), Mode::Playing);
    EXPECT_EQ(state.FromPosition(At(1000), 50000), Mode::Stopped);

    // So is a player that said it plays, and one told to stop.
    state.NoteStart(kT0);
    state.FromStatus("Playing", true);
    EXPECT_EQ(state.Undecided(At(10)), Mode::Stopped);
    state.NoteStart(kT0);
    state.NoteStop();
    EXPECT_EQ(state.Undecided(At(10)), Mode::Stopped);
}

} // namespace
