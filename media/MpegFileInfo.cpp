#include "MpegFileInfo.h"

#include "Id3v2File.h"
#include "PosixFile.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace {

// Bytes read at the start of a file before anything is known of it.
constexpr std::int64_t kHeadBytes = 64 * 1024;
// Bytes past the last candidate offset that the second-header and Xing tests may need.
constexpr std::int64_t kScanSlack = MpegFrameHeader::kMaxFrameLength + 4 + 64;

// File bytes from a given offset: first a caller's buffer, grown once to the whole scan
// window by a single further read when the scan needs more.
class ScanBuffer {
public:
    ScanBuffer(const PosixFile& file, std::int64_t start, std::int64_t end,
               std::span<const std::uint8_t> initial)
        : m_file(file), m_start(start), m_end(end), m_view(initial) {
        if (static_cast<std::int64_t>(m_view.size()) > end - start) {
            m_view = m_view.first(static_cast<std::size_t>(end - start));
        }
    }

    // Bytes [offset, offset + length) relative to the start, or an empty span when they
    // lie beyond what the window may read.
    std::span<const std::uint8_t> At(std::int64_t offset, std::int64_t length) {
        while (offset + length > static_cast<std::int64_t>(m_view.size()) && !m_grown &&
               static_cast<std::int64_t>(m_view.size()) < m_end - m_start) {
            Grow();
        }
        if (offset < 0 || offset + length > static_cast<std::int64_t>(m_view.size())) {
            return {};
        }
        return m_view.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(length));
    }

    // The bytes already held from offset on (nothing is read).
    std::span<const std::uint8_t> From(std::int64_t offset) const {
        if (offset < 0 || offset >= static_cast<std::int64_t>(m_view.size())) {
            return {};
        }
        return m_view.subspan(static_cast<std::size_t>(offset));
    }

private:
    // The first growth of an empty view reads one head's worth; any later one reads the
    // rest of the window, so the scan never makes more than two reads.
    void Grow() {
        const std::int64_t have = static_cast<std::int64_t>(m_view.size());
        std::int64_t want = m_end - m_start;
        if (have == 0 && m_reads == 0) {
            want = std::min(want, kHeadBytes);
        } else {
            m_grown = true;
        }
        ++m_reads;
        if (want <= have) {
            return;
        }
        std::vector<std::uint8_t> grown(static_cast<std::size_t>(want));
        std::copy(m_view.begin(), m_view.end(), grown.begin());
        const std::int64_t got = m_file.ReadAt(
            m_start + have,
            std::span<std::uint8_t>(grown.data() + have, static_cast<std::size_t>(want - have)));
        grown.resize(static_cast<std::size_t>(have + std::max<std::int64_t>(got, 0)));
        m_own = std::move(grown);
        m_view = m_own;
    }

    const PosixFile& m_file;
    std::int64_t m_start;
    std::int64_t m_end;
    std::span<const std::uint8_t> m_view;
    std::vector<std::uint8_t> m_own;
    bool m_grown = false;
    int m_reads = 0;
};

// Length of the ID3v2 tags that start the file, consecutive ones included (older
// versions of this program put a new tag in front of an unreadable one).
std::int64_t LeadingTagsLength(const PosixFile& file, std::int64_t fileSize,
                               std::span<const std::uint8_t> head) {
    std::int64_t offset = 0;
    for (int guard = 0; guard < 8 && offset + 10 <= fileSize; ++guard) {
        std::uint8_t bytes[10];
        std::span<const std::uint8_t> at;
        if (offset + 10 <= static_cast<std::int64_t>(head.size())) {
            at = head.subspan(static_cast<std::size_t>(offset), 10);
        } else if (file.ReadAt(offset, bytes) == 10) {
            at = bytes;
        } else {
            break;
        }
        const std::size_t length = Id3v2::TagLengthAt(at);
        if (length == 0) {
            break;
        }
        offset += static_cast<std::int64_t>(length);
    }
    return std::min(offset, fileSize);
}

// A candidate counts when the audio data ends right after its frame or a header of the
// same version, layer and sampling rate follows there.
bool Confirmed(ScanBuffer& buffer, const MpegFrameHeader& candidate, std::int64_t p,
               std::int64_t audioStart, std::int64_t audioEnd, std::int64_t size) {
    const std::int64_t next = audioStart + p + candidate.FrameLength();
    if (next == audioEnd || next == size) {
        return true;
    }
    if (next + 4 > size) {
        return false;
    }
    const auto second = buffer.At(p + candidate.FrameLength(), 4);
    if (second.empty()) {
        return false;
    }
    const MpegFrameHeader follower = MpegFrameHeader::FromBytes(second.data());
    return follower.IsValid() && follower.SameStream(candidate);
}

} // namespace

