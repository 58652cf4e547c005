// A music file's tags are the user's data: the tag editor (one song or several) and the
// auto-tagger must change only what the user asked for. Files with tags as other programs
// write them are saved unchanged (same bytes) and with one change (mutagen, an outside
// reader, finds only that field different). Skipped when mutagen is not installed.

#include "catalogue/CTagEditorData.h"
#include "media/CAutoTagger.h"
#include "media/FilenamePattern.h"
#include "media/Id3v2TestFrames.h"
#include "support/MutagenTest.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace Id3v2Bytes;
using Fields = std::map<std::string, std::string>;

// Prints one line per file: every ID3v2 frame as mutagen reads it (2.2 and 2.3 frames
// translated to 2.4 names, so a tag upgraded on writing compares with the original) and
// the ID3v1 fields as their raw bytes, as "key=value" items separated by tabs.
constexpr std::string_view kDumpScript = R"(
import sys, hashlib
from mutagen.id3 import ID3, ID3NoHeaderError
for path in sys.argv[1:]:
    items = []
    try:
        tag = ID3(path, load_v1=False)
        for f in tag.values():
            if f.FrameID == "APIC":
                value = "%s|%d|%s|%s" % (f.mime, f.type, f.desc, hashlib.md5(f.data).hexdigest())
            elif hasattr(f, "text"):
                value = "/".join(map(str, f.text))
            else:
                value = getattr(f, "url", repr(f))
            items.append(f.HashKey + "=" + value)
    except ID3NoHeaderError:
        pass
    data = open(path, "rb").read()
    if len(data) >= 128 and data[-128:-125] == b"TAG":
        v1 = data[-128:]
        for key, raw in [("title", v1[3:33]), ("artist", v1[33:63]), ("album", v1[63:93]),
                         ("year", v1[93:97]), ("comment", v1[97:125])]:
            items.append("v1." + key + "=" + raw.decode("latin-1").rstrip("\0"))
        items.append("v1.track=%d,%d" % (v1[125], v1[126]))
        items.append("v1.genre=%d" % v1[127])
    sys.stdout.buffer.write(("\t".join(items).replace("\n", "|") + "\n").encode())
)";

Bytes Audio() {
    return TestFiles::Frames(TestFiles::kMpeg1, TestFiles::kLayer3, 9, 0, 1, 30);
}

Bytes V1(int track, int genre) {
    return TestFiles::Id3v1Block("Song", "Band", "Album", "1999", "Note", track, genre);
}

// A text frame in UTF-16 with a byte-order mark (ASCII text only).
Bytes Utf16(std::string_view text) {
    Bytes out{1, 0xFF, 0xFE};
    for (const char c : text) {
        out.insert(out.end(), {static_cast<std::uint8_t>(c), 0});
    }
    return out;
}

Bytes Utf8(std::string_view text) {
    return Cat({Bytes{3}, B(text)});
}

