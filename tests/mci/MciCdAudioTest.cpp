#include "MciTestSupport.h"

#include "platform/mci/MciErrors.h"

namespace {

class MciCdAudioTest : public MciContextFixture {
protected:
    void SetUp() override { m_pHost->SetCdTracks({180'000, 240'000, 200'500}); }
    // Opens the drive, its times in tracks, minutes, seconds and frames.
    void OpenTmsf() {
        ASSERT_EQ(Send("open cdaudio alias mpeg"), 0u);
        ASSERT_EQ(Send("Set mpeg time format TMSF"), 0u);
    }
};

TEST_F(MciCdAudioTest, PlainStartOfATrack) {
    OpenTmsf();
    EXPECT_EQ(Ask("status mpeg time format"), "tmsf");
    EXPECT_EQ(Ask("status mpeg mode"), "stopped");
    EXPECT_EQ(Send("play mpeg from 2 to 3"), 0u);
    EXPECT_EQ(Ask("status mpeg mode"), "playing");
    EXPECT_EQ(Ask("status mpeg current track"), "2");
    Advance(65'500);
    // tt:mm:ss:ff with 75 frames a second.
    EXPECT_EQ(Ask("status mpeg position wait"), "02:01:05:37");
    EXPECT_EQ(Ask("status mpeg length track 2"), "04:00:00");
    EXPECT_EQ(Ask("status mpeg length track 3"), "03:20:37");
    Advance(200'000);
    EXPECT_EQ(Ask("status mpeg mode"), "stopped");
}

TEST_F(MciCdAudioTest, MillisecondsWithinTheTrack) {
    EXPECT_EQ(Send("open cdaudio alias mpeg"), 0u);
    EXPECT_EQ(Send("set mpeg time format ms"), 0u);
    EXPECT_EQ(Ask("status mpeg length track 1"), "180000");
    EXPECT_EQ(Send("play mpeg from 1000"), 0u);
    Advance(500);
    EXPECT_EQ(Ask("status mpeg position"), "1500");
    EXPECT_EQ(Ask("status mpeg length"), "180000");
}

TEST_F(MciCdAudioTest, Errors) {
    OpenTmsf();
    EXPECT_EQ(Send("status mpeg length track 9"), MciError::kOutOfRange);
    EXPECT_EQ(Send("play mpeg from 9 to 10"), MciError::kOutOfRange);
    EXPECT_EQ(Send("play mpeg from 3 to 2"), MciError::kOutOfRange);
    EXPECT_EQ(Send("play mpeg from 0"), MciError::kBadInteger);
    EXPECT_EQ(Send("info mpeg file"), MciError::kUnsupportedFunction);
    EXPECT_EQ(Send("status mpeg length"), MciError::kDeviceNotReady);
    EXPECT_EQ(Send("close mpeg"), 0u);
    EXPECT_EQ(m_pHost->OpenDevices(), 0);
}

TEST_F(MciCdAudioTest, NoDiscInTheDrive) {
    m_pHost->SetCdTracks({});
    OpenTmsf();
    EXPECT_EQ(Send("play mpeg from 1 to 2"), MciError::kDeviceNotReady);
    EXPECT_EQ(Ask("status mpeg mode"), "stopped");
}

} // namespace
