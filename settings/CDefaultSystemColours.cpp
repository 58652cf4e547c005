#include "CDefaultSystemColours.h"

std::uint32_t CDefaultSystemColours::GetSystemColour(int index) const {
    switch (index) {
    case kDesktop:
        return kTeal;
    case kWindow:
    case kButtonHighlight:
        return kWhite;
    case kWindowText:
    default:
        return kBlack;
    }
}
