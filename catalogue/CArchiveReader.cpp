#include "CArchiveReader.h"

#include "media/TextCodec.h"

#include <bit>
#include <cstring>

bool CArchiveReader::Need(std::size_t count) {
    if (m_nResult != kOk) {
        return false;
    }
    if (count > Remaining()) {
        m_nResult = kTruncated;
        return false;
    }
    return true;
}

std::uint64_t CArchiveReader::Take(int byteCount) {
    std::uint64_t value = 0;
    for (int i = 0; i < byteCount; ++i) {
        value |= static_cast<std::uint64_t>(m_bytes[m_nPos++]) << (8 * i);
    }
    return value;
}

void CArchiveReader::SetDamaged() {
    if (m_nResult == kOk) {
        m_nResult = kDamaged;
    }
}

bool CArchiveReader::ReadInt32(std::int32_t& value) {
    std::uint32_t bits = 0;
    if (!ReadUInt32(bits)) {
        return false;
    }
    value = static_cast<std::int32_t>(bits);
    return true;
}

bool CArchiveReader::ReadUInt32(std::uint32_t& value) {
    if (!Need(4)) {
        return false;
    }
    value = static_cast<std::uint32_t>(Take(4));
    return true;
}

bool CArchiveReader::ReadTextLength(std::size_t& length) {
    if (!Need(1)) {
        return false;
    }
    length = static_cast<std::size_t>(Take(1));
    if (length < 0xFF) {
        return true;
    }
    if (!Need(2)) {
        return false;
    }
    length = static_cast<std::size_t>(Take(2));
    if (length == 0xFFFE) {
        SetDamaged();
        return false;
    }
    if (length < 0xFFFF) {
        return true;
    }
    if (!Need(4)) {
        return false;
    }
    length = static_cast<std::size_t>(Take(4));
    return true;
}

bool CArchiveReader::ReadRawText(std::string& text) {
    std::size_t length = 0;
    if (!ReadTextLength(length) || !Need(length)) {
        return false;
    }
    if (length == 0) {
        text.clear();
        return true;
    }
    text.assign(reinterpret_cast<const char*>(m_bytes.data() + m_nPos), length);
    m_nPos += length;
    return true;
}

bool CArchiveReader::ReadText(std::string& text) {
    if (!ReadRawText(text)) {
        return false;
    }
    ToUtf8(text);
    return true;
}

void CArchiveReader::ToUtf8(std::string& text) {
    if (!TextCodec::IsValidUtf8(text)) {
        text = TextCodec::Windows1252ToUtf8(text);
    }
}

bool CArchiveReader::ReadDateTime(CDateTime& value) {
    if (!Need(12)) {
        return false;
    }
    const auto status = static_cast<std::uint32_t>(Take(4));
    const double dt = std::bit_cast<double>(Take(8));
    if (status > CDateTime::kNull) {
        SetDamaged();
        return false;
    }
    value = CDateTime(dt, static_cast<CDateTime::Status>(status));
    return true;
}

bool CArchiveReader::ReadBytes(std::span<std::uint8_t> bytes) {
    if (!Need(bytes.size())) {
        return false;
    }
    if (!bytes.empty()) {
        std::memcpy(bytes.data(), m_bytes.data() + m_nPos, bytes.size());
    }
    m_nPos += bytes.size();
    return true;
}
