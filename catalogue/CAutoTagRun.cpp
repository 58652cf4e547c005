#include "CAutoTagRun.h"

#include "CMixorel2001Doc.h"
#include "IListCommandUi.h"

#include <mutex>

long CAutoTagRun::Run(CMixorel2001Doc& doc, const std::vector<std::string>& ids,
                      FilenamePattern& pattern, const CAutoTagger::Defaults& defaults,
                      ICopyProgress* progress) {
    long count = 0;
    int position = 0;
    for (const std::string& id : ids) {
        ++position;
        std::string location;
        std::string name;
        {
            std::lock_guard<std::recursive_timed_mutex> lock(doc.GetMutex());
            const CSong* song = doc.FindById(id);
            if (song == nullptr || song->IsRegion()) {
                continue; // removed meanwhile, or no file
            }
            location = song->GetLocation();
            name = song->GetFileName(true);
        }
        if (progress != nullptr) {
            progress->SetPos(position);
            progress->SetText(name);
            if (progress->IsCancelled()) {
                break;
            }
        }
        if (!CAutoTagger::TagFile(location, pattern, defaults)) {
            continue;
        }
        ++count;
        std::lock_guard<std::recursive_timed_mutex> lock(doc.GetMutex());
        if (CSong* song = doc.FindById(id)) {
            doc.SetProcessed(*song, false);
        }
    }
    return count;
}
