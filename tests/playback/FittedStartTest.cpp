// Fitted fades over the fake device: a first start ramps up at once; a mixed start places
// the new song at the mix point in engine time that the old song's cue points give, plays
// it from its cue-in with its play gain, and fades the old one out to its cue-out.
#include "PlayerTestFixture.h"

#include "playback/ISongCueSource.h"

namespace {

class CFakeCueSource final : public ISongCueSource {
public:
    std::optional<SongCuePoints> CuePointsOf(const std::string& path) override {
        if (path == "/music/old.mp3") {
            return SongCuePoints{0, 6000, 7000};
        }
        if (path == "/music/new.mp3") {
            return SongCuePoints{1200, 150000, 160000};
        }
        return std::nullopt;
    }
    std::optional<double> PlayGainDbOf(const std::string& path) override {
        return path == "/music/new.mp3" ? std::optional<double>(-3.5) : std::nullopt;
    }
};

class FittedStartTest : public PlayerTestFixture {
protected:
    void SetUp() override {
        PlayerTestFixture::SetUp();
        SetSongCueSource(std::make_shared<CFakeCueSource>());
    }
    void TearDown() override {
        PlayerTestFixture::TearDown();
        SetSongCueSource(nullptr);
    }
    bool Sent(int nContext, const std::string& command) {
        return m_pDevice->WaitForCommand(nContext, command, 3000ms);
    }
};

TEST_F(FittedStartTest, FirstStartRampsMixedStartUsesTheCuePointsAndThePlayGain) {
    CMCIPlayer& player = ConnectedPlayer();
    player.SetMixEnabled(true);
    player.SetMixSeconds(2);
    player.SetFitFades(true);
    m_pDevice->SetReply("status mpeg clock", "20000");
    ASSERT_TRUE(player.Play("/music/old.mp3"));
    EXPECT_TRUE(Sent(1, "setaudio mpeg curve 20000:0 20300:1000"));
    EXPECT_TRUE(Sent(1, "play mpeg from 0 at 20000 notify"));

    // The old song plays at 5 s; its cue points give a mix from 6 s to its cue-out at 7 s,
    // 1 s of overlap (within 0.5 s and the 2 s of mix), in engine time from 21 s on.
    m_pDevice->SetReply("status mpeg mode", "playing");
    m_pDevice->SetReply("status mpeg length", "180000");
    m_pDevice->SetReply("status mpeg position", "5000");
    m_pDevice->SetReply("status mpeg clock at 6000", "21000");
    ASSERT_TRUE(player.Play("/music/new.mp3"));
    const Texts fresh = {"setaudio mpeg trim to -350",
                         "setaudio mpeg curve 21000:0 21200:200 21400:400 21600:600 21800:800 "
                         "22000:1000 22000:1000",
                         "play mpeg from 1200 at 21000 notify"};
    for (const std::string& command : fresh) {
        EXPECT_TRUE(Sent(2, command)) << command;
    }
    EXPECT_TRUE(Sent(1, "setaudio mpeg curve scaled 21000:1000 21166:1000 21333:800 21500:600 "
                        "21666:400 21833:200 22000:0 22000:0"));
    EXPECT_TRUE(Sent(1, "stop mpeg at 22000"));
    // Commands reach the new song at once: no ramp keeps its worker busy.
    std::string reply;
    EXPECT_TRUE(player.SendCommand("pause mpeg", reply));
    EXPECT_TRUE(Sent(2, "pause mpeg"));
}

} // namespace
