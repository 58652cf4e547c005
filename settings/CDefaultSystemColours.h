#pragma once

#include "ISystemColours.h"

// The colours in force when no desktop palette is there: window and button highlight
// white, window text black, desktop teal.
class CDefaultSystemColours : public ISystemColours {
public:
    static constexpr std::uint32_t kWhite = 0x00FFFFFF;
    static constexpr std::uint32_t kBlack = 0x00000000;
    static constexpr std::uint32_t kTeal = 0x00808000; // red 0, green 128, blue 128

    std::uint32_t GetSystemColour(int index) const override;
};
