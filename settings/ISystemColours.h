#pragma once

#include <cstdint>

// The desktop's colours by their classic system colour index, as 0x00BBGGRR values.
// They are the defaults of the colour settings.
class ISystemColours {
public:
    // The indices the program uses.
    static constexpr int kDesktop = 1;
    static constexpr int kWindow = 5;
    static constexpr int kWindowText = 8;
    static constexpr int kButtonHighlight = 20;

    virtual ~ISystemColours() = default;
    // The colour of an index; black for an index the provider does not know.
    virtual std::uint32_t GetSystemColour(int index) const = 0;
};
