// Fuzz target of the ReplayGain reader: the input is an ID3v2 tag from its header on,
// with a TXXX frame's worth of bytes also read as a gain text. A gain, when found, is a
// finite number.
#include "media/ReplayGain.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    if (const auto gain = ReplayGain::TrackGainDbFromId3v2(bytes); gain && !std::isfinite(*gain)) {
        std::abort();
    }
    const std::string text(reinterpret_cast<const char*>(data), std::min<std::size_t>(size, 64));
    if (const auto gain = ReplayGain::ParseGainText(text); gain && !std::isfinite(*gain)) {
        std::abort();
    }
    return 0;
}
