#include "MciTestSupport.h"

#include "platform/mci/CMciInterpreter.h"
#include "platform/mci/MciErrors.h"

#include <filesystem>

namespace {

constexpr const char* kSong = "/music/Artist - Song.mp3";

class MciInterpreterTest : public MciContextFixture {
protected:
    void SetUp() override { m_pHost->AddFile(kSong, 200'000); }

    // The strings a plain start sends, in order.
    void OpenAndPlay(const std::string& path) {
        Send("new alias mpeg type mpegvideo");
        Send("close mpeg wait");
        ASSERT_EQ(Send("open \"" + path + "\" alias mpeg wait"), 0u);
        ASSERT_EQ(Send("set mpeg seek exactly on wait"), 0u);
        ASSERT_EQ(Send("set mpeg time format ms wait"), 0u);
        ASSERT_EQ(Send("set mpeg speed 1000 wait"), 0u);
        ASSERT_EQ(Send("play mpeg from 0 notify"), 0u);
    }

    // Each command answers error and an empty reply.
    void ExpectErrors(std::uint32_t error, const std::vector<std::string>& commands) {
        for (const std::string& command : commands) {
            EXPECT_EQ(Send(command), error) << command;
            EXPECT_EQ(m_strReply, "") << command;
        }
    }

    std::vector<double> Gains() const {
        std::vector<double> gains;
        for (const auto& gain : m_pHost->Gains()) {
            gains.push_back(gain.dGain);
        }
        return gains;
    }
};

TEST_F(MciInterpreterTest, PlainStartSequence) {
    EXPECT_EQ(Send("new alias mpeg type mpegvideo"), 0u);
    EXPECT_EQ(Send("close mpeg wait"), MciError::kDeviceNotOpen);
    EXPECT_EQ(Send(std::string("open \"") + kSong + "\" alias mpeg wait"), 0u);
    EXPECT_EQ(m_strReply, "");
    EXPECT_EQ(Ask("status mpeg mode"), "stopped");
    ExpectErrors(MciError::kNone, {"set mpeg seek exactly on wait", "set mpeg time format ms wait",
                                   "set mpeg speed 1000 wait", "play mpeg from 0 notify"});
    EXPECT_EQ(Ask("status mpeg mode"), "playing");
    EXPECT_EQ(Ask("status mpeg length"), "200000");
    EXPECT_EQ(Ask("status mpeg position wait"), "0");
    EXPECT_EQ(Ask("info mpeg file"), kSong);
    EXPECT_EQ(Ask("status mpeg time format"), "milliseconds");
    EXPECT_EQ(Ask("info mpeg product"), "Mixorel simulated audio");
    EXPECT_EQ(Ask("status mpeg ready"), "true");
}

TEST_F(MciInterpreterTest, PlayFromAPositionAndUpToAnother) {
    OpenAndPlay(kSong);
    EXPECT_EQ(Send("play mpeg from 96000 notify"), 0u);
    EXPECT_EQ(Ask("status mpeg position"), "96000");
    Advance(4000);
    EXPECT_EQ(Ask("status mpeg position"), "100000");

    EXPECT_EQ(Send("play mpeg from 5000 to 6000"), 0u);
    Advance(700);
    EXPECT_EQ(Ask("status mpeg mode"), "playing");
    Advance(700);
    EXPECT_EQ(Ask("status mpeg mode"), "stopped");
    EXPECT_EQ(Ask("status mpeg position"), "6000");
    // Stopping at a "to" position says nothing about the length.
    EXPECT_EQ(Ask("status mpeg length"), "200000");

    EXPECT_EQ(Send("play mpeg from 300000 notify"), MciError::kOutOfRange);
    EXPECT_EQ(Send("play mpeg from 9000 to 8000"), MciError::kOutOfRange);
}

TEST_F(MciInterpreterTest, PauseResumeAndStop) {
    OpenAndPlay(kSong);
    Advance(2000);
    EXPECT_EQ(Send("pause mpeg"), 0u);
    EXPECT_EQ(Ask("status mpeg mode"), "paused");
    Advance(5000);
    EXPECT_EQ(Ask("status mpeg position"), "2000");
    EXPECT_EQ(Send("resume mpeg"), 0u);
    EXPECT_EQ(Ask("status mpeg mode"), "playing");
    Advance(1000);
    EXPECT_EQ(Ask("status mpeg position"), "3000");

    EXPECT_EQ(Send("stop mpeg wait"), 0u);
    EXPECT_EQ(Ask("status mpeg mode"), "stopped");
    Advance(1000);
    EXPECT_EQ(Ask("status mpeg position"), "3000");
    EXPECT_EQ(Send("close mpeg"), 0u);
    EXPECT_EQ(Send("status mpeg mode"), MciError::kDeviceNotOpen);
    EXPECT_EQ(m_strReply, "");
    EXPECT_EQ(m_pHost->OpenDevices(), 0);
}

// Volumes out of range or not a number are rejected and set no gain.
TEST_F(MciInterpreterTest, LeftAndRightVolumesMakeOneGainTheirMean) {
    OpenAndPlay(kSong);
    const std::string left = "setaudio mpeg left volume";
    ExpectErrors(MciError::kOutOfRange, {left + " to 1001"});
    ExpectErrors(MciError::kBadInteger, {left + " to -1", left + " to loud"});
    ExpectErrors(MciError::kMissingParameter, {left});
    EXPECT_EQ(Send("setaudio mpeg left volume to 0"), 0u);
    EXPECT_EQ(Send("setaudio mpeg right volume to 0"), 0u);
    EXPECT_EQ(Send("setaudio mpeg left volume to 500 wait"), 0u);
    EXPECT_EQ(Send("setaudio mpeg right volume to 1000 wait"), 0u);
    EXPECT_EQ(Send("setaudio mpeg volume to 1000"), 0u);
    EXPECT_EQ(Send("SetAudio MPEG Left Volume To 200 Wait"), 0u);
    EXPECT_EQ(Gains(), (std::vector<double>{0.5, 0.0, 0.25, 0.75, 1.0, 0.6}));
}

TEST_F(MciInterpreterTest, OpenVariants) {
    EXPECT_EQ(Send(std::string("open \"") + kSong + "\" type mpegvideo alias mpeg wait"), 0u);
    EXPECT_EQ(Send("close mpeg"), 0u);
    EXPECT_EQ(Send(std::string("open \"") + kSong + "\" alias mpeg type MPEGVideo shareable"), 0u);
    EXPECT_EQ(Send("close mpeg"), 0u);
    // Without an alias the element names the device.
    EXPECT_EQ(Send(std::string("open \"") + kSong + "\""), 0u);
    EXPECT_EQ(Ask(std::string("status \"") + kSong + "\" mode"), "stopped");
    EXPECT_EQ(Send("close all"), 0u);
    EXPECT_EQ(Send(std::string("open \"") + kSong + "\" type sequencer alias mpeg"),
              MciError::kDeviceNotOpen);
    EXPECT_EQ(m_pHost->OpenDevices(), 0);
}

TEST_F(MciInterpreterTest, UnplayableInputsGiveErrorsAndHoldNothing) {
    const std::string text = m_dir.File("notes.mp3");
    WriteAll(text, std::vector<std::uint8_t>(300, 'x'));
    std::filesystem::create_directory(m_dir.File("folder.mp3"));
    EXPECT_EQ(Send("open \"" + m_dir.File("missing.mp3") + "\" alias mpeg wait"),
              MciError::kFileNotFound);
    EXPECT_EQ(Send("open \"" + text + "\" alias mpeg wait"), MciError::kInvalidFile);
    EXPECT_EQ(Send("open \"" + m_dir.File("folder.mp3") + "\" alias mpeg wait"),
              MciError::kInvalidFile);
    EXPECT_EQ(Send("status mpeg mode"), MciError::kDeviceNotOpen);
    EXPECT_EQ(m_pHost->OpenDevices(), 0);
    // The alias is still free.
    EXPECT_EQ(Send(std::string("open \"") + kSong + "\" alias mpeg wait"), 0u);
}

// The device is untouched by all of them.
TEST_F(MciInterpreterTest, CommandErrors) {
    const std::string open = std::string("open \"") + kSong + "\" alias ";
    ASSERT_EQ(Send(open + "mpeg wait"), 0u);
    using namespace MciError;
    ExpectErrors(kDuplicateAlias, {open + "MPEG wait"});
    ExpectErrors(kMissingCommand, {""});
    ExpectErrors(kUnrecognizedCommand, {"fadein mpeg", "jump mpeg to 5"});
    ExpectErrors(kMissingDeviceName, {"play"});
    ExpectErrors(kDeviceNotOpen, {"status other mode", "pause other", "close nothing"});
    ExpectErrors(kMissingParameter, {"status mpeg", "info mpeg", "set mpeg"});
    ExpectErrors(kUnrecognizedKeyword, {"status mpeg colour", "status mpeg mode loudly"});
    ExpectErrors(kBadInteger, {"play mpeg from soon"});
    ExpectErrors(kUnsupportedFunction, {"set mpeg speed 500 wait", "status mpeg length track 2"});
    ExpectErrors(kBadTimeFormat, {"set mpeg time format tmsf", "set mpeg time format frames"});
    ExpectErrors(kNoClosingQuote, {"open \"/music/x.mp3 alias y"});
    EXPECT_EQ(Ask("status mpeg mode"), "stopped");
}

TEST_F(MciInterpreterTest, AliasIsPrivateToItsContext) {
    auto other = m_factory.CreateContext();
    std::string reply;
    ASSERT_EQ(Send(std::string("open \"") + kSong + "\" alias mpeg wait"), 0u);
    ASSERT_EQ(other->SendString(std::string("open \"") + kSong + "\" alias mpeg wait", reply), 0u);
    ASSERT_EQ(Send("play mpeg from 0"), 0u);
    Advance(3000);
    ASSERT_EQ(other->SendString("play mpeg from 0", reply), 0u);
    Advance(1000);
    EXPECT_EQ(Ask("status mpeg position"), "4000");
    ASSERT_EQ(other->SendString("status mpeg position", reply), 0u);
    EXPECT_EQ(reply, "1000");
    ASSERT_EQ(other->SendString("close mpeg", reply), 0u);
    EXPECT_EQ(Ask("status mpeg mode"), "playing");
    EXPECT_EQ(m_pHost->OpenDevices(), 1);
}

} // namespace
