// Loading and saving the playlist file.

#include "CMixorel2001Doc.h"

#include "CArchiveWriter.h"
#include "CPlaylistContent.h"
#include "CPlaylistFile.h"

#include <memory>
#include <utility>

void CMixorel2001Doc::Serialize(const CPlaylistContent& content) {
    Lock lock(m_mutex);
    DeleteContents();
    DuplicateAnswer answer = IUserPrompt::kYesToAll;
    for (const CSong& song : content.m_songs) {
        InsertSongAt(kAfterLast, song, answer);
    }
    TakeFileState(content);
}

// As loading through InsertSong with "yes to all", but the records read from the file
// move into the list instead of being copied.
void CMixorel2001Doc::Load(CPlaylistContent&& content) {
    Lock lock(m_mutex);
    DeleteContents();
    m_songs.Reserve(content.m_songs.size());
    for (CSong& song : content.m_songs) {
        const std::size_t index = m_songs.GetCount();
        CSong& record = m_songs.Insert(index, std::make_unique<CSong>(std::move(song)));
        IndexNewSong(record, index);
        m_nTotalTime += record.GetDuration();
        m_dTotalSize += record.GetSize();
    }
    TakeFileState(content);
}

void CMixorel2001Doc::TakeFileState(const CPlaylistContent& content) {
    m_dtAlarm = content.m_dtAlarm;
    m_bLocked = content.m_bLocked;
    m_bPlayerCommandsDisabled = content.m_bLocked && content.m_bPlayerCommandsDisabled;
    SetModifiedFlag(false);
    UpdateViews(-1);
}

void CMixorel2001Doc::Serialize(CArchiveWriter& ar) const {
    Lock lock(m_mutex);
    const std::size_t count = m_songs.GetCount();
    CPlaylistFile::WriteHead(ar, static_cast<std::uint32_t>(count));
    for (std::size_t index = 0; index < count; ++index) {
        m_songs.GetAt(index)->Serialize(ar);
    }
    CPlaylistFile::WriteTail(ar, m_dtAlarm, m_bLocked, m_bPlayerCommandsDisabled);
}

int CMixorel2001Doc::OnOpenDocument(const std::string& path) {
    CPlaylistContent content;
    const int result = CPlaylistFile::Read(path, content);
    if (result == CPlaylistFile::kOk) {
        Load(std::move(content));
    }
    return result;
}

int CMixorel2001Doc::OnSaveDocument(const std::string& path) {
    Lock lock(m_mutex);
    if (m_songs.GetCount() > 0xFFFFFFFFu) {
        return CPlaylistFile::kCannotWrite;
    }
    CArchiveWriter ar;
    Serialize(ar);
    const int result = CPlaylistFile::Save(path, ar);
    if (result == CPlaylistFile::kOk) {
        SetModifiedFlag(false);
    }
    return result;
}

int CMixorel2001Doc::SaveCommand(const std::string& path) {
    Lock lock(m_mutex);
    const bool wasModified = m_bModified;
    SetModifiedFlag(false);
    const int result = OnSaveDocument(path);
    if (result != CPlaylistFile::kOk && wasModified) {
        SetModifiedFlag(true);
    }
    if (result == CPlaylistFile::kOk && m_bNotifyBar && m_pHost != nullptr) {
        m_pHost->RefreshPlaylistsBar(*this);
    }
    return result;
}
