// Writing and blanking ID3v2 tags in files: the bytes written, in-place and rewriting
// paths, and failures that must leave the music file exactly as it was.

#include "media/Id3v2File.h"
#include "Id3v2TestFrames.h"
#include "media/TextCodec.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <random>
#include <string>
#include <string_view>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace {

using namespace Id3v2Bytes;

// Stand-in audio: MPEG-1 Layer III frames with a byte pattern in their bodies.
Bytes Audio(int frames = 40) {
    Bytes audio = TestFiles::Frames(TestFiles::kMpeg1, TestFiles::kLayer3, 9, 0, 0, frames);
    for (std::size_t i = 4; i < audio.size(); i += 7) {
        audio[i] = static_cast<std::uint8_t>(i * 31);
    }
    return audio;
}

struct WalkedFrame {
    std::string id;
    std::uint8_t status = 0;
    std::uint8_t format = 0;
    Bytes data;
};

// A tag as written by the program: version, flags, body size, frames, zero bytes after
// the last frame. Written independently of the program's reader.
struct WalkedTag {
    int version = 0;
    int flags = -1;
    std::size_t bodySize = 0;
    std::vector<WalkedFrame> frames;
    std::size_t padding = 0;
    bool paddingAllZero = true;

    const WalkedFrame* Find(std::string_view id) const {
        for (const WalkedFrame& frame : frames) {
            if (frame.id == id) {
                return &frame;
            }
        }
        return nullptr;
    }
    std::vector<std::string> Ids() const {
        std::vector<std::string> ids;
        for (const WalkedFrame& frame : frames) {
            ids.push_back(frame.id);
        }
        return ids;
    }
};

// Four big-endian bytes of bits bits each.
std::size_t Number(const std::uint8_t* s, int bits) {
    return (std::size_t{s[0]} << 3 * bits) | (std::size_t{s[1]} << 2 * bits) |
           (std::size_t{s[2]} << bits) | s[3];
}

WalkedTag Walk(const Bytes& file) {
    WalkedTag tag;
    if (file.size() < 10 || file[0] != 'I' || file[1] != 'D' || file[2] != '3') {
        return tag;
    }
    tag.version = file[3];
    tag.flags = file[5];
    tag.bodySize = Number(&file[6], 7);
    const std::size_t end = std::min(file.size(), 10 + tag.bodySize);
    std::size_t pos = 10;
    while (pos + 10 <= end && file[pos] != 0) {
        WalkedFrame frame;
        frame.id.assign(file.begin() + static_cast<std::ptrdiff_t>(pos),
                        file.begin() + static_cast<std::ptrdiff_t>(pos + 4));
        const std::size_t size = Number(&file[pos + 4], tag.version == 4 ? 7 : 8);
        frame.status = file[pos + 8];
        frame.format = file[pos + 9];
        if (pos + 10 + size > end) {
            ADD_FAILURE() << "frame " << frame.id << " runs past the tag";
            return tag;
        }
        frame.data.assign(file.begin() + static_cast<std::ptrdiff_t>(pos + 10),
                          file.begin() + static_cast<std::ptrdiff_t>(pos + 10 + size));
        tag.frames.push_back(frame);
        pos += 10 + size;
    }
    tag.padding = end - pos;
    for (std::size_t i = pos; i < end; ++i) {
        tag.paddingAllZero = tag.paddingAllZero && file[i] == 0;
    }
    return tag;
}

Bytes Tail(const Bytes& file, std::size_t from) {
    return from <= file.size() ? Bytes(file.begin() + static_cast<std::ptrdiff_t>(from), file.end())
                               : Bytes{};
}

Id3v2Fields SampleFields() {
    return {"Title",    "Artist",
            "Album",    "1999",
            "Comment",  "7",
            "Rock",     "Copyright",
            "Original", "http://example.com/",
            "Encoder",  "Composer",
            0};
}

int TempFilesIn(const std::string& folder) {
    int count = 0;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            count +=
                std::string_view(entry->d_name).find(".temp") != std::string_view::npos ? 1 : 0;
        }
        ::closedir(dir);
    }
    return count;
}

