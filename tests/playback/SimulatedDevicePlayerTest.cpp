#include "PlayerTestFixture.h"

#include "platform/mci/CManualMciClock.h"
#include "platform/mci/CSimulatedDeviceHost.h"
#include "platform/mci/CSimulatedMciContextFactory.h"

#include <algorithm>
#include <cmath>

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

    // The device that opened path; -1 when none did.
    int DeviceOf(const std::string& path) const {
        for (const auto& event : m_pHost->Events()) {
            if (event.strText.find(path) != std::string::npos &&
                event.strText.rfind("open", 0) == 0) {
                return event.nDevice;
            }
        }
        return -1;
    }

    std::vector<double> GainsOf(int device) const {
        std::vector<double> gains;
        for (const auto& gain : m_pHost->Gains()) {
            if (gain.nDevice == device) {
                gains.push_back(gain.dGain);
            }
        }
        return gains;
    }

    // True when the gains pass through the values in this order (each within 0.001), and
    // never rise (bFalling) or never fall (otherwise) on the way.
    static bool MovesThrough(const std::vector<double>& gains, const std::vector<double>& values,
                             bool bFalling) {
        std::size_t next = 0;
        for (std::size_t i = 0; i < gains.size(); ++i) {
            if (i > 0 &&
                (bFalling ? gains[i] > gains[i - 1] + 1e-9 : gains[i] < gains[i - 1] - 1e-9)) {
                return false;
            }
            if (next < values.size() && std::abs(gains[i] - values[next]) < 0.001) {
                ++next;
            }
        }
        return next == values.size();
    }

    // Waits until the device's last gain is the given one.
    bool WaitForGain(const std::string& path, double gain) const {
        return WaitFor([&] {
            const std::vector<double> gains = GainsOf(DeviceOf(path));
            return !gains.empty() && gains.back() == gain;
        });
    }
    bool WaitForOpenDevices(int count) const {
        return WaitFor([&] { return m_pHost->OpenDevices() == count; });
    }

    std::shared_ptr<CManualMciClock> m_pClock = std::make_shared<CManualMciClock>(0);
    std::shared_ptr<CSimulatedDeviceHost> m_pHost =
        std::make_shared<CSimulatedDeviceHost>(m_pClock);
};

} // namespace

TEST_F(SimulatedDevicePlayerTest, TwoSongsMixWhenMixSecondsRemain) {
    CMCIPlayer& player = Player();
    player.SetMixEnabled(true);
    player.SetMixSeconds(5);
    ASSERT_TRUE(player.Connect(-1, true));
    ASSERT_TRUE(player.Play("/music/first.mp3"));
    // The whole fade-in: the silent start (2 gains), 5 steps and full volume (2 each).
    ASSERT_TRUE(WaitFor([&] { return GainsOf(DeviceOf("/music/first.mp3")).size() >= 14; }));
    // Silent before it plays (left and right set one gain, their mean), then the steps.
    std::vector<double> in = GainsOf(DeviceOf("/music/first.mp3"));
    ASSERT_GE(in.size(), 2u);
    EXPECT_EQ(in[1], 0.0);
    in.erase(in.begin(), in.begin() + 2);
    EXPECT_TRUE(MovesThrough(in, {0.2, 0.4, 0.6, 0.8, 1.0}, false));

    m_pClock->Advance(24999);
    EXPECT_TRUE(player.IsActive(false));
    m_pClock->Advance(1);
    EXPECT_FALSE(player.IsActive(false)) << "5 s remain: the loop starts the next song";
    EXPECT_TRUE(player.IsActive(true));

    ASSERT_TRUE(player.Play("/music/second.mp3"));
    ASSERT_TRUE(WaitForGain("/music/second.mp3", 1.0));
    ASSERT_TRUE(WaitForOpenDevices(1)) << "the old song is closed after its fade-out";
    std::vector<double> out = GainsOf(DeviceOf("/music/first.mp3"));
    out.erase(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(in.size() + 2));
    EXPECT_TRUE(MovesThrough(out, {0.8, 0.6, 0.4, 0.2, 0.0}, true));
    EXPECT_EQ(out.back(), 0.0);
    EXPECT_TRUE(player.IsActive(false));

    m_pClock->Advance(20000);
    // The last steps of the fade-in may still run.
    EXPECT_TRUE(WaitFor([&] { return !player.IsActive(true); })) << "the second song played out";
}

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
