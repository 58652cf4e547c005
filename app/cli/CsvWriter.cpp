#include "cli/CsvWriter.h"

#include <charconv>

namespace {

constexpr std::size_t kFlushAt = 64 * 1024;

// Whether a field holds a comma, a quote, CR or LF (one pass; fields are short).
bool NeedsQuotes(std::string_view text) {
    for (const char c : text) {
        if (c == ',' || c == '"' || c == '\r' || c == '\n') {
            return true;
        }
    }
    return false;
}

} // namespace

CsvWriter::CsvWriter(std::FILE* out) : m_out(out) {
    m_buffer.reserve(2 * kFlushAt);
}

void CsvWriter::Separator() {
    if (m_rowStarted) {
        m_buffer.push_back(',');
    }
    m_rowStarted = true;
}

void CsvWriter::Field(std::string_view text) {
    Separator();
    if (!NeedsQuotes(text)) {
        m_buffer.append(text);
        return;
    }
    m_buffer.push_back('"');
    for (const char c : text) {
        if (c == '"') {
            m_buffer.push_back('"');
        }
        m_buffer.push_back(c);
    }
    m_buffer.push_back('"');
}

void CsvWriter::Field(std::int64_t number) {
    Separator();
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, number);
    m_buffer.append(digits, result.ptr);
}

void CsvWriter::PositiveOrEmpty(std::int64_t number) {
    if (number > 0) {
        Field(number);
    } else {
        Field(std::string_view());
    }
}

void CsvWriter::EndRow() {
    m_buffer.push_back('\n');
    m_rowStarted = false;
    if (m_buffer.size() >= kFlushAt) {
        Flush();
    }
}

void CsvWriter::Flush() {
    if (!m_buffer.empty()) {
        std::fwrite(m_buffer.data(), 1, m_buffer.size(), m_out);
        m_buffer.clear();
    }
    std::fflush(m_out);
}
