#pragma once

#include <functional>
#include <string>
#include <vector>

// What the list printer prints: the title and date of the pages, the columns in the
// order and widths the list shows them (screen pixels; a width of 0 is a hidden column),
// and the cell texts of each line as the list shows them.
struct CListPrintJob {
    std::string strTitle;
    std::string strDate;
    std::vector<std::string> astrHeadings; // per column
    std::vector<int> anOrder;              // column shown at each position
    std::vector<int> anWidth;              // width of each column
    int nLines = 0;
    // The pages to print, from 1; a last page of 0 (or past the end) is the last page.
    int nFirstPage = 1;
    int nLastPage = 0;
    std::function<std::string(int line, int column)> cellText;
};
