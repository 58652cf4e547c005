// Fuzz target of the M3U reader. The first byte picks the encoding rule (.m3u8 or .m3u);
// the rest is the list. Every entry must be a stream address or an absolute path of
// bounded length without line ends, and its title valid UTF-8 when the list was read as a plain
// .m3u.
#include "catalogue/CM3uReader.h"
#include "media/TextCodec.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const bool utf8 = (data[0] & 1) != 0;
    const auto entries =
        CM3uReader::Parse(std::span<const std::uint8_t>(data + 1, size - 1), "/lists/here", utf8);
    for (const auto& entry : entries) {
        const std::string& location = entry.m_strLocation;
        if (location.empty() || location.find_first_of("\r\n") != std::string::npos) {
            __builtin_trap();
        }
        if (location.front() == '/' ? location.size() > CM3uReader::kMaxPath
                                    : location.find(':') == std::string::npos) {
            __builtin_trap();
        }
        if (!utf8 && !TextCodec::IsValidUtf8(entry.m_strTitle)) {
            __builtin_trap();
        }
    }
    return 0;
}
