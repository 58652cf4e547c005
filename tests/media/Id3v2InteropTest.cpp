// Interoperability with mutagen, a widely used tagger: tags it writes (2.3 and 2.4) read
// here, and tags written here read by it. Skipped when mutagen is not installed.

#include "Id3v2TestFrames.h"
#include "media/Id3v2File.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace Id3v2Bytes;

// Writes a tag of the version given as second argument (3 or 4) to the file given first.
constexpr std::string_view kWriteScript = R"(
import sys
from mutagen.id3 import ID3, TIT2, TPE1, TALB, TDRC, COMM, TRCK, TCON, TCOP, TOPE, WXXX, TENC, TCOM, APIC, TXXX
path, version, title = sys.argv[1], int(sys.argv[2]), sys.argv[3]
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

// Prints the file's tag version and every frame as "key=hex of UTF-8 value".
constexpr std::string_view kReadScript = R"(
import sys
from mutagen.id3 import ID3
t = ID3(sys.argv[1], translate=False)
print("version=" + ("%d.%d" % (t.version[1], t.version[2])).encode().hex())
for f in t.values():
    if f.FrameID == "WXXX":
        v = f.url
    elif f.FrameID == "APIC":
        v = "%s|%d|%s|%d" % (f.mime, f.type, f.desc, len(f.data))
    elif hasattr(f, "text"):
        v = "/".join(str(x) for x in f.text)
    else:
        continue
    print(f.HashKey + "=" + v.encode("utf-8").hex())
)";

const std::string kTitle = "Ünïcödé — 東京 Привет";

// An interpreter that has mutagen: the system one first (a user's own Python may lack it),
// run under a time limit so a hung child cannot stall the tests.
std::string MutagenPython() {
    const std::string limit = TestFiles::HaveTool("timeout") ? "timeout 60 " : "";
    for (const char* candidate : {"/usr/bin/python3", "python3"}) {
        const std::string python = limit + candidate;
        if (TestFiles::Run(python + " -c 'import mutagen' >/dev/null 2>&1") == 0) {
            return python;
        }
    }
    return {};
}

std::string FromHex(std::string_view hex) {
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        out.push_back(static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    }
    return out;
}

std::map<std::string, std::string> MutagenFrames(const std::string& python,
                                                 const std::string& path) {
    int status = -1;
    const std::string out =
        TestFiles::Capture(python + " -c " + TestFiles::ShellQuote(std::string(kReadScript)) + " " +
                               TestFiles::ShellQuote(path),
                           &status);
    EXPECT_EQ(status, 0) << out;
    std::map<std::string, std::string> frames;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        if (const std::size_t equals = line.rfind('='); equals != std::string::npos) {
            frames[line.substr(0, equals)] = FromHex(line.substr(equals + 1));
        }
    }
    return frames;
}

Bytes Audio() {
    return TestFiles::Frames(TestFiles::kMpeg1, TestFiles::kLayer3, 9, 0, 0, 30);
}

class Id3v2Interop : public ::testing::Test {
protected:
    void SetUp() override {
        m_python = MutagenPython();
        if (m_python.empty()) {
            GTEST_SKIP() << "mutagen is not installed (apt-get install python3-mutagen)";
        }
    }

    std::string WriteWithMutagen(int version) {
        const std::string path = m_dir.File("v" + std::to_string(version) + ".mp3");
        WriteAll(path, Audio());
        const int status =
            TestFiles::Run(m_python + " -c " + TestFiles::ShellQuote(std::string(kWriteScript)) +
                           " " + TestFiles::ShellQuote(path) + " " + std::to_string(version) + " " +
                           TestFiles::ShellQuote(kTitle));
        EXPECT_EQ(status, 0);
        return path;
    }

    std::string m_python;
    TempDir m_dir;
};

} // namespace

TEST_F(Id3v2Interop, TagsMutagenWritesReadHere) {
    for (const int version : {3, 4}) {
        SCOPED_TRACE(version);
        const std::string path = WriteWithMutagen(version);
        const Bytes file = ReadAll(path);
        ASSERT_GE(file.size(), 10u);
        ASSERT_EQ(file[3], version);
        Id3v2Fields fields;
        ASSERT_EQ(Id3v2::ReadTag(path, fields), Id3v2::kRead);
        std::string comment;
        for (int i = 0; i < 10; ++i) {
            comment += "Ünïcödé comment ";
        }
        EXPECT_EQ(Texts(fields), (std::vector<std::string>{kTitle, "Привет", "東京", "2007",
                                                           comment, "5/1", "Rock", "© 2007", "Orig",
                                                           "http://example.com/", "Enc", "Comp"}));
    }
}

