// Auto-cue and loudness heard through a private PulseAudio null sink: six generated songs
// of the shapes the cue finder knows (a quiet intro, a linear fade-out, an applause tail, a
// cold end, a 3 s jingle, silence around the music), each a tone of its own, their levels
// 12 LU apart in turn. They are analysed into a cache, the player learns their cue points
// and gains through the cue source, and is driven as the loop driver drives it. In the
// recording: no silence of 1 s or more under -50 LUFS inside the loop, every song's
// loudness within 1 LU of the target (no song here needs the peak cap), and every start
// within 100 ms of its planned start-next point.
#include "AudioAnalysis.h"
#include "GstTestSupport.h"
#include "PulseNullSink.h"

#include "loudness/CLoudnessCueSource.h"
#include "loudness/GainRule.h"
#include "loudness/SongAnalyser.h"
#include "platform/analysis/CEbur128Meter.h"
#include "platform/analysis/CGstLoudnessAnalyser.h"
#include "playback/CMixPlan.h"
#include "settings/CMemorySettingsStore.h"
#include "settings/SettingsKeys.h"

#include <cmath>
#include <cstdio>

namespace {

using namespace AudioAnalysis;

constexpr double kHop = 0.01;         // seconds between tone windows
constexpr double kHalfWindow = 0.025; // a tone window's value belongs to its centre
constexpr int kMixSeconds = 3;
constexpr double kTargetLufs = -18.0;
constexpr double kStartTolerance = 0.100;

double TimeOf(long index) {
    return static_cast<double>(index) * kHop + kHalfWindow;
}

std::size_t Index(double seconds) {
    return static_cast<std::size_t>(std::max(0.0, (seconds - kHalfWindow) / kHop));
}

// A piece of a song: silence, a tone, pink noise, or a tone fading out linearly.
struct Piece {
    enum Kind { kSilence, kTone, kNoise, kFadingTone } eKind;
    double dSeconds;
    double dVolume = 0.0;
};

struct Shape {
    const char* name;
    int tone;
    std::vector<Piece> pieces;
    // Where the tone first sounds, in the song's own time, and its level relative to
    // the song's body there.
    double dOnsetSeconds;
    double dOnsetLevel;
    // Where the body (full level) begins.
    double dBodySeconds;
};

double LengthOf(const Shape& shape) {
    double seconds = 0;
    for (const Piece& piece : shape.pieces) {
        seconds += piece.dSeconds;
    }
    return seconds;
}

// The loudness of a stretch of the recording (mono: both channels the same).
double IntegratedLufs(const std::vector<float>& mono, double from, double to) {
    const auto first = static_cast<std::size_t>(from * PulseNullSink::kRate);
    const auto last = std::min(mono.size(), static_cast<std::size_t>(to * PulseNullSink::kRate));
    CEbur128Meter meter(2, PulseNullSink::kRate, false);
    std::vector<float> stereo;
    for (std::size_t i = first; i < last; ++i) {
        stereo.push_back(mono[i]);
        stereo.push_back(mono[i]);
    }
    meter.Add(stereo.data(), stereo.size() / 2);
    LoudnessMeasurement m;
    meter.Finish(m);
    return m.dIntegratedLufs;
}

class LoudnessCaptureTest : public PulseNullSinkTest {
protected:
    void SetUp() override {
        PulseNullSinkTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        PlayHereThroughTheSink();
    }
    void TearDown() override {
        SetSongCueSource(nullptr);
        PulseNullSinkTest::TearDown();
    }
    std::string Make(const Shape& shape) {
        std::string parts;
        for (std::size_t i = 0; i < shape.pieces.size(); ++i) {
            const Piece& piece = shape.pieces[i];
            const std::string part =
                m_dir.File(std::string(shape.name) + std::to_string(i) + ".wav");
            const std::string seconds = std::to_string(piece.dSeconds);
            const std::string volume = " vol " + std::to_string(piece.dVolume);
            std::string effects;
            switch (piece.eKind) {
            case Piece::kSilence:
                effects = "trim 0 " + seconds;
                break;
            case Piece::kTone:
                effects = "synth " + seconds + " sine " + std::to_string(shape.tone) + volume;
                break;
            case Piece::kNoise:
                effects = "synth " + seconds + " pinknoise" + volume;
                break;
            case Piece::kFadingTone:
                effects = "synth " + seconds + " sine " + std::to_string(shape.tone) + volume +
                          " fade t 0 " + seconds + " " + seconds;
                break;
            }
            EXPECT_EQ(TestFiles::Run("sox -n -r 44100 -c 2 " + TestFiles::ShellQuote(part) + " " +
                                     effects),
                      0);
            parts += " " + TestFiles::ShellQuote(part);
        }
        const std::string path = m_dir.File(std::string(shape.name) + ".wav");
        EXPECT_EQ(TestFiles::Run("sox" + parts + " " + TestFiles::ShellQuote(path)), 0);
        return path;
    }
};

TEST_F(LoudnessCaptureTest, NoDeadAirEvenLoudnessStartsOnTheCuePoints) {
    // Loud songs at half scale, quiet ones 12 dB under them.
    const double loud = 0.5, quiet = loud / 4;
    const std::vector<Shape> shapes = {
        {"intro",
         330,
         {{Piece::kSilence, 1.5},
          {Piece::kTone, 3.0, loud / 18},
          {Piece::kTone, 8.0, loud},
          {Piece::kSilence, 0.5}},
         1.5,
         1.0 / 18,
         4.5},
        {"fade",
         440,
         {{Piece::kTone, 9.0, quiet}, {Piece::kFadingTone, 4.0, quiet}},
         0.0,
         1.0,
         0.0},
        {"applause",
         550,
         {{Piece::kTone, 8.0, loud}, {Piece::kNoise, 6.0, loud / 6}, {Piece::kSilence, 0.3}},
         0.0,
         1.0,
         0.0},
        {"cold", 660, {{Piece::kTone, 8.0, quiet}, {Piece::kSilence, 2.0}}, 0.0, 1.0, 0.0},
        {"jingle", 880, {{Piece::kTone, 3.0, loud}}, 0.0, 1.0, 0.0},
        {"lead",
         990,
         {{Piece::kSilence, 3.0}, {Piece::kTone, 8.0, quiet}, {Piece::kSilence, 3.0}},
         3.0,
         1.0,
         3.0},
    };
    std::vector<std::string> paths;
    for (const Shape& shape : shapes) {
        paths.push_back(Make(shape));
    }

    // Every song analysed into the cache first, as the background worker would.
    auto cache = std::make_shared<CLoudnessCache>();
    ASSERT_TRUE(cache->Open(m_dir.File("cache/loudness.sqlite")));
    CGstLoudnessAnalyser analyser;
    const std::atomic<bool> never{false};
    std::vector<SongAnalysis> analyses;
    for (const std::string& path : paths) {
        SongAnalysis analysis;
        ASSERT_EQ(
            SongAnalyser::AnalyseAndStore(analyser, *cache, path, kTargetLufs, never, analysis),
            SongAnalyser::Result::kStored);
        analyses.push_back(analysis);
    }
    CMemorySettingsStore store;
    store.WriteProfileInt(SettingsKeys::kSectionInternal, SettingsKeys::kMixSeconds, kMixSeconds);
    store.WriteProfileInt(SettingsKeys::kSectionInternal, SettingsKeys::kTargetLufs,
                          static_cast<int>(kTargetLufs));
    auto source = std::make_shared<CLoudnessCueSource>(cache, store);
    SetSongCueSource(source);

    // The plan of each transition, from the cue points the player gets.
    std::vector<SongCuePoints> cues;
    std::vector<double> gains;
    for (const std::string& path : paths) {
        cues.push_back(*source->CuePointsOf(path));
        gains.push_back(*source->PlayGainDbOf(path));
    }
    std::vector<CMixPlan> plans;
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        const std::size_t next = (i + 1) % shapes.size();
        CMixPlan::SInput input;
        input.nOldLengthMs = std::llround(LengthOf(shapes[i]) * 1000);
        input.oldCue = cues[i];
        input.nNewLengthMs = std::llround(LengthOf(shapes[next]) * 1000);
        input.newCue = cues[next];
        input.nMixMs = kMixSeconds * 1000;
        plans.push_back(CMixPlan::Make(input));
    }

