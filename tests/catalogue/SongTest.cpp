#include "catalogue/CArchiveReader.h"
#include "catalogue/CArchiveWriter.h"
#include "catalogue/CSong.h"
#include "media/Id3v2Fields.h"
#include "media/SongFileReader.h"

#include "support/Id3v2Bytes.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

using Bytes = std::vector<std::uint8_t>;

// An ID3v2.3 tag with Latin-1 text frames (id, text) and zero padding.
Bytes Id3v2Tag(const std::vector<std::pair<std::string, std::string>>& frames,
               std::size_t padding = 0) {
    using namespace Id3v2Bytes;
    Bytes body;
    for (const auto& [id, text] : frames) {
        body = Cat(
            {body, B(id), Plain(static_cast<std::uint32_t>(text.size() + 1)), {0, 0}, Latin(text)});
    }
    return Tag(3, 0, body, padding);
}

std::span<const std::uint8_t, 128> Block(const Bytes& bytes) {
    return std::span<const std::uint8_t, 128>(bytes.data(), 128);
}

CSong Processed(std::uint32_t size, std::int32_t bitrate, std::int32_t sampleRate) {
    CSong song;
    song.SetInfo(size, bitrate, sampleRate, 1);
    song.SetInfoFlag(true);
    return song;
}

TEST(SongTest, DurationAndFormatTexts) {
    EXPECT_EQ(Processed(3725 * 16000, 128000, 44100).GetDurationText(), "62:05");
    EXPECT_EQ(Processed(185 * 16000, 128000, 44100).GetDurationText(), "3:05");
    EXPECT_EQ(Processed(1000, 128000, 44100).GetFormatText(), "128 - 44");
    EXPECT_EQ(Processed(1000, 7, 0).GetDuration(), 0u);
    EXPECT_EQ(Processed(1000, 7, 0).GetDurationText(), "0:00");
    EXPECT_EQ(Processed(1000, 0, 0).GetDurationText(), "");
    CSong unread;
    unread.SetInfo(16000, 128000, 44100, 0);
    EXPECT_EQ(std::pair(unread.GetDuration(), unread.GetFormatText()),
              std::pair(0u, std::string()));
}

TEST(SongTest, FileNameLocationAndDatedTitle) {
    CSong song;
    song.SetPathText("/music/song.mp3");
    EXPECT_EQ(song.GetFileName(false), "song.mp3");
    EXPECT_EQ(song.GetFileName(true), "song");
    song.SetPathText("/a.b/song"); // the last dot lies in a folder name
    EXPECT_EQ(song.GetFileName(true), "a");
    song.SetPathText("plain");
    EXPECT_EQ(song.GetFileName(false), "plain");
    song.SetTitle("Party");
    song.SetStart(CDateTime::FromCalendar(2024, 3, 5, 21, 30, 0));
    EXPECT_EQ(song.GetTitleWithDate(true), "Party"); // not a region
    song.SetRegion(true);
    // The start in the date and time form of the user's locale.
    const char* saved = std::getenv("LC_ALL");
    const std::string before = saved != nullptr ? saved : "";
    setenv("LC_ALL", "C.UTF-8", 1);
    EXPECT_EQ(song.GetTitleWithDate(true), "Party 03/05/24 21:30:00");
    if (saved != nullptr) {
        setenv("LC_ALL", before.c_str(), 1);
    } else {
        unsetenv("LC_ALL");
    }
    EXPECT_EQ(song.GetTitleWithDate(false), "Party");
    EXPECT_EQ(song.GetFileName(true), "Party");
}

