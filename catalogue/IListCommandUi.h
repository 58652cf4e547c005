#pragma once

#include <memory>
#include <string>
#include <vector>

class CMixorel2001Doc;

// The progress window of a long list command (migrate): a range, a position and a text,
// and a "Cancel" the command polls. Every call also dispatches pending messages.
class ICopyProgress {
public:
    virtual ~ICopyProgress() = default;
    virtual void SetPos(int pos) = 0;
    virtual void SetText(const std::string& text) = 0;
    virtual bool IsCancelled() = 0;
};

// What filter and migrate need from the desktop shell: their dialogs, and new playlists
// with windows of their own. User-interface thread only.
class IListCommandUi {
public:
    enum AbortRetryIgnore : int { kAbort = 0, kRetry, kIgnore };

    virtual ~IListCommandUi() = default;

    // A new playlist of the same kind with that title, shown in a window of its own;
    // nullptr when the window cannot be made. The shell owns it.
    virtual CMixorel2001Doc* CreatePlaylist(const std::string& title) = 0;
    // Brings a playlist made by CreatePlaylist to the front once it is filled.
    virtual void ShowPlaylist(CMixorel2001Doc& doc) = 0;
    // Closes a playlist made by CreatePlaylist without asking anything.
    virtual void ClosePlaylist(CMixorel2001Doc& doc) = 0;

    // The dialog "Filter": a combo box "Filter &match string (song title)" listing the
    // history; false on "Cancel".
    virtual bool AskFilterPattern(const std::vector<std::string>& history,
                                  std::string& pattern) = 0;
    // The folder browser titled title; false on cancel.
    virtual bool ChooseFolder(const std::string& title, std::string& folder) = 0;
    // A progress window titled title over the range lower to upper.
    virtual std::unique_ptr<ICopyProgress> CreateCopyProgress(const std::string& title, int lower,
                                                              int upper) = 0;
    // A message box with the buttons abort, retry and ignore.
    virtual AbortRetryIgnore AskAbortRetryIgnore(const std::string& text) = 0;
};
