#pragma once

#include <string>
#include <string_view>

// Audio CD tracks reach the player as paths such as "/media/cdrom/Track03.cda".
class CCdTrackPath {
public:
    // True when the path, trimmed of white space and lower-cased, ends in ".cda".
    static bool IsCdTrack(std::string_view path);
    // The decimal number after the first "track" of the trimmed, lower-cased path, as
    // text ("3" for ...track03.cda); "0" for a path that is not a CD track.
    static std::string TrackText(std::string_view path);
    // The same as a number.
    static long TrackNumber(std::string_view path);

private:
    static std::string TrimmedLower(std::string_view path);
};
