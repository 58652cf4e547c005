#pragma once

#include "CSong.h"

#include <array>
#include <functional>
#include <string>

// The columns of a playlist as the list shows and prints them: headings, default widths,
// alignment and the text of each cell. The view's model, the list printer and the
// command-line printer all take their texts from here.
class CPlaylistColumns {
public:
    enum Column : int { kSong = 0, kDuration, kInfo, kDateTime, kLoudness, kCount };
    static constexpr const char* kRegionText = "region";

    static const char* Heading(int column);
    // Default widths in pixels; "Date/time" and "Loudness" are hidden (0) until the user
    // widens them.
    static int DefaultWidth(int column);
    static bool IsRightAligned(int column);
    // The text of a cell; empty for a column that does not exist.
    static std::string CellText(const CSong& song, int column);

    // The "Loudness" column's text for a song's path comes from the song analysis, which
    // the catalogue does not know: the program installs it at start-up (an empty function
    // leaves the column empty). Called from the threads that draw or print lists.
    using LoudnessText = std::function<std::string(const std::string& path)>;
    static void SetLoudnessText(LoudnessText text);
};
