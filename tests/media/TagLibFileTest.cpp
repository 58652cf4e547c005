// FLAC, Ogg Vorbis, Opus, M4A and WAV files made at test time by ffmpeg and tagged by
// mutagen: every field and the duration as the decoder counts it; one edit per format read
// back with mutagen, the other tags and the decoded audio unchanged; truncated files give
// a clear result. Skipped without ffmpeg or mutagen.

#include "media/TagLibFile.h"
#include "media/SongFileReader.h"
#include "support/MutagenTest.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <sys/stat.h>

namespace {

// Tags a file in its format's own tag: Vorbis comments, MP4 atoms, or ID3 in a WAV chunk.
constexpr const char* kTagScript = R"(
import sys, mutagen
from mutagen.mp4 import MP4
from mutagen.wave import WAVE
from mutagen.id3 import TIT2, TPE1, TALB, TDRC, TRCK, TCON, COMM, TCOM, TXXX
f = mutagen.File(sys.argv[1])
if isinstance(f, MP4):
    f.update({"\xa9nam": ["Tïtle"], "\xa9ART": ["Ärtist"], "\xa9alb": ["Album"], "\xa9day": ["2004"],
              "trkn": [(3, 12)], "\xa9gen": ["Jazz"], "\xa9cmt": ["Note"], "\xa9wrt": ["Composer"],
              "----:com.apple.iTunes:replaygain_track_gain": [b"-7.25 dB"]})
elif isinstance(f, WAVE):
    f.add_tags()
    for frame, text in [(TIT2, "Tïtle"), (TPE1, "Ärtist"), (TALB, "Album"), (TDRC, "2004"),
                        (TRCK, "3/12"), (TCON, "Jazz"), (TCOM, "Composer")]:
        f.tags.add(frame(encoding=3, text=[text]))
    f.tags.add(COMM(encoding=3, lang="eng", desc="", text=["Note"]))
    f.tags.add(TXXX(encoding=3, desc="REPLAYGAIN_TRACK_GAIN", text=["-7.25 dB"]))
else:
    f.update({"title": "Tïtle", "artist": "Ärtist", "album": "Album", "date": "2004",
              "tracknumber": "3", "tracktotal": "12", "genre": "Jazz", "comment": "Note",
              "composer": "Composer", "replaygain_track_gain": "-7.25 dB"})
    if sys.argv[1].endswith(".opus"):
        f["r128_track_gain"] = "-1234"
f.save()
)";

// Prints the title, then every other tag item as "key=value" lines in key order.
constexpr const char* kDumpScript = R"(
import sys, mutagen
f = mutagen.File(sys.argv[1])
items = {}
for key, value in f.tags.items():
    text = value.text if hasattr(value, "text") else value
    items[key.lower()] = repr(text)
title = [items.pop(k) for k in ("title", "\xa9nam", "tit2") if k in items]
print(title[0] if title else "none")
for key in sorted(items):
    print(key + "=" + items[key])
)";

struct Format {
    const char* extension;
    const char* encoder; // ffmpeg options
    const char* name;
    bool lossless;
    int sampleRate;
    double gainDb; // the ReplayGain-scale gain the tags give
};

const Format kFormats[] = {
    {"flac", "-c:a flac", "FLAC", true, 44100, -7.25},
    {"ogg", "-c:a libvorbis -q:a 3", "Vorbis", false, 44100, -7.25},
    // R128_TRACK_GAIN -1234 / 256 = -4.82 dB against -23 LUFS.
    {"opus", "-c:a libopus -b:a 96k", "Opus", false, 48000, -1234 / 256.0 + 5.0},
    {"m4a", "-c:a aac -b:a 128k", "M4A", false, 44100, -7.25},
    {"wav", "-c:a pcm_s16le", "WAV", true, 44100, -7.25},
};

class TagLibFileTest : public MutagenTest, public ::testing::WithParamInterface<Format> {
protected:
    void SetUp() override {
        MutagenTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        if (!TestFiles::HaveTool("ffmpeg")) {
            GTEST_SKIP() << "ffmpeg is not installed";
        }
        const Format& format = GetParam();
        m_path = m_dir.File(std::string("song.") + format.extension);
        ASSERT_EQ(TestFiles::Run("ffmpeg -v error -f lavfi -i sine=f=440:d=3.3:r=44100 -ac 2 " +
                                 std::string(format.encoder) + " " + TestFiles::ShellQuote(m_path)),
                  0);
        ASSERT_EQ(Python(kTagScript, m_path, nullptr), 0);
    }

    int Python(const char* script, const std::string& path, std::string* out) {
        const std::string command =
            m_python + " -c " + TestFiles::ShellQuote(script) + " " + TestFiles::ShellQuote(path);
        if (out == nullptr) {
            return TestFiles::Run(command);
        }
        int status = -1;
        *out = TestFiles::Capture(command, &status);
        return status;
    }

    std::string Dump() {
        std::string out;
        EXPECT_EQ(Python(kDumpScript, m_path, &out), 0);
        return out;
    }

