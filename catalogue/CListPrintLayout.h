#pragma once

// Where a playlist goes on paper: the list is laid out in screen units (the sizes the
// list has on the screen) scaled to the printer so that its width fits the page; a
// title line at the top, the heading row four lines below it, one row per line of the
// list, and a footer three lines above the bottom edge.
class CListPrintLayout {
public:
    struct Metrics {
        int nPrinterWidth = 0;  // printable width, printer pixels
        int nPrinterHeight = 0; // printable height, printer pixels
        int nPrinterDpiY = 0;
        int nScreenDpiY = 96;
        int nAverageCharWidth = 0; // of the list's font on the screen
        int nItemWidth = 0;        // the list's line: the sum of its column widths
        int nLineHeight = 0;       // of the list's first line on the screen
    };

    // False (nothing to print) when the list's width cannot be fitted to the page.
    bool Compute(const Metrics& metrics, int lineCount);

    int GetHorizontalScale() const { return m_nHScale; }
    int GetVerticalScale() const { return m_nVScale; }
    int GetLeft() const { return m_nLeft; }
    int GetTop() const { return 0; }
    int GetRight() const { return m_nRight; }
    int GetBottom() const { return m_nBottom; }
    int GetLineHeight() const { return m_nLineHeight; }
    int GetLinesPerPage() const { return m_nLinesPerPage; }
    // Pages 1 .. GetPageCount(); a list whose length is a whole multiple of the lines per
    // page ends on its last full page (no page without rows).
    int GetPageCount() const;
    // The lines of page n (from 1): [first, last).
    int GetFirstLine(int page) const;
    int GetEndLine(int page) const;
    // The top of the heading row and of the first row, in screen units.
    int GetHeadingTop() const { return 4 * m_nLineHeight; }
    int GetRowTop(int line) const;
    // The footer's rule; the page number and date sit half a line below it.
    int GetFooterTop() const { return m_nBottom - 3 * m_nLineHeight; }

private:
    int m_nHScale = 0;
    int m_nVScale = 0;
    int m_nLeft = 0;
    int m_nRight = 0;
    int m_nBottom = 0;
    int m_nLineHeight = 0;
    int m_nLinesPerPage = 0;
    int m_nLines = 0;
};
