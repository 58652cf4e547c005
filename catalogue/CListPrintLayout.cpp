#include "CListPrintLayout.h"

#include <algorithm>

bool CListPrintLayout::Compute(const Metrics& metrics, int lineCount) {
    *this = CListPrintLayout();
    const int listWidth = 6 * metrics.nAverageCharWidth + metrics.nItemWidth;
    if (listWidth <= 0 || metrics.nLineHeight <= 0 || metrics.nScreenDpiY <= 0) {
        return false;
    }
    m_nHScale = metrics.nPrinterWidth / listWidth;
    // A printer of no higher resolution than the screen still prints at one to one.
    m_nVScale = std::max(1, metrics.nPrinterDpiY / metrics.nScreenDpiY);
    if (m_nHScale == 0) {
        return false;
    }
    m_nLeft = 2 * metrics.nAverageCharWidth;
    m_nRight = metrics.nPrinterWidth / m_nHScale - 4 * metrics.nAverageCharWidth;
    m_nBottom = metrics.nPrinterHeight / m_nVScale;
    m_nLineHeight = metrics.nLineHeight;
    // A page too short for the title, heading and footer still takes one row.
    m_nLinesPerPage = std::max(1, metrics.nPrinterHeight / (metrics.nLineHeight * m_nVScale) - 8);
    m_nLines = std::max(0, lineCount);
    return true;
}

int CListPrintLayout::GetPageCount() const {
    if (m_nLinesPerPage <= 0 || m_nLines == 0) {
        return 0;
    }
    return (m_nLines + m_nLinesPerPage - 1) / m_nLinesPerPage;
}

int CListPrintLayout::GetFirstLine(int page) const {
    return (page - 1) * m_nLinesPerPage;
}

int CListPrintLayout::GetEndLine(int page) const {
    return std::min(GetFirstLine(page) + m_nLinesPerPage, m_nLines);
}

int CListPrintLayout::GetRowTop(int line) const {
    return GetHeadingTop() + m_nLineHeight * (1 + line % std::max(1, m_nLinesPerPage));
}
