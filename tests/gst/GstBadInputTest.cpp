#include "GstTestSupport.h"

namespace {

class GstBadInputTest : public GstContextFixture {
protected:
    TempDir m_dir;
};

// Unplayable input gives an error code quickly, holds nothing and leaves the alias free.
TEST_F(GstBadInputTest, UnplayableInputFailsQuicklyHoldsNothingAndLeavesTheAliasFree) {
    std::vector<SBadInput> inputs = MakeBadInputs(m_dir);
    inputs.push_back({Media("cbr.mp3"), MciError::kDriverError}); // with a sink that cannot be made
    for (const SBadInput& input : inputs) {
        SCOPED_TRACE(input.path);
        if (input.nError == MciError::kDriverError) {
            ::setenv("MIXOREL_AUDIO_SINK", "no-such-sink-element", 1);
        }
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Open(input.path), input.nError);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 6s);
        EXPECT_EQ(OpenDescriptors(input.path), 0);
        EXPECT_EQ(Send("status mpeg mode"), MciError::kDeviceNotOpen);
    }
    ::setenv("MIXOREL_AUDIO_SINK", "fakesink sync=true", 1);
    EXPECT_EQ(Open(Media("cbr.mp3")), 0u);
}

// Half a file plays what is there and stops, without hanging.
TEST_F(GstBadInputTest, TruncatedHalfwayPlaysToWhereItEnds) {
    auto data = ReadAll(Media("cbr.mp3"));
    data.resize(data.size() / 2);
    const std::string path = m_dir.File("half.mp3");
    WriteAll(path, data);
    ASSERT_EQ(Open(path), 0u);
    EXPECT_GT(AskNumber("status mpeg length"), 1000);
    ASSERT_EQ(Send("play mpeg from 0 notify"), 0u);
    EXPECT_TRUE(StopsWithin(4s));
    EXPECT_NEAR(AskNumber("status mpeg length"), 1500, 150);
    ASSERT_EQ(Send("close mpeg"), 0u);
    EXPECT_EQ(OpenDescriptors(path), 0);
}

// No disc (no drive at all on a test machine): an error, soon, and nothing held.
TEST_F(GstBadInputTest, AudioCdTrackWithoutADisc) {
    const auto start = std::chrono::steady_clock::now();
    if (Send("open cdaudio alias mpeg") == 0u) {
        EXPECT_EQ(Send("Set mpeg time format TMSF"), 0u);
        EXPECT_NE(Send("play mpeg from 1 to 2"), 0u);
        EXPECT_EQ(Ask("status mpeg mode"), "stopped");
        EXPECT_NE(Send("status mpeg length track 1"), 0u);
        EXPECT_EQ(Send("close mpeg"), 0u);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, 15s);
}

} // namespace
