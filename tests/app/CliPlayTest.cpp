#include "CliSupport.h"

#include <gtest/gtest.h>

using namespace CliSupport;

namespace {

class CliPlayTest : public PlayingCliTest {
protected:
    std::string Song(const std::string& name, int hz, int seconds) {
        EXPECT_TRUE(TestFiles::WriteSineMp3(File(name + ".mp3"), seconds, hz));
        return File(name + ".mp3");
    }
};

TEST_F(CliPlayTest, PlaysEachFileAndEndsAfterTheLast) {
    const std::string a = Song("a", 440, 3);
    const std::string b = Song("b", 1000, 2);
    int status = -1;
    const std::string out = Shell("timeout 30 $cli play --mix-seconds 1 --speed 20 " +
                                      ShellQuote(a) + " " + ShellQuote(b),
                                  &status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(out.find("start 1/2 (mixed): " + a), std::string::npos) << out;
    EXPECT_NE(out.find("start 2/2 (mixed): " + b), std::string::npos) << out;
    Shell("timeout 30 $cli play --no-mix " + ShellQuote(b), &status);
    EXPECT_EQ(status, 0);
}

TEST_F(CliPlayTest, InterruptStopsCleanlyAndMissingFilesFail) {
    int status = -1;
    const std::string out = Shell("timeout 30 $cli play " + ShellQuote(Song("long", 440, 20)) +
                                      " & pid=$!; sleep 1.5; kill -INT $pid; wait $pid",
                                  &status);
    EXPECT_EQ(status, 0) << out;
    ExpectFailures({{"play " + Q("missing.mp3"), 1}});
}

} // namespace