    // The decoded audio's MD5 and its length in milliseconds, as ffmpeg decodes it.
    std::string AudioMd5() {
        return TestFiles::Capture("ffmpeg -v error -i " + TestFiles::ShellQuote(m_path) +
                                  " -map 0:a -f md5 -");
    }
    double DecodedMs() {
        const std::string bytes =
            TestFiles::Capture("ffmpeg -v error -i " + TestFiles::ShellQuote(m_path) +
                               " -f s16le -ac 1 -ar 48000 - | wc -c");
        return std::stod(bytes) / 2 / 48.0;
    }

    std::string m_path;
};

TEST_P(TagLibFileTest, ReadsEveryFieldAndTheDecodersDuration) {
    const Format& format = GetParam();
    const SongFileFacts facts = SongFileReader::Read(m_path);
    ASSERT_TRUE(facts.fromTagLib);
    const TagLibFacts& t = facts.tagLib;
    ASSERT_EQ(t.result, TagLibFacts::kRead);
    EXPECT_EQ(t.format, format.name);
    EXPECT_EQ(t.lossless, format.lossless);
    EXPECT_NEAR(static_cast<double>(t.durationMs), DecodedMs(), 50.0);
    EXPECT_GT(t.bitrateKbps, 0);
    EXPECT_EQ(t.sampleRate, format.sampleRate);
    EXPECT_EQ(t.channels, 2);
    EXPECT_TRUE(t.hasTag);
    const Id3v2Fields& f = t.fields;
    EXPECT_EQ(std::tuple(f.title, f.artist, f.album, f.year, f.track, f.genre, f.comment),
              std::tuple("Tïtle", "Ärtist", "Album", "2004", "3", "Jazz", "Note"));
    Id3v2Fields all;
    ASSERT_TRUE(TagLibFile::ReadAllFields(m_path, all));
    EXPECT_EQ(all.composer, "Composer");
    EXPECT_NE(all.track.find('3'), std::string::npos);
    const std::optional<double> gain = TagLibTrackGainDb(m_path);
    ASSERT_TRUE(gain.has_value());
    EXPECT_NEAR(*gain, format.gainDb, 0.001);
}

TEST_P(TagLibFileTest, AnEditChangesOnlyItsFieldAndKeepsTheAudio) {
    const std::string before = Dump();
    const std::string audio = AudioMd5();
    ASSERT_FALSE(audio.empty());
    struct stat original {};
    ASSERT_EQ(::stat(m_path.c_str(), &original), 0);

    // Fields already as asked: nothing is written, the file is not even replaced.
    Id3v2Fields same;
    same.title = "Tïtle";
    same.artist = "Ärtist";
    const auto bytes = ReadAll(m_path);
    EXPECT_EQ(
        TagLibFile::WriteChangedFields(m_path, same, Id3v2Fields::kTitle | Id3v2Fields::kArtist),
        TagLibFile::kNothing);
    EXPECT_EQ(ReadAll(m_path), bytes);

    Id3v2Fields edit;
    edit.title = "Nëw title";
    edit.artist = "ignored: not asked";
    ASSERT_EQ(TagLibFile::WriteChangedFields(m_path, edit, Id3v2Fields::kTitle),
              TagLibFile::kWritten);
    const std::string after = Dump();
    const auto firstLine = [](const std::string& text) { return text.substr(0, text.find('\n')); };
    const auto rest = [](const std::string& text) { return text.substr(text.find('\n')); };
    EXPECT_EQ(firstLine(after), "['Nëw title']");
    EXPECT_EQ(rest(after), rest(before));
    EXPECT_EQ(AudioMd5(), audio);
    struct stat replaced {};
    ASSERT_EQ(::stat(m_path.c_str(), &replaced), 0);
    EXPECT_EQ(replaced.st_mode, original.st_mode);
    // Renamed into place: no temporary file is left beside it.
    EXPECT_EQ(TestFiles::Capture("ls " + TestFiles::ShellQuote(m_dir.Path()) + " | wc -l"), "1\n");
}

TEST_P(TagLibFileTest, TruncatedFilesGiveAClearResult) {
    const auto whole = ReadAll(m_path);
    for (const std::size_t length :
         {std::size_t{0}, std::size_t{4}, std::size_t{100}, whole.size() / 3, whole.size() - 1}) {
        const std::vector<std::uint8_t> part(whole.begin(),
                                             whole.begin() + static_cast<long>(length));
        const std::string path = Put(std::string("cut.") + GetParam().extension, part);
        const SongFileFacts facts = SongFileReader::Read(path);
        const int result = facts.fromTagLib ? facts.tagLib.result : facts.mpegResult;
        EXPECT_TRUE(result == TagLibFacts::kRead || result == TagLibFacts::kDamaged ||
                    result == MpegFileInfo::kNoFrame)
            << length << ": " << result;
        const TagLibFacts inMemory = TagLibFile::ReadBytes(part, path);
        EXPECT_GE(inMemory.durationMs, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, TagLibFileTest, ::testing::ValuesIn(kFormats),
                         [](const auto& row) { return std::string(row.param.extension); });

} // namespace
