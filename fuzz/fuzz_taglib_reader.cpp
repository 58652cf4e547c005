// Fuzz target of the reader of FLAC, Ogg, Opus, M4A, WAV and WMA files. The first byte
// picks the name the bytes are read under (its extension tells the format, or none lets
// the bytes decide); the rest is the file. It is read from memory and from an in-memory
// file through the descriptor stream: both must give the same facts, and those must be
// sane (no negative duration, a known result, texts no longer than the file).
#include "media/PosixFile.h"
#include "media/TagLibFile.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {

constexpr std::array<const char*, 10> kNames = {"song.flac", "song.ogg", "song.oga", "song.opus",
                                                "song.m4a",  "song.wav", "song.wma", "song.mp4",
                                                "song.aac",  "song"};

int MakeMemoryFile(std::span<const std::uint8_t> bytes) {
    const int fd = ::memfd_create("fuzz_taglib_reader", MFD_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            ::close(fd);
            return -1;
        }
        done += static_cast<std::size_t>(n);
    }
    return fd;
}

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void CheckSane(const TagLibFacts& facts, std::size_t size) {
    Check(facts.result == TagLibFacts::kRead || facts.result == TagLibFacts::kDamaged ||
          facts.result == TagLibFacts::kUnknownFormat);
    Check(facts.durationMs >= 0 && facts.bitrateKbps >= 0 && facts.sampleRate >= 0 &&
          facts.channels >= 0);
    const Id3v2Fields& f = facts.fields;
    for (const std::string* text : {&f.title, &f.artist, &f.album, &f.comment, &f.genre}) {
        // A text may grow from its stored form (Latin-1 or UTF-16 to UTF-8) at most 3x.
        Check(text->size() <= 3 * size + 16);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    const std::string name = kNames[data[0] % kNames.size()];
    const std::span<const std::uint8_t> bytes(data + 1, size - 1);
    const TagLibFacts fromMemory = TagLibFile::ReadBytes(bytes, name);
    CheckSane(fromMemory, bytes.size());

    const int fd = MakeMemoryFile(bytes);
    if (fd < 0) {
        return 0;
    }
    PosixFile file;
    file.Adopt(fd);
    const TagLibFacts fromFile =
        TagLibFile::ReadFrom(file, static_cast<std::int64_t>(bytes.size()), name.c_str());
    Check(fromFile.result == fromMemory.result);
    Check(fromFile.durationMs == fromMemory.durationMs);
    Check(fromFile.format == fromMemory.format);
    Check(fromFile.fields.title == fromMemory.fields.title);
    Check(fromFile.fields.artist == fromMemory.fields.artist);
    return 0;
}