    // "Radio (next at full volume)": each new song is heard at once, so its first sound
    // marks its start.
    const PlaybackEnvironment environment = BuiltInMixEnvironment();
    {
        CMCIPlayer player(environment);
        player.Connect(0, true);
        player.SetMixEnabled(true);
        player.SetMixSeconds(kMixSeconds);
        player.SetMixType(2);
        player.SetFitFades(true);
        ASSERT_TRUE(player.Play(paths[0]));
        std::this_thread::sleep_for(250ms);
        for (std::size_t i = 1; i <= paths.size(); ++i) {
            ASSERT_TRUE(StartWhenWithinMix(player, paths[i % paths.size()], 30s)) << i;
            std::this_thread::sleep_for(250ms);
        }
        std::this_thread::sleep_for(6s);
        player.Stop();
        std::this_thread::sleep_for(1300ms);
    }
    std::vector<float> sound;
    std::string error;
    ASSERT_TRUE(m_sink.StopAndRead(sound, error)) << error;
    const int rate = PulseNullSink::kRate;

    // Each song's start in the recording: the first sound of its tone, less the time from
    // its cue-in to that sound.
    std::vector<double> starts;
    std::vector<double> full;
    std::string heard;
    std::size_t from = 0;
    for (std::size_t n = 0; n <= shapes.size(); ++n) {
        const Shape& shape = shapes[n % shapes.size()];
        const auto levels = ToneLevels(sound, rate, shape.tone);
        const double top = Max(levels, from, levels.size());
        ASSERT_GT(top, 0.01) << shape.name << " not heard";
        full.push_back(top);
        // The first song ramps up from nothing over 0.3 s: it is timed by its body's
        // sharp start instead of its first sound.
        const double at = n == 0 ? shape.dBodySeconds : shape.dOnsetSeconds;
        const double level = n == 0 ? 0.5 : shape.dOnsetLevel * 0.3;
        const long onset = FirstCrossing(levels, from, top * level, false);
        ASSERT_GE(onset, 0) << shape.name;
        const double cueIn = static_cast<double>(cues[n % shapes.size()].nCueInMs) / 1000.0;
        starts.push_back(TimeOf(onset) - (at - cueIn));
        heard += std::string(shape.name) + " " + std::to_string(starts.back()) + " s; ";
        from = Index(starts.back() + 1.0);
    }
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        const double cueIn = static_cast<double>(cues[i].nCueInMs) / 1000.0;
        const double planned =
            starts[i] + static_cast<double>(plans[i].nStartAtOldMs) / 1000.0 - cueIn;
        std::printf("%-9s -> start %+5.0f ms off its plan\n", shapes[i].name,
                    (starts[i + 1] - planned) * 1000.0);
        EXPECT_NEAR(starts[i + 1], planned, kStartTolerance)
            << shapes[i].name << " into " << shapes[(i + 1) % shapes.size()].name << "; " << heard;
    }

    // Each song alone (once the song before it has ended, before the next one) at the
    // target loudness.
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        const CMixPlan& before = plans[(i + shapes.size() - 1) % shapes.size()];
        const double fadeIn =
            i == 0 ? 0.3 : static_cast<double>(before.nOldEndMs - before.nStartAtOldMs) / 1000.0;
        const double cueIn = static_cast<double>(cues[i].nCueInMs) / 1000.0;
        const double alone = starts[i] + fadeIn + 0.2;
        const double until =
            starts[i] + static_cast<double>(plans[i].nStartAtOldMs) / 1000.0 - cueIn - 0.2;
        const double measured = IntegratedLufs(sound, alone, until);
        const double expected = analyses[i].dIntegratedLufs + gains[i];
        std::printf("%-9s %6.1f LUFS alone (file %6.1f LUFS, gain %+5.1f dB)\n", shapes[i].name,
                    measured, analyses[i].dIntegratedLufs, gains[i]);
        EXPECT_NEAR(gains[i], kTargetLufs - analyses[i].dIntegratedLufs, 1e-9)
            << shapes[i].name << ": no peak cap here";
        EXPECT_NEAR(measured, expected, 1.0)
            << shapes[i].name << " from " << alone << " s to " << until << " s; " << heard;
    }

    // No second of dead air: the loudness of 400 ms windows, every 100 ms, from the first
    // start to the last transition.
    const double end = starts.back() + 2.0;
    int quietWindows = 0;
    for (double t = starts.front() + 0.4; t + 0.4 < end; t += 0.1) {
        double sum = 0;
        const auto first = static_cast<std::size_t>(t * rate);
        const auto count = static_cast<std::size_t>(0.4 * rate);
        for (std::size_t k = first; k < first + count && k < sound.size(); ++k) {
            sum += static_cast<double>(sound[k]) * sound[k];
        }
        // Both channels alike: the stereo loudness of a mid-frequency tone.
        const double lufs =
            10.0 * std::log10(2.0 * sum / static_cast<double>(count) + 1e-20) - 0.691;
        quietWindows = lufs < -50.0 ? quietWindows + 1 : 0;
        ASSERT_LT(quietWindows, 7) << "silence at " << t << " s; " << heard;
    }
}

} // namespace
