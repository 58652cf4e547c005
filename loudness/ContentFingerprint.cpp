#include "loudness/ContentFingerprint.h"

#include "media/PosixFile.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <vector>

namespace ContentFingerprint {

namespace {

// A 64-bit hash over 8-byte words (a multiply-xorshift mix); the fingerprint needs
// spread, not secrecy, and this runs at memory speed.
std::uint64_t Hash(std::span<const std::uint8_t> bytes) {
    constexpr std::uint64_t kMul = 0x9E3779B97F4A7C15ULL;
    std::uint64_t h = 0xCBF29CE484222325ULL ^ bytes.size();
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, bytes.data() + i, 8);
        h = (h ^ (word * kMul)) * kMul;
        h ^= h >> 29;
    }
    for (; i < bytes.size(); ++i) {
        h = (h ^ bytes[i]) * kMul;
    }
    h ^= h >> 32;
    return h;
}

} // namespace

std::string OfBlocks(std::int64_t size, std::span<const std::uint8_t> head,
                     std::span<const std::uint8_t> middle, std::span<const std::uint8_t> tail) {
    char text[80];
    std::snprintf(text, sizeof text, "%" PRId64 "-%016" PRIx64 "-%016" PRIx64 "-%016" PRIx64, size,
                  Hash(head), Hash(middle), Hash(tail));
    return text;
}

bool StampOf(const std::string& path, std::int64_t& size, std::int64_t& mtimeNs) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    size = info.st_size;
    mtimeNs = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
    return true;
}

std::optional<std::string> OfFile(const std::string& path) {
    PosixFile file;
    if (!file.OpenRead(path)) {
        return std::nullopt;
    }
    const std::int64_t size = file.Size();
    if (size < 0) {
        return std::nullopt;
    }
    const auto edge = static_cast<std::int64_t>(kEdgeBytes);
    std::vector<std::uint8_t> head(static_cast<std::size_t>(std::min(size, edge)));
    std::vector<std::uint8_t> middle(head.size());
    std::vector<std::uint8_t> tail(head.size());
    const auto length = static_cast<std::int64_t>(head.size());
    if (file.ReadAt(0, head) != length || file.ReadAt((size - length) / 2, middle) != length ||
        file.ReadAt(size - length, tail) != length) {
        return std::nullopt;
    }
    return OfBlocks(size, head, middle, tail);
}

} // namespace ContentFingerprint
