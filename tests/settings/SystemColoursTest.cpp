#include "settings/SystemColours.h"
#include "settings/CDefaultSystemColours.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

class FixedColours : public ISystemColours {
public:
    std::uint32_t GetSystemColour(int) const override { return 0x00ABCDEF; }
};

TEST(SystemColoursTest, ProviderCanBeReplacedAndResetToTheDefaults) {
    SetSystemColours(std::make_shared<FixedColours>());
    EXPECT_EQ(GetSystemColour(ISystemColours::kDesktop), 0x00ABCDEFu);
    SetSystemColours(nullptr);
    EXPECT_EQ(GetSystemColour(ISystemColours::kButtonHighlight), 0x00FFFFFFu);
    EXPECT_EQ(GetSystemColour(ISystemColours::kDesktop), 0x00808000u); // RGB(0, 128, 128)
    EXPECT_EQ(GetSystemColour(ISystemColours::kWindowText), 0x00000000u);
    EXPECT_EQ(GetSystemColour(ISystemColours::kWindow), 0x00FFFFFFu);
    EXPECT_EQ(GetSystemColour(-3), 0u);
    EXPECT_EQ(GetSystemColour(1000), 0u);
}

} // namespace
