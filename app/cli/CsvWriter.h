#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

// Writes CSV rows (RFC 4180 quoting: a field with a comma, a quote, CR or LF is quoted
// and its quotes doubled) through a large buffer, for listings of many thousand files.
class CsvWriter {
public:
    explicit CsvWriter(std::FILE* out);
    ~CsvWriter() { Flush(); }
    CsvWriter(const CsvWriter&) = delete;
    CsvWriter& operator=(const CsvWriter&) = delete;

    void Field(std::string_view text);
    void Field(std::int64_t number);
    // A number, or an empty field when it is not above zero.
    void PositiveOrEmpty(std::int64_t number);
    void EndRow();
    void Flush();

private:
    void Separator();

    std::FILE* m_out;
    std::string m_buffer;
    bool m_rowStarted = false;
};
