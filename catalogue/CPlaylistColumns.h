#pragma once

#include "CSong.h"

#include <array>
#include <string>

// The columns of a playlist as the list shows and prints them: headings, default widths,
// alignment and the text of each cell. The view's model, the list printer and the
// command-line printer all take their texts from here.
class CPlaylistColumns {
public:
    enum Column : int { kSong = 0, kDuration, kInfo, kDateTime, kCount };
    static constexpr const char* kRegionText = "region";

    static const char* Heading(int column);
    // Default widths in pixels; "Date/time" is hidden (0) until the user widens it.
    static int DefaultWidth(int column);
    static bool IsRightAligned(int column);
    // The text of a cell; empty for a column that does not exist.
    static std::string CellText(const CSong& song, int column);
};
