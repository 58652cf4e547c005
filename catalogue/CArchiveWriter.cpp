#include "CArchiveWriter.h"

#include <bit>
#include <cstring>

namespace {

constexpr std::size_t kShortLimit = 0xFF;    // lengths below it take one byte
constexpr std::size_t kMediumLimit = 0xFFFE; // lengths below it take 0xFF + 2 bytes

} // namespace

void CArchiveWriter::Append(std::uint64_t value, int byteCount) {
    for (int i = 0; i < byteCount; ++i) {
        m_bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

void CArchiveWriter::WriteInt32(std::int32_t value) {
    Append(static_cast<std::uint32_t>(value), 4);
}

void CArchiveWriter::WriteUInt32(std::uint32_t value) {
    Append(value, 4);
}

void CArchiveWriter::WriteText(std::string_view text) {
    const std::size_t length = text.size();
    if (length < kShortLimit) {
        Append(length, 1);
    } else if (length < kMediumLimit) {
        Append(0xFF, 1);
        Append(length, 2);
    } else if (length <= 0xFFFFFFFFu) {
        Append(0xFFFFFF, 3);
        Append(length, 4);
    } else {
        m_bFailed = true;
        return;
    }
    m_bytes.insert(m_bytes.end(), text.begin(), text.end());
}

void CArchiveWriter::WriteDateTime(const CDateTime& value) {
    WriteInt32(value.GetStatus());
    Append(std::bit_cast<std::uint64_t>(value.GetValue()), 8);
}

void CArchiveWriter::WriteBytes(std::span<const std::uint8_t> bytes) {
    m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
}

std::size_t CArchiveWriter::TextSize(std::size_t length) {
    if (length < kShortLimit) {
        return 1 + length;
    }
    return (length < kMediumLimit ? 3 : 7) + length;
}
