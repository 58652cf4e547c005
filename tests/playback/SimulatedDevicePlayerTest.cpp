#include "PlayerTestFixture.h"

#include "platform/mci/CManualMciClock.h"
#include "platform/mci/CSimulatedDeviceHost.h"
#include "platform/mci/CSimulatedMciContextFactory.h"

namespace {

// The player on the simulated devices of the media-control layer, whose song positions
// follow a clock the test moves by hand.
class SimulatedDevicePlayerTest : public PlayerTestFixture {
protected:
    SimulatedDevicePlayerTest() {
        m_environment.pFactory = std::make_shared<CSimulatedMciContextFactory>(m_pHost);
        m_pHost->AddFile("/music/first.mp3", 30000);
        m_pHost->AddFile("/music/second.mp3", 20000);
    }

    void TearDown() override {
        PlayerTestFixture::TearDown();
        EXPECT_EQ(m_pHost->OpenDevices(), 0) << "a song was left open";
    }

    bool WaitForOpenDevices(int count) const {
        return WaitFor([&] { return m_pHost->OpenDevices() == count; });
    }

    std::shared_ptr<CManualMciClock> m_pClock = std::make_shared<CManualMciClock>(0);
    std::shared_ptr<CSimulatedDeviceHost> m_pHost =
        std::make_shared<CSimulatedDeviceHost>(m_pClock);
};

} // namespace

// A song that cannot be opened fails its start, with or without mixing, and the song
// that plays goes on untouched.
TEST_F(SimulatedDevicePlayerTest, AMissingFileFailsItsStartAndTheSongThatPlaysGoesOn) {
    for (const bool mix : {false, true}) {
        CMCIPlayer& player = Player();
        player.SetMixEnabled(mix);
        ASSERT_TRUE(player.Connect(-1, true));
        EXPECT_FALSE(player.Play("/music/missing.mp3")) << mix;
        EXPECT_FALSE(player.IsActive(true)) << mix;
        ASSERT_TRUE(player.Play("/music/first.mp3")) << mix;
        EXPECT_FALSE(player.Play("/music/missing.mp3")) << mix;
        m_pClock->Advance(1000);
        EXPECT_TRUE(player.IsActive(false)) << mix;
        std::string text;
        EXPECT_TRUE(player.GetStatusText(text));
        EXPECT_EQ(text, "Playing 0:29/0:30 [first.mp3]") << mix;
        EXPECT_EQ(m_pHost->OpenDevices(), 1) << mix;
        m_pPlayer.reset();
        EXPECT_TRUE(WaitForOpenDevices(0));
    }
}
