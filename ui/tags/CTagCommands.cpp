#include "ui/tags/CTagCommands.h"

#include "catalogue/CMixorel2001Doc.h"
#include "ui/playlist/CMixorel2001View.h"

#include <mutex>

bool CTagCommands::CanEdit(CMixorel2001View& view) {
    const int mark = view.GetSelectionMark();
    if (mark < 0) {
        return false;
    }
    CMixorel2001Doc& doc = view.GetDoc();
    std::lock_guard lock(doc.GetMutex());
    const CSong* song = doc.GetSongAt(mark);
    return song != nullptr && !song->IsRegion();
}

bool CTagCommands::CanAutoTag(const CMixorel2001View& view) {
    return view.GetSelectedCount() > 0;
}
