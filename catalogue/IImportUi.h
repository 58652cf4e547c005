#pragma once

#include "IImportProgress.h"

#include <memory>
#include <string>
#include <vector>

class CLocationList;

// The dialogs of music import, implemented by the desktop shell (a scripted fake in
// tests). User-interface thread only.
class IImportUi {
public:
    enum LocationsMode : int { kLocationsCancel = 0, kLocationsOther, kLocationsSelected };

    virtual ~IImportUi() = default;

    // Creates and shows the progress window titled title.
    virtual std::unique_ptr<IImportProgress> CreateProgress(const std::string& title) = 0;
    // The folder browser titled title, starting at start; false on cancel. The choice
    // may be anything the user typed; the caller checks that it is a folder.
    virtual bool ChooseFolder(const std::string& title, const std::string& start,
                              std::string& folder) = 0;
    // The open-file dialog with multiple selection ("mp3 files (*.mp?)|*.mp?|WAV files|
    // *.wav|Modules|*.mod|All files (*.*)|*.*||"); the chosen paths in the dialog's
    // order; false on cancel.
    virtual bool ChooseFiles(std::vector<std::string>& paths) = 0;
    // The dialog "Import Music From Multiple Locations" over the music locations (its
    // "&Remove" changes them, see CMusicImporter::RemoveLocations). For "&Selected
    // location(s)" selected receives the chosen lines from the top down (see
    // CMusicImporter::ConfirmSelection); subfolders is the check box "Use &music from
    // subfolders too", 1 when the dialog opens.
    virtual LocationsMode ChooseLocations(CLocationList& locations, std::vector<int>& selected,
                                          int& subfolders) = 0;
};
