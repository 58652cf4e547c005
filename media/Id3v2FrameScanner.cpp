#include "Id3v2FrameScanner.h"

#include <cstring>

namespace {

constexpr std::uint8_t kFormatUnsync24 = 0x02;
constexpr std::uint8_t kFormatCompressed24 = 0x08;
constexpr std::uint8_t kFormatEncrypted24 = 0x04;

bool IsIdByte(std::uint8_t b) {
    return (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9');
}

std::uint64_t PlainNumber(const std::uint8_t* p, std::size_t count) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        value = (value << 8) | p[i];
    }
    return value;
}

bool IsSevenBit(const std::uint8_t* p) {
    return (p[0] | p[1] | p[2] | p[3]) < 0x80;
}

std::uint64_t SevenBitNumber(const std::uint8_t* p) {
    return (std::uint64_t{p[0]} << 21) | (std::uint64_t{p[1]} << 14) | (std::uint64_t{p[2]} << 7) |
           p[3];
}

// Where the run of zero bytes that ends the body starts (padding is often kilobytes, so
// it is walked back eight bytes at a time).
std::size_t ZeroTailStart(std::span<const std::uint8_t> body) {
    std::size_t end = body.size();
    while (end >= 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, body.data() + end - 8, 8);
        if (word != 0) {
            break;
        }
        end -= 8;
    }
    while (end > 0 && body[end - 1] == 0) {
        --end;
    }
    return end;
}

} // namespace

Id3v2FrameScanner::Id3v2FrameScanner(std::span<const std::uint8_t> body, int version,
                                     bool tagUnsync)
    : m_body(body), m_nVersion(version), m_bTagUnsync(tagUnsync), m_nIdLength(version == 2 ? 3 : 4),
      m_nHeaderLength(version == 2 ? 6 : 10), m_nZeroTail(ZeroTailStart(body)) {}

std::vector<std::uint8_t> Id3v2FrameScanner::UndoUnsync(std::span<const std::uint8_t> bytes) {
    std::vector<std::uint8_t> out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        out.push_back(bytes[i]);
        if (bytes[i] == 0xFF && i + 1 < bytes.size() && bytes[i + 1] == 0) {
            ++i;
        }
    }
    return out;
}

bool Id3v2FrameScanner::IsId(std::size_t pos) const {
    if (m_body.size() - pos < m_nIdLength) {
        return false;
    }
    for (std::size_t i = 0; i < m_nIdLength; ++i) {
        if (!IsIdByte(m_body[pos + i])) {
            return false;
        }
    }
    return true;
}

bool Id3v2FrameScanner::FlagsValid(std::uint8_t status, std::uint8_t format) const {
    if (m_nVersion == 3) {
        return (status & 0x1F) == 0 && (format & 0x1F) == 0;
    }
    if (m_nVersion == 4) {
        return (status & 0x8F) == 0 && (format & 0xB0) == 0;
    }
    return true;
}

// Where a frame ending at end leaves the walk: at the end of the body or at a frame
// header whose size fits (kFrame), in zero padding (kPadding), or nowhere sensible.
Id3v2FrameScanner::Landing Id3v2FrameScanner::LandingAt(std::uint64_t end) const {
    if (end > m_body.size()) {
        return Landing::kNone;
    }
    const auto pos = static_cast<std::size_t>(end);
    if (pos == m_body.size()) {
        return Landing::kFrame;
    }
    if (pos >= m_nZeroTail) {
        return Landing::kPadding;
    }
    if (m_body.size() - pos >= m_nHeaderLength && IsId(pos) && SomeSizeFits(pos)) {
        return Landing::kFrame;
    }
    return Landing::kNone;
}

bool Id3v2FrameScanner::SomeSizeFits(std::size_t pos) const {
    // The size field is as long as the identifier: 3 bytes in 2.2, else 4.
    const std::uint8_t* sizeBytes = m_body.data() + pos + m_nIdLength;
    const std::uint64_t room = m_body.size() - pos - m_nHeaderLength;
    const std::uint64_t plain = PlainNumber(sizeBytes, m_nIdLength);
    if (plain >= 1 && plain <= room) {
        return true;
    }
    if (m_nVersion == 2 || !IsSevenBit(sizeBytes)) {
        return false;
    }
    const std::uint64_t sevenBit = SevenBitNumber(sizeBytes);
    return sevenBit >= 1 && sevenBit <= room;
}

std::uint64_t Id3v2FrameScanner::ChooseSize(std::size_t pos) const {
    const std::uint8_t* sizeBytes = m_body.data() + pos + m_nIdLength;
    const std::uint64_t plain = PlainNumber(sizeBytes, m_nIdLength);
    if (m_nVersion == 2 || !IsSevenBit(sizeBytes)) {
        return plain;
    }
    const std::uint64_t sevenBit = SevenBitNumber(sizeBytes);
    const std::uint64_t own = m_nVersion == 3 ? plain : sevenBit;
    const std::uint64_t other = m_nVersion == 3 ? sevenBit : plain;
    if (own == other) {
        return own;
    }
    const std::uint64_t start = pos + m_nHeaderLength;
    const Landing ownLanding = LandingAt(start + own);
    const Landing otherLanding = LandingAt(start + other);
    if (ownLanding == Landing::kFrame) {
        return own;
    }
    if (otherLanding == Landing::kFrame) {
        return other;
    }
    if (ownLanding == Landing::kNone && otherLanding == Landing::kPadding) {
        return other;
    }
    return own;
}

Id3v2Frame Id3v2FrameScanner::MakeFrame(std::size_t pos, std::size_t size) const {
    Id3v2Frame frame;
    frame.id.assign(reinterpret_cast<const char*>(m_body.data() + pos), m_nIdLength);
    const auto data = m_body.subspan(pos + m_nHeaderLength, size);
    if (m_nVersion == 2) {
        frame.data.assign(data.begin(), data.end());
        return frame;
    }
    frame.statusFlags = m_body[pos + 8];
    frame.formatFlags = m_body[pos + 9];
    const bool opaque =
        m_nVersion == 4 && (frame.formatFlags & (kFormatCompressed24 | kFormatEncrypted24)) != 0;
    const bool unsync =
        m_nVersion == 4 && (m_bTagUnsync || (frame.formatFlags & kFormatUnsync24) != 0);
    if (unsync && !opaque) {
        // Stored without unsynchronisation from now on.
        frame.data = UndoUnsync(data);
        frame.formatFlags &= static_cast<std::uint8_t>(~kFormatUnsync24);
    } else {
        frame.data.assign(data.begin(), data.end());
        if (unsync) {
            // Kept raw: the frame's own flag must now tell that it is unsynchronised.
            frame.formatFlags |= kFormatUnsync24;
        }
    }
    return frame;
}

bool Id3v2FrameScanner::Scan(std::size_t start, std::vector<Id3v2Frame>& frames) const {
    std::size_t pos = start;
    while (pos < m_body.size()) {
        if (m_body[pos] == 0) {
            return true; // padding
        }
        if (m_body.size() - pos < m_nHeaderLength || !IsId(pos)) {
            return false;
        }
        const std::uint64_t size = ChooseSize(pos);
        if (size < 1 || size > m_body.size() - pos - m_nHeaderLength) {
            return false;
        }
        if (m_nVersion != 2 && !FlagsValid(m_body[pos + 8], m_body[pos + 9])) {
            return false;
        }
        frames.push_back(MakeFrame(pos, static_cast<std::size_t>(size)));
        pos += m_nHeaderLength + static_cast<std::size_t>(size);
    }
    return true;
}
