#include "Id3v2Tag.h"

#include "Id3v2File.h"
#include "Id3v2FrameScanner.h"

#include <algorithm>

namespace {

constexpr std::size_t kFooterLength = 10;

std::uint32_t SevenBitNumber(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 21) | (std::uint32_t{p[1]} << 14) | (std::uint32_t{p[2]} << 7) |
           p[3];
}

void PutSevenBit(std::uint8_t* p, std::uint32_t value) {
    p[0] = static_cast<std::uint8_t>((value >> 21) & 0x7F);
    p[1] = static_cast<std::uint8_t>((value >> 14) & 0x7F);
    p[2] = static_cast<std::uint8_t>((value >> 7) & 0x7F);
    p[3] = static_cast<std::uint8_t>(value & 0x7F);
}

void PutPlain(std::uint8_t* p, std::uint32_t value) {
    p[0] = static_cast<std::uint8_t>(value >> 24);
    p[1] = static_cast<std::uint8_t>(value >> 16);
    p[2] = static_cast<std::uint8_t>(value >> 8);
    p[3] = static_cast<std::uint8_t>(value);
}

// Header flag bits that this version does not define (2.2's compression included: no
// scheme was ever defined for it, so such a tag cannot be read).
std::uint8_t UnknownFlags(int version) {
    return version == 2 ? 0x7F : version == 3 ? 0x1F : 0x0F;
}

// Offset of the first frame after an extended header, or nothing when the extended
// header is damaged. 2.3: 4-byte plain size not counting itself; 2.4: 7-bit size
// counting itself (at least 6: size, flag-byte count, one flag byte).
bool SkipExtendedHeader(std::span<const std::uint8_t> body, int version, std::size_t& start) {
    if (body.size() < 4) {
        return false;
    }
    if (version == 3) {
        const std::uint64_t size = (std::uint64_t{body[0]} << 24) | (std::uint64_t{body[1]} << 16) |
                                   (std::uint64_t{body[2]} << 8) | body[3];
        if (size + 4 > body.size()) {
            return false;
        }
        start = static_cast<std::size_t>(size + 4);
        return true;
    }
    if ((body[0] | body[1] | body[2] | body[3]) >= 0x80) {
        return false;
    }
    const std::uint32_t size = SevenBitNumber(body.data());
    if (size < 6 || size > body.size()) {
        return false;
    }
    start = size;
    return true;
}

} // namespace

std::size_t Id3v2Tag::LengthAt(std::span<const std::uint8_t> head) {
    if (head.size() < kHeaderLength || head[0] != 'I' || head[1] != 'D' || head[2] != '3') {
        return 0;
    }
    if (head[3] < 2 || head[3] > 4 || head[4] == 0xFF) {
        return 0;
    }
    if ((head[6] | head[7] | head[8] | head[9]) >= 0x80) {
        return 0;
    }
    const bool footer = head[3] == 4 && (head[5] & kFlagFooter) != 0;
    return kHeaderLength + SevenBitNumber(head.data() + 6) + (footer ? kFooterLength : 0);
}

int Id3v2Tag::Parse(std::span<const std::uint8_t> bytes) {
    *this = Id3v2Tag{};
    m_nTotalLength = LengthAt(bytes);
    if (m_nTotalLength == 0) {
        return Id3v2::kNoHeader;
    }
    m_nVersion = bytes[3];
    m_nFlags = bytes[5];
    m_nHeaderSize = static_cast<std::int32_t>(SevenBitNumber(bytes.data() + 6));
    if ((m_nFlags & UnknownFlags(m_nVersion)) != 0) {
        return Id3v2::kNoHeader;
    }
    // A file shorter than its tag leaves only the bytes that are there.
    const std::size_t available = std::min<std::size_t>(static_cast<std::size_t>(m_nHeaderSize),
                                                        bytes.size() - kHeaderLength);
    const auto body = bytes.subspan(kHeaderLength, available);
    if (m_nVersion < 4 && (m_nFlags & kFlagUnsync) != 0) {
        const std::vector<std::uint8_t> plain = Id3v2FrameScanner::UndoUnsync(body);
        return ParseBody(plain);
    }
    return ParseBody(body);
}

int Id3v2Tag::ParseBody(std::span<const std::uint8_t> body) {
    std::size_t start = 0;
    if (m_nVersion >= 3 && (m_nFlags & kFlagExtended) != 0 &&
        !SkipExtendedHeader(body, m_nVersion, start)) {
        return Id3v2::kBadExtendedHeader;
    }
    const bool tagUnsync = m_nVersion == 4 && (m_nFlags & kFlagUnsync) != 0;
    const Id3v2FrameScanner scanner(body, m_nVersion, tagUnsync);
    if (!scanner.Scan(start, m_frames) || m_frames.empty()) {
        return Id3v2::kNoFrame;
    }
    return Id3v2::kRead;
}

void Id3v2Tag::SetSpace(std::int64_t bodySize, std::int64_t padding) {
    m_nBodySize = bodySize;
    m_nPadding = padding;
}

std::int64_t Id3v2Tag::UsedBytes() const {
    std::int64_t used = 0;
    for (const Id3v2Frame& frame : m_frames) {
        if (!frame.data.empty()) {
            used += static_cast<std::int64_t>(FrameHeaderLength() + frame.data.size());
        }
    }
    return used;
}

std::vector<std::uint8_t> Id3v2Tag::Serialize() const {
    const std::int64_t bodySize = std::max(m_nBodySize, UsedBytes());
    if (m_nVersion < 3 || bodySize > kMaxBodySize) {
        return {};
    }
    std::vector<std::uint8_t> out(kHeaderLength + static_cast<std::size_t>(bodySize), 0);
    out[0] = 'I';
    out[1] = 'D';
    out[2] = '3';
    out[3] = static_cast<std::uint8_t>(m_nVersion);
    PutSevenBit(&out[6], static_cast<std::uint32_t>(bodySize));
    std::size_t pos = kHeaderLength;
    for (const Id3v2Frame& frame : m_frames) {
        if (frame.data.empty() || frame.id.size() != 4) {
            continue;
        }
        std::copy(frame.id.begin(), frame.id.end(), out.begin() + static_cast<std::ptrdiff_t>(pos));
        const auto size = static_cast<std::uint32_t>(frame.data.size());
        if (m_nVersion == 4) {
            PutSevenBit(&out[pos + 4], size);
        } else {
            PutPlain(&out[pos + 4], size);
        }
        out[pos + 8] = frame.statusFlags;
        out[pos + 9] = frame.formatFlags;
        std::copy(frame.data.begin(), frame.data.end(),
                  out.begin() + static_cast<std::ptrdiff_t>(pos + 10));
        pos += 10 + frame.data.size();
    }
    return out;
}
