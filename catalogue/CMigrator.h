#pragma once

#include <string>

class CMixorel2001Doc;
class IListCommandUi;

// The migrate command: copies every song file of a playlist into one destination folder
// and builds a new playlist of the copies, in list order. A failed copy asks abort,
// retry or ignore; only abort, a failed import of a copy or the progress window's cancel
// end the migration. Copies are written through a temporary file renamed into place, so
// an existing file of that name is replaced whole or not at all.
class CMigrator {
public:
    static constexpr const char* kChooseFolderTitle = "Select destination folder...";

    // False when cancelled before anything was copied.
    static bool Migrate(CMixorel2001Doc& doc, IListCommandUi& ui);
    // Copies source to target, replacing it; on failure error holds the system's text.
    static bool CopySongFile(const std::string& source, const std::string& target,
                             std::string& error);
};
