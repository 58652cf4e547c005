#include "ui/playlist/CFindPosition.h"

#include "catalogue/CMixorel2001Doc.h"
#include "catalogue/CWildcard.h"

#include <mutex>

std::string CFindPosition::PatternFor(const std::string& text, bool wholeWord) {
    return wholeWord ? text : "*" + text + "*";
}

int CFindPosition::FindSong(const CMixorel2001Doc& doc, const std::string& pattern, bool down,
                            int start) {
    const CWildcard wildcard(pattern);
    std::lock_guard lock(doc.GetMutex());
    if (start >= -1) {
        m_nPosition = start;
    }
    const int count = doc.GetCount();
    if (count == 0) {
        return -1;
    }
    int first = m_nPosition + (down ? 1 : -1);
    if (first >= count) {
        first = 0;
    } else if (first < 0) {
        first = count - 1;
    }
    // Every line once, from the first one on in the direction of the search.
    for (int step = 0; step < count; ++step) {
        const int line = down ? (first + step) % count : (first - step + count) % count;
        const CSong* song = doc.GetSongAt(line);
        if (song != nullptr && wildcard.Match(song->GetTitleWithDate(false))) {
            m_nPosition = line;
            return line;
        }
    }
    return -1;
}
