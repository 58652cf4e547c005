// The processing thread that reads song files, and reprocessing.

#include "CMixorel2001Doc.h"

#include "CProcessListThread.h"

#include "media/SongFileReader.h"
#include "settings/CSharedSettings.h"

#include <algorithm>
#include <memory>
#include <system_error>
#include <utility>

// ---- Processing thread ----

bool CMixorel2001Doc::CreateProcessThread(bool idlePriority) {
    Lock lock(m_mutex);
    if (m_pProcessThread != nullptr) {
        return true;
    }
    auto thread = std::make_unique<CProcessListThread>(*this, m_pPrompt, idlePriority);
    if (!thread->CreateEvents() && m_pPrompt != nullptr) {
        m_pPrompt->Message(
            "CMixorel2001Doc::CreateProcessThread() - m_pProcessThread->CreateEvents() == false");
    }
    try {
        std::function<void()> body = [worker = thread.get()] { worker->Run(); };
        m_processThread =
            m_launchThread ? m_launchThread(std::move(body)) : std::thread(std::move(body));
    } catch (const std::system_error&) {
        return false;
    }
    m_pProcessThread = std::move(thread);
    TellProcessThread();
    return true;
}

void CMixorel2001Doc::SetThreadLauncher(ThreadLauncher launcher) {
    Lock lock(m_mutex);
    m_launchThread = std::move(launcher);
}

// The wait runs without the document lock, which the thread needs to finish its song.
// Only the user-interface thread drops the object, so the pointer stays good meanwhile.
bool CMixorel2001Doc::StopProcessThread() {
    CProcessListThread* thread = nullptr;
    {
        Lock lock(m_mutex);
        thread = m_pProcessThread.get();
    }
    if (thread == nullptr) {
        return true;
    }
    thread->SetStartProcessing(true);
    thread->SetDie(true);
    if (!thread->WaitEnded(kProcessStopWait)) {
        return false;
    }
    std::unique_ptr<CProcessListThread> ended;
    std::thread handle;
    {
        Lock lock(m_mutex);
        ended = std::move(m_pProcessThread);
        handle = std::move(m_processThread);
    }
    if (handle.joinable()) {
        handle.join();
    }
    return true;
}

bool CMixorel2001Doc::HasProcessThread() const {
    Lock lock(m_mutex);
    return m_pProcessThread != nullptr;
}

bool CMixorel2001Doc::SetProcessRange(int first, int last) {
    Lock lock(m_mutex);
    return m_pProcessThread != nullptr && m_pProcessThread->SetRange(first, last);
}

void CMixorel2001Doc::SetSharedSettings(CSharedSettings* settings) {
    Lock lock(m_mutex);
    m_pSettings = settings;
}

std::string CMixorel2001Doc::GetTitleTemplate() const {
    const CSharedSettings* settings = nullptr;
    {
        Lock lock(m_mutex);
        settings = m_pSettings;
    }
    return settings != nullptr ? settings->Get().m_strId3Tags : std::string();
}

// With the document lock held: the thread works while the queue holds songs.
void CMixorel2001Doc::TellProcessThread() {
    if (m_pProcessThread != nullptr) {
        m_pProcessThread->SetStartProcessing(!m_queue.IsEmpty());
    }
}

bool CMixorel2001Doc::ProcessSong(const std::string& id) {
    std::string location;
    {
        Lock lock(m_mutex);
        CSong* song = FindById(id);
        if (song == nullptr) {
            return false;
        }
        if (song->HasInfo()) {
            SetProcessed(*song, true);
            return true;
        }
        location = song->GetLocation();
    }
    const std::string titleTemplate = GetTitleTemplate();
    const SongFileFacts facts = SongFileReader::Read(location);
    Lock lock(m_mutex, std::defer_lock);
    if (!CProcessListThread::LockWithin(lock, kProcessLockWait)) {
        return false;
    }
    int index = -1;
    CSong* song = FindById(id, &index);
    if (song == nullptr) {
        return true;
    }
    if (song->HasInfo()) {
        // Given its facts meanwhile (a location edit): those stand.
        SetProcessed(*song, true);
    } else if (song->GetLocation() == location) {
        StoreFacts(*song, index, facts, titleTemplate);
    }
    // A song whose location changed meanwhile stays queued and is read again.
    return true;
}

// The totals follow the record: its old time and size leave them, the new ones enter.
// A file without audio frames keeps no size, so its line counts nothing.
void CMixorel2001Doc::StoreFacts(CSong& song, int index, const SongFileFacts& facts,
                                 const std::string& titleTemplate) {
    m_nTotalTime -= std::min(m_nTotalTime, song.GetDuration());
    m_dTotalSize = std::max(0.0, m_dTotalSize - song.GetSize());
    song.ProcessFromFacts(facts, titleTemplate);
    SetProcessed(song, true);
    m_nTotalTime += song.GetDuration();
    m_dTotalSize += song.GetSize();
    UpdateViews(index);
}

bool CMixorel2001Doc::ProcessSongAt(int index) {
    std::string id;
    {
        Lock lock(m_mutex);
        const CSong* song = GetSongAt(index);
        if (song == nullptr || song->HasInfo()) {
            return false;
        }
        id = song->GetId();
    }
    return ProcessSong(id);
}

// A queue left empty by a list rebuild also puts the thread back to sleep here.
bool CMixorel2001Doc::ProcessNextQueued() {
    std::string id;
    {
        Lock lock(m_mutex);
        if (m_queue.IsEmpty()) {
            TellProcessThread();
            return false;
        }
        id = m_queue.Front();
        if (FindById(id) == nullptr) {
            m_queue.Remove(id);
            TellProcessThread();
            return false;
        }
    }
    return ProcessSong(id);
}

// ---- Reprocessing ----

void CMixorel2001Doc::RequeueSong(CSong& song) {
    SetProcessed(song, false);
}

bool CMixorel2001Doc::Reprocess(const std::vector<std::string>& selectedIds) {
    Lock lock(m_mutex);
    if (selectedIds.size() > 1) {
        for (const std::string& id : selectedIds) {
            CSong* song = FindById(id);
            if (song != nullptr && !song->IsRegion()) {
                RequeueSong(*song);
            }
        }
    } else {
        for (std::size_t index = 0; index < m_songs.GetCount(); ++index) {
            CSong& song = *m_songs.GetAt(index);
            if (!song.IsRegion()) {
                RequeueSong(song);
            }
        }
    }
    SetModifiedFlag(true);
    UpdateViews(-1);
    return true;
}

int CMixorel2001Doc::SetSourceFolder(const std::string& folder) {
    Lock lock(m_mutex);
    int moved = 0;
    for (std::size_t index = 0; index < m_songs.GetCount(); ++index) {
        CSong& song = *m_songs.GetAt(index);
        const std::string& location = song.GetLocation();
        if (song.IsRegion() || (location.find("D:\\") == std::string::npos &&
                                location.find("d:\\") == std::string::npos)) {
            continue;
        }
        // Paths written on Windows separate their folders with backslashes.
        const std::string oldLocation = location;
        song.SetPathText(folder + oldLocation.substr(oldLocation.find_last_of("/\\") + 1));
        m_songs.UpdateLocation(oldLocation, song.GetLocation());
        RequeueSong(song);
        ++moved;
    }
    if (moved > 0) {
        SetModifiedFlag(true);
        UpdateViews(-1);
    }
    return moved;
}
