// Fuzz target of the MPEG frame reader. The input is the whole music file: it goes into
// an in-memory file and is read with the full head, with an empty head (every byte comes
// from file reads) and with half of it as head. The head only saves reads, so all three
// must agree, and the one-pass song reader must agree with them too.
#include "media/MpegFileInfo.h"
#include "media/MpegFrameCounter.h"
#include "media/PosixFile.h"
#include "media/SongFileReader.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// Bytes the one-pass song reader reads first.
constexpr std::size_t kSongReaderHead = 64 * 1024;

// A memory-backed file holding the bytes; -1 when it cannot be made.
int MakeMemoryFile(const std::uint8_t* data, std::size_t size) {
    const int fd = ::memfd_create("fuzz_mpeg_frames", MFD_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n <= 0) {
            ::close(fd);
            return -1;
        }
        done += static_cast<std::size_t>(n);
    }
    return fd;
}

struct Outcome {
    int result = 0;
    MpegFileInfo info;
};

Outcome ReadWithHead(const PosixFile& file, std::span<const std::uint8_t> all, std::size_t head) {
    Outcome outcome;
    outcome.result =
        outcome.info.ReadFrom(file, static_cast<std::int64_t>(all.size()), all.first(head));
    return outcome;
}

// Every value the program takes from the reader, so each accessor runs on fuzzed state.
void UseFacts(const MpegFileInfo& info) {
    volatile std::int64_t sink = info.BitRate();
    sink = sink + info.SamplingRate() + info.ChannelMode() + info.AudioSize();
    sink = sink + info.header.FrameLength() + info.header.SamplesPerFrame();
    std::array<std::uint8_t, Id3v1Tag::kSize> raw{};
    sink = sink + (info.CopyRawTag(raw) ? raw[127] : 0);
    sink = sink + static_cast<std::int64_t>(info.tag.Title().size() + info.tag.GenreName().size());
}

// When the first frame is taken because the audio data ends right behind it, the scan
// looks for its Xing header only in the bytes it already holds; with a head that ends
// inside that frame the Xing header goes unseen. The Xing facts are compared only when
// the frame lies wholly within the head.
bool XingComparable(const Outcome& full, std::size_t headLength) {
    const std::int64_t frameEnd = full.info.frameOffset + full.info.header.FrameLength();
    return full.info.frameOffset < 0 || frameEnd <= static_cast<std::int64_t>(headLength);
}

bool Same(const Outcome& a, const Outcome& b, bool compareXing = true) {
    const bool xingSame =
        !compareXing || (a.info.xingFrames == b.info.xingFrames && a.info.isVbr == b.info.isVbr);
    return xingSame && a.result == b.result && a.info.header.Word() == b.info.header.Word() &&
           a.info.hasId3v1 == b.info.hasId3v1 && a.info.tailIsTag == b.info.tailIsTag &&
           a.info.rawTag == b.info.rawTag && a.info.audioStart == b.info.audioStart &&
           a.info.audioEnd == b.info.audioEnd && a.info.frameOffset == b.info.frameOffset &&
           a.info.fileSize == b.info.fileSize;
}

// The facts compared, for the crash report.
void Print(const char* name, const Outcome& o) {
    std::fprintf(stderr,
                 "  %s: result %d header %08x frame at %lld xing %d vbr %d audio %lld-%lld "
                 "tail tag %d id3v1 %d\n",
                 name, o.result, o.info.header.Word(), static_cast<long long>(o.info.frameOffset),
                 o.info.xingFrames, o.info.isVbr ? 1 : 0, static_cast<long long>(o.info.audioStart),
                 static_cast<long long>(o.info.audioEnd), o.info.tailIsTag ? 1 : 0,
                 o.info.hasId3v1 ? 1 : 0);
}

[[noreturn]] void Mismatch(const Outcome& full, const Outcome& other, const char* name) {
    Print("full head", full);
    Print(name, other);
    __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const int fd = MakeMemoryFile(data, size);
    if (fd < 0) {
        return 0;
    }
    PosixFile file;
    file.Adopt(fd);
    const std::span<const std::uint8_t> all(data, size);

    const Outcome full = ReadWithHead(file, all, size);
    const Outcome none = ReadWithHead(file, all, 0);
    const Outcome half = ReadWithHead(file, all, size / 2);
    UseFacts(full.info);
    if (!Same(full, none)) {
        Mismatch(full, none, "empty head");
    }
    if (!Same(full, half, XingComparable(full, size / 2))) {
        Mismatch(full, half, "half head");
    }

    const SongFileFacts facts = SongFileReader::Read("/proc/self/fd/" + std::to_string(fd));
    Outcome song;
    song.result = facts.mpegResult;
    song.info = facts.info;
    if (!Same(full, song, XingComparable(full, kSongReaderHead))) {
        Mismatch(full, song, "SongFileReader");
    }
    // The frame walk behind the length of variable-rate files.
    if (full.result == MpegFileInfo::kRead) {
        const std::int64_t ms =
            MpegFrameCounter::DurationMs("/proc/self/fd/" + std::to_string(fd), full.info);
        if (ms == 0) {
            __builtin_trap(); // a readable file never has a length of 0
        }
    }
    return 0;
}
