// libFuzzer target for the mix.ini reader: any bytes must parse without harm, and every
// record must keep the reader's own rules.
#include "settings/CMixIniReader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto types = CMixIniReader::Parse(std::span<const std::uint8_t>(data, size));
    // Every record takes at least three line breaks or the end of the input.
    Check(types.size() <= size / 3 + 1);
    for (const MixType& type : types) {
        Check(type.m_strName.size() <= CMixIniReader::kMaxLineLength);
        for (const char c : type.m_strName) {
            Check(c != '\r' && c != '\n' && c != '\0');
        }
        // A value line of n characters holds at most (n + 1) / 2 tokens.
        Check(type.m_aFadeIn.size() <= (CMixIniReader::kMaxLineLength + 1) / 2);
        Check(type.m_aFadeOut.size() <= (CMixIniReader::kMaxLineLength + 1) / 2);
    }
    return 0;
}
