#include "CMixIniReader.h"

#include "media/PosixFile.h"

#include <algorithm>
#include <limits>
#include <new>
#include <sys/stat.h>

namespace {

// Hands out the lines of a byte buffer as a C text stream with a 4096-byte line buffer
// would.
class LineSource {
public:
    explicit LineSource(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    bool Next(std::string& line) {
        if (m_nPos >= m_bytes.size()) {
            return false;
        }
        line.clear();
        while (m_nPos < m_bytes.size() && line.size() < CMixIniReader::kMaxLineLength) {
            char c = static_cast<char>(m_bytes[m_nPos++]);
            if (c == '\r' && m_nPos < m_bytes.size() && m_bytes[m_nPos] == '\n') {
                c = '\n';
                ++m_nPos;
            }
            line.push_back(c);
            if (c == '\n') {
                break;
            }
        }
        // The line's text ends at a NUL byte, as a C string does.
        const auto nul = line.find('\0');
        if (nul != std::string::npos) {
            line.resize(nul);
        }
        return true;
    }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_nPos = 0;
};

bool IsCSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsSeparator(char c) {
    return c == ' ' || c == ',';
}

std::string NameFromLine(const std::string& line) {
    std::string name;
    name.reserve(line.size());
    std::copy_if(line.begin(), line.end(), std::back_inserter(name),
                 [](char c) { return c != '\r' && c != '\n'; });
    return name;
}

} // namespace

std::int32_t CMixIniReader::ParseStep(std::string_view token) {
    std::size_t pos = 0;
    while (pos < token.size() && IsCSpace(token[pos])) {
        ++pos;
    }
    bool negative = false;
    if (pos < token.size() && (token[pos] == '+' || token[pos] == '-')) {
        negative = token[pos] == '-';
        ++pos;
    }
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    const std::int64_t limit = negative ? kMax + 1 : kMax;
    std::int64_t value = 0;
    while (pos < token.size() && token[pos] >= '0' && token[pos] <= '9') {
        value = std::min(limit, value * 10 + (token[pos] - '0'));
        ++pos;
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

std::vector<std::int32_t> CMixIniReader::ParseSteps(std::string_view line) {
    std::vector<std::int32_t> steps;
    std::size_t pos = 0;
    while (pos < line.size()) {
        while (pos < line.size() && IsSeparator(line[pos])) {
            ++pos;
        }
        const std::size_t start = pos;
        while (pos < line.size() && !IsSeparator(line[pos])) {
            ++pos;
        }
        if (pos > start) {
            steps.push_back(ParseStep(line.substr(start, pos - start)));
        }
    }
    return steps;
}

std::vector<MixType> CMixIniReader::Parse(std::span<const std::uint8_t> bytes) {
    std::vector<MixType> types;
    LineSource source(bytes);
    std::string name;
    std::string fadeIn;
    std::string fadeOut;
    while (source.Next(name) && source.Next(fadeIn) && source.Next(fadeOut)) {
        types.push_back(MixType{NameFromLine(name), ParseSteps(fadeIn), ParseSteps(fadeOut)});
    }
    return types;
}

int CMixIniReader::ReadFile(const std::string& path, std::vector<MixType>& types) {
    PosixFile file;
    struct stat info {};
    if (!file.OpenRead(path) || !file.Stat(info) || !S_ISREG(info.st_mode)) {
        return kCannotOpen;
    }
    try {
        std::vector<std::uint8_t> bytes;
        std::vector<std::uint8_t> block(64 * 1024);
        for (;;) {
            const std::int64_t n = file.ReadAt(static_cast<std::int64_t>(bytes.size()), block);
            if (n < 0) {
                return kReadError;
            }
            if (n == 0) {
                break;
            }
            bytes.insert(bytes.end(), block.begin(), block.begin() + n);
            if (bytes.size() > kMaxFileSize) {
                return kTooLarge;
            }
        }
        types = Parse(bytes);
    } catch (const std::bad_alloc&) {
        return kReadError;
    }
    return kRead;
}
