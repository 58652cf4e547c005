#pragma once

#include "CDateTime.h"

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

// Appends items in our archive encodings to a byte buffer. All numbers little-endian.
//
//   32-bit     4 bytes, two's complement
//   text       length prefix, then the bytes (UTF-8), no terminator:
//                length 0-254          1 byte length
//                length 255-65533      0xFF, 2-byte length
//                longer                0xFF, 0xFF 0xFF, 4-byte length
//   date/time  4-byte status (0 valid, 1 invalid, 2 null), 8-byte IEEE double
//   raw bytes  as they are
class CArchiveWriter {
public:
    CArchiveWriter() = default;

    void Reserve(std::size_t bytes) { m_bytes.reserve(bytes); }

    void WriteInt32(std::int32_t value);
    void WriteUInt32(std::uint32_t value);
    // A text longer than 4 GB cannot be described; it marks the writer failed.
    void WriteText(std::string_view text);
    void WriteDateTime(const CDateTime& value);
    void WriteBytes(std::span<const std::uint8_t> bytes);

    // True when some item could not be encoded; the buffer is then not to be used.
    bool Failed() const { return m_bFailed; }
    const std::vector<std::uint8_t>& Bytes() const { return m_bytes; }
    std::vector<std::uint8_t> TakeBytes() { return std::move(m_bytes); }

    // Bytes a text of that length takes with its prefix.
    static std::size_t TextSize(std::size_t length);

private:
    void Append(std::uint64_t value, int byteCount);

    std::vector<std::uint8_t> m_bytes;
    bool m_bFailed = false;
};
