#pragma once

#include <string>

class CMixorel2001Doc;

// The find of one playlist: the line last found and the search from it for a title that
// matches (the filter's wildcard rules, letters without case), wrapping at either end.
class CFindPosition {
public:
    // A start that leaves the position as it stands.
    static constexpr int kFromPosition = -2;

    // The pattern of a text: the text itself for a whole word, else "*text*".
    static std::string PatternFor(const std::string& text, bool wholeWord);
    // From start (kFromPosition: the position as it stands; -1 or more replaces it), the
    // next line down (or up) whose title matches; it becomes the position. -1 when no
    // line matches (the position stays).
    int FindSong(const CMixorel2001Doc& doc, const std::string& pattern, bool down, int start);
    int GetPosition() const { return m_nPosition; }

private:
    int m_nPosition = -1;
};
