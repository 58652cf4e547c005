#pragma once

#include <string>

class CSong;

// The columns of the playlist list and the text of each cell.
class CPlaylistCells {
public:
    enum Column : int { kSong = 0, kDuration, kInfo, kDateTime, kColumnCount };
    static constexpr const char* kRegionText = "region";

    static const char* Heading(int column);
    // Default width in pixels (the date column is hidden until widened).
    static int Width(int column);
    static bool IsRightAligned(int column);
    // The cell text of a line; empty for an unknown column.
    static std::string Text(const CSong& song, int column);
};
