#pragma once

#include "CSong.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
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

    // What the song analysis knows of a file, which the catalogue does not: the
    // "Loudness" column's text, and the duration measured by decoding, which the
    // "Duration" column shows where the frame header's estimate is plainly wrong (VBR
    // files without a Xing header).
    struct AnalysedFacts {
        std::string strLoudness;
        std::optional<std::uint32_t> durationSeconds;
    };
    // The program installs the source at start-up (an empty function: nothing known).
    // Called from the threads that draw or print lists.
    using AnalysisSource = std::function<std::optional<AnalysedFacts>(const std::string& path)>;
    static void SetAnalysisSource(AnalysisSource source);
};