TEST(SongTest, TagFromFramesBuildsTheId3v1Block) {
    Id3v2Fields fields;
    fields.title = "\u00c9t\u00e9 \u20ac 0123456789012345678901234567890";
    fields.artist = "Art";
    fields.year = "19991";
    fields.comment = "012345678901234567890123456789";
    fields.track = " 3/12";
    fields.genre = "";
    CSong song;
    song.SetTagFromFrames(fields);
    const auto& tag = song.GetTag();
    EXPECT_EQ(std::string(tag.begin(), tag.begin() + 3), "TAG");
    EXPECT_EQ(std::string(tag.begin() + 3, tag.begin() + 33),
              "\xC9t\xE9 ? 012345678901234567890123"); // Latin-1, cut at 30 bytes
    EXPECT_EQ(std::string(tag.begin() + 93, tag.begin() + 97), "1999");
    EXPECT_EQ(tag[124], '7');
    EXPECT_EQ(tag[125], 0);
    EXPECT_EQ(tag[126], 3);
    EXPECT_EQ(tag[127], 255); // empty genre: none, not Blues
    const std::pair<const char*, int> genres[] = {{"(17)", 17}, {"17", 17},   {"(9)Metal", 9},
                                                  {"Rock", 17}, {"Blues", 0}, {"Nope", 255}};
    for (const auto& [genre, number] : genres) {
        fields.genre = genre;
        song.SetTagFromFrames(fields);
        EXPECT_EQ(song.GetTag()[127], number) << genre;
    }
    fields.track = "300";
    song.SetTagFromFrames(fields);
    EXPECT_EQ(song.GetTag()[126], 0);
}

TEST(SongTest, TitleCaseKeepsUtf8Whole) {
    EXPECT_EQ(CSong::ToTitleCase("THE beatles - let it be"), "The Beatles - Let It Be");
    EXPECT_EQ(CSong::ToTitleCase("\u00c9COLE de MUSIQUE"), "\u00c9cole De Musique");
    EXPECT_EQ(
        CSong::ToTitleCase("\u0391\u0398\u0397\u039d\u0391 \u043c\u043e\u0441\u043a\u0432\u0430 "
                           "\u0141\u00d3D\u0179 \u00ffes"),
        "\u0391\u03b8\u03b7\u03bd\u03b1 \u041c\u043e\u0441\u043a\u0432\u0430 \u0141\u00f3d\u017a "
        "\u0178es");
    EXPECT_EQ(CSong::ToTitleCase("a\xFF\xC3 b \u65e5X"), "A\xFF\xC3 B \u65e5x");
}

