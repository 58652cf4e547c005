// Life cycle of the document: new, open, and the close rules.

#include "CMixorel2001Doc.h"

#include "CPlaylistFile.h"
#include "CProcessListThread.h"

#include "settings/CSharedSettings.h"

#include <utility>

// ---- Life cycle and closing ----

void CMixorel2001Doc::StartWorking() {
    if (m_pSettings != nullptr) {
        m_pSettings->Reload();
    }
}

bool CMixorel2001Doc::OnNewDocument() {
    if (m_pHost != nullptr && !m_pHost->HasActivePlayer()) {
        return false;
    }
    StartWorking();
    DeleteContents();
    CreateProcessThread();
    if (m_pHost != nullptr) {
        m_pHost->PrepareActivePlayer(*this);
    }
    SetModifiedFlag(false);
    return true;
}

int CMixorel2001Doc::OpenDocument(const std::string& path) {
    if (m_pHost != nullptr && !m_pHost->HasActivePlayer()) {
        return CPlaylistFile::kCannotOpen;
    }
    StartWorking();
    if (!CreateProcessThread()) {
        return kNoProcessThread;
    }
    const int result = OnOpenDocument(path);
    if (result != CPlaylistFile::kOk) {
        return result;
    }
    if (m_pHost != nullptr) {
        m_pHost->PrepareActivePlayer(*this);
    }
    return result;
}

// Ends the loop driver and the processing thread. A thread still reading a file after the
// stop wait must not outlive the document, so it is then waited for to the end.
void CMixorel2001Doc::EndWorkers() {
    EndLoopDriver();
    if (!StopProcessThread()) {
        std::thread handle;
        {
            Lock lock(m_mutex);
            handle = std::move(m_processThread);
        }
        if (handle.joinable()) {
            handle.join();
        }
        Lock lock(m_mutex);
        m_pProcessThread.reset();
    }
}

void CMixorel2001Doc::OnCloseDocument() {
    EndWorkers();
    if (m_pHost != nullptr) {
        m_pHost->ReleaseActivePlayer(*this);
    }
    DeleteContents();
}

// The close decisions run without holding the document lock, since stopping the loop
// waits for the driver, which needs the lock to end.
CMixorel2001Doc::CloseAnswer CMixorel2001Doc::SaveModified(bool quickClose) {
    if (IsImportRunning()) {
        if (m_pHost != nullptr) {
            m_pHost->ShowImportProgress(*this);
        }
        return kCloseRefused;
    }
    if (IsScheduled()) {
        ShowMessage(m_pPrompt, kScheduleOnText);
        return kCloseRefused;
    }
    if (quickClose) {
        return kCloseWithoutAsking;
    }
    if (IsLooping()) {
        if (!AskYes(kCloseLoopingText)) {
            return kCloseRefused;
        }
        StopLoop();
        return kCloseWithoutAsking;
    }
    return IsModified() ? kCloseAskToSave : kCloseWithoutAsking;
}

CMixorel2001Doc::CloseAnswer CMixorel2001Doc::CloseCommand(bool quickClose) {
    const CloseAnswer answer = SaveModified(quickClose);
    if (answer == kCloseWithoutAsking && !quickClose && IsModified()) {
        // A stopped loop goes on to the framework close, which asks about the changes.
        return kCloseAskToSave;
    }
    return answer;
}

bool CMixorel2001Doc::QuickClose() {
    {
        Lock lock(m_mutex);
        if (RefuseWhenLocked()) {
            return false;
        }
    }
    if (IsScheduled()) {
        ShowMessage(m_pPrompt, kScheduleOnText);
        return false;
    }
    if (IsLooping()) {
        if (!AskYes(kQuickCloseLoopingText)) {
            return false;
        }
        StopLoop();
    }
    return true;
}

void CMixorel2001Doc::ShowMessage(IUserPrompt* prompt, const char* text) {
    if (prompt != nullptr) {
        prompt->Message(text);
    }
}

void CMixorel2001Doc::ApplyLock(bool locked, bool disablePlayerCommands) {
    Lock lock(m_mutex);
    if (locked && disablePlayerCommands && IsLooping()) {
        if (m_pPrompt != nullptr) {
            m_pPrompt->Message(kLoopingCommandsText);
        }
        disablePlayerCommands = false;
    }
    SetLocked(locked, disablePlayerCommands);
}
