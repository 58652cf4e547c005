#include "ui/shell/CAlbumCloser.h"

#include "catalogue/CAlbumFile.h"
#include "catalogue/CAlbumManager.h"
#include "settings/CSettings.h"
#include "ui/prompts/IShellPrompt.h"
#include "ui/shell/COpenPlaylist.h"
#include "ui/shell/IAlbumCloseHost.h"

#include <string>
#include <vector>

CAlbumCloser::CAlbumCloser(IAlbumCloseHost& host, CAlbumManager& albums, IShellPrompt& prompt,
                           ISettingsStore& store)
    : m_host(host), m_albums(albums), m_prompt(prompt), m_store(store) {}

bool CAlbumCloser::Run(bool askCloseAll) {
    CSettings settings(m_store);
    settings.Load();
    bool closeAll = true;
    if (askCloseAll && !m_host.GetPlaylists().empty()) {
        const auto answer = m_prompt.Ask(kCloseAllQuestion, IShellPrompt::kYesNoCancel,
                                         IShellPrompt::kIconQuestion);
        if (answer == IUserPrompt::kAnswerCancel) {
            return false;
        }
        closeAll = answer == IUserPrompt::kAnswerYes;
    }
    if (settings.m_bAutoSaveOnExit == 0) {
        bool albumSaved = false;
        const bool named = !m_albums.GetAlbumPath().empty();
        if (!SaveAsked(closeAll, albumSaved)) {
            return false;
        }
        settings.m_bEmptyLastProject = named ? 0 : 1;
        if (closeAll && !albumSaved && !AskEachPlaylist()) {
            return false;
        }
    } else if (!SaveUnasked(closeAll)) {
        return false;
    }
    settings.Save();
    m_albums.SetAlbumPath({});
    m_host.ResetCaption();
    return !closeAll || CloseEveryPlaylist();
}

// Without autosave: an unnamed album is saved as the default album, a named and
// modified one after the question.
bool CAlbumCloser::SaveAsked(bool closeAll, bool& albumSaved) {
    if (m_albums.GetAlbumPath().empty()) {
        if (!m_albums.SaveAlbum(true, CAlbumFile::DefaultPath(), closeAll)) {
            return false;
        }
        albumSaved = true;
        m_host.SetAlbumModified(false);
        return true;
    }
    if (!AlbumChanged()) {
        return true;
    }
    const auto answer = m_prompt.Ask(kAlbumModifiedQuestion, IShellPrompt::kYesNoCancel,
                                     IShellPrompt::kIconQuestion);
    if (answer == IUserPrompt::kAnswerCancel) {
        return false;
    }
    if (answer == IUserPrompt::kAnswerYes) {
        // The album keeps its own name: a dialog here would only ask to replace it.
        if (!m_albums.SaveAlbum(true, m_albums.GetAlbumPath(), closeAll)) {
            return false;
        }
        albumSaved = true;
        m_host.SetAlbumModified(false);
    }
    return true;
}

// Moving between windows marks the album modified too; it has changed only when the
// playlists it would record differ from those its file holds.
bool CAlbumCloser::AlbumChanged() const {
    if (!m_host.IsAlbumModified() || m_host.GetPlaylists().empty()) {
        return false;
    }
    std::vector<std::string> open;
    for (COpenPlaylist* playlist : m_host.GetPlaylists()) {
        if (!playlist->GetPathName().empty()) {
            open.push_back(playlist->GetPathName());
        }
    }
    std::vector<std::string> recorded;
    return CAlbumFile::Read(m_albums.GetAlbumPath(), recorded) != CAlbumFile::kOk ||
           recorded != open;
}

// With autosave: every modified playlist that has a file is saved, then the album; a
// new playlist has no name to save under, so its own question is asked. A playlist that
// cannot be saved keeps the program open, so its changes are not lost.
bool CAlbumCloser::SaveUnasked(bool closeAll) {
    if (closeAll) {
        for (COpenPlaylist* playlist : m_host.GetPlaylists()) {
            const bool saved = playlist->GetPathName().empty()
                                   ? playlist->SaveModified()
                                   : !playlist->IsModified() || playlist->Save();
            if (!saved) {
                return false;
            }
        }
    }
    const std::string path =
        m_albums.GetAlbumPath().empty() ? CAlbumFile::DefaultPath() : m_albums.GetAlbumPath();
    if (m_albums.SaveAlbum(false, path, false)) {
        m_host.SetAlbumModified(false);
    }
    return true;
}

bool CAlbumCloser::AskEachPlaylist() {
    for (COpenPlaylist* playlist : m_host.GetPlaylists()) {
        if (!playlist->CanClose(false)) {
            return false;
        }
    }
    return true;
}

// Each playlist's own close checks (a looping or scheduled list may refuse); the save
// question was already answered above.
bool CAlbumCloser::CloseEveryPlaylist() {
    for (COpenPlaylist* playlist : m_host.GetPlaylists()) {
        if (playlist->GetDoc().SaveModified(false) == CMixorel2001Doc::kCloseRefused) {
            return false;
        }
        m_host.ClosePlaylist(*playlist);
    }
    return true;
}