// Stored record: marker, path, title, start, ten 32-bit items, tag, file date.
TEST(SongTest, RecordLayoutBothFormsAndCopies) {
    CSong song;
    song.SetPathText("/p");
    song.SetTitle("T");
    song.SetReserved(1, 2);
    song.SetInfo(0x01020304, 128000, 44100, 3);
    song.SetFileDate(CDateTime(2.0, CDateTime::kValid));
    CArchiveWriter ar;
    song.Serialize(ar);
    const Bytes& b = ar.Bytes();
    // A copy without the identity stores the same record under the next identity, unmarked.
    EXPECT_TRUE(song.SetMark(CSong::kNextToPlay));
    EXPECT_FALSE(song.SetMark(CSong::kNextToPlay));
    CSong copy;
    copy.Assign(song, false);
    CArchiveWriter copied;
    copy.Serialize(copied);
    EXPECT_EQ(copied.Bytes(), b);
    EXPECT_EQ(std::stoll(copy.GetId()), std::stoll(song.GetId()) + 1);
    EXPECT_EQ(std::pair(copy.GetMark(), copy.GetReserved2()),
              (std::pair<int, int>(CSong::kNoMark, 2)));
    copy.Assign(song, true);
    EXPECT_EQ(copy.GetId(), song.GetId());
    ASSERT_EQ(b.size(), song.StoredSize());
    ASSERT_EQ(b.size(), 7u + 3 + 2 + 12 + 40 + 128 + 12);
    EXPECT_EQ(Bytes(b.begin(), b.begin() + 12),
              (Bytes{6, 'q', 'm', 'x', 'v', '5', '0', 2, '/', 'p', 1, 'T'}));
    EXPECT_EQ(b[12], 2);                                                   // start: status null
    EXPECT_EQ(b[24], 1);                                                   // reserved 1
    EXPECT_EQ(Bytes(b.begin() + 44, b.begin() + 48), (Bytes{4, 3, 2, 1})); // size
    EXPECT_EQ(b[b.size() - 12], 0);                                        // file date valid
    EXPECT_EQ(b.back(), 0x40);                                             // 2.0

    CSong loaded;
    CArchiveReader in(b);
    ASSERT_TRUE(loaded.Serialize(in));
    EXPECT_EQ(loaded.GetSize(), 0x01020304u);
    EXPECT_EQ(loaded.GetChannelMode(), 3);
    EXPECT_EQ(loaded.GetFileDate(), song.GetFileDate());
    EXPECT_EQ(loaded.GetStart(), CDateTime::Null());

    // The older form: no marker, no file date at the end.
    const Bytes old(b.begin() + 7, b.end() - 12);
    CSong older;
    older.SetFileDate(CDateTime(5.0, CDateTime::kValid));
    CArchiveReader oldIn(old);
    ASSERT_TRUE(older.Serialize(oldIn));
    EXPECT_EQ(oldIn.Remaining(), 0u);
    EXPECT_EQ(older.GetPath(), "/p");
    EXPECT_EQ(older.GetFileDate(), CDateTime(5.0, CDateTime::kValid));
    for (std::size_t cut = 0; cut < b.size(); cut += 13) {
        CArchiveReader shortIn(std::span<const std::uint8_t>(b.data(), cut));
        EXPECT_FALSE(CSong().Serialize(shortIn)) << cut;
    }
}

class SongFileTest : public ::testing::Test {
protected:
    std::string Make(const std::string& name, const Bytes& bytes) {
        const std::string path = m_dir.File(name);
        WriteAll(path, bytes);
        return path;
    }
    TempDir m_dir;
};

TEST_F(SongFileTest, MakeTitleRules) {
    const Bytes v2 =
        Id3v2Tag({{"TPE1", "QUEEN"}, {"TIT2", "bohemian rhapsody"}, {"TALB", "Opera"}});
    const std::string tagged = Make("tagged.mp3", v2);
    CSong song;
    EXPECT_EQ(song.MakeTitle(tagged, "  %1  "), "Tagged.mp3");
    EXPECT_EQ(song.MakeTitle(tagged, "%3 - %4 (%2) %1"), "Queen - Bohemian Rhapsody (opera) %1");
    EXPECT_EQ(song.GetTag()[0], 'T'); // rebuilt from the frames
    const std::string folder = m_dir.Path().substr(m_dir.Path().rfind('/') + 1);
    EXPECT_EQ(song.MakeTitle(tagged, "%7"), CSong::ToTitleCase(folder + "/tagged.mp3"));
    EXPECT_EQ(song.MakeTitle("/song.mp3", "%7"), "/song.mp3");
    EXPECT_EQ(song.MakeTitle("song.mp3", "%7"), "Song.mp3");
    EXPECT_EQ(song.MakeTitle(Make("noartist.mp3", Id3v2Tag({{"TIT2", "title"}})), "%3 - %4"),
              "- Title");

    // No ID3v2: the ID3v1 block held by the record, else the file name.
    const std::string bare = Make("my song.mp3", Bytes(10, 0));
    CSong plain;
    EXPECT_EQ(plain.MakeTitle(bare, "%3 - %4"), "My Song.mp3");
    EXPECT_EQ(plain.MakeTitle(bare, "   "), "My Song.mp3");
    const Bytes v1 = TestFiles::Id3v1Block("Title", "ABBA", "", "", "", 0, 1);
    plain.SetTag(Block(v1));
    EXPECT_EQ(plain.MakeTitle(bare, "%3 - %4"), "Abba - Title");
    // An ID3v2 tag with none of the texts the template uses counts as none.
    const std::string ripped = Make("ripped.mp3", Id3v2Tag({{"TENC", "LAME3.100"}}));
    EXPECT_EQ(plain.MakeTitle(ripped, "%3 - %4"), "Abba - Title");
    EXPECT_EQ(CSong().MakeTitle(ripped, "%3 - %4"), "Ripped.mp3");
    EXPECT_EQ(CSong().MakeTitle(tagged, "%5"), "Tagged.mp3") << "no comment in the tag";
}

