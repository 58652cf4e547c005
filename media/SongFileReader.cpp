#include "SongFileReader.h"

#include "Id3v2File.h"
#include "PosixFile.h"

#include <algorithm>
#include <fcntl.h>
#include <span>
#include <utility>
#include <vector>

namespace {

constexpr std::int64_t kHeadBytes = 64 * 1024;

} // namespace

SongFileFacts SongFileReader::Read(const std::string& path) {
    return ReadIn(AT_FDCWD, path.c_str(), path);
}

SongFileFacts SongFileReader::ReadIn(int folderFd, const char* name, const std::string& path) {
    PosixFile file;
    if (!file.OpenReadIn(folderFd, name)) {
        SongFileFacts facts;
        facts.info.fileName = path;
        facts.id3v2Result = Id3v2::kCannotOpen;
        return facts;
    }
    return ReadOpen(file, path);
}

SongFileFacts SongFileReader::ReadOpen(const PosixFile& file, const std::string& path) {
    SongFileFacts facts;
    facts.info.fileName = path;
    std::int64_t size = 0;
    if (!file.SizeAndCreated(size, facts.createdSeconds, &facts.isFolder) || size < 0 ||
        facts.isFolder) {
        facts.id3v2Result = Id3v2::kCannotOpen;
        return facts;
    }
    facts.hasFileFacts = true;
    facts.fileSize = size;
    if (TagLibFile::OwnsExtension(path)) {
        facts.info.fileSize = size;
        facts.fromTagLib = true;
        facts.tagLib = TagLibFile::ReadFrom(file, size, path.c_str());
        return facts;
    }
    // The head is read into a buffer each thread keeps, so reading a file neither
    // allocates nor clears one; nothing read from it outlives this call.
    thread_local std::vector<std::uint8_t> headBuffer(static_cast<std::size_t>(kHeadBytes));
    const std::int64_t got = file.ReadAt(
        0, std::span<std::uint8_t>(headBuffer.data(),
                                   static_cast<std::size_t>(std::min(size, kHeadBytes))));
    const std::span<const std::uint8_t> head(
        headBuffer.data(), static_cast<std::size_t>(std::max<std::int64_t>(got, 0)));

    // ID3v2: parsed from the head when the whole tag is in it, else from one more read.
    const std::size_t tagLength = head.size() >= 10 ? Id3v2::TagLengthAt(head) : 0;
    if (tagLength == 0) {
        facts.id3v2Result = Id3v2::kNoHeader;
    } else if (tagLength <= head.size()) {
        facts.id3v2Result = Id3v2::ReadTagFromBytes(head.first(tagLength), facts.fields);
    } else {
        std::vector<std::uint8_t> tag(static_cast<std::size_t>(
            std::min<std::int64_t>(static_cast<std::int64_t>(tagLength), size)));
        const std::int64_t n = file.ReadAt(0, tag);
        tag.resize(static_cast<std::size_t>(std::max<std::int64_t>(n, 0)));
        facts.id3v2Result = Id3v2::ReadTagFromBytes(tag, facts.fields);
    }

    facts.mpegResult = facts.info.ReadFrom(file, size, head);
    if (facts.info.tailIsTag) {
        facts.hasId3v1 = facts.id3v1.Parse(facts.info.rawTag);
    }
    if (facts.mpegResult != MpegFileInfo::kRead && TagLibFile::KnowsExtension(path)) {
        TagLibFacts other = TagLibFile::ReadFrom(file, size, path.c_str());
        if (other.result == TagLibFacts::kRead) {
            facts.fromTagLib = true;
            facts.tagLib = std::move(other);
        }
    }
    return facts;
}
