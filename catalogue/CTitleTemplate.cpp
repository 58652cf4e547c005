#include "CTitleTemplate.h"

#include <utility>

namespace {

constexpr std::string_view kBlanks = " \t\r\n";

} // namespace

CTitleTemplate::Kind CTitleTemplate::Classify(std::string_view titleTemplate) {
    const std::string_view trimmed = Trim(titleTemplate);
    if (trimmed == "%1") {
        return kFileName;
    }
    if (trimmed == "%7") {
        return kFolderAndFileName;
    }
    if (trimmed == "%6") {
        return kFullPath;
    }
    return kTags;
}

std::string CTitleTemplate::FileName(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string CTitleTemplate::FolderAndFileName(std::string_view path) {
    const std::size_t last = path.rfind('/');
    if (last == std::string_view::npos) {
        return std::string(path);
    }
    const std::size_t before = last == 0 ? std::string_view::npos : path.rfind('/', last - 1);
    const std::size_t folderStart = before == std::string_view::npos ? last : before + 1;
    return std::string(path.substr(folderStart, last - folderStart)) + "/" +
           std::string(path.substr(last + 1));
}

std::string CTitleTemplate::ReplaceTags(std::string_view titleTemplate, std::string_view artist,
                                        std::string_view title, std::string_view album,
                                        std::string_view comment) {
    std::string text(titleTemplate);
    ReplaceAll(text, "%3", artist);
    ReplaceAll(text, "%4", title);
    ReplaceAll(text, "%2", album);
    ReplaceAll(text, "%5", comment);
    return text;
}

std::string_view CTitleTemplate::Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    const std::size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

void CTitleTemplate::ReplaceAll(std::string& text, std::string_view token, std::string_view value) {
    std::string out;
    std::size_t from = 0;
    for (std::size_t at = text.find(token); at != std::string::npos; at = text.find(token, from)) {
        out.append(text, from, at - from);
        out.append(value);
        from = at + token.size();
    }
    if (from == 0) {
        return;
    }
    out.append(text, from, std::string::npos);
    text = std::move(out);
}

bool CTitleTemplate::UsesOnlyEmpty(std::string_view titleTemplate, std::string_view artist,
                                   std::string_view title, std::string_view album,
                                   std::string_view comment) {
    const std::pair<std::string_view, std::string_view> uses[] = {
        {"%3", artist}, {"%4", title}, {"%2", album}, {"%5", comment}};
    for (const auto& [token, value] : uses) {
        if (titleTemplate.find(token) != std::string_view::npos && !Trim(value).empty()) {
            return false;
        }
    }
    return true;
}