TEST_F(Id3v2Interop, NewTagWrittenHereReadsInMutagen) {
    const std::string path = m_dir.File("ours.mp3");
    WriteAll(path, Audio());
    const Id3v2Fields fields{kTitle,
                             "Müller",
                             "東京",
                             "1999",
                             "Привет\nzweite Zeile",
                             "7",
                             "Jazz",
                             "© Someone",
                             "Орфей",
                             "http://example.com/x",
                             "Mixorel",
                             "Sørensen",
                             0};
    ASSERT_EQ(Id3v2::WriteTag(fields, path), Id3v2::kWritten);
    const std::map<std::string, std::string> expected = {
        {"version", "3.0"},  {"TIT2", kTitle},    {"TPE1", "Müller"},
        {"TALB", "東京"},    {"TYER", "1999"},    {"COMM::eng", "Привет\r\nzweite Zeile"},
        {"TRCK", "07"},      {"TCON", "Jazz"},    {"TCOP", "© Someone"},
        {"TOPE", "Орфей"},   {"TENC", "Mixorel"}, {"WXXX:", "http://example.com/x"},
        {"TCOM", "Sørensen"}};
    auto frames = MutagenFrames(m_python, path);
    for (const auto& [key, value] : expected) {
        EXPECT_EQ(frames[key], value) << key;
    }
}

TEST_F(Id3v2Interop, MutagenTagsRewrittenHereKeepTheirOtherFrames) {
    for (const int version : {3, 4}) {
        SCOPED_TRACE(version);
        const std::string path = WriteWithMutagen(version);
        Id3v2Fields fields;
        ASSERT_EQ(Id3v2::ReadTag(path, fields), Id3v2::kRead);
        fields.title = "Neuer Titel — 新しい";
        fields.year = "2001";
        fields.comment = std::string(3000, 'x'); // cut to 1023 and grows the tag
        ASSERT_EQ(Id3v2::WriteTag(fields, path), Id3v2::kWritten);
        auto frames = MutagenFrames(m_python, path);
        EXPECT_EQ(frames["version"], version == 3 ? "3.0" : "4.0");
        EXPECT_EQ(frames["TIT2"], "Neuer Titel — 新しい");
        EXPECT_EQ(frames[version == 3 ? "TYER" : "TDRC"], "2001");
        EXPECT_EQ(frames["COMM::eng"], std::string(1023, 'x'));
        EXPECT_EQ(frames["COMM:iTunNORM:eng"], "0000 1111");
        EXPECT_EQ(frames["APIC:cover"], "image/png|3|cover|1024");
        EXPECT_EQ(frames["TXXX:mood"], "calm");
        EXPECT_EQ(frames["TPE1"], "Привет");
    }
}

TEST_F(Id3v2Interop, PictureOfAVersion22TagReadsInMutagenAfterTheRewrite) {
    // A 2.2 tag: TT2 "Old" and PIC JPG of 300 bytes.
    const Bytes pic = Cat({Bytes{0}, B("JPG"), Bytes{3}, B("front"), Bytes{0}, Bytes(300, 0x5A)});
    const Bytes body = Cat({Frame(2, "TT2", Latin("Old")), Frame(2, "PIC", pic)});
    const std::string path = m_dir.File("old22.mp3");
    WriteAll(path, Cat({Tag(2, 0, body, 64), Audio()}));

    Id3v2Fields fields;
    ASSERT_EQ(Id3v2::ReadTag(path, fields), Id3v2::kRead);
    EXPECT_EQ(fields.title, "Old");
    ASSERT_EQ(Id3v2::WriteTag(fields, path), Id3v2::kWritten);
    auto frames = MutagenFrames(m_python, path);
    EXPECT_EQ(frames["version"], "3.0");
    EXPECT_EQ(frames["TIT2"], "Old");
    EXPECT_EQ(frames["APIC:front"], "image/jpeg|3|front|300");
}
