#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class CMixorel2001Doc;
class IListCommandUi;
class IUserPrompt;

// The filter command: a new playlist of the songs whose titles match a wildcard pattern
// (see CWildcard), and the process-wide history of the patterns entered in this run.
class CListFilter {
public:
    static constexpr const char* kNoMatchText = "Search failed. No songs found.";

    // Asks the pattern, makes the new playlist, fills it or, when nothing matched, shows
    // "Search failed. No songs found." and closes it. False when cancelled or nothing
    // matched.
    static bool Filter(CMixorel2001Doc& doc, IListCommandUi& ui, IUserPrompt& prompt);

    // The pattern as matched: a pattern without "*" gets one on each side.
    static std::string EffectivePattern(std::string_view pattern);
    // The new playlist's title: the pattern without its stars.
    static std::string TitleFor(std::string_view pattern);
    // Appends copies of the lines of source whose titles match pattern (taken as is) to
    // the end of target, in list order, duplicates included. Answers the number copied.
    static std::size_t FilterInto(const CMixorel2001Doc& source, std::string_view pattern,
                                  CMixorel2001Doc& target);

    // Trims the pattern and appends it unless an entry equals it ignoring letter case;
    // answers the trimmed pattern.
    static std::string AddToHistory(std::string_view pattern);
    static std::vector<std::string> GetHistory();
    // For tests: forgets the history.
    static void ClearHistory();
};