int MpegFileInfo::Read(const std::string& path) {
    fileName = path;
    PosixFile file;
    if (!file.OpenRead(path)) {
        return kNoFrame;
    }
    const std::int64_t size = file.Size();
    if (size < 0) {
        return kNoFrame;
    }
    std::vector<std::uint8_t> head(static_cast<std::size_t>(std::min(size, kHeadBytes)));
    const std::int64_t got = file.ReadAt(0, head);
    if (got < 0) {
        fileSize = size;
        return kNoFrame;
    }
    head.resize(static_cast<std::size_t>(got));
    return ReadFrom(file, size, head);
}

int MpegFileInfo::ReadFrom(const PosixFile& file, std::int64_t size,
                           std::span<const std::uint8_t> head) {
    fileSize = size;
    if (size < 4) {
        return kNoFrame;
    }
    audioStart = LeadingTagsLength(file, size, head);
    // The tail first: its tag marks where the audio data ends.
    std::array<std::uint8_t, Id3v1Tag::kSize> tail{};
    bool tailTag = false;
    if (size >= static_cast<std::int64_t>(Id3v1Tag::kSize)) {
        const std::int64_t tailAt = size - static_cast<std::int64_t>(Id3v1Tag::kSize);
        if (tailAt + static_cast<std::int64_t>(Id3v1Tag::kSize) <=
            static_cast<std::int64_t>(head.size())) {
            std::memcpy(tail.data(), head.data() + tailAt, Id3v1Tag::kSize);
            tailTag = Id3v1Tag::IsTag(tail);
        } else if (file.ReadAt(tailAt, tail) == static_cast<std::int64_t>(Id3v1Tag::kSize)) {
            tailTag = Id3v1Tag::IsTag(tail);
        }
    }
    rawTag = tail;
    tailIsTag = tailTag;
    audioEnd =
        std::max(audioStart, tailTag ? size - static_cast<std::int64_t>(Id3v1Tag::kSize) : size);

    std::span<const std::uint8_t> initial;
    if (audioStart < static_cast<std::int64_t>(head.size())) {
        initial = head.subspan(static_cast<std::size_t>(audioStart));
    }
    const std::int64_t windowEnd = std::min(size, audioStart + kScanWindow + kScanSlack);
    ScanBuffer buffer(file, audioStart, windowEnd, initial);

    const std::int64_t lastCandidate = std::min(kScanWindow, size - audioStart - 4);
    std::int64_t p = 0;
    while (p <= lastCandidate) {
        if (buffer.At(p, 4).empty()) {
            break;
        }
        // Jump to the next 0xFF byte: every header starts with one.
        const auto rest = buffer.From(p);
        const std::size_t span =
            std::min<std::size_t>(rest.size(), static_cast<std::size_t>(lastCandidate - p + 1));
        const void* hit = std::memchr(rest.data(), 0xFF, span);
        if (hit == nullptr) {
            p += static_cast<std::int64_t>(span);
            continue;
        }
        p += static_cast<const std::uint8_t*>(hit) - rest.data();
        if (p > lastCandidate) {
            break;
        }
        const auto bytes = buffer.At(p, 4);
        if (bytes.empty()) {
            break;
        }
        const MpegFrameHeader candidate = MpegFrameHeader::FromBytes(bytes.data());
        if (candidate.IsValid() && Confirmed(buffer, candidate, p, audioStart, audioEnd, size)) {
            header = candidate;
            frameOffset = audioStart + p;
            // The Xing header may lie past what the head held; this read may grow it.
            ReadXing(buffer.At(p, 4 + candidate.SideInfoLength() + 12));
            hasId3v1 = tailTag && tag.Parse(rawTag);
            return kRead;
        }
        ++p;
    }
    return kNoFrame;
}

void MpegFileInfo::ReadXing(std::span<const std::uint8_t> frame) {
    isVbr = false;
    xingFrames = -1;
    const std::size_t at = 4 + static_cast<std::size_t>(header.SideInfoLength());
    if (frame.size() < at + 12 || std::memcmp(frame.data() + at, "Xing", 4) != 0) {
        return;
    }
    isVbr = true;
    const std::uint8_t* x = frame.data() + at;
    if ((x[7] & 1) != 0) {
        const std::uint32_t count = (static_cast<std::uint32_t>(x[8]) << 24) |
                                    (static_cast<std::uint32_t>(x[9]) << 16) |
                                    (static_cast<std::uint32_t>(x[10]) << 8) | x[11];
        xingFrames = static_cast<std::int32_t>(count);
    }
}

std::int64_t MpegFileInfo::AudioSize() const {
    return audioEnd - audioStart;
}

int MpegFileInfo::BitRate() const {
    if (!isVbr || xingFrames <= 0) {
        return header.BitrateKbps();
    }
    const float averageFrameBytes =
        static_cast<float>(AudioSize()) / static_cast<float>(xingFrames);
    const double rate = static_cast<double>(header.SampleRateHz()) * averageFrameBytes /
                        (header.SlotFactor() * 1000.0);
    return static_cast<int>(rate);
}

bool MpegFileInfo::CopyRawTag(std::span<std::uint8_t, Id3v1Tag::kSize> destination) const {
    if (!hasId3v1) {
        return false;
    }
    std::copy(rawTag.begin(), rawTag.end(), destination.begin());
    return true;
}
