// Fuzz target of the ID3v2 reader and writer. The first input byte is a control byte;
// the rest is the start of a music file.
//
// Every input is parsed from memory. When bit 0 of the control byte is set the bytes
// also go into a file in a private temporary folder, and then:
//  - reading the file must give what reading the same bytes from memory gives;
//  - after a successful WriteTag of a set of fields (picked by the other control bits),
//    ReadTag must succeed and give those fields back (see InspectOldTag for what an
//    empty field may give), the file must hold exactly one tag followed by the bytes
//    that followed the old tag, and no temporary file may be left in the folder;
//  - with bit 7 set as well, only some fields are written (the tag editor's save): a
//    written title reads back and the same file rules hold.
// The folder is made under $TMPDIR (default /tmp); on tmpfs the writer's flushes cost
// nothing and the target runs about twice as fast.
#include "media/Id3v2Fields.h"
#include "media/Id3v2File.h"
#include "media/Id3v2Tag.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <span>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

using Bytes = std::span<const std::uint8_t>;

std::string g_folder;
std::string g_song;

void RemoveFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(g_folder, ignored);
}

bool WriteWholeFile(const std::string& path, Bytes bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return done == bytes.size();
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return bytes;
    }
    std::uint8_t buffer[8192];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    std::fclose(file);
    return bytes;
}

int EntriesInFolder() {
    DIR* dir = ::opendir(g_folder.c_str());
    int count = 0;
    while (const dirent* entry = dir != nullptr ? ::readdir(dir) : nullptr) {
        const std::string name = entry->d_name;
        count += name != "." && name != ".." ? 1 : 0;
    }
    if (dir != nullptr) {
        ::closedir(dir);
    }
    return count;
}

// Length of the tag at the start of the bytes (0 for none), as the library measures it.
std::size_t TagLength(Bytes bytes) {
    return bytes.size() >= 10 ? Id3v2::TagLengthAt(bytes) : 0;
}

bool SameTexts(const Id3v2Fields& a, const Id3v2Fields& b) {
    return a.title == b.title && a.artist == b.artist && a.album == b.album && a.year == b.year &&
           a.comment == b.comment && a.track == b.track && a.genre == b.genre &&
           a.copyright == b.copyright && a.originalArtist == b.originalArtist && a.url == b.url &&
           a.encodedBy == b.encodedBy && a.composer == b.composer;
}

// Shows which texts differ, for the crash report.
void PrintDifferences(const Id3v2Fields& expected, const Id3v2Fields& got) {
    const std::pair<const char*, const std::string Id3v2Fields::*> texts[] = {
        {"title", &Id3v2Fields::title},
        {"artist", &Id3v2Fields::artist},
        {"album", &Id3v2Fields::album},
        {"year", &Id3v2Fields::year},
        {"comment", &Id3v2Fields::comment},
        {"track", &Id3v2Fields::track},
        {"genre", &Id3v2Fields::genre},
        {"copyright", &Id3v2Fields::copyright},
        {"originalArtist", &Id3v2Fields::originalArtist},
        {"url", &Id3v2Fields::url},
        {"encodedBy", &Id3v2Fields::encodedBy},
        {"composer", &Id3v2Fields::composer}};
    for (const auto& [name, member] : texts) {
        if (expected.*member != got.*member) {
            std::fprintf(stderr, "  %s: expected \"%s\", got \"%s\"\n", name,
                         (expected.*member).c_str(), (got.*member).c_str());
        }
    }
}

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "fuzz_id3v2: %s\n", what);
    __builtin_trap();
}

// ---- fields to write ------------------------------------------------------------------

