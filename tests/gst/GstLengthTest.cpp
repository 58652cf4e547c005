#include "GstTestSupport.h"

using namespace std::chrono_literals;

namespace {

// "status mpeg length" is known and non-zero as soon as the file is open, also where
// GStreamer itself does not know it yet (MP2, VBR mp3 without a Xing frame).
class GstLengthTest : public GstContextFixture {
protected:
    std::int64_t LengthAtOpen(const std::string& name) {
        EXPECT_EQ(Open(Media(name)), 0u) << name;
        return AskNumber("status mpeg length");
    }
};

TEST_F(GstLengthTest, ConstantBitRateMp3) {
    EXPECT_NEAR(LengthAtOpen("cbr.mp3"), 3000, 100);
}

TEST_F(GstLengthTest, Mp2KnownAtOnce) {
    EXPECT_NEAR(LengthAtOpen("tone.mp2"), 3000, 100);
}

TEST_F(GstLengthTest, VbrWithXingKnownAtOnce) {
    EXPECT_NEAR(LengthAtOpen("vbr-xing.mp3"), 3000, 100);
}

TEST_F(GstLengthTest, VbrWithoutXingNonZeroAtOnceAndExactAtTheEnd) {
    const std::int64_t atOpen = LengthAtOpen("vbr-no-xing.mp3");
    EXPECT_GT(atOpen, 0);
    ASSERT_EQ(Send("play mpeg from 0 notify"), 0u);
    // Every answer while playing is a usable length: never 0, never below the position.
    bool sane = true;
    EXPECT_TRUE(WaitFor(
        [&] {
            const std::int64_t position = AskNumber("status mpeg position");
            const std::int64_t length = AskNumber("status mpeg length");
            sane = sane && length > 0 && length >= position;
            return Ask("status mpeg mode") == "stopped";
        },
        6s));
    EXPECT_TRUE(sane);
    EXPECT_NEAR(AskNumber("status mpeg length"), 3000, 150);
}

TEST_F(GstLengthTest, Mp2RefinedWhilePlayingStaysClose) {
    ASSERT_EQ(Open(Media("tone.mp2")), 0u);
    ASSERT_EQ(Send("play mpeg from 0 notify"), 0u);
    EXPECT_TRUE(WaitFor(
        [&] {
            EXPECT_NEAR(AskNumber("status mpeg length"), 3000, 150);
            return Ask("status mpeg mode") == "stopped";
        },
        6s));
}

} // namespace
