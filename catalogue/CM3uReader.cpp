#include "CM3uReader.h"

#include "CMixorel2001Doc.h"
#include "CTextCase.h"
#include "IExchangeUi.h"
#include "media/PosixFile.h"
#include "media/TextCodec.h"

#include <exception>
#include <filesystem>

namespace {

bool IsBlank(std::string_view line) {
    return line.find_first_not_of(" \t\f\v") == std::string_view::npos;
}

// An absolute, normalised path for a location of the list; empty when it is too long.
std::string AbsoluteLocation(std::string_view location, std::string_view folder) {
    std::string path;
    if (location.front() == '/') {
        path.assign(location);
    } else {
        path.assign(folder);
        if (path.empty() || path.back() != '/') {
            path.push_back('/');
        }
        for (const char c : location) {
            path.push_back(c == '\\' ? '/' : c);
        }
    }
    path = std::filesystem::path(path).lexically_normal().string();
    return path.size() > CM3uReader::kMaxPath ? std::string() : path;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// "%XX" sequences become their bytes; a "%" not followed by two hex digits stays as it is.
std::string PercentDecoded(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int high = text[i] == '%' && i + 2 < text.size() ? HexValue(text[i + 1]) : -1;
        const int low = high >= 0 ? HexValue(text[i + 2]) : -1;
        if (low >= 0) {
            out.push_back(static_cast<char>(high * 16 + low));
            i += 2;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

// The local path of a "file:" URI ("file:///m/a%20b.mp3", "file://localhost/m/x.mp3",
// "file:/m/x.mp3"): false when it names another host or no absolute path, or when a
// decoded zero byte or line end would cut the path or the line short.
bool FileUriPath(std::string_view uri, std::string& path) {
    std::string_view rest = uri.substr(5);
    if (rest.starts_with("//")) {
        rest.remove_prefix(2);
        const std::size_t slash = rest.find('/');
        const std::string_view host = rest.substr(0, slash);
        if (slash == std::string_view::npos ||
            (!host.empty() && CTextCase::ToLower(host) != "localhost")) {
            return false;
        }
        rest.remove_prefix(slash);
    }
    path = PercentDecoded(rest);
    constexpr std::string_view kCutters("\0\r\n", 3);
    return path.starts_with('/') && path.find_first_of(kCutters) == std::string::npos;
}

} // namespace

bool CM3uReader::IsUtf8Name(std::string_view path) {
    return path.size() >= 5 && CTextCase::StartsWithNoCase(path.substr(path.size() - 5), ".m3u8");
}

std::vector<CM3uReader::Entry> CM3uReader::Parse(std::span<const std::uint8_t> bytes,
                                                 std::string_view folder, bool utf8) {
    std::string_view raw(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (raw.starts_with("\xEF\xBB\xBF")) {
        raw.remove_prefix(3);
    }
    std::string converted;
    if (!utf8 && !TextCodec::IsValidUtf8(raw)) {
        converted = TextCodec::Windows1252ToUtf8(raw);
        raw = converted;
    }
    std::vector<Entry> entries;
    std::string title;
    std::size_t pos = 0;
    while (pos < raw.size()) {
        std::size_t end = raw.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) {
            end = raw.size();
        }
        const std::string_view line = raw.substr(pos, end - pos);
        pos = end + 1;
        if (IsBlank(line)) {
            continue;
        }
        if (line.starts_with("#EXT")) {
            const std::size_t comma = line.find(',');
            title.assign(comma == std::string_view::npos ? line : line.substr(comma + 1));
            continue;
        }
        if (line.front() == '#') {
            continue;
        }
        Entry entry;
        if (CTextCase::StartsWithNoCase(line, "http:") ||
            CTextCase::StartsWithNoCase(line, "https:")) {
            entry.m_strLocation.assign(line);
        } else if (CTextCase::StartsWithNoCase(line, "file:")) {
            std::string local;
            if (FileUriPath(line, local)) {
                entry.m_strLocation = AbsoluteLocation(local, folder);
            }
            if (entry.m_strLocation.empty()) {
                continue;
            }
        } else {
            entry.m_strLocation = AbsoluteLocation(line, folder);
            if (entry.m_strLocation.empty()) {
                continue;
            }
        }
        entry.m_strTitle = title;
        entries.push_back(std::move(entry));
    }
    return entries;
}

bool CM3uReader::ReadM3u(CMixorel2001Doc& doc, const std::string& path, IUserPrompt* prompt,
                         std::size_t* count) {
    if (count != nullptr) {
        *count = 0;
    }
    std::vector<Entry> entries;
    try {
        std::vector<std::uint8_t> bytes;
        if (PosixFile::ReadWholeFile(path, kMaxFileSize, bytes) != PosixFile::kReadAll) {
            return false;
        }
        std::error_code error;
        const std::filesystem::path absolute = std::filesystem::absolute(path, error);
        if (error) {
            return false;
        }
        entries = Parse(bytes, absolute.parent_path().string(), IsUtf8Name(path));
    } catch (const std::exception&) {
        return false;
    }
    IUserPrompt::DuplicateAnswer answer = IUserPrompt::kYesToAll;
    for (const Entry& entry : entries) {
        CSong song;
        song.SetPathText(entry.m_strLocation);
        song.SetTitle(entry.m_strTitle);
        if (!doc.InsertSongAt(CMixorel2001Doc::kAfterLast, song, answer)) {
            if (prompt != nullptr) {
                prompt->Message(kFailedText);
            }
            return false;
        }
        if (count != nullptr) {
            ++*count;
        }
    }
    return true;
}

bool CM3uReader::ImportM3u(CMixorel2001Doc& doc, IExchangeUi& ui, IUserPrompt& prompt) {
    std::string path;
    if (!ui.ChooseM3uFile(path)) {
        return false;
    }
    return ReadM3u(doc, path, &prompt);
}
