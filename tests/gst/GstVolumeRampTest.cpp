#include "GstTestSupport.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr int kRate = 44100;
// One cycle of 440 Hz and a bit: the window of the envelope.
constexpr std::size_t kWindow = 101;

// Plays a 440 Hz tone through the mixing engine into a raw mono file in real time, so
// the test can see when and how each volume change lands in the samples. Stream time 0
// is the song's first sound in the file.
class GstVolumeRampTest : public GstContextFixture {
protected:
    void SetUp() override {
        GstContextFixture::SetUp();
        const std::string sink =
            "audioconvert ! audioresample ! audio/x-raw,format=S16LE,channels=1,"
            "rate=44100 ! filesink sync=true location=" +
            m_dir.File("recording.raw");
        ::setenv("MIXOREL_AUDIO_SINK", sink.c_str(), 1);
    }

    void SetVolume(int level) {
        ASSERT_EQ(Send("setaudio mpeg left volume to " + std::to_string(level) + " wait"), 0u);
        ASSERT_EQ(Send("setaudio mpeg right volume to " + std::to_string(level) + " wait"), 0u);
    }

    // Stops, closes and reads the recording's envelope: the peak of the last window.
    void Finish() {
        ASSERT_EQ(Send("stop mpeg wait"), 0u);
        ASSERT_EQ(Send("close mpeg wait"), 0u);
        const auto bytes = ReadAll(m_dir.File("recording.raw"));
        std::vector<int> levels(bytes.size() / 2);
        for (std::size_t i = 0; i < levels.size(); ++i) {
            levels[i] = std::abs(static_cast<std::int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8)));
        }
        // The engine's output runs before the song starts: time 0 is the song's first sound.
        const auto first =
            std::find_if(levels.begin(), levels.end(), [](int v) { return v > 100; });
        levels.erase(levels.begin(), first);
        m_envelope.assign(levels.size(), 0);
        for (std::size_t i = kWindow; i < levels.size(); ++i) {
            m_envelope[i] = *std::max_element(&levels[i - kWindow], &levels[i]);
        }
    }

    // First time (ms, window centre) at or after fromMs where the envelope is below level.
    double FirstBelow(double level, double fromMs) const {
        const auto start = static_cast<std::size_t>(std::max(0.0, fromMs) * kRate / 1000);
        for (std::size_t i = std::max(start, kWindow); i < m_envelope.size(); ++i) {
            if (m_envelope[i] < level) {
                return (static_cast<double>(i) - kWindow / 2.0) * 1000.0 / kRate;
            }
        }
        return -1;
    }

    double EnvelopeAt(double ms) const {
        const auto at = static_cast<std::size_t>(ms * kRate / 1000);
        return at < m_envelope.size() ? m_envelope[at] : -1;
    }

    std::vector<int> m_envelope;
};

// A volume set before play holds from the first sample. One step while playing lands
// soon after it was sent, not a queue's length later, and glides over about 5 ms. A fade
// of 20 steps 50 ms apart (the fastest mix speed): every step lands the same time after
// it was sent, give or take 10 ms.
TEST_F(GstVolumeRampTest, VolumeSetBeforePlayHoldsAStepGlidesAndAFadeKeepsItsTiming) {
    ASSERT_EQ(Open(Media("long.wav")), 0u);
    SetVolume(0);
    SetVolume(250);
    ASSERT_EQ(Send("play mpeg from 0 notify"), 0u);
    ASSERT_TRUE(WaitFor([&] { return AskNumber("status mpeg position") >= 1000; }, 3s));
    const auto stepAt = static_cast<double>(AskNumber("status mpeg position"));
    SetVolume(0);
    std::this_thread::sleep_for(500ms);
    SetVolume(1000);
    ASSERT_TRUE(WaitFor([&] { return AskNumber("status mpeg position") >= 1900; }, 3s));
    std::vector<double> sentAt;
    for (int step = 1; step <= 20; ++step) {
        sentAt.push_back(static_cast<double>(AskNumber("status mpeg position")));
        SetVolume(1000 - 50 * step);
        std::this_thread::sleep_for(50ms);
    }
    std::this_thread::sleep_for(300ms);
    Finish();

    // 440 Hz at half scale, a quarter of it.
    EXPECT_NEAR(EnvelopeAt(5), 16384 * 0.25, 400);
    const double quarter = EnvelopeAt(500);
    ASSERT_NEAR(quarter, 16384 * 0.25, 400);
    const double begins = FirstBelow(quarter * 0.95, stepAt - 100);
    const double half = FirstBelow(quarter * 0.5, stepAt - 100);
    const double silent = FirstBelow(quarter * 0.02, stepAt - 100);
    ASSERT_GT(begins, 0);
    ASSERT_GT(silent, 0);
    EXPECT_GE(half, stepAt);
    EXPECT_LE(half - stepAt, 250) << "sent at " << stepAt << " ms";
    EXPECT_NEAR(silent - begins, 5.0, 3.5); // the engine's glide of 5 ms
    EXPECT_LT(EnvelopeAt(silent + 200), quarter * 0.02);

    const double full = EnvelopeAt(sentAt.front() - 50);
    ASSERT_GT(full, 10000);
    std::vector<double> delays;
    double from = sentAt.front() - 50;
    for (int step = 1; step <= 20; ++step) {
        // Halfway between the level before the step and the level after it.
        const double level = full * (1000 - 50 * step + 25) / 1000.0;
        const double landed = FirstBelow(level, from);
        ASSERT_GT(landed, 0) << "step " << step;
        delays.push_back(landed - sentAt[static_cast<std::size_t>(step - 1)]);
        from = landed;
    }
    const auto [least, most] = std::minmax_element(delays.begin(), delays.end());
    EXPECT_LE(*most - *least, 10.0);
    EXPECT_LE(*most, 250.0);
}

} // namespace