Bytes Picture(std::size_t size) {
    Bytes data(size);
    for (std::size_t i = 0; i < size; ++i) {
        data[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
    }
    return Cat({Bytes{0}, B("image/jpeg"), Bytes{0, 3}, B("cover"), Bytes{0}, data});
}

// A 2.3 tag of the common frames in Latin-1, with what varies between the rows.
Bytes Tag23(const Bytes& more, std::size_t padding = 100) {
    return Tag(3, 0,
               Cat({Frame(3, "TIT2", Latin("Song")), Frame(3, "TPE1", Latin("Band")),
                    Frame(3, "TALB", Latin("Album")),
                    Frame(3, "COMM", Cat({Bytes{0}, B("eng"), Bytes{0}, B("Note")})), more}),
               padding);
}

struct Row {
    const char* name;
    Bytes file;
    std::function<void(CTagEditorData&)> edit;
    Fields changed; // mutagen keys and the values they must read after the edit
};

std::vector<Row> Rows() {
    const Bytes encoder = Frame(3, "TENC", Latin("LAME 3.100"));
    return {
        {"v1 genre none",
         Cat({Audio(), V1(3, 255)}),
         [](CTagEditorData& d) { d.m_v1.strTitle = "New"; },
         {{"v1.title", "New"}}},
        {"v1 genre 187",
         Cat({Audio(), V1(0, 187)}),
         [](CTagEditorData& d) { d.m_v1.strArtist = "Other"; },
         {{"v1.artist", "Other"}}},
        {"v2.2",
         Cat({Tag(2, 0,
                  Cat({Frame(2, "TT2", Latin("Song")), Frame(2, "TP1", Latin("Band")),
                       Frame(2, "TYE", Latin("1999")),
                       Frame(2, "PIC",
                             Cat({Bytes{0}, B("JPG"), Bytes{3}, B("front"), Bytes{0},
                                  Bytes(300, 0x5A)}))}),
                  50),
              Audio()}),
         [](CTagEditorData& d) { d.m_v2.strAlbum = "New Album"; },
         {{"TALB", "New Album"}}},
        {"v2.3 Latin-1",
         Cat({Tag23(Cat({Frame(3, "TYER", Latin("1999")), Frame(3, "TCON", Latin("(17)"))})),
              Audio()}),
         [](CTagEditorData& d) { d.m_v2.strTitle = "New"; },
         {{"TIT2", "New"}}},
        {"v2.3 UTF-16",
         Cat({Tag(3, 0,
                  Cat({Frame(3, "TIT2", Utf16("Song")), Frame(3, "TPE1", Utf16("Band")),
                       Frame(3, "TCON", Utf16("Rock")), encoder}),
                  20),
              Audio()}),
         [](CTagEditorData& d) { d.m_v2.strArtist = "Other"; },
         {{"TPE1", "Other"}}},
        {"v2.4 UTF-8",
         Cat({Tag(4, 0,
                  Cat({Frame(4, "TIT2", Utf8("Sång")), Frame(4, "TDRC", Utf8("2004-05-06")),
                       Frame(4, "TRCK", Utf8("4")),
                       Frame(4, "COMM", Cat({Bytes{3}, B("eng"), Bytes{0}, B("Ünïcode")}))}),
                  30),
              Audio()}),
         [](CTagEditorData& d) { d.m_v2.strComment = "Plain"; },
         {{"COMM::eng", "Plain"}}},
        {"genre outside the list, no year or track",
         Cat({Tag23(Frame(3, "TCON", Latin("Indie Rock"))), Audio()}),
         [](CTagEditorData& d) { d.m_v2.strAlbum = "B-Sides"; },
         {{"TALB", "B-Sides"}}},
        {"track with its total",
         Cat({Tag23(Frame(3, "TRCK", Latin("3/12"))), Audio()}),
         [](CTagEditorData& d) { d.m_v2.nTrack = 5; },
         {{"TRCK", "05/12"}}},
        {"picture over 100 KB",
         Cat({Tag23(Frame(3, "APIC", Picture(120 * 1024)), 10), Audio()}),
         [](CTagEditorData& d) { d.m_v2.strTitle = "A title longer than the padding left"; },
         {{"TIT2", "A title longer than the padding left"}}},
        {"v1 and v2",
         Cat({Tag23(encoder), Audio(), V1(7, 17)}),
         [](CTagEditorData& d) { d.m_v1.nYear = 2010; },
         {{"v1.year", "2010"}}},
    };
}

class TagSafetyTest : public MutagenTest {
protected:
    // What mutagen reads in each file, in one run.
    std::vector<Fields> Dump(const std::vector<std::string>& paths) {
        std::string command = m_python + " -c " + TestFiles::ShellQuote(std::string(kDumpScript));
        for (const std::string& path : paths) {
            command += " " + TestFiles::ShellQuote(path);
        }
        int status = -1;
        std::istringstream out(TestFiles::Capture(command, &status));
        EXPECT_EQ(status, 0);
        std::vector<Fields> dumps;
        for (std::string line; std::getline(out, line);) {
            Fields fields;
            std::istringstream items(line);
            for (std::string item; std::getline(items, item, '\t');) {
                const std::size_t eq = item.find('=');
                fields[item.substr(0, eq)] = item.substr(eq + 1);
            }
            dumps.push_back(fields);
        }
        EXPECT_EQ(dumps.size(), paths.size());
        dumps.resize(paths.size());
        return dumps;
    }

    // The fields that differ between two dumps, with their new values ("missing" when gone).
    static Fields Changed(const Fields& before, const Fields& after) {
        Fields changed;
        for (const auto& [key, value] : after) {
            const auto old = before.find(key);
            if (old == before.end() || old->second != value) {
                changed[key] = value;
            }
        }
        for (const auto& [key, value] : before) {
            if (after.count(key) == 0) {
                changed[key] = "missing";
            }
        }
        return changed;
    }

    // Each original next to its edited copy: mutagen finds exactly the changes expected.
    void ExpectOnlyChanged(const std::vector<std::string>& originals,
                           const std::vector<std::string>& edited,
                           const std::vector<Fields>& expected) {
        std::vector<std::string> all = originals;
        all.insert(all.end(), edited.begin(), edited.end());
        const std::vector<Fields> dumps = Dump(all);
        for (std::size_t i = 0; i < originals.size(); ++i) {
            EXPECT_FALSE(dumps[i].empty()) << edited[i];
            EXPECT_EQ(Changed(dumps[i], dumps[originals.size() + i]), expected[i]) << edited[i];
        }
    }
};

TEST_F(TagSafetyTest, TheEditorWritesOnlyTheFieldTheUserChanged) {
    std::vector<std::string> originals, edited;
    std::vector<Fields> expected;
    int n = 0;
    for (const Row& row : Rows()) {
        SCOPED_TRACE(row.name);
        const std::string name = "song" + std::to_string(n++);
        originals.push_back(Put(name + ".orig.mp3", row.file));
        edited.push_back(Put(name + ".mp3", row.file));
        expected.push_back(row.changed);

        CTagEditorData data;
        ASSERT_TRUE(data.Load(edited.back()));
        ASSERT_TRUE(data.Save());
        EXPECT_EQ(ReadAll(edited.back()), row.file) << "an unchanged save keeps every byte";

        row.edit(data);
        ASSERT_TRUE(data.Save());
    }
    ExpectOnlyChanged(originals, edited, expected);
}

// Three songs edited at once: each gets the changed fields in the tags it has, and keeps
// its own other fields and tag versions.
TEST_F(TagSafetyTest, SeveralSongsGetOnlyTheChangedFieldsInTheTagsTheyHave) {
    const std::vector<Row> rows = Rows();
    const Bytes files[] = {rows[9].file, rows[0].file, rows[7].file}; // v1+v2, v1, v2
    std::vector<std::string> originals, edited;
    for (int i = 0; i < 3; ++i) {
        originals.push_back(Put("three" + std::to_string(i) + ".orig.mp3", files[i]));
        edited.push_back(Put("three" + std::to_string(i) + ".mp3", files[i]));
    }
    CTagEditorData shown;
    ASSERT_TRUE(shown.Load(edited[0]));
    CTagEditorData changed = shown;
    changed.m_v1.strAlbum = "Best Of";
    changed.m_v2.strComposer = "Someone";
    ASSERT_TRUE(changed.Save());
    const auto changes = CTagEditorData::Compare(shown, changed);
    for (int i = 1; i < 3; ++i) {
        CTagEditorData other;
        ASSERT_TRUE(other.LoadWithChanges(edited[i], changed, changes));
        ASSERT_TRUE(other.Save());
    }
    ExpectOnlyChanged(originals, edited,
                      {{{"v1.album", "Best Of"}, {"TCOM", "Someone"}},
                       {{"v1.album", "Best Of"}},
                       {{"TCOM", "Someone"}}});
}

// The auto-tagger writes what the name gives and keeps the rest of the present tag: its
// genre (even one outside the list), year, track and comment, and the ID3v2 tag.
TEST_F(TagSafetyTest, TheAutoTaggerKeepsWhatTheNameDoesNotGive) {
    const std::vector<Row> rows = Rows();
    const Bytes files[] = {rows[0].file, rows[1].file, rows[9].file};
    std::vector<std::string> originals, edited;
    for (int i = 0; i < 3; ++i) {
        originals.push_back(Put("orig" + std::to_string(i) + ".mp3", files[i]));
        edited.push_back(Put("Artist " + std::to_string(i) + "-Title.mp3", files[i]));
    }
    FilenamePattern pattern;
    ASSERT_TRUE(pattern.SetCriteria("{ARTIST}-{TITLE}"));
    for (const std::string& path : edited) {
        EXPECT_TRUE(CAutoTagger::TagFile(path, pattern, CAutoTagger::Defaults{}));
    }
    std::vector<Fields> expected;
    for (int i = 0; i < 3; ++i) {
        expected.push_back({{"v1.artist", "Artist " + std::to_string(i)}, {"v1.title", "Title"}});
    }
    ExpectOnlyChanged(originals, edited, expected);

    // A genre and a year chosen in the dialog are written; the track stays.
    CAutoTagger::Defaults chosen;
    chosen.strGenre = "(8)Jazz";
    chosen.nYear = 2020;
    const Bytes before = ReadAll(edited[0]);
    ASSERT_TRUE(CAutoTagger::TagFile(edited[0], pattern, chosen));
    Bytes expectedBytes = before;
    const std::size_t v1 = before.size() - 128;
    std::copy_n("2020", 4, expectedBytes.begin() + static_cast<std::ptrdiff_t>(v1 + 93));
    expectedBytes[v1 + 127] = 8;
    EXPECT_EQ(ReadAll(edited[0]), expectedBytes);
}

} // namespace
