#pragma once

#include "support/TestFiles.h"

#include <map>
#include <sstream>
#include <string>
#include <vector>

// Runs mixorel-cli and splits its CSV output, for the end-to-end tests of its commands.
namespace CliSupport {

inline std::string Cli(const std::string& args, int* status = nullptr) {
    return TestFiles::Capture(std::string(MIXOREL_CLI) + " " + args + " 2>/dev/null", status);
}

// Splits one CSV record (RFC 4180 quoting) starting at pos; advances pos past its line end.
inline std::vector<std::string> ParseRecord(const std::string& text, std::size_t& pos) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    while (pos < text.size()) {
        const char c = text[pos++];
        if (quoted) {
            if (c == '"' && pos < text.size() && text[pos] == '"') {
                fields.back().push_back('"');
                ++pos;
            } else if (c == '"') {
                quoted = false;
            } else {
                fields.back().push_back(c);
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else if (c == '\n') {
            break;
        } else {
            fields.back().push_back(c);
        }
    }
    return fields;
}

// Rows of an info listing as column name -> value, keyed by the path's file name.
inline std::map<std::string, std::map<std::string, std::string>> ParseInfo(const std::string& csv) {
    std::map<std::string, std::map<std::string, std::string>> rows;
    std::size_t pos = 0;
    const auto header = ParseRecord(csv, pos);
    while (pos < csv.size()) {
        const auto fields = ParseRecord(csv, pos);
        std::map<std::string, std::string> row;
        for (std::size_t i = 0; i < header.size() && i < fields.size(); ++i) {
            row[header[i]] = fields[i];
        }
        const std::string path = row["path"];
        rows[path.substr(path.find_last_of('/') + 1)] = row;
    }
    return rows;
}

} // namespace CliSupport
