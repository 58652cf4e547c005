#include "MciTestSupport.h"

#include "platform/mci/CMciLengthEstimate.h"

namespace {

// The estimate on its own, fed what a device says, on a clock the test moves.
class MciLengthEstimateTest : public ::testing::Test {
protected:
    std::shared_ptr<CManualMciClock> m_pClock = std::make_shared<CManualMciClock>();
    CMciLengthEstimate m_length{m_pClock};
};

TEST_F(MciLengthEstimateTest, DeviceLengthKnownWhenReadyIsTakenAsItIs) {
    m_length.Start(7900, 8000);
    EXPECT_EQ(m_length.Answer(8000, 0, false), 8000);
    EXPECT_EQ(m_length.Answer(8010, 100, false), 8010);
    // A failed query falls back on the length known when the media became ready.
    EXPECT_EQ(m_length.Answer(-1, 200, false), 8000);
}

TEST_F(MciLengthEstimateTest, FrameLengthIsNotReplacedByTheDevicesLateGuesses) {
    m_length.Start(8019, -1);
    EXPECT_EQ(m_length.Answer(-1, 0, false), 8019);
    // The device's late guesses drift (a VBR file's quiet intro made them 20 % long);
    // the frame reader's length stands, also against a guess that holds still.
    EXPECT_EQ(m_length.Answer(9700, 300, false), 8019);
    for (int i = 0; i < 5; ++i) {
        m_pClock->Advance(600);
        EXPECT_EQ(m_length.Answer(8205, 900 + 600 * i, false), 8019);
    }
}

// Knowing nothing the length is never zero.
TEST_F(MciLengthEstimateTest, WithoutAFrameLengthTheDeviceLengthCountsOnceItHoldsStill) {
    m_length.Start(-1, -1);
    EXPECT_EQ(m_length.Answer(-1, 0, false), 1);
    EXPECT_EQ(m_length.Answer(0, 0, false), 1);
    EXPECT_EQ(m_length.Answer(-1, 2500, false), 2500);
    EXPECT_EQ(m_length.Answer(9700, 300, false), 9700);
    m_pClock->Advance(600);
    EXPECT_EQ(m_length.Answer(8210, 900, false), 8210);
    m_pClock->Advance(600);
    EXPECT_EQ(m_length.Answer(8200, 1500, false), 8200);
    m_pClock->Advance(500);
    EXPECT_EQ(m_length.Answer(8205, 2000, false), 8205);
    // Once believed, a drifting guess does not replace it until it holds still too.
    m_pClock->Advance(100);
    EXPECT_EQ(m_length.Answer(8400, 2100, false), 8205);
}

TEST_F(MciLengthEstimateTest, EndOfMediaGivesTheExactLength) {
    m_length.Start(7000, -1);
    EXPECT_EQ(m_length.Answer(-1, 6000, false), 7000);
    EXPECT_EQ(m_length.Answer(-1, 7600, false), 7600);
    EXPECT_EQ(m_length.Answer(8102, 8050, true), 8050);
    EXPECT_EQ(m_length.Answer(8300, 0, false), 8050);
    // New media forgets the old end.
    m_length.Start(5000, -1);
    EXPECT_EQ(m_length.Answer(-1, 0, false), 5000);
}

class MciFrameEstimateTest : public ::testing::Test {
protected:
    std::int64_t EstimateOf(const std::vector<std::uint8_t>& bytes) {
        const std::string path = m_dir.File("song.mp3");
        WriteAll(path, bytes);
        return CMciLengthEstimate::FromFrames(path);
    }
    TempDir m_dir;
};

TEST_F(MciFrameEstimateTest, ConstantBitRateFromAudioSize) {
    using namespace TestFiles;
    // 1000 frames of 417 bytes at 128 kbit/s.
    EXPECT_EQ(EstimateOf(Frames(kMpeg1, kLayer3, 9, 0, 0, 1000)), 417'000 * 8 / 128);
    // MPEG-1 Layer II at 192 kbit/s, 48 kHz: 576 bytes a frame.
    EXPECT_EQ(EstimateOf(Frames(kMpeg1, kLayer2, 10, 1, 0, 500)), 576 * 500 * 8 / 192);
    // No frame, no estimate.
    EXPECT_EQ(EstimateOf(std::vector<std::uint8_t>(4000, 'a')), -1);
    EXPECT_EQ(CMciLengthEstimate::FromFrames(m_dir.File("missing.mp3")), -1);
}

TEST_F(MciFrameEstimateTest, XingFrameCountGivesSamplesOverRate) {
    using namespace TestFiles;
    // A Layer III frame with a Xing header claiming 2000 frames, then CBR frames.
    auto bytes = Frames(kMpeg1, kLayer3, 9, 0, 0, 1);
    const std::size_t at = 4 + 32;
    const std::uint8_t xing[12] = {'X', 'i', 'n', 'g', 0, 0, 0, 1, 0, 0, 0x07, 0xD0};
    std::copy(xing, xing + 12, bytes.begin() + static_cast<long>(at));
    const auto rest = Frames(kMpeg1, kLayer3, 9, 0, 0, 50);
    bytes.insert(bytes.end(), rest.begin(), rest.end());
    EXPECT_EQ(EstimateOf(bytes), 2000LL * 1152 * 1000 / 44100);
}

// Through the interpreter: a device that does not know the length (as GStreamer with an
// MP2 file) still gives a length at once, and the exact one at the end.
class MciLengthStatusTest : public MciContextFixture {};

TEST_F(MciLengthStatusTest, UnknownToTheDeviceAnswersTheFrameEstimate) {
    const std::string path = WriteMp3("vbr.mp3", 200);
    m_pHost->AddFile(path, 6000, false);
    ASSERT_EQ(Send("open \"" + path + "\" alias mpeg wait"), 0u);
    EXPECT_EQ(Ask("status mpeg length"), std::to_string(EstimateOf(200)));
    ASSERT_EQ(Send("play mpeg from 0 notify"), 0u);
    Advance(5500);
    // Past the estimate: at least the position.
    EXPECT_EQ(Ask("status mpeg length"), "5500");
    Advance(1000);
    EXPECT_EQ(Ask("status mpeg mode"), "stopped");
    EXPECT_EQ(Ask("status mpeg length"), "6000");
}

TEST_F(MciLengthStatusTest, KnownToTheDeviceAnswersIt) {
    const std::string path = WriteMp3("cbr.mp3", 200);
    ASSERT_EQ(Send("open \"" + path + "\" alias mpeg wait"), 0u);
    EXPECT_EQ(Ask("status mpeg length"), std::to_string(EstimateOf(200)));
    m_pHost->AddFile(path, 4321);
    ASSERT_EQ(Send("close mpeg"), 0u);
    ASSERT_EQ(Send("open \"" + path + "\" alias mpeg wait"), 0u);
    EXPECT_EQ(Ask("status mpeg length"), "4321");
}

} // namespace
