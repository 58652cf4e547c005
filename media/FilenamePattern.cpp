#include "FilenamePattern.h"

#include <algorithm>
#include <cctype>

namespace {

std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

// The file name without its folder and without its extension.
std::string_view BaseName(std::string_view fileName) {
    const std::size_t slash = fileName.find_last_of('/');
    if (slash != std::string_view::npos) {
        fileName.remove_prefix(slash + 1);
    }
    const std::size_t dot = fileName.find_last_of('.');
    return dot == std::string_view::npos ? fileName : fileName.substr(0, dot);
}

} // namespace

void FilenamePattern::AddField(std::string_view key) {
    m_items.push_back({true, Lower(key)});
}

void FilenamePattern::AddSeparator(std::string_view text) {
    m_items.push_back({false, std::string(text)});
}

void FilenamePattern::Clear() {
    m_items.clear();
    m_values.clear();
}

bool FilenamePattern::HasField() const {
    return std::any_of(m_items.begin(), m_items.end(),
                       [](const Item& item) { return item.bField; });
}

void FilenamePattern::Parse(std::string_view fileName) {
    m_values.clear();
    std::string_view remainder = BaseName(fileName);
    std::string key;
    // Walks the items from the last to the first, then once more with an empty separator.
    auto take = [&](const Item& item) {
        if (item.bField) {
            key = item.strText;
            return;
        }
        std::string_view value = remainder;
        const std::size_t at =
            item.strText.empty() ? std::string_view::npos : remainder.rfind(item.strText);
        // A separator that ends the remainder gives no value of its own.
        if (at != std::string_view::npos && at + item.strText.size() < remainder.size()) {
            value = remainder.substr(at + item.strText.size());
            remainder = remainder.substr(0, at);
        }
        if (!key.empty()) {
            m_values.try_emplace(key, Trim(value));
        }
    };
    for (auto item = m_items.rbegin(); item != m_items.rend() && !remainder.empty(); ++item) {
        take(*item);
    }
    if (!remainder.empty()) {
        take(Item{false, {}});
    }
}

std::string FilenamePattern::Lookup(std::string_view key) const {
    const auto found = m_values.find(Lower(key));
    return found == m_values.end() ? std::string() : found->second;
}

bool FilenamePattern::SetCriteria(std::string_view criteria) {
    Clear();
    std::vector<std::string> used;
    bool pendingSeparator = false;
    std::size_t pos = 0;
    while (pos < criteria.size()) {
        const std::size_t open = criteria.find('{', pos);
        const std::string_view separator = criteria.substr(pos, open - pos);
        if (!separator.empty() || pendingSeparator) {
            AddSeparator(separator);
        }
        pendingSeparator = false;
        if (open == std::string_view::npos) {
            return true;
        }
        const std::size_t close = criteria.find('}', open);
        if (close == std::string_view::npos) {
            return false;
        }
        const std::string name(criteria.substr(open + 1, close - open - 1));
        const bool known = std::any_of(std::begin(kFieldNames), std::end(kFieldNames),
                                       [&](const char* field) { return name == field; });
        if (!known || std::find(used.begin(), used.end(), name) != used.end()) {
            return false;
        }
        used.push_back(name);
        AddField(name);
        pendingSeparator = true;
        pos = close + 1;
    }
    if (pendingSeparator) {
        AddSeparator("");
    }
    return true;
}
