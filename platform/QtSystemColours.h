#pragma once

#include "settings/CDefaultSystemColours.h"

#include <array>
#include <atomic>
#include <cstdint>

// System colours from the application palette of a QGuiApplication, or the defaults of
// CDefaultSystemColours when there is none. The palette is read on construction and by
// Refresh, both on the thread of the application object; any thread may then ask.
//
//   index                   palette role
//   1  desktop              Highlight
//   5  window               Base (the background of lists and edits)
//   8  window text          Text
//   20 button highlight     HighlightedText (legible on the desktop colour it pairs with)
class QtSystemColours : public ISystemColours {
public:
    QtSystemColours();

    // Reads the palette again, for instance after the desktop theme changed.
    void Refresh();
    std::uint32_t GetSystemColour(int index) const override;

    // Makes a provider of this kind the process provider.
    static void InstallProcessColours();

private:
    static constexpr std::array<int, 4> kIndices = {kDesktop, kWindow, kWindowText,
                                                    kButtonHighlight};

    CDefaultSystemColours m_defaults;
    std::array<std::atomic<std::uint32_t>, kIndices.size()> m_acrColours{};
};