// Latin-1 bytes of the input as UTF-8; bytes below 0x20 become letters so the text has
// no line ends or zero bytes.
std::string TextFromBytes(Bytes bytes, std::size_t limit) {
    std::string text;
    for (const std::uint8_t b : bytes.first(std::min(bytes.size(), limit))) {
        const unsigned code = b < 0x20 ? 'a' + b % 26 : b;
        if (code < 0x80) {
            text.push_back(static_cast<char>(code));
        } else {
            text.push_back(static_cast<char>(0xC0 | (code >> 6)));
            text.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }
    return text;
}

Id3v2Fields AsciiFields() {
    Id3v2Fields f;
    f.title = "Title";
    f.artist = "Artist";
    f.album = "Album";
    f.year = "1999";
    f.comment = "A comment";
    f.track = "7";
    f.genre = "Rock";
    f.copyright = "2001 Label";
    f.originalArtist = "Someone Else";
    f.url = "http://example.org/song";
    f.encodedBy = "Encoder";
    f.composer = "Composer";
    return f;
}

Id3v2Fields Latin1Fields() {
    Id3v2Fields f = AsciiFields();
    f.title = "Café del Mar";
    f.artist = "Motörhead";
    f.album = "Ærø – live"; // the dash is outside Latin-1
    f.comment = "Ça va";
    f.genre = "(17)";
    f.track = "12";
    return f;
}

Id3v2Fields UnicodeFields() {
    Id3v2Fields f;
    f.title = "夜の街";
    f.artist = "Живи";
    f.album = "Ωραία μέρα";
    f.comment = "コメント\nsecond line";
    f.genre = "J-Pop";
    f.composer = "作曲者 😀";
    f.year = "2020";
    return f;
}

Id3v2Fields SparseFields() {
    Id3v2Fields f;
    f.title = "Only a title";
    f.artist = "and an artist";
    return f;
}

Id3v2Fields LongFields() {
    Id3v2Fields f = AsciiFields();
    f.title = std::string(Id3v2Fields::kTextCapacity - 3, 'x') + "éßü";
    f.comment = std::string(600, 'c');
    f.genre = std::string(Id3v2Fields::kGenreCapacity, 'g');
    f.track = "255";
    return f;
}

Id3v2Fields InputFields(Bytes rest) {
    Id3v2Fields f;
    f.title = TextFromBytes(rest, 40);
    f.artist = TextFromBytes(rest.subspan(rest.size() / 2), 300);
    f.comment = TextFromBytes(rest.subspan(rest.size() / 3), 80);
    f.year = "1987";
    return f;
}

Id3v2Fields FieldsFor(std::uint8_t control, Bytes rest) {
    switch ((control >> 1) % 6) {
    case 0:
        return AsciiFields();
    case 1:
        return Latin1Fields();
    case 2:
        return UnicodeFields();
    case 3:
        return SparseFields();
    case 4:
        return LongFields();
    default:
        return InputFields(rest);
    }
}

// What the old tag holds that a read may give back in place of an empty written field:
// the reader falls back on any comment frame (whatever its description) and on the
// other version's year frame (TYER or TDRC), and an empty field writes no frame.
struct OldFrames {
    bool comment = false;
    bool year = false;
};

OldFrames InspectOldTag(Bytes file) {
    OldFrames old;
    Id3v2Tag tag;
    tag.Parse(file);
    for (const Id3v2Frame& frame : tag.Frames()) {
        old.comment = old.comment || frame.id == "COMM" || frame.id == "COM";
        old.year = old.year || frame.id == "TYER" || frame.id == "TDRC";
    }
    return old;
}

// The fields as a read gives them back: the track is stored as a number, with a leading
// zero below 10 ("" gives "00", "7" gives "07"). Every track written here is digits only.
Id3v2Fields AsReadBack(Id3v2Fields fields) {
    const int track = fields.track.empty() ? 0 : std::atoi(fields.track.c_str());
    fields.track = (track < 10 ? "0" : "") + std::to_string(track);
    return fields;
}

// ---- the checks ------------------------------------------------------------------------

// Reading the file must match reading its first bytes from memory, as the one-pass song
// reader does.
void CheckFileReadMatchesMemory(Bytes file) {
    Id3v2Fields fromFile;
    const int fileResult = Id3v2::ReadTag(g_song, fromFile);
    const std::size_t length = TagLength(file);
    if (length == 0) {
        if (fileResult != Id3v2::kNoHeader) {
            Fail("ReadTag found a tag where TagLengthAt found none");
        }
        return;
    }
    Id3v2Fields fromMemory;
    const int memoryResult =
        Id3v2::ReadTagFromBytes(file.first(std::min(length, file.size())), fromMemory);
    if (fileResult != memoryResult || !SameTexts(fromFile, fromMemory) ||
        fromFile.tagSize != fromMemory.tagSize) {
        std::fprintf(stderr, "  results: file %d, memory %d\n", fileResult, memoryResult);
        PrintDifferences(fromMemory, fromFile);
        Fail("ReadTag and ReadTagFromBytes disagree");
    }
}

// The written file starts with one whole tag, followed by exactly the bytes that followed
// the old one.
void CheckOneTagAndTheRestKept(Bytes before) {
    const std::vector<std::uint8_t> after = ReadWholeFile(g_song);
    const std::size_t newLength = TagLength(after);
    if (newLength == 0 || newLength > after.size()) {
        Fail("the written file does not start with a whole tag");
    }
    const std::size_t oldLength = TagLength(before);
    if (oldLength > before.size()) {
        return; // the old tag was cut short: which bytes were audio is anybody's guess
    }
    const Bytes oldRest = before.subspan(oldLength);
    const Bytes newRest = Bytes(after).subspan(newLength);
    if (TagLength(oldRest) == 0 && TagLength(newRest) != 0) {
        Fail("the written file holds two tags");
    }
    if (!std::equal(oldRest.begin(), oldRest.end(), newRest.begin(), newRest.end())) {
        Fail("the bytes after the tag changed");
    }
}

void CheckWrittenFile(Bytes before, Id3v2Fields written) {
    Id3v2Fields back;
    if (Id3v2::ReadTag(g_song, back) != Id3v2::kRead) {
        Fail("ReadTag fails after a successful WriteTag");
    }
    const OldFrames old = InspectOldTag(before);
    if (old.comment && written.comment.empty()) {
        written.comment = back.comment;
    }
    if (old.year && written.year.empty()) {
        written.year = back.year;
    }
    if (!SameTexts(back, written)) {
        PrintDifferences(written, back);
        Fail("ReadTag does not give back the fields written");
    }
    CheckOneTagAndTheRestKept(before);
}

// A tag header may claim more bytes than the file holds. The writer keeps the claimed
// body size as padding, so such a file of a few bytes can grow to 256 MB; claims far
// past the end are left out to keep the runs fast.
constexpr std::size_t kLargestOverclaim = 64 * 1024;

void WriteRoundTrip(std::uint8_t control, Bytes file) {
    if (TagLength(file) > file.size() + kLargestOverclaim || !WriteWholeFile(g_song, file)) {
        return;
    }
    CheckFileReadMatchesMemory(file);
    const Id3v2Fields fields = FieldsFor(control, file);
    const int result = Id3v2::WriteTag(fields, g_song);
    if (EntriesInFolder() != 1) {
        Fail("WriteTag left a temporary file behind");
    }
    if (result == Id3v2::kWritten) {
        CheckWrittenFile(file, AsReadBack(fields));
    }
}

// The tag editor's save: only the fields named by the bits are written, each in place of
// the frame that held it. A written title reads back, and the rest of the file is kept.
void ChangedFieldsRoundTrip(std::uint8_t control, Bytes file) {
    if (TagLength(file) > file.size() + kLargestOverclaim || !WriteWholeFile(g_song, file)) {
        return;
    }
    // Frames the save does not touch keep their bytes, damaged ones included: only a tag
    // that read before must read after.
    Id3v2Fields old;
    const bool readBefore = Id3v2::ReadTag(g_song, old) == Id3v2::kRead;
    const Id3v2Fields fields = FieldsFor(control, file);
    const unsigned which =
        (file.empty() ? Id3v2Fields::kAllFields : file.back() * 0x21u) & Id3v2Fields::kAllFields;
    const int result = Id3v2::WriteChangedFields(fields, which, g_song);
    if (EntriesInFolder() != 1) {
        Fail("WriteChangedFields left a temporary file behind");
    }
    if (result != Id3v2::kWritten) {
        return;
    }
    // Nothing to write (no field named, or only empty ones for a file without a tag)
    // succeeds without touching the file.
    const std::vector<std::uint8_t> after = ReadWholeFile(g_song);
    if (std::equal(file.begin(), file.end(), after.begin(), after.end())) {
        return;
    }
    Id3v2Fields back;
    if (Id3v2::ReadTag(g_song, back) != Id3v2::kRead) {
        if (readBefore) {
            Fail("ReadTag fails after a successful WriteChangedFields");
        }
        CheckOneTagAndTheRestKept(file);
        return;
    }
    if ((which & Id3v2Fields::kTitle) != 0 && back.title != fields.title) {
        PrintDifferences(fields, back);
        Fail("the title written alone does not read back");
    }
    CheckOneTagAndTheRestKept(file);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(tmp != nullptr && *tmp != 0 ? tmp : "/tmp") + "/fuzz_id3v2-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror("fuzz_id3v2: mkdtemp");
        std::abort();
    }
    g_folder = pattern;
    g_song = g_folder + "/song.mp3";
    std::atexit(RemoveFolder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::uint8_t control = data[0];
    const Bytes file(data + 1, size - 1);

    Id3v2Fields fields;
    const int result = Id3v2::ReadTagFromBytes(file, fields);
    if (result != Id3v2::kRead && !SameTexts(fields, Id3v2Fields{})) {
        Fail("a failed read left fields filled in");
    }
    volatile std::size_t sink = TagLength(file);
    sink = sink + static_cast<std::size_t>(fields.tagSize);

    if ((control & 1) != 0 && (control & 0x80) != 0) {
        ChangedFieldsRoundTrip(control, file);
    } else if ((control & 1) != 0) {
        WriteRoundTrip(control, file);
    }
    return 0;
}
