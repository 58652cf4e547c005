#include "settings/CMemorySettingsStore.h"
#include "settings/CRegionPresets.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

std::vector<std::string> Names(const CRegionPresets& presets) {
    std::vector<std::string> names;
    for (const auto& preset : presets.Load()) {
        names.push_back(preset.m_strName);
    }
    return names;
}

TEST(RegionPresetsTest, TheLastUsedComesFirstAndTheOldestFallsOffPastTwenty) {
    CMemorySettingsStore store;
    CSettings settings(store);
    CRegionPresets presets(settings);
    for (int n = 0; n < 21; ++n) {
        ASSERT_TRUE(presets.Use({"Region " + std::to_string(n), 0x10u * n, 0x20u * n}));
    }
    std::vector<std::string> names = Names(presets);
    ASSERT_EQ(names.size(), 20u);
    EXPECT_EQ(names.front(), "Region 20");
    EXPECT_EQ(names.back(), "Region 1");

    ASSERT_TRUE(presets.Use({"Region 5", 0x123456, 0x654321}));
    names = Names(presets);
    EXPECT_EQ(names.size(), 20u);
    EXPECT_EQ(names[0], "Region 5");
    EXPECT_EQ(names[1], "Region 20");
    EXPECT_EQ(std::count(names.begin(), names.end(), "Region 5"), 1);
    const auto first = presets.Load().front();
    EXPECT_EQ(std::pair(first.m_crText, first.m_crBack), std::pair(0x123456u, 0x654321u));
    // An empty name is refused and changes nothing.
    EXPECT_FALSE(presets.Use({"  ", 0, 0}));
    EXPECT_EQ(Names(presets), names);
}

} // namespace
