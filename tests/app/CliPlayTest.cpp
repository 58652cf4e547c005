#include "CliSupport.h"
#include "support/TempDir.h"

#include <cstdlib>
#include <gtest/gtest.h>

using TestFiles::ShellQuote;

namespace {

// Plays real files through the GStreamer back end into a fake sink that keeps time.
class CliPlayTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!TestFiles::HaveTool("sox") || !TestFiles::HaveTool("lame")) {
            GTEST_SKIP() << "sox and lame are needed";
        }
        m_env = "XDG_CONFIG_HOME=" + ShellQuote(m_dir.File("config")) +
                " MIXOREL_HOME=" + ShellQuote(m_dir.File("home")) +
                " MIXOREL_AUDIO_SINK='fakesink sync=true' ";
    }
    std::string Song(const std::string& name, int hz, int seconds) {
        const std::string mp3 = m_dir.File(name + ".mp3");
        EXPECT_TRUE(TestFiles::WriteSineMp3(mp3, seconds, hz));
        return mp3;
    }

    TempDir m_dir;
    std::string m_env;
};

TEST_F(CliPlayTest, PlaysEachFileAndEndsAfterTheLast) {
    const std::string a = Song("a", 440, 3);
    const std::string b = Song("b", 1000, 2);
    int status = -1;
    const std::string out = TestFiles::Capture(m_env + "timeout 30 " + MIXOREL_CLI +
                                                   " play --mix-seconds 1 --speed 20 " +
                                                   ShellQuote(a) + " " + ShellQuote(b),
                                               &status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(out.find("start 1/2 (mixed): " + a), std::string::npos) << out;
    EXPECT_NE(out.find("start 2/2 (mixed): " + b), std::string::npos) << out;

    TestFiles::Capture(m_env + "timeout 30 " + MIXOREL_CLI + " play --no-mix " + ShellQuote(b),
                       &status);
    EXPECT_EQ(status, 0);
}

TEST_F(CliPlayTest, InterruptStopsCleanlyAndMissingFilesFail) {
    const std::string a = Song("long", 440, 20);
    int status = -1;
    const std::string out =
        TestFiles::Capture("(" + m_env + "timeout 30 " + MIXOREL_CLI + " play " + ShellQuote(a) +
                               " & pid=$!; sleep 1.5; kill -INT $pid; wait $pid)",
                           &status);
    EXPECT_EQ(status, 0) << out;
    TestFiles::Capture(m_env + MIXOREL_CLI + " play " + ShellQuote(m_dir.File("missing.mp3")) +
                           " 2>/dev/null",
                       &status);
    EXPECT_EQ(status, 1);
}

} // namespace
