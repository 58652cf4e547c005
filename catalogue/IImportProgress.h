#pragma once

#include <string>

// The modeless progress window of a folder import ("Importing music files to ..."): it
// shows "Please wait", "Importing music from:" and the current folder, and its "Cancel"
// asks "Are you sure you want to cancel the import?". The scan runs on the user-interface
// thread, so every call also dispatches the pending messages of that thread; the program
// stays responsive while a folder is scanned. The window is shown while the object lives,
// with its owner disabled. User-interface thread only.
class IImportProgress {
public:
    static constexpr const char* kCancelQuestion = "Are you sure you want to cancel the import?";

    virtual ~IImportProgress() = default;
    // Shows the folder being scanned.
    virtual void SetFolder(const std::string& folder) = 0;
    // Handles pending user input; true once the user has confirmed a cancel (and from
    // then on).
    virtual bool IsCancelled() = 0;
    // Restores the window and brings it to the front (a close of its playlist was refused).
    virtual void BringToFront() = 0;
};
