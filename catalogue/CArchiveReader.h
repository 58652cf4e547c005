#pragma once

#include "CDateTime.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Reads items in our archive encodings (see CArchiveWriter.h) from a byte buffer that it
// does not own. Every read checks that its bytes are there before it takes or allocates
// anything; the first failure sticks, and every later read fails with it.
//
// Text lengths on reading: one byte 0-254; 0xFF then 2 bytes 0-65533; 0xFF, 0xFFFF then
// 4 bytes. The 2-byte value 0xFFFE is never written and counts as damaged data.
class CArchiveReader {
public:
    enum Result : int { kOk = 0, kTruncated = 1, kDamaged = 2 };

    explicit CArchiveReader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}
    // The reader keeps no copy: a buffer that dies at once cannot be read.
    explicit CArchiveReader(std::vector<std::uint8_t>&&) = delete;

    bool ReadInt32(std::int32_t& value);
    bool ReadUInt32(std::uint32_t& value);
    // A text as UTF-8: bytes that are not valid UTF-8 are taken as Windows-1252 and
    // converted.
    bool ReadText(std::string& text);
    // A text's bytes as stored.
    bool ReadRawText(std::string& text);
    // Status 0, 1 or 2; any other status is damaged data.
    bool ReadDateTime(CDateTime& value);
    bool ReadBytes(std::span<std::uint8_t> bytes);

    int GetResult() const { return m_nResult; }
    bool Ok() const { return m_nResult == kOk; }
    std::size_t Position() const { return m_nPos; }
    std::size_t Remaining() const { return m_bytes.size() - m_nPos; }
    // Converts bytes that are not valid UTF-8 from Windows-1252.
    static void ToUtf8(std::string& text);
    // Marks the stream damaged (for a check made by the caller); keeps an earlier failure.
    void SetDamaged();

private:
    bool Need(std::size_t count);
    std::uint64_t Take(int byteCount);
    bool ReadTextLength(std::size_t& length);

    std::span<const std::uint8_t> m_bytes;
    std::size_t m_nPos = 0;
    int m_nResult = kOk;
};