ino_t InodeOf(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_ino;
}

// Runs body in a child process and answers its exit status, or -1 when the child could
// not be started or did not finish within 30 seconds.
template <typename Body> int RunInChild(Body body) {
    const pid_t pid = ::fork();
    if (pid < 0) {
        return -1;
    }
    if (pid == 0) {
        ::_exit(body());
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

constexpr int kChildCannotDropPrivileges = 99;

// Removes the test hook however the test ends.
struct HookGuard {
    explicit HookGuard(std::function<void()> hook) {
        Id3v2::SetBeforeReplaceHookForTests(std::move(hook));
    }
    ~HookGuard() { Id3v2::SetBeforeReplaceHookForTests({}); }
};

class Id3v2WriteFile : public ::testing::Test {
protected:
    std::string Put(const Bytes& bytes, const std::string& name = "song.mp3") {
        const std::string path = m_dir.File(name);
        WriteAll(path, bytes);
        return path;
    }
    // The tag read back from path; fails the test when it does not read.
    static Id3v2Fields ReadBack(const std::string& path) {
        Id3v2Fields fields;
        EXPECT_EQ(Id3v2::ReadTag(path, fields), Id3v2::kRead);
        return fields;
    }
    TempDir m_dir;
};

} // namespace

TEST_F(Id3v2WriteFile, FileWithoutTagGetsTwelveFramesAndPadding) {
    const Bytes audio = Audio();
    const std::string path = Put(audio);
    ASSERT_EQ(Id3v2::WriteTag(Id3v2Fields{}, path), Id3v2::kWritten);
    const Bytes file = ReadAll(path);
    const WalkedTag tag = Walk(file);
    EXPECT_EQ(tag.version, 3);
    EXPECT_EQ(tag.flags, 0);
    EXPECT_EQ(tag.Ids(),
              (std::vector<std::string>{"TIT2", "TPE1", "TALB", "TYER", "COMM", "TCON", "TCOP",
                                        "TOPE", "WXXX", "TENC", "TCOM", "TRCK"}));
    // Empty texts still give frames. Only the first needs room: 1 + 1034 bytes; the
    // other eleven take 128 of the 1024 bytes left.
    EXPECT_EQ(tag.Find("TIT2")->data, Bytes{0});
    EXPECT_EQ(tag.Find("COMM")->data, Comment(""));
    EXPECT_EQ(tag.Find("WXXX")->data, (Bytes{0, 0}));
    EXPECT_EQ(tag.Find("TRCK")->data, (Bytes{0, '0', '0'}));
    EXPECT_EQ(tag.bodySize, 1035u);
    EXPECT_EQ(tag.padding, 1024u - 128u);
    EXPECT_TRUE(tag.paddingAllZero);
    EXPECT_EQ(Tail(file, 10 + tag.bodySize), audio);
}

TEST_F(Id3v2WriteFile, FieldsRoundTripWithByteExactFrames) {
    const Bytes audio = Audio();
    const std::string path = Put(audio);
    Id3v2Fields fields = SampleFields();
    fields.comment = "one\r\ntwo\nthree"; // CR LF typed is stored as CR CR LF
    ASSERT_EQ(Id3v2::WriteTag(fields, path), Id3v2::kWritten);
    const Bytes file = ReadAll(path);
    const WalkedTag tag = Walk(file);
    EXPECT_EQ(tag.Find("TIT2")->data, Latin("Title"));
    EXPECT_EQ(Bytes(file.begin() + 14, file.begin() + 18), (Bytes{0, 0, 0, 6})); // plain size
    EXPECT_EQ(tag.Find("COMM")->data, Comment("one\r\r\ntwo\r\nthree"));
    EXPECT_EQ(tag.Find("WXXX")->data, Cat({Bytes{0, 0}, B("http://example.com/")}));
    EXPECT_EQ(tag.Find("TRCK")->data, Latin("07"));
    EXPECT_EQ(Tail(file, 10 + tag.bodySize), audio);

    const Id3v2Fields back = ReadBack(path);
    Id3v2Fields expected = fields;
    expected.track = "07";
    EXPECT_EQ(Texts(back), Texts(expected));
    EXPECT_EQ(back.tagSize, static_cast<std::int32_t>(tag.bodySize));
}

TEST_F(Id3v2WriteFile, TrackIsWrittenAsANumber) {
    const std::string path = Put(Audio(2));
    for (const auto& [typed, stored] :
         std::vector<std::pair<std::string, std::string>>{{"7", "07"},
                                                          {"12", "12"},
                                                          {"", "00"},
                                                          {"3/12", "03/12"},
                                                          {"x", "00"},
                                                          {"123", "123"}}) {
        Id3v2Fields fields;
        fields.track = typed;
        ASSERT_EQ(Id3v2::WriteTag(fields, path), Id3v2::kWritten);
        EXPECT_EQ(Walk(ReadAll(path)).Find("TRCK")->data, Latin(stored)) << typed;
    }
}

TEST_F(Id3v2WriteFile, TextOutsideLatin1IsUtf16In23AndUtf8In24) {
    const std::string path = Put(Audio(2));
    Id3v2Fields fields;
    fields.title = "東京";
    fields.comment = "Привет";
    fields.artist = "Müller";
    fields.url = "http://example.com/東";
    ASSERT_EQ(Id3v2::WriteTag(fields, path), Id3v2::kWritten);
    WalkedTag tag = Walk(ReadAll(path));
    EXPECT_EQ(tag.Find("TIT2")->data,
              Cat({Bytes{1, 0xFF, 0xFE}, B(TextCodec::Utf8ToUtf16("東京", false))}));
    EXPECT_EQ(tag.Find("TPE1")->data, Latin("M\xFCller"));
    EXPECT_EQ(tag.Find("COMM")->data, Cat({Bytes{1}, B("eng"), Bytes{0, 0, 0xFF, 0xFE},
                                           B(TextCodec::Utf8ToUtf16("Привет", false))}));
    EXPECT_EQ(tag.Find("WXXX")->data, Cat({Bytes{0, 0}, B("http://example.com/?")}));

    const std::string path24 =
        Put(Cat({Tag(4, 0, Frame(4, "TIT2", Latin("x")), 2000), Audio(2)}), "v24.mp3");
    ASSERT_EQ(Id3v2::WriteTag(fields, path24), Id3v2::kWritten);
    tag = Walk(ReadAll(path24));
    EXPECT_EQ(tag.Find("TIT2")->data, Cat({Bytes{3}, B("東京")}));
    EXPECT_EQ(tag.Find("COMM")->data, Cat({Bytes{3}, B("eng"), Bytes{0}, B("Привет")}));
    const Id3v2Fields back = ReadBack(path24);
    EXPECT_EQ(std::tuple(back.title, back.comment, back.artist),
              std::tuple("東京", "Привет", "Müller"));
}

TEST_F(Id3v2WriteFile, EditInPaddingRewritesInPlace) {
    const Bytes audio = Audio();
    const Bytes old = Tag(3, 0,
                          Cat({Frame(3, "TIT2", Latin("Old title")),
                               Frame(3, "TIT2", Latin("Old two")), Frame(3, "TPE1", Latin("Band")),
                               Frame(3, "TXXX", Cat({Bytes{0}, B("mood"), Bytes{0}, B("calm")})),
                               Frame(3, "COMM", Comment(" 0000 1111", "iTunNORM")),
                               Frame(3, "COMM", Comment("old"))}),
                          2000);
    const std::string path = Put(Cat({old, audio}));
    const ino_t inode = InodeOf(path);
    Id3v2Fields fields = ReadBack(path);
    EXPECT_EQ(fields.title, "Old title"); // the first of two; the edit replaces both
    fields.title = "New title";
    fields.comment = "new";
    ASSERT_EQ(Id3v2::WriteTag(fields, path), Id3v2::kWritten);
    const Bytes file = ReadAll(path);
    EXPECT_EQ(file.size(), old.size() + audio.size());
    EXPECT_EQ(InodeOf(path), inode);
    EXPECT_EQ(Tail(file, old.size()), audio);
    const WalkedTag tag = Walk(file);
    EXPECT_EQ(tag.bodySize, old.size() - 10);
    // Untouched frames keep their place ahead; a comment with a description stays beside
    // the edited one.
    EXPECT_EQ(tag.Ids(),
              (std::vector<std::string>{"TXXX", "COMM", "TIT2", "TPE1", "TALB", "TYER", "COMM",
                                        "TCON", "TCOP", "TOPE", "WXXX", "TENC", "TCOM", "TRCK"}));
    EXPECT_EQ(tag.frames[1].data, Comment(" 0000 1111", "iTunNORM"));
    EXPECT_EQ(tag.frames[6].data, Comment("new"));
    const Id3v2Fields back = ReadBack(path);
    EXPECT_EQ(std::tuple(back.title, back.artist), std::tuple("New title", "Band"));
}

TEST_F(Id3v2WriteFile, Version24StaysVersion24WithItsOwnSizes) {
    const Bytes priv = Cat({B("owner"), Bytes{0}, Bytes(294, 0x81)}); // 300 bytes
    const Bytes old = Tag(4, 0,
                          Cat({Frame(4, "TIT2", Cat({Bytes{3}, B("Ünïcödé")})),
                               Frame(4, "TDRC", Latin("1999-01-02")), Frame(4, "PRIV", priv)}),
                          1500);
    const Bytes audio = Audio();
    const std::string path = Put(Cat({old, audio}));
    Id3v2Fields fields = ReadBack(path);
    EXPECT_EQ(fields.year, "1999");
    fields.year = "2001";
    ASSERT_EQ(Id3v2::WriteTag(fields, path), Id3v2::kWritten);
    const Bytes file = ReadAll(path);
    const WalkedTag tag = Walk(file);
    EXPECT_EQ(tag.version, 4);
    EXPECT_EQ(file.size(), old.size() + audio.size());
    ASSERT_NE(tag.Find("PRIV"), nullptr);
    EXPECT_EQ(tag.Find("PRIV")->data, priv);
    EXPECT_EQ(Bytes(file.begin() + 14, file.begin() + 18), SevenBit(300)); // PRIV now leads
    EXPECT_EQ(tag.Find("TDRC")->data, Latin("2001"));
    EXPECT_EQ(tag.Find("TYER"), nullptr);
    EXPECT_EQ(tag.Find("TIT2")->data, Latin("\xDC"
                                            "n\xEF"
                                            "c\xF6"
                                            "d\xE9")); // fits ISO-8859-1
}

TEST_F(Id3v2WriteFile, Version22BecomesVersion23WithPictures) {
    const Bytes jpeg = Cat({Bytes{0xFF, 0xD8, 0xFF, 0xE0}, Bytes(500, 0x11)});
    const Bytes png = Cat({B("\x89PNG"), Bytes(40, 0x22)});
    const Bytes body =
        Cat({Frame(2, "TT2", Latin("Old")), Frame(2, "TT1", Latin("Group")),
             Frame(2, "PIC", Cat({Bytes{0}, B("JPG"), Bytes{3}, B("cover"), Bytes{0}, jpeg})),
             Frame(2, "PIC", Cat({Bytes{0}, B("PNG"), Bytes{4}, Bytes{0}, png})),
             Frame(2, "PIC", Cat({Bytes{0}, B("Gif"), Bytes{0}, Bytes{0}, Bytes{1, 2}})),
             Frame(2, "XYZ", Latin("unknown")), Frame(2, "LNK", B("TT2\0http://x"))});
    const Bytes old = Tag(2, 0, body, 100);
    const Bytes audio = Audio();
    const std::string path = Put(Cat({old, audio}));
    Id3v2Fields fields = ReadBack(path);
    EXPECT_EQ(fields.title, "Old");
    fields.title = "New";
    ASSERT_EQ(Id3v2::WriteTag(fields, path), Id3v2::kWritten);
    const Bytes file = ReadAll(path);
    const WalkedTag tag = Walk(file);
    EXPECT_EQ(tag.version, 3);
    EXPECT_EQ(tag.Ids(), (std::vector<std::string>{"TIT1", "APIC", "APIC", "APIC", "TIT2", "TPE1",
                                                   "TALB", "TYER", "COMM", "TCON", "TCOP", "TOPE",
                                                   "WXXX", "TENC", "TCOM", "TRCK"}));
    EXPECT_EQ(tag.frames[0].data, Latin("Group"));
    EXPECT_EQ(tag.frames[1].data,
              Cat({Bytes{0}, B("image/jpeg"), Bytes{0, 3}, B("cover"), Bytes{0}, jpeg}));
    EXPECT_EQ(tag.frames[2].data, Cat({Bytes{0}, B("image/png"), Bytes{0, 4, 0}, png}));
    EXPECT_EQ(tag.frames[3].data, Cat({Bytes{0}, B("image/gif"), Bytes{0, 0, 0, 1, 2}}));
    EXPECT_EQ(Tail(file, 10 + tag.bodySize), audio); // the 2.2 tag is gone, not left behind
    EXPECT_EQ(ReadBack(path).title, "New");
}

TEST_F(Id3v2WriteFile, LargePictureSurvivesAGrowingRewriteThroughASymbolicLink) {
    Bytes picture(200 * 1024);
    std::mt19937 random(7);
    for (std::uint8_t& b : picture) {
        b = static_cast<std::uint8_t>(random());
    }
    const Bytes apic = Cat({Bytes{0}, B("image/jpeg"), Bytes{0, 3, 0}, picture});
    const Bytes old = Tag(3, 0, Cat({Frame(3, "APIC", apic), Frame(3, "TIT2", Latin("T"))}), 10);
    const Bytes audio = Audio(200);
    // Written through a symbolic link: the link stays, its target is replaced keeping its mode.
    const std::string target = Put(Cat({old, audio}), "target.mp3");
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    const std::string path = m_dir.File("link.mp3");
    ASSERT_EQ(::symlink("target.mp3", path.c_str()), 0);
    Id3v2Fields fields;
    ASSERT_EQ(Id3v2::ReadTag(path, fields), Id3v2::kRead); // tag longer than the first read
    EXPECT_EQ(fields.title, "T");
    fields.comment = std::string(900, 'c');
    ASSERT_EQ(Id3v2::WriteTag(fields, path), Id3v2::kWritten);
    const Bytes file = ReadAll(path);
    const WalkedTag tag = Walk(file);
    ASSERT_NE(tag.Find("APIC"), nullptr);
    EXPECT_TRUE(tag.Find("APIC")->data == apic);
    EXPECT_GT(file.size(), old.size() + audio.size());
    EXPECT_TRUE(Tail(file, 10 + tag.bodySize) == audio);
    EXPECT_EQ(TempFilesIn(m_dir.Path()), 0);
    struct stat info {};
    ASSERT_EQ(::lstat(path.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

// Whatever the old tag held, the new one replaces it whole. An extended header, whole-tag
// unsynchronisation and a footer become padding when the new tag fits in their place.
TEST_F(Id3v2WriteFile, AnyOldTagIsReplacedWhole) {
    const Bytes audio = Audio();
    const Bytes txxx = {0, 'k', 0, 0xFF, 0xE0};
    struct Case {
        const char* name;
        Bytes tag;
        bool inPlace;
        Bytes keptTxxx;
    };
    const Case cases[] = {
        {"2.3 extended header and unsynchronisation",
         Tag(3, 0xC0,
             Unsync(Cat(
                 {Plain(6), Bytes(6, 0), Frame(3, "TXXX", txxx), Frame(3, "TIT2", Latin("T"))})),
             600),
         true, txxx},
        {"2.4 footer", Footed(Frame(4, "TIT2", Latin("T")), 600), true, {}},
        {"2.4 footer without padding", Footed(Frame(4, "TIT2", Latin("T")), 0), false, {}},
        {"undefined header flag", Tag(3, 0x01, Frame(3, "TIT2", Latin("T")), 50), false, {}},
        {"damaged extended header",
         Tag(3, 0x40, Cat({Plain(999), Frame(3, "TIT2", Latin("T"))}), 50),
         false,
         {}},
        // Frames read before the damaged one are kept.
        {"damaged frame",
         Tag(3, 0, Cat({Frame(3, "TXXX", Latin("kept")), B("bad!"), Bytes(6, 1)}), 3000), false,
         Latin("kept")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = Put(Cat({c.tag, audio}));
        ASSERT_EQ(Id3v2::WriteTag(SampleFields(), path), Id3v2::kWritten);
        const Bytes file = ReadAll(path);
        const WalkedTag tag = Walk(file);
        EXPECT_EQ(Tail(file, 10 + tag.bodySize), audio);
        if (c.inPlace) {
            EXPECT_EQ(10 + tag.bodySize, c.tag.size());
            EXPECT_EQ(tag.version, c.tag[3]);
            EXPECT_EQ(tag.flags, 0);
        }
        if (!c.keptTxxx.empty()) {
            ASSERT_NE(tag.Find("TXXX"), nullptr);
            EXPECT_EQ(tag.Find("TXXX")->data, c.keptTxxx);
        }
        Id3v2Fields back;
        EXPECT_EQ(Id3v2::ReadTag(path, back), Id3v2::kRead);
        EXPECT_EQ(back.title, "Title");
    }
}

TEST_F(Id3v2WriteFile, BlankTagZeroesTheBodyAndKeepsTheHeader) {
    const Bytes audio = Audio();
    const Bytes old =
        Tag(3, 0, Cat({Frame(3, "TIT2", Latin("Title")), Frame(3, "TPE1", Latin("Band"))}), 300);
    const std::string path = Put(Cat({old, audio}));
    ASSERT_EQ(Id3v2::BlankTag(path), Id3v2::kBlanked);
    const Bytes file = ReadAll(path);
    ASSERT_EQ(file.size(), old.size() + audio.size());
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 10), Bytes(old.begin(), old.begin() + 10));
    EXPECT_EQ(Bytes(file.begin() + 10, file.begin() + static_cast<std::ptrdiff_t>(old.size())),
              Bytes(old.size() - 10, 0));
    EXPECT_EQ(Tail(file, old.size()), audio);
    Id3v2Fields fields;
    EXPECT_EQ(Id3v2::ReadTag(path, fields), Id3v2::kNoFrame);

    // Nothing to blank: untouched. A body under 11 bytes: 2.
    const std::string plain = Put(audio, "plain.mp3");
    EXPECT_EQ(Id3v2::BlankTag(plain), Id3v2::kBlanked);
    EXPECT_EQ(ReadAll(plain), audio);
    const std::string tiny = Put(Cat({Tag(3, 0, {}, 10), audio}), "tiny.mp3");
    EXPECT_EQ(Id3v2::BlankTag(tiny), Id3v2::kBlankTooShort);
}

TEST_F(Id3v2WriteFile, ReadOnlyOrMissingFileIsLeftAlone) {
    const Bytes grows = Cat({Tag(3, 0, Frame(3, "TIT2", Latin("T")), 0), Audio()});
    const Bytes fits = Cat({Tag(3, 0, Frame(3, "TIT2", Latin("T")), 2000), Audio()});
    const std::string growsPath = Put(grows, "grows.mp3");
    const std::string fitsPath = Put(fits, "fits.mp3");
    ASSERT_EQ(::chmod(growsPath.c_str(), 0444), 0);
    ASSERT_EQ(::chmod(fitsPath.c_str(), 0444), 0);
    EXPECT_EQ(Id3v2::WriteTag(SampleFields(), growsPath), Id3v2::kOpenFailed);
    EXPECT_EQ(Id3v2::WriteTag(SampleFields(), fitsPath), Id3v2::kInPlaceOpenFailed);
    EXPECT_EQ(Id3v2::BlankTag(fitsPath), Id3v2::kBlankOpenFailed);
    EXPECT_EQ(ReadAll(growsPath), grows);
    EXPECT_EQ(ReadAll(fitsPath), fits);
    // A missing file is not created.
    const std::string missing = m_dir.File("missing.mp3");
    Id3v2Fields fields;
    EXPECT_EQ(Id3v2::ReadTag(missing, fields), Id3v2::kCannotOpen);
    EXPECT_EQ(Id3v2::WriteTag(SampleFields(), missing), Id3v2::kOpenFailed);
    EXPECT_EQ(Id3v2::BlankTag(missing), Id3v2::kBlanked);
    EXPECT_NE(::access(missing.c_str(), F_OK), 0);
    EXPECT_EQ(TempFilesIn(m_dir.Path()), 0);
}

TEST_F(Id3v2WriteFile, ReadOnlyFolderFailsToCreateTheTemporaryFile) {
    // Root ignores folder permissions, so the write runs as an ordinary user in a child.
    ASSERT_EQ(::chmod(m_dir.Path().c_str(), 0755), 0);
    const std::string folder = m_dir.File("locked");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    const Bytes original = Audio();
    const std::string path = folder + "/song.mp3";
    WriteAll(path, original);
    ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    const bool root = ::geteuid() == 0;
    const int result = RunInChild([&] {
        if (root && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            return kChildCannotDropPrivileges;
        }
        return Id3v2::WriteTag(SampleFields(), path);
    });
    if (result == kChildCannotDropPrivileges || result < 0) {
        GTEST_SKIP() << "cannot run as another user here";
    }
    EXPECT_EQ(result, Id3v2::kTempCreateFailed);
    EXPECT_EQ(ReadAll(path), original);
    EXPECT_EQ(TempFilesIn(folder), 0);
}

TEST_F(Id3v2WriteFile, DiskErrorLeavesTheFileAsItWas) {
    // A file-size limit makes writing the temporary file fail as a full disk would.
    const Bytes original = Cat({Tag(3, 0, Frame(3, "TIT2", Latin("T")), 0), Audio(300)});
    const std::string path = Put(original);
    for (const rlim_t limit : {rlim_t{512}, rlim_t{8192}}) {
        const int result = RunInChild([&] {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit small{limit, limit};
            if (::setrlimit(RLIMIT_FSIZE, &small) != 0) {
                return kChildCannotDropPrivileges;
            }
            return Id3v2::WriteTag(SampleFields(), path);
        });
        ASSERT_NE(result, kChildCannotDropPrivileges);
        EXPECT_EQ(result, limit == 512 ? Id3v2::kTempWriteFailed : Id3v2::kCopyFailed) << limit;
        EXPECT_EQ(ReadAll(path), original);
        EXPECT_EQ(TempFilesIn(m_dir.Path()), 0);
    }
}

TEST_F(Id3v2WriteFile, FileChangedUnderneathIsNotReplaced) {
    const Bytes original = Cat({Tag(3, 0, Frame(3, "TIT2", Latin("T")), 0), Audio()});
    const std::string path = Put(original);
    {
        HookGuard hook([&] {
            const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND);
            ASSERT_GE(fd, 0);
            ASSERT_EQ(::write(fd, "late", 4), 4);
            ::close(fd);
        });
        EXPECT_EQ(Id3v2::WriteTag(SampleFields(), path), Id3v2::kFileChanged);
    }
    EXPECT_EQ(ReadAll(path), Cat({original, B("late")}));
    EXPECT_EQ(TempFilesIn(m_dir.Path()), 0);

    // In place: the head no longer holds the tag that was read.
    const Bytes roomy = Cat({Tag(3, 0, Frame(3, "TIT2", Latin("T")), 2000), Audio()});
    const std::string roomyPath = Put(roomy, "roomy.mp3");
    Bytes changed = roomy;
    changed[21] = 'X';
    {
        HookGuard hook([&] { WriteAll(roomyPath, changed); });
        EXPECT_EQ(Id3v2::WriteTag(SampleFields(), roomyPath), Id3v2::kFileChanged);
    }
    EXPECT_EQ(ReadAll(roomyPath), changed);
}
