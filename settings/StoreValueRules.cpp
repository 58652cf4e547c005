#include "StoreValueRules.h"

#include <limits>

namespace StoreValueRules {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

} // namespace

std::optional<std::string> NormalizeName(std::string_view name) {
    if (name.empty()) {
        return std::nullopt;
    }
    std::string normal;
    normal.reserve(name.size());
    for (const char c : name) {
        if (c == '/' || c == '\\') {
            return std::nullopt;
        }
        normal.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
    }
    return normal;
}

std::optional<std::int32_t> ParseInt(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && IsBlank(text[pos])) {
        ++pos;
    }
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    const std::size_t firstDigit = pos;
    std::int64_t value = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        value = value * 10 + (text[pos] - '0');
        if (value > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) {
            return std::nullopt;
        }
        ++pos;
    }
    if (pos == firstDigit) {
        return std::nullopt;
    }
    while (pos < text.size() && IsBlank(text[pos])) {
        ++pos;
    }
    if (pos != text.size()) {
        return std::nullopt;
    }
    value = negative ? -value : value;
    if (value > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

} // namespace StoreValueRules
