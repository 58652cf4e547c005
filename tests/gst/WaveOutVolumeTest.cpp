// The system volume against a private sound server with a null sink: set from our side
// and seen by pactl, set by pactl and seen through the change callback, and no server.

#include "PulseNullSink.h"

#include "platform/pulse/CWaveOutVolume.h"
#include "support/ScopedEnvironment.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <thread>

namespace {

using namespace std::chrono_literals;

class WaveOutVolumeTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!PulseNullSink::MissingTool().empty()) {
            return;
        }
        s_dir = std::make_unique<TempDir>();
        s_sink = std::make_unique<PulseNullSink>();
        std::string error;
        if (!s_sink->Start(s_dir->Path(), error)) {
            s_sink.reset();
        }
    }
    static void TearDownTestSuite() {
        if (s_sink) {
            s_sink->Stop();
        }
        s_sink.reset();
        s_dir.reset();
    }
    void SetUp() override {
        if (!s_sink) {
            GTEST_SKIP() << "no private sound server: " << PulseNullSink::MissingTool();
        }
        m_env = std::make_unique<ScopedEnvironment>(s_sink->ClientEnvironment());
    }
    static std::string Pactl(const std::string& arguments) {
        return TestFiles::Capture("pactl " + arguments + " 2>&1");
    }

    static std::unique_ptr<TempDir> s_dir;
    static std::unique_ptr<PulseNullSink> s_sink;
    std::unique_ptr<ScopedEnvironment> m_env;
};

std::unique_ptr<TempDir> WaveOutVolumeTest::s_dir;
std::unique_ptr<PulseNullSink> WaveOutVolumeTest::s_sink;

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

TEST_F(WaveOutVolumeTest, SetFromOurSideIsTheSinkVolumeAndOutOfRangeChangesNothing) {
    CWaveOutVolume volume;
    ASSERT_TRUE(volume.IsOpened());
    ASSERT_TRUE(volume.HasVolume());
    EXPECT_EQ(volume.GetMin(), 0);
    EXPECT_EQ(volume.GetMax(), 65536);
    EXPECT_EQ(volume.GetSteps(), 65536);

    volume.SetVolume(32768);
    EXPECT_EQ(volume.GetVolume(), 32768);
    EXPECT_NE(Pactl("get-sink-volume @DEFAULT_SINK@").find("32768"), std::string::npos);
    for (int outside : {-1, 65537, 1 << 30}) {
        volume.SetVolume(outside);
        EXPECT_EQ(volume.GetVolume(), 32768) << outside;
    }

    ASSERT_TRUE(volume.Disable());
    EXPECT_NE(Pactl("get-sink-mute @DEFAULT_SINK@").find("yes"), std::string::npos);
    ASSERT_TRUE(volume.Enable());
    EXPECT_NE(Pactl("get-sink-mute @DEFAULT_SINK@").find("no"), std::string::npos);
}

TEST_F(WaveOutVolumeTest, AChangeMadeElsewhereReachesEveryObjectsCallback) {
    CWaveOutVolume first;
    CWaveOutVolume second;
    ASSERT_TRUE(first.HasVolume());
    ASSERT_TRUE(second.HasVolume());
    first.SetVolume(65536);
    std::atomic<int> seenFirst{-1};
    std::atomic<int> seenSecond{-1};
    std::atomic<std::uint32_t> parameter{0};
    first.SetCallback(
        [&](std::int32_t v, std::uint32_t p) {
            seenFirst = v;
            parameter = p;
        },
        7);
    second.SetCallback([&](std::int32_t v, std::uint32_t) { seenSecond = v; }, 0);

    ASSERT_EQ(TestFiles::Run("pactl set-sink-volume @DEFAULT_SINK@ 20000"), 0);
    EXPECT_TRUE(WaitFor([&] { return seenFirst == 20000 && seenSecond == 20000; }, 2000ms))
        << seenFirst << " " << seenSecond;
    EXPECT_EQ(parameter, 7u);
    EXPECT_EQ(first.GetVolume(), 20000);
}

TEST(WaveOutVolumeNoServerTest, WithoutASoundServerTheObjectStaysClosed) {
    TempDir dir;
    ScopedEnvironment environment({{"PULSE_SERVER", "unix:" + dir.File("no-server")}});
    CWaveOutVolume volume;
    EXPECT_FALSE(volume.IsOpened());
    EXPECT_FALSE(volume.HasVolume());
    EXPECT_EQ(volume.GetVolume(), -1);
    EXPECT_EQ(volume.GetMin(), -1);
    EXPECT_EQ(volume.GetMax(), -1);
    EXPECT_EQ(volume.GetSteps(), -1);
    volume.SetVolume(100);
    EXPECT_FALSE(volume.Disable());
}

} // namespace
