#include "GstTestSupport.h"

#include "platform/mci/MciErrors.h"

#include <filesystem>

using namespace std::chrono_literals;

namespace {

// Unplayable input gives an error code quickly, holds nothing and leaves the alias free.
class GstBadInputTest : public GstContextFixture {
protected:
    std::uint32_t OpenTimed(const std::string& path) {
        const auto start = std::chrono::steady_clock::now();
        const std::uint32_t error = Open(path);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 6s) << path;
        EXPECT_EQ(OpenDescriptors(path), 0) << path;
        EXPECT_EQ(Send("status mpeg mode"), MciError::kDeviceNotOpen) << path;
        return error;
    }

    // The first bytes of a good mp3.
    std::string Truncated(std::size_t bytes) {
        auto data = ReadAll(Media("cbr.mp3"));
        data.resize(std::min(bytes, data.size()));
        const std::string path = m_dir.File("truncated-" + std::to_string(bytes) + ".mp3");
        WriteAll(path, data);
        return path;
    }

    TempDir m_dir;
};

TEST_F(GstBadInputTest, MissingFile) {
    EXPECT_EQ(OpenTimed(m_dir.File("missing.mp3")), MciError::kFileNotFound);
}

TEST_F(GstBadInputTest, TextFileNamedMp3) {
    const std::string path = m_dir.File("notes.mp3");
    const std::string text = "These are not the notes you are looking for.\n";
    WriteAll(path, std::vector<std::uint8_t>(text.begin(), text.end()));
    EXPECT_EQ(OpenTimed(path), MciError::kInvalidFile);
}

TEST_F(GstBadInputTest, EmptyFile) {
    const std::string path = m_dir.File("empty.mp3");
    WriteAll(path, {});
    EXPECT_EQ(OpenTimed(path), MciError::kInvalidFile);
}

TEST_F(GstBadInputTest, TruncatedInsideTheFirstFrame) {
    EXPECT_EQ(OpenTimed(Truncated(300)), MciError::kInvalidFile);
}

TEST_F(GstBadInputTest, Folder) {
    const std::string path = m_dir.File("album.mp3");
    std::filesystem::create_directory(path);
    EXPECT_EQ(OpenTimed(path), MciError::kInvalidFile);
}

TEST_F(GstBadInputTest, AfterAFailureTheAliasIsFree) {
    EXPECT_NE(Open(m_dir.File("missing.mp3")), 0u);
    EXPECT_EQ(Open(Media("cbr.mp3")), 0u);
}

// Half a file plays what is there and stops, without hanging.
TEST_F(GstBadInputTest, TruncatedHalfwayPlaysToWhereItEnds) {
    const std::string path = Truncated(ReadAll(Media("cbr.mp3")).size() / 2);
    ASSERT_EQ(Open(path), 0u);
    EXPECT_GT(AskNumber("status mpeg length"), 1000);
    ASSERT_EQ(Send("play mpeg from 0 notify"), 0u);
    EXPECT_TRUE(WaitFor([&] { return Ask("status mpeg mode") == "stopped"; }, 4s));
    EXPECT_NEAR(AskNumber("status mpeg length"), 1500, 150);
    ASSERT_EQ(Send("close mpeg"), 0u);
    EXPECT_EQ(OpenDescriptors(path), 0);
}

TEST_F(GstBadInputTest, SinkThatCannotBeMade) {
    ::setenv("MIXOREL_AUDIO_SINK", "no-such-sink-element", 1);
    EXPECT_EQ(OpenTimed(Media("cbr.mp3")), MciError::kDriverError);
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
