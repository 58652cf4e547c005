#include "platform/mci/CMciCommand.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

} // namespace

bool CMciCommand::Parse(std::string_view text) {
    m_strVerb.clear();
    m_strDevice.clear();
    m_rest.clear();
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < text.size()) {
        if (IsBlank(text[i])) {
            ++i;
            continue;
        }
        std::string word;
        if (text[i] == '"') {
            const std::size_t close = text.find('"', i + 1);
            if (close == std::string_view::npos) {
                return false;
            }
            word.assign(text.substr(i + 1, close - i - 1));
            i = close + 1;
        } else {
            while (i < text.size() && !IsBlank(text[i])) {
                word.push_back(text[i++]);
            }
        }
        words.push_back(std::move(word));
    }
    if (!words.empty()) {
        m_strVerb = Lower(words[0]);
    }
    if (words.size() > 1) {
        m_strDevice = words[1];
    }
    if (words.size() > 2) {
        m_rest.assign(words.begin() + 2, words.end());
    }
    return true;
}

bool CMciCommand::TakeFlag(std::string_view keyword) {
    return TakeWords({keyword});
}

bool CMciCommand::TakeWords(std::initializer_list<std::string_view> keywords) {
    const std::size_t count = keywords.size();
    for (std::size_t at = 0; count > 0 && at + count <= m_rest.size(); ++at) {
        const bool match = std::equal(
            keywords.begin(), keywords.end(), m_rest.begin() + at,
            [](std::string_view k, const std::string& word) { return SameWord(k, word); });
        if (match) {
            const auto first = m_rest.begin() + static_cast<std::ptrdiff_t>(at);
            m_rest.erase(first, first + static_cast<std::ptrdiff_t>(count));
            return true;
        }
    }
    return false;
}

bool CMciCommand::TakeValue(std::string_view keyword, std::string& value) {
    value.clear();
    for (std::size_t at = 0; at < m_rest.size(); ++at) {
        if (!SameWord(keyword, m_rest[at])) {
            continue;
        }
        const auto first = m_rest.begin() + static_cast<std::ptrdiff_t>(at);
        if (at + 1 < m_rest.size()) {
            value = m_rest[at + 1];
            m_rest.erase(first, first + 2);
        } else {
            m_rest.erase(first);
        }
        return true;
    }
    return false;
}

std::string CMciCommand::TakeNext() {
    if (m_rest.empty()) {
        return {};
    }
    std::string word = std::move(m_rest.front());
    m_rest.erase(m_rest.begin());
    return word;
}

std::string CMciCommand::Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

bool CMciCommand::SameWord(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

bool CMciCommand::ParseNumber(std::string_view text, std::int64_t& value) {
    if (text.empty()) {
        return false;
    }
    std::int64_t parsed = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (error != std::errc() || end != text.data() + text.size() || parsed < 0) {
        return false;
    }
    value = parsed;
    return true;
}