TEST_F(SongFileTest, SetPathReadsFileFacts) {
    const std::string path = Make("a file.mp3", Bytes(1234, 0));
    CSong song;
    song.SetStart(CDateTime(3.0, CDateTime::kValid));
    EXPECT_TRUE(song.SetPath(path, "%3 - %4", false));
    EXPECT_EQ(song.GetSize(), 1234u);
    EXPECT_EQ(song.GetTitle(), "A File.mp3");
    EXPECT_TRUE(song.GetStart().IsNull());
    const double days = song.GetFileDate().GetValue();
    const double now = CDateTime::FromTime(std::time(nullptr)).GetValue();
    EXPECT_NEAR(days, now, 2.0 / 86400 + 1e-9);
    // "%6" takes the path the record holds when the title is made: the previous one.
    song.SetPath(path + "x", "%6", true); // missing: size 0, title and date kept
    EXPECT_EQ(song.GetSize(), 0u);
    EXPECT_EQ(song.GetTitle(), "A File.mp3");
    song.SetPath(path, "%6", true);
    EXPECT_EQ(song.GetTitle(), CSong::ToTitleCase(path + "x"));
}

// Processing keeps the audio size (file less its tags), whichever way it is called.
TEST_F(SongFileTest, ProcessingStoresTheAudioSize) {
    const Bytes audio = TestFiles::Frames(TestFiles::kMpeg1, TestFiles::kLayer3, 9, 0, 1, 40);
    const Bytes v1 = TestFiles::Id3v1Block("V1", "X", "", "", "", 0, 1);
    const std::string path =
        Make("song.mp3",
             Id3v2Bytes::Cat({Id3v2Tag({{"TPE1", "ann"}, {"TIT2", "tune"}}, 4000), audio, v1}));
    const SongFileFacts facts = SongFileReader::Read(path);
    ASSERT_EQ(facts.mpegResult, MpegFileInfo::kRead);
    ASSERT_EQ(facts.info.AudioSize(), static_cast<std::int64_t>(audio.size()));

    CSong song;
    song.SetPath(path, "%3 - %4", false);
    song.ProcessFromFacts(facts, "%3 - %4");
    EXPECT_EQ(song.GetSize(), audio.size());
    EXPECT_EQ(song.GetBitrate(), 128000);
    EXPECT_EQ(song.GetTitle(), "Ann - Tune");
    EXPECT_EQ(song.GetTag()[3], 't'); // the block from the ID3v2 texts
    song.SetPath(path, "%1", true);
    EXPECT_EQ(song.GetSize(), audio.size());

    // The file date taken from the open file is the one a path lookup gives.
    CSong byPath;
    byPath.SetPath(path, "%1", false);
    EXPECT_TRUE(facts.hasFileFacts);
    EXPECT_EQ(song.GetFileDate(), byPath.GetFileDate());
    EXPECT_TRUE(song.GetFileDate().IsValid());

    const std::string wav = Make("noise.wav", Bytes(5000, 0x55));
    CSong unreadable;
    unreadable.SetPathText(wav);
    unreadable.ProcessFromFacts(SongFileReader::Read(wav), "%3 - %4");
    EXPECT_TRUE(unreadable.HasInfo());
    EXPECT_EQ(unreadable.GetBitrate(), 0);
    EXPECT_EQ(unreadable.GetSize(), 5000u);
}

} // namespace
