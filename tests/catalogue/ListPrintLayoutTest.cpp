#include "catalogue/CListPrintLayout.h"

#include <gtest/gtest.h>

namespace {

// A page of 58 line heights at 600 dpi: 58 - 8 = 50 lines per page.
CListPrintLayout::Metrics PageOf58Lines() {
    CListPrintLayout::Metrics metrics;
    metrics.nPrinterWidth = 4800;
    metrics.nPrinterDpiY = 600;
    metrics.nScreenDpiY = 96; // vertical scale 6
    metrics.nLineHeight = 20;
    metrics.nPrinterHeight = 58 * 20 * 6;
    metrics.nAverageCharWidth = 7;
    metrics.nItemWidth = 497; // horizontal scale 4800 / (42 + 497) = 8
    return metrics;
}

TEST(ListPrintLayoutTest, PagesAndTheirLines) {
    struct Case {
        int lines;
        int pages;
        int lastPageFirst;
        int lastPageEnd;
    };
    for (const Case& c : {Case{10, 1, 0, 10}, Case{50, 1, 0, 50}, Case{51, 2, 50, 51},
                          Case{100, 2, 50, 100}, Case{0, 0, 0, 0}}) {
        CListPrintLayout layout;
        ASSERT_TRUE(layout.Compute(PageOf58Lines(), c.lines));
        EXPECT_EQ(layout.GetLinesPerPage(), 50);
        EXPECT_EQ(layout.GetPageCount(), c.pages) << c.lines;
        if (c.pages > 0) {
            EXPECT_EQ(layout.GetFirstLine(c.pages), c.lastPageFirst) << c.lines;
            EXPECT_EQ(layout.GetEndLine(c.pages), c.lastPageEnd) << c.lines;
        }
    }
    CListPrintLayout layout;
    ASSERT_TRUE(layout.Compute(PageOf58Lines(), 60));
    EXPECT_EQ(layout.GetHorizontalScale(), 8);
    EXPECT_EQ(layout.GetVerticalScale(), 6);
    EXPECT_EQ(layout.GetLeft(), 14);
    EXPECT_EQ(layout.GetRight(), 4800 / 8 - 28);
    EXPECT_EQ(layout.GetBottom(), 58 * 20);
    // Rows follow the heading four lines below the top; each page starts again there.
    EXPECT_EQ(layout.GetRowTop(0), 5 * 20);
    EXPECT_EQ(layout.GetRowTop(50), 5 * 20);
    EXPECT_EQ(layout.GetRowTop(59), 14 * 20);
    // The last row ends where the footer's three lines begin.
    EXPECT_EQ(layout.GetRowTop(49) + 20, layout.GetFooterTop());
}

TEST(ListPrintLayoutTest, WhatCannotBeLaidOut) {
    CListPrintLayout::Metrics narrow = PageOf58Lines();
    narrow.nPrinterWidth = 500; // narrower than the list: horizontal scale 0
    CListPrintLayout layout;
    EXPECT_FALSE(layout.Compute(narrow, 10));
    EXPECT_EQ(layout.GetPageCount(), 0);

    CListPrintLayout::Metrics coarse = PageOf58Lines();
    coarse.nPrinterDpiY = 72; // below the screen's resolution: still one to one
    coarse.nPrinterHeight = 100;
    ASSERT_TRUE(layout.Compute(coarse, 10));
    EXPECT_EQ(layout.GetVerticalScale(), 1);
    EXPECT_EQ(layout.GetLinesPerPage(), 1) << "a page too short still takes a row";
    EXPECT_EQ(layout.GetPageCount(), 10);
}

} // namespace
