#pragma once

#include "CLocationList.h"
#include "IImportUi.h"
#include "IUserPrompt.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

class CAlbumManager;
class CMixorel2001Doc;
class CSharedSettings;
class CSettings;

// Music import into one playlist document: files from the file dialog, one folder, a
// folder with its subfolders, the last folder again, or several remembered music
// locations. Every file goes in through the document's InsertSong, so duplicates,
// totals, indexes and processing are the same for every path. A folder import shows a
// progress window that can cancel it and remembers the folder in the music locations.
//
// One importer per document. Everything runs on the user-interface thread; a folder scan
// holds the document lock from start to end (the progress window keeps the program
// responsive meanwhile). The running flag is process-wide: while any document scans with
// a progress window, a second scan (in any document) runs without one.
class CMusicImporter {
public:
    using DuplicateAnswer = IUserPrompt::DuplicateAnswer;
    enum ScanResult : int { kScanFinished = 1, kScanStopped = 2 };

    static constexpr const char* kChooseFolderTitle = "Select the folder with your music files...";
    static constexpr const char* kNotAFolderText =
        "Selected item does not represent a valid drive or folder.\n\nUnable to import the music.";
    static constexpr const char* kEraseQuestion = "Do you want to erase old data in playlist?";
    static constexpr const char* kProgressTitle = "Importing music files to";
    static constexpr const char* kAllLocationsQuestion =
        "No location selected.\n\nDo you want to import music from all locations?";
    static constexpr const char* kNothingSelectedText = "Nothing selected.";
    static constexpr const char* kRemoveLocationsQuestion =
        "Are you sure you want to remove the selected location(s)?";

    // locations are the music locations of the main window; settings give the extension
    // list and the title template (defaults without).
    CMusicImporter(CMixorel2001Doc& doc, IUserPrompt& prompt, IImportUi& ui,
                   CLocationList& locations, const CSharedSettings* settings = nullptr);
    ~CMusicImporter();
    CMusicImporter(const CMusicImporter&) = delete;
    CMusicImporter& operator=(const CMusicImporter&) = delete;

    // ---- Commands: after success the document is marked modified and redrawn ----
    bool OnImportFiles();
    bool OnImportSingleFolder();
    bool OnImportFolderWithSubfolders();
    // Enabled only once a folder import of this document has succeeded.
    bool OnRepeatLastImport();
    bool OnImportLocations();

    // Appends (or puts at the head) a fresh line for path, its title the file name.
    // Answers whether to go on: true when it went in, or when the answer is now cancel
    // or no to all; false when the user declined the duplicate.
    bool ImportFile(const std::string& path, DuplicateAnswer& answer, bool atHead = false,
                    bool* added = nullptr);
    // The same for any document (migrate imports its copies this way).
    static bool ImportFileInto(CMixorel2001Doc& doc, const std::string& path,
                               DuplicateAnswer& answer, bool atHead = false, bool* added = nullptr);
    // Each path chosen in the file dialog, in the dialog's order, unfiltered, until a
    // declined duplicate or cancel. False when the dialog was cancelled.
    bool ImportFiles();
    // The folder (chosen, or the last one when repeating), the erase question, the scan
    // and the count message. False when nothing was done (cancel, not a folder).
    bool ImportFolder(bool recursive, bool repeat, DuplicateAnswer& answer);
    // Imports the listed music files of folder (ending in "/"), with its subfolders
    // when recursive; count grows by the files added. Every entry is taken, hidden ones
    // included, in the order the file system gives them.
    int ScanFolder(const std::string& folder, bool recursive, DuplicateAnswer& answer, long& count);
    // The dialog of the music locations and the scan of the chosen ones.
    bool ImportLocations();

    // Files dropped on the playlist's list, in the order the drop gives them, inserted
    // before line (after the last line for -1), asking about duplicates: folders are
    // skipped; a path holding ".QMX" (any case) is read into this playlist, its lines
    // appended and its alarm and lock flags taken over; one holding ".QMA" is opened as
    // an album through albums (when given), after the other files and without the
    // document lock (the album may close this playlist); any other path becomes a line.
    // The playlist is left not modified only when it was empty and unmodified before a
    // playlist file went in. A declined duplicate skips the rest. False when a playlist
    // could not be read or a song was declined.
    bool DropFiles(int line, const std::vector<std::string>& paths, CAlbumManager* albums);

    // For the locations dialog: on "&Selected location(s)" with nothing selected, asks
    // whether to take all; false (back to the list) on no, else selected holds every line.
    static bool ConfirmSelection(IUserPrompt& prompt, int count, std::vector<int>& selected);
    // For the locations dialog's "&Remove": the selected lines after the question; false
    // when nothing was removed.
    static bool RemoveLocations(IUserPrompt& prompt, CLocationList& locations,
                                const std::vector<int>& selected);

    // True while this document's scan shows a progress window: the document then refuses
    // to close and BringProgressToFront shows the window.
    bool HasProgress() const { return m_pProgress != nullptr; }
    void BringProgressToFront();
    static bool IsImportRunning() { return s_bImportRunning.load(); }

    const std::string& GetLastImportFolder() const { return m_strLastImportFolder; }
    bool IsLastImportKnown() const { return m_bLastImportKnown; }
    bool IsLastImportRecursive() const { return m_bLastImportRecursive; }

private:
    struct ScanContext;
    int ScanInto(ScanContext& context, const std::string& folder);
    bool DropPlaylist(const std::string& path);
    bool FinishCommand(bool ok);
    void ShowCount(long count, std::int64_t elapsedMs);
    CSettings LoadSettings() const;

    static std::atomic<bool> s_bImportRunning;

    CMixorel2001Doc& m_doc;
    IUserPrompt& m_prompt;
    IImportUi& m_ui;
    CLocationList& m_locations;
    const CSharedSettings* m_pSettings;
    std::unique_ptr<IImportProgress> m_pProgress;
    std::string m_strLastImportFolder;
    bool m_bLastImportRecursive = false;
    bool m_bLastImportKnown = false;
};
