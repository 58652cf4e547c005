// Interoperability with mutagen, a widely used tagger: tags it writes (2.3 and 2.4) read
// here, and tags written here read by it. Skipped when mutagen is not installed.

#include "Id3v2TestFrames.h"
#include "media/Id3v2File.h"
#include "support/MutagenTest.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace Id3v2Bytes;
using Lines = std::vector<std::string>;

// The title comes first, then pairs of a file and the tag version (3 or 4) to write to it.
constexpr std::string_view kWriteScript = R"(
import sys
from mutagen.id3 import ID3, TIT2, TPE1, TALB, TDRC, COMM, TRCK, TCON, TCOP, TOPE, WXXX, TENC, TCOM, APIC, TXXX
title, args = sys.argv[1], sys.argv[2:]
for path, version in zip(args[::2], map(int, args[1::2])):
    t = ID3()
    t.add(APIC(encoding=3, mime="image/png", type=3, desc="cover", data=bytes(range(256)) * 4))
    for frame, text in [(TIT2, title), (TPE1, "Привет"), (TALB, "東京"), (TDRC, "2007"), (TRCK, "5/12"),
                        (TCON, "Rock"), (TCOP, "© 2007"), (TOPE, "Orig"), (TENC, "Enc"), (TCOM, "Comp")]:
        t.add(frame(encoding=3, text=[text]))
    t.add(COMM(encoding=3, lang="eng", desc="iTunNORM", text=["0000 1111"]))
    t.add(COMM(encoding=3, lang="eng", desc="", text=["Ünïcödé comment " * 10]))
    t.add(WXXX(encoding=3, desc="Homepage", url="http://example.com/"))
    t.add(TXXX(encoding=3, desc="mood", text=["calm"]))
    if version == 3:
        t.update_to_v23()
    t.save(path, v2_version=version)
)";

// Pairs of a file and its expected "key=value" items separated by tabs: prints a line per
// file with the same keys and the values mutagen reads there.
constexpr std::string_view kReadScript = R"(
import sys
from mutagen.id3 import ID3
args = sys.argv[1:]
for path, wanted in zip(args[::2], args[1::2]):
    t = ID3(path, translate=False)
    seen = {"version": "%d.%d" % (t.version[1], t.version[2])}
    for f in t.values():
        if f.FrameID == "APIC":
            seen[f.HashKey] = "%s|%d|%s|%d" % (f.mime, f.type, f.desc, len(f.data))
        else:
            seen[f.HashKey] = f.url if f.FrameID == "WXXX" else "/".join(map(str, getattr(f, "text", [])))
    line = "\t".join(k + "=" + seen.get(k, "missing") for k in (i.split("=")[0] for i in wanted.split("\t")))
    sys.stdout.buffer.write((line + "\n").encode())
)";

const std::string kTitle = "Ünïcödé — 東京 Привет";

class Id3v2Interop : public MutagenTest {
protected:
    std::string Python(std::string_view script, const std::vector<std::string>& args) {
        std::string command = m_python + " -c " + TestFiles::ShellQuote(std::string(script));
        for (const std::string& arg : args) {
            command += " " + TestFiles::ShellQuote(arg);
        }
        int status = -1;
        const std::string out = TestFiles::Capture(command, &status);
        EXPECT_EQ(status, 0) << out;
        return out;
    }

    // A 2.3 and a 2.4 file tagged by mutagen in one run.
    std::vector<std::string> WriteWithMutagen(const std::string& name) {
        std::vector<std::string> args{kTitle}, paths;
        for (const char* version : {"3", "4"}) {
            paths.push_back(Put(name + version + ".mp3", Audio()));
            args.insert(args.end(), {paths.back(), version});
        }
        Python(kWriteScript, args);
        return paths;
    }

    // Reads every file in one run, comparing what mutagen sees with the items expected.
    void ExpectMutagenReads(const std::vector<std::pair<std::string, Lines>>& files) {
        std::vector<std::string> args;
        std::string expected;
        for (const auto& [path, items] : files) {
            std::string line;
            for (const std::string& item : items) {
                line += (line.empty() ? "" : "\t") + item;
            }
            args.insert(args.end(), {path, line});
            expected += line + "\n";
        }
        EXPECT_EQ(Python(kReadScript, args), expected);
    }

