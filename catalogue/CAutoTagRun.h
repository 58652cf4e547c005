#pragma once

#include "media/CAutoTagger.h"

#include <string>
#include <vector>

class CMixorel2001Doc;
class ICopyProgress;

// The auto-tagger's run over a playlist's selected songs: each song still in the list
// is shown in the progress window, tagged from its file name, and when tagged it is
// marked unprocessed so the list reads its new tag. A cancel stops before the next file;
// files already tagged stay tagged.
class CAutoTagRun {
public:
    static constexpr const char* kProgressTitle = "Auto-tagging the files of";

    // Answers the number of files tagged.
    static long Run(CMixorel2001Doc& doc, const std::vector<std::string>& ids,
                    FilenamePattern& pattern, const CAutoTagger::Defaults& defaults,
                    ICopyProgress* progress);
};
