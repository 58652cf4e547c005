#include "GstTestSupport.h"

namespace {

class GstLengthTest : public GstContextFixture {};

// "status mpeg length" is known and non-zero as soon as the file is open, also where
// GStreamer itself does not know it yet (MP2, VBR mp3 without a Xing frame). Played to
// the end, every answer on the way is a usable length and the last one is close.
TEST_F(GstLengthTest, KnownAtOnceAndSaneWhilePlaying) {
    const struct {
        const char* name;
        bool bExactAtOpen;
        bool bPlay;
    } songs[] = {{"cbr.mp3", true, false},
                 {"vbr-xing.mp3", true, false},
                 {"tone.mp2", true, true},
                 {"vbr-no-xing.mp3", false, true}};
    for (const auto& song : songs) {
        SCOPED_TRACE(song.name);
        ASSERT_EQ(Open(Media(song.name)), 0u);
        const std::int64_t atOpen = AskNumber("status mpeg length");
        EXPECT_GT(atOpen, 0);
        if (song.bExactAtOpen) {
            EXPECT_NEAR(atOpen, 3000, 100);
        }
        if (song.bPlay) {
            ASSERT_EQ(Send("play mpeg from 0 notify"), 0u);
            bool sane = true;
            EXPECT_TRUE(WaitFor(
                [&] {
                    const std::int64_t position = AskNumber("status mpeg position");
                    const std::int64_t length = AskNumber("status mpeg length");
                    sane = sane && (song.bExactAtOpen ? std::abs(length - 3000) <= 150
                                                      : length > 0 && length >= position);
                    return Ask("status mpeg mode") == "stopped";
                },
                6s));
            EXPECT_TRUE(sane);
            EXPECT_NEAR(AskNumber("status mpeg length"), 3000, 150);
        }
        ASSERT_EQ(Send("close mpeg"), 0u);
    }
}

} // namespace