    static Bytes Audio() {
        return TestFiles::Frames(TestFiles::kMpeg1, TestFiles::kLayer3, 9, 0, 0, 30);
    }
};

} // namespace

TEST_F(Id3v2Interop, TagsMutagenWritesReadHere) {
    std::string comment;
    for (int i = 0; i < 10; ++i) {
        comment += "Ünïcödé comment ";
    }
    const Lines expected{kTitle, "Привет", "東京",   "2007", comment,
                         "5/12", "Rock",   "© 2007", "Orig", "http://example.com/",
                         "Enc",  "Comp"};
    int version = 3;
    for (const std::string& path : WriteWithMutagen("theirs")) {
        SCOPED_TRACE(path);
        const Bytes file = ReadAll(path);
        ASSERT_GE(file.size(), 10u);
        EXPECT_EQ(file[3], version++);
        Id3v2Fields fields;
        ASSERT_EQ(Id3v2::ReadTag(path, fields), Id3v2::kRead);
        EXPECT_EQ(Texts(fields), expected);
    }
}

// A new tag, mutagen's 2.3 and 2.4 tags edited here keeping their other frames, and a
// 2.2 tag whose picture must survive the rewrite as 2.3.
TEST_F(Id3v2Interop, TagsWrittenHereReadInMutagen) {
    const std::string ours = Put("ours.mp3", Audio());
    ASSERT_EQ(
        Id3v2::WriteTag({kTitle, "Müller", "東京", "1999", "Привет\nzweite Zeile", "7", "Jazz",
                         "© Someone", "Орфей", "http://example.com/x", "Mixorel", "Sørensen", 0},
                        ours),
        Id3v2::kWritten);
    std::vector<std::pair<std::string, Lines>> files{
        {ours,
         {"version=3.0", "TIT2=" + kTitle, "TPE1=Müller", "TALB=東京", "TYER=1999",
          "COMM::eng=Привет\r\nzweite Zeile", "TRCK=07", "TCON=Jazz", "TCOP=© Someone",
          "TOPE=Орфей", "TENC=Mixorel", "WXXX:=http://example.com/x", "TCOM=Sørensen"}}};
    for (const std::string& path : WriteWithMutagen("edited")) {
        Id3v2Fields fields;
        ASSERT_EQ(Id3v2::ReadTag(path, fields), Id3v2::kRead);
        fields.title = "Neuer Titel — 新しい";
        fields.year = "2001";
        fields.comment = std::string(3000, 'x'); // cut to 1023 and grows the tag
        ASSERT_EQ(Id3v2::WriteTag(fields, path), Id3v2::kWritten);
        const bool v23 = files.size() == 1;
        files.push_back({path,
                         {v23 ? "version=3.0" : "version=4.0", "TIT2=Neuer Titel — 新しい",
                          v23 ? "TYER=2001" : "TDRC=2001", "COMM::eng=" + std::string(1023, 'x'),
                          "COMM:iTunNORM:eng=0000 1111", "APIC:cover=image/png|3|cover|1024",
                          "TXXX:mood=calm", "TPE1=Привет"}});
    }

    const Bytes pic = Cat({Bytes{0}, B("JPG"), Bytes{3}, B("front"), Bytes{0}, Bytes(300, 0x5A)});
    const std::string old22 = Put(
        "old22.mp3",
        Cat({Tag(2, 0, Cat({Frame(2, "TT2", Latin("Old")), Frame(2, "PIC", pic)}), 64), Audio()}));
    Id3v2Fields fields;
    ASSERT_EQ(Id3v2::ReadTag(old22, fields), Id3v2::kRead);
    EXPECT_EQ(fields.title, "Old");
    ASSERT_EQ(Id3v2::WriteTag(fields, old22), Id3v2::kWritten);
    files.push_back({old22, {"version=3.0", "TIT2=Old", "APIC:front=image/jpeg|3|front|300"}});

    ExpectMutagenReads(files);
}
