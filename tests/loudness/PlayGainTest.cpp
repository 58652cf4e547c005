// The play gain the player gets for a song, through the cue source over a real cache and
// real files (tagged ones read by the program's own ID3v2 reader).
#include "loudness/CLoudnessCueSource.h"
#include "loudness/ContentFingerprint.h"
#include "settings/CMemorySettingsStore.h"
#include "settings/SettingsKeys.h"
#include "support/Id3v2Bytes.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

using namespace Id3v2Bytes;

// A TXXX frame of ID3v2.3 with a Latin-1 description and value.
Bytes UserText(std::string_view description, std::string_view value) {
    const Bytes data = Cat({Bytes{0}, B(description), Bytes{0}, B(value)});
    return Cat({B("TXXX"), Plain(static_cast<std::uint32_t>(data.size())), Bytes{0, 0}, data});
}

// The same in UTF-16 with byte-order marks (encoding 1), as many taggers write it.
Bytes UserTextWide(std::string_view description, std::string_view value) {
    auto wide = [](std::string_view text) {
        Bytes out{0xFF, 0xFE};
        for (char c : text) {
            out.push_back(static_cast<std::uint8_t>(c));
            out.push_back(0);
        }
        return out;
    };
    const Bytes data = Cat({Bytes{1}, wide(description), Bytes{0, 0}, wide(value)});
    return Cat({B("TXXX"), Plain(static_cast<std::uint32_t>(data.size())), Bytes{0, 0}, data});
}

struct GainCase {
    const char* name;
    // Frames of the file's ID3v2.3 tag (none: no tag).
    Bytes frames;
    // The stored analysis; unset: the song was never analysed.
    std::optional<SongAnalysis> analysis;
    double dExpectedDb;
};

SongAnalysis Analysed(double integrated, double samplePeak, std::optional<double> truePeak) {
    SongAnalysis a;
    a.dIntegratedLufs = integrated;
    a.dSamplePeakDbfs = samplePeak;
    a.truePeakDbtp = truePeak;
    a.dDurationSeconds = 200;
    a.cues = {0.0, 195.0, 199.0};
    return a;
}

std::string CaseName(const ::testing::TestParamInfo<GainCase>& param) {
    std::string name = param.param.name;
    for (char& ch : name) {
        if (!std::isalnum(static_cast<unsigned char>(ch))) {
            ch = '_';
        }
    }
    return name;
}

class PlayGainTable : public ::testing::TestWithParam<GainCase> {};

TEST_P(PlayGainTable, GainAtTargetMinus18) {
    const GainCase& c = GetParam();
    TempDir dir;
    const std::string song = dir.File("song.mp3");
    Bytes bytes = c.frames.empty() ? Bytes{} : Tag(3, 0, c.frames, 64);
    bytes.resize(bytes.size() + 4000, 0x55); // stands for the audio
    WriteAll(song, bytes);

    auto cache = std::make_shared<CLoudnessCache>();
    ASSERT_TRUE(cache->Open(dir.File("cache.sqlite")));
    if (c.analysis) {
        std::int64_t size = 0, mtime = 0;
        ASSERT_TRUE(ContentFingerprint::StampOf(song, size, mtime));
        cache->Store(song, size, mtime, *ContentFingerprint::OfFile(song), *c.analysis);
    }
    CMemorySettingsStore store;
    store.WriteProfileInt(SettingsKeys::kSectionInternal, SettingsKeys::kTargetLufs, -18);
    CLoudnessCueSource source(cache, store);

    const auto gain = source.PlayGainDbOf(song);
    ASSERT_TRUE(gain.has_value()) << c.name;
    EXPECT_NEAR(*gain, c.dExpectedDb, 1e-9) << c.name;

    // Off, the player is told nothing.
    store.WriteProfileInt(SettingsKeys::kSectionInternal, SettingsKeys::kNormalize, 0);
    EXPECT_FALSE(source.PlayGainDbOf(song).has_value()) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Songs, PlayGainTable,
    ::testing::Values(
        // A loud master comes down to the target.
        GainCase{"analysed", {}, Analysed(-9.5, -0.2, std::nullopt), -8.5},
        // A quiet one would go up 8 dB, but its true peak allows 3.5 dB only (the
        // sample peak alone would allow 5).
        GainCase{"true peak cap", {}, Analysed(-26.0, -6.0, -4.5), 3.5},
        // A very quiet one goes up at most 12 dB.
        GainCase{"twelve dB cap", {}, Analysed(-40.0, -30.0, -29.0), 12.0},
        // A silent song plays as it is.
        GainCase{"silent",
                 {},
                 Analysed(-std::numeric_limits<double>::infinity(),
                          -std::numeric_limits<double>::infinity(), std::nullopt),
                 0.0},
        // The analysis wins over a tag.
        GainCase{"analysed and tagged", UserText("REPLAYGAIN_TRACK_GAIN", "+4.00 dB"),
                 Analysed(-12.0, -1.0, std::nullopt), -6.0},
        // Not analysed yet: the ReplayGain track gain, whatever the case of its name
        // and its encoding; the album gain is not the track gain.
        GainCase{"replaygain tag",
                 Cat({UserText("REPLAYGAIN_ALBUM_GAIN", "-2.00 dB"),
                      UserText("replaygain_track_gain", "-7.41 dB")}),
                 std::nullopt, -7.41},
        GainCase{"replaygain tag in utf-16", UserTextWide("REPLAYGAIN_TRACK_GAIN", "+2.5 dB"),
                 std::nullopt, 2.5},
        GainCase{"replaygain over twelve", UserText("REPLAYGAIN_TRACK_GAIN", "+15 dB"),
                 std::nullopt, 12.0},
        // Untagged, or a tag whose value is no number: -6 dB.
        GainCase{"untagged", {}, std::nullopt, -6.0},
        GainCase{"unreadable tag value", UserText("REPLAYGAIN_TRACK_GAIN", "loud"), std::nullopt,
                 -6.0}),
    CaseName);

// A FLAC file keeps its gain in its own Vorbis comment, which the rule reads as well.
TEST(PlayGainTest, AFlacFilesOwnReplayGainIsUsedUntilItIsAnalysed) {
    if (!TestFiles::HaveTool("ffmpeg")) {
        GTEST_SKIP() << "ffmpeg is not installed";
    }
    TempDir dir;
    const std::string song = dir.File("song.flac");
    ASSERT_EQ(TestFiles::Run("ffmpeg -v error -f lavfi -i sine=f=440:d=1 -metadata "
                             "REPLAYGAIN_TRACK_GAIN='-3.25 dB' " +
                             TestFiles::ShellQuote(song)),
              0);
    auto cache = std::make_shared<CLoudnessCache>();
    ASSERT_TRUE(cache->Open(dir.File("cache.sqlite")));
    CMemorySettingsStore store;
    CLoudnessCueSource source(cache, store);
    const auto gain = source.PlayGainDbOf(song);
    ASSERT_TRUE(gain.has_value());
    EXPECT_NEAR(*gain, -3.25, 1e-9);
}

} // namespace
