// The system volume against a private sound server with a null sink: set from our side
// and seen by pactl, set by pactl and seen through the change callback, and no server.
#include "PulseNullSink.h"

#include "platform/pulse/CWaveOutVolume.h"
#include "support/ScopedEnvironment.h"

#include <atomic>

namespace {

std::string Pactl(const std::string& arguments) {
    return TestFiles::Capture("pactl " + arguments + " 2>&1");
}

using WaveOutVolumeTest = PulseNullSinkTest;

TEST_F(WaveOutVolumeTest, SetHereIsTheSinkVolumeAndAChangeMadeElsewhereReachesEveryCallback) {
    ScopedEnvironment environment(m_sink.ClientEnvironment());

    CWaveOutVolume first;
    CWaveOutVolume second;
    ASSERT_TRUE(first.IsOpened());
    ASSERT_TRUE(first.HasVolume() && second.HasVolume());
    EXPECT_EQ((std::tuple{first.GetMin(), first.GetMax(), first.GetSteps()}),
              std::tuple(0, 65536, 65536));

    first.SetVolume(32768);
    EXPECT_EQ(first.GetVolume(), 32768);
    EXPECT_NE(Pactl("get-sink-volume @DEFAULT_SINK@").find("32768"), std::string::npos);
    for (int outside : {-1, 65537, 1 << 30}) {
        first.SetVolume(outside);
        EXPECT_EQ(first.GetVolume(), 32768) << outside;
    }
    ASSERT_TRUE(first.Disable());
    EXPECT_NE(Pactl("get-sink-mute @DEFAULT_SINK@").find("yes"), std::string::npos);
    ASSERT_TRUE(first.Enable());
    EXPECT_NE(Pactl("get-sink-mute @DEFAULT_SINK@").find("no"), std::string::npos);

    first.SetVolume(65536);
    std::atomic<int> seenFirst{-1}, seenSecond{-1};
    std::atomic<std::uint32_t> parameter{0};
    first.SetCallback(
        [&](std::int32_t v, std::uint32_t p) {
            seenFirst = v;
            parameter = p;
        },
        7);
    second.SetCallback([&](std::int32_t v, std::uint32_t) { seenSecond = v; }, 0);
    ASSERT_EQ(TestFiles::Run("pactl set-sink-volume @DEFAULT_SINK@ 20000"), 0);
    EXPECT_TRUE(WaitFor([&] { return seenFirst == 20000 && seenSecond == 20000; }, 2000ms, 5ms))
        << seenFirst << " " << seenSecond;
    EXPECT_EQ(parameter, 7u);
    EXPECT_EQ(first.GetVolume(), 20000);
}

TEST(WaveOutVolumeNoServerTest, WithoutASoundServerTheObjectStaysClosed) {
    TempDir dir;
    ScopedEnvironment environment({{"PULSE_SERVER", "unix:" + dir.File("no-server")}});
    CWaveOutVolume volume;
    EXPECT_EQ((std::tuple{volume.IsOpened(), volume.HasVolume(), volume.GetVolume(),
                          volume.GetMin(), volume.GetMax(), volume.GetSteps()}),
              std::tuple(false, false, -1, -1, -1, -1));
    volume.SetVolume(100);
    EXPECT_FALSE(volume.Disable());
}

} // namespace
