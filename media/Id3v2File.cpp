#include "Id3v2File.h"

#include "AtomicFileWriter.h"
#include "Id3v2FieldMapper.h"
#include "Id3v2Tag.h"
#include "Id3v2Upgrade.h"
#include "PosixFile.h"

#include <algorithm>
#include <new>
#include <optional>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace Id3v2 {
namespace {

constexpr std::size_t kHeadReadLength = 64 * 1024;
constexpr std::size_t kBlankBlockLength = 64 * 1024;

std::function<void()>& BeforeReplaceHook() {
    static std::function<void()> hook;
    return hook;
}

void RunBeforeReplaceHook() {
    if (BeforeReplaceHook()) {
        BeforeReplaceHook()();
    }
}

// The start of a music file as read: the tag's bytes (as far as the file holds them),
// the tag's length from its header (0 when there is no tag) and the file's facts.
struct FileHead {
    std::vector<std::uint8_t> tagBytes;
    std::size_t tagLength = 0;
    struct stat info {};
};

// One read of the head; a second one only when the tag is longer than that.
bool ReadHead(const PosixFile& file, FileHead& head) {
    if (!file.Stat(head.info) || !S_ISREG(head.info.st_mode)) {
        return false;
    }
    try {
        std::vector<std::uint8_t>& bytes = head.tagBytes;
        bytes.resize(kHeadReadLength);
        const std::int64_t n = file.ReadAt(0, bytes);
        if (n < 0) {
            return false;
        }
        bytes.resize(static_cast<std::size_t>(n));
        head.tagLength = TagLengthAt(bytes);
        if (head.tagLength > bytes.size() && bytes.size() == kHeadReadLength) {
            // Never trust the header's size beyond what the file holds.
            const auto fileSize = static_cast<std::size_t>(std::max<off_t>(head.info.st_size, 0));
            const std::size_t want = std::min(head.tagLength, std::max(fileSize, bytes.size()));
            const std::size_t have = bytes.size();
            bytes.resize(want);
            const std::int64_t m =
                file.ReadAt(static_cast<std::int64_t>(have),
                            std::span<std::uint8_t>(bytes.data() + have, want - have));
            if (m < 0) {
                return false;
            }
            bytes.resize(have + static_cast<std::size_t>(m));
        }
        bytes.resize(std::min(bytes.size(), head.tagLength));
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool OwnerMayWrite(const PosixFile& file) {
    // Root bypasses permissions; a file without the owner's write bit still counts as
    // read-only, as the user meant it.
    struct stat info {};
    return file.Stat(info) && (info.st_mode & S_IWUSR) != 0;
}

bool SameFile(const std::string& path, const struct stat& before) {
    struct stat now {};
    return ::stat(path.c_str(), &now) == 0 && now.st_dev == before.st_dev &&
           now.st_ino == before.st_ino && now.st_size == before.st_size &&
           now.st_mtim.tv_sec == before.st_mtim.tv_sec &&
           now.st_mtim.tv_nsec == before.st_mtim.tv_nsec;
}

// Sets the version, body size and padding the new tag starts from. An old tag keeps its
// whole length (extended header, footer and unreadable rest become padding), so an
// in-place write covers exactly the old tag; padding counts only after a clean read. A
// header that claims more bytes than the file holds keeps only what is there, so a
// damaged size never blows the file up.
void PrepareForWrite(Id3v2Tag& tag, int readResult, std::int64_t fileSize) {
    if (tag.Version() == 0) {
        tag.Frames().clear();
        tag.SetVersion(3);
        tag.SetSpace(0, 0);
        return;
    }
    if (tag.Version() == 2) {
        Id3v2Upgrade::ToVersion23(tag);
    }
    std::int64_t body = std::min(static_cast<std::int64_t>(tag.TotalLength()), fileSize) -
                        static_cast<std::int64_t>(Id3v2Tag::kHeaderLength);
    const std::int64_t used = tag.UsedBytes();
    std::int64_t padding = readResult == kRead ? body - used : 0;
    if (used > body || padding < 0) {
        body = used;
        padding = 0;
    }
    tag.SetSpace(body, padding);
}

int WriteInPlace(const std::string& path, const FileHead& head,
                 const std::vector<std::uint8_t>& tag) {
    PosixFile file;
    if (!file.OpenReadWrite(path) || !OwnerMayWrite(file)) {
        return kInPlaceOpenFailed;
    }
    RunBeforeReplaceHook();
    std::vector<std::uint8_t> now(head.tagBytes.size());
    if (file.ReadAt(0, now) != static_cast<std::int64_t>(now.size()) || now != head.tagBytes) {
        return kFileChanged;
    }
    if (!file.WriteAt(0, tag)) {
        // Put the old tag back as far as the file lets us.
        file.WriteAt(0, head.tagBytes);
        return kInPlaceShortWrite;
    }
    file.Sync();
    return kWritten;
}

int Rewrite(const std::string& path, const FileHead& head, const std::vector<std::uint8_t>& tag) {
    AtomicFileWriter writer;
    if (!writer.Create(path)) {
        return kTempCreateFailed;
    }
    if (!writer.Write(tag)) {
        return kTempWriteFailed;
    }
    PosixFile music;
    if (!music.OpenReadWrite(path) || !OwnerMayWrite(music)) {
        return kOpenFailed;
    }
    if (!writer.CopyFrom(music, static_cast<std::int64_t>(head.tagLength))) {
        return kCopyFailed;
    }
    music.Close();
    RunBeforeReplaceHook();
    if (!SameFile(writer.TargetPath(), head.info)) {
        return kFileChanged;
    }
    return writer.Commit() ? kWritten : kReplaceFailed;
}

// Writes all twelve fields, or with which only the fields it names.
int WriteTagOrThrow(const Id3v2Fields& fields, const std::string& path,
                    std::optional<unsigned> which) {
    PosixFile file;
    FileHead head;
    if (!file.OpenRead(path) || !ReadHead(file, head)) {
        return kOpenFailed;
    }
    file.Close();
    Id3v2Tag tag;
    const int readResult = head.tagLength > 0 ? tag.Parse(head.tagBytes) : kNoHeader;
    // Fields that already read as asked are no change: the tag, frames this program does
    // not know included, stays byte for byte (a 2.2 tag would otherwise be converted).
    if (which && readResult == kRead && !Id3v2FieldMapper::ChangesAny(tag, fields, *which)) {
        return kWritten;
    }
    PrepareForWrite(tag, readResult, static_cast<std::int64_t>(head.info.st_size));
    if (which) {
        Id3v2FieldMapper::ApplyChangedFields(fields, *which, tag);
        if (head.tagLength == 0 && tag.Frames().empty()) {
            return kWritten; // no tag, and nothing to put in one
        }
    } else {
        Id3v2FieldMapper::ApplyFields(fields, tag);
    }
    const std::vector<std::uint8_t> bytes = tag.Serialize();
    if (bytes.empty()) {
        return kTempWriteFailed;
    }
    // The new tag starts from the old one's whole length and only grows, so one of the
    // same length covers exactly the old tag.
    if (head.tagLength > 0 && bytes.size() == head.tagLength) {
        return WriteInPlace(path, head, bytes);
    }
    return Rewrite(path, head, bytes);
}

std::uint32_t BodySizeOf(const std::uint8_t* header) {
    return (std::uint32_t{header[6]} << 21) | (std::uint32_t{header[7]} << 14) |
           (std::uint32_t{header[8]} << 7) | header[9];
}

} // namespace

std::size_t TagLengthAt(std::span<const std::uint8_t> head) {
    return Id3v2Tag::LengthAt(head);
}

int ReadTagFromBytes(std::span<const std::uint8_t> tagBytes, Id3v2Fields& fields) {
    fields.Clear();
    try {
        Id3v2Tag tag;
        const int result = tag.Parse(tagBytes);
        if (result != kRead) {
            return result;
        }
        Id3v2FieldMapper::ExtractFields(tag, fields);
        fields.tagSize = tag.HeaderSize();
        return kRead;
    } catch (const std::bad_alloc&) {
        fields.Clear();
        return kNoFrame;
    }
}

int ReadTag(const std::string& path, Id3v2Fields& fields) {
    fields.Clear();
    PosixFile file;
    FileHead head;
    if (!file.OpenRead(path) || !ReadHead(file, head)) {
        return kCannotOpen;
    }
    if (head.tagLength == 0) {
        return kNoHeader;
    }
    return ReadTagFromBytes(head.tagBytes, fields);
}

int WriteTag(const Id3v2Fields& fields, const std::string& path) {
    try {
        return WriteTagOrThrow(fields, path, std::nullopt);
    } catch (const std::bad_alloc&) {
        return kTempWriteFailed; // nothing was replaced; the file is as it was
    }
}

int WriteChangedFields(const Id3v2Fields& fields, unsigned which, const std::string& path) {
    if ((which & Id3v2Fields::kAllFields) == 0) {
        return kWritten;
    }
    try {
        return WriteTagOrThrow(fields, path, which);
    } catch (const std::bad_alloc&) {
        return kTempWriteFailed; // nothing was replaced; the file is as it was
    }
}

int BlankTag(const std::string& path) {
    std::uint8_t header[Id3v2Tag::kHeaderLength];
    PosixFile file;
    if (!file.OpenRead(path) ||
        file.ReadAt(0, header) != static_cast<std::int64_t>(sizeof header) ||
        TagLengthAt(header) == 0) {
        return kBlanked; // nothing to blank
    }
    file.Close();
    if (!file.OpenReadWrite(path) || !OwnerMayWrite(file)) {
        return kBlankOpenFailed;
    }
    // Read again through the descriptor we write with.
    if (file.ReadAt(0, header) != static_cast<std::int64_t>(sizeof header) ||
        TagLengthAt(header) == 0) {
        return kBlanked;
    }
    const std::int64_t fileSize = file.Size();
    const std::uint32_t bodySize = BodySizeOf(header);
    if (fileSize < 11 || bodySize < 11) {
        return kBlankTooShort;
    }
    // Zero the body, but never make the file longer.
    const std::int64_t end = std::min<std::int64_t>(
        fileSize, static_cast<std::int64_t>(Id3v2Tag::kHeaderLength) + bodySize);
    const std::vector<std::uint8_t> zeros(kBlankBlockLength, 0);
    for (std::int64_t pos = Id3v2Tag::kHeaderLength; pos < end;) {
        const auto count = static_cast<std::size_t>(
            std::min<std::int64_t>(end - pos, static_cast<std::int64_t>(zeros.size())));
        if (!file.WriteAt(pos, std::span<const std::uint8_t>(zeros.data(), count))) {
            return kBlankOpenFailed;
        }
        pos += static_cast<std::int64_t>(count);
    }
    file.Sync();
    return kBlanked;
}

void SetBeforeReplaceHookForTests(std::function<void()> hook) {
    BeforeReplaceHook() = std::move(hook);
}

} // namespace Id3v2
