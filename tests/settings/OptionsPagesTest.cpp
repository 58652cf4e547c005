#include "settings/CMemorySettingsStore.h"
#include "settings/COptionsPages.h"
#include "settings/SettingsKeys.h"

#include <gtest/gtest.h>

namespace {

using namespace SettingsKeys;

TEST(OptionsPagesTest, ValuesShownAsThePagesShowThemAndStoredBack) {
    CMemorySettingsStore store;
    store.WriteProfileInt(kSectionFonts, kListViewFontSize, 95);
    store.WriteProfileInt(kSectionList, kCloseRandomized, 0);
    store.WriteProfileInt(kSectionInternal, kMixType, 7);
    store.WriteProfileInt(kSectionGlobal, kUseWinamp, 0);

    COptionsPages pages(store);
    pages.Initialise({"Linear", "Fast"});
    EXPECT_EQ(pages.m_nFontPoints, 9);
    EXPECT_EQ(pages.m_nMixTypeSelection, -1) << "a mix type that names no entry";
    EXPECT_FALSE(pages.NeedsRestartNotice());

    pages.Values().m_bUseWinamp = 1;
    EXPECT_TRUE(pages.NeedsRestartNotice());
    const auto result = pages.Save();
    ASSERT_TRUE(result.bSaved);
    EXPECT_EQ(store.GetProfileInt(kSectionGlobal, kUseWinamp, -5), 1);
    EXPECT_EQ(store.GetProfileInt(kSectionFonts, kListViewFontSize, -5), 90);
    EXPECT_EQ(store.GetProfileInt(kSectionList, kCloseRandomized, -5), 0);
    EXPECT_EQ(store.GetProfileInt(kSectionInternal, kMixType, -5), -1);

    // The next reader sees the stored values at once; a valid mix type stays selected.
    store.WriteProfileInt(kSectionInternal, kMixType, 1);
    COptionsPages again(store);
    again.Initialise({"Linear", "Fast"});
    EXPECT_EQ(again.m_nMixTypeSelection, 1);
    EXPECT_EQ(again.Values().m_bUseWinamp, 1);
    EXPECT_FALSE(again.NeedsRestartNotice());
}

TEST(OptionsPagesTest, AValueOutOfRangeStopsTheSaveOnItsPage) {
    struct Case {
        const char* name;
        void (*set)(COptionsPages&);
        COptionsPages::Page page;
        const char* message;
        bool listStored; // pages before the failing one are written
    };
    const Case cases[] = {
        {"fast move down 0", [](COptionsPages& p) { p.Values().m_nFastMoveDown = 0; },
         COptionsPages::kList, "Please enter an integer between 1 and 1000.", false},
        {"fast move up 1001", [](COptionsPages& p) { p.Values().m_nFastMoveUp = 1001; },
         COptionsPages::kList, "Please enter an integer between 1 and 1000.", false},
        {"font 1 point", [](COptionsPages& p) { p.m_nFontPoints = 1; }, COptionsPages::kColors,
         "Please enter an integer between 2 and 900.", true},
        {"font 901 points", [](COptionsPages& p) { p.m_nFontPoints = 901; }, COptionsPages::kColors,
         "Please enter an integer between 2 and 900.", true},
        {"mix seconds 6001", [](COptionsPages& p) { p.Values().m_nMixSeconds = 6001; },
         COptionsPages::kInternal, "Please enter an integer between 0 and 6000.", true},
        {"mix speed 0", [](COptionsPages& p) { p.Values().m_nMixSpeed = 0; },
         COptionsPages::kInternal, "Please enter an integer between 1 and 20.", true},
        {"mix speed 21", [](COptionsPages& p) { p.Values().m_nMixSpeed = 21; },
         COptionsPages::kInternal, "Please enter an integer between 1 and 20.", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CMemorySettingsStore store;
        COptionsPages pages(store);
        pages.Initialise({"Linear"});
        pages.Values().m_strWinampPath = "mpv --idle=yes";
        pages.Values().m_bNewFileAtStart = 0;
        pages.Values().m_strId3Tags = "%1";
        pages.Values().m_bStopLoopAtEnd = 1;
        c.set(pages);
        const auto result = pages.Save();
        EXPECT_FALSE(result.bSaved);
        EXPECT_EQ(result.failedPage, c.page);
        EXPECT_EQ(result.strMessage, c.message);
        EXPECT_EQ(store.GetProfileString(kSectionWinamp, kWinampPath, ""), "mpv --idle=yes");
        EXPECT_EQ(store.GetProfileInt(kSectionGlobal, kNewFileAtStart, -5), 0);
        EXPECT_EQ(store.GetProfileString(kSectionList, kId3Tags, "") == "%1", c.listStored);
        // The pages after the failing one keep their stored values.
        EXPECT_EQ(store.GetProfileInt(kSectionMisc, kStopLoopAtEnd, -5), 0);
    }
}

} // namespace
