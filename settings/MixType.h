#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One mix type of "mix.ini": its name and the volume steps (0 silent to 1000 full) that
// ramp the incoming song up and the outgoing song down, one step per fade period.
struct MixType {
    std::string m_strName;
    std::vector<std::int32_t> m_aFadeIn;
    std::vector<std::int32_t> m_aFadeOut;

    bool operator==(const MixType&) const = default;
};
