// Looping and regions: the loop driver, play and schedule positions.

#include "CMixorel2001Doc.h"

#include "CLoopState.h"

#include "settings/CSharedSettings.h"

#include <atomic>
#include <memory>
#include <utility>

// ---- Looping and regions ----

namespace {
std::atomic<IShutdownRequest*> g_pShutdownRequest{nullptr};
} // namespace

void CMixorel2001Doc::SetPlayerLink(IPlayerLink* player) {
    Lock lock(m_mutex);
    m_pPlayer = player;
}

IPlayerLink* CMixorel2001Doc::GetPlayerLink() const {
    Lock lock(m_mutex);
    return m_pPlayer;
}

void CMixorel2001Doc::SetLoopFactory(ILoopRunnerFactory* factory) {
    Lock lock(m_mutex);
    m_pLoopFactory = factory;
}

void CMixorel2001Doc::SetShutdownRequest(IShutdownRequest* request) {
    g_pShutdownRequest = request;
}

void CMixorel2001Doc::SetShutdownAtEnd(bool shutdown) {
    CLoopState::s_bShutdownAtEnd = shutdown;
}

bool CMixorel2001Doc::IsShutdownAtEnd() {
    return CLoopState::s_bShutdownAtEnd;
}

CSettings CMixorel2001Doc::GetSettings() const {
    const CSharedSettings* settings = nullptr;
    {
        Lock lock(m_mutex);
        settings = m_pSettings;
    }
    return settings != nullptr ? settings->Get() : CSettings();
}

bool CMixorel2001Doc::StartLoopAt(int index, std::uint32_t token) {
    std::string id;
    std::string last;
    {
        Lock lock(m_mutex);
        if (const CSong* song = GetSongAt(index); song != nullptr) {
            id = song->GetId();
        }
        last = m_strLastLoopId;
    }
    IPlayerLink* player = GetPlayerLink();
    if (IsLooping() && !id.empty() && id == last && player != nullptr) {
        player->Skip();
    }
    {
        Lock lock(m_mutex);
        m_strLastLoopId = CLoopState::s_bRegionPlaying ? std::string() : id;
    }
    StopLoop();
    SetPlayPosition(index, kLoopMode);
    return StartLoop(token);
}

bool CMixorel2001Doc::StartLoop(std::uint32_t token) {
    if (IsLooping()) {
        StopLoop();
        if (IPlayerLink* player = GetPlayerLink(); player != nullptr) {
            player->Stop();
        }
    }
    ILoopRunnerFactory* factory = nullptr;
    {
        Lock lock(m_mutex);
        factory = m_pLoopFactory;
    }
    std::unique_ptr<ILoopRunner> runner =
        factory != nullptr ? factory->StartDriver(*this, token) : nullptr;
    if (runner == nullptr) {
        return false;
    }
    std::unique_ptr<ILoopRunner> previous;
    {
        Lock lock(m_mutex);
        previous = std::move(m_pLoopRunner);
        m_pLoopRunner = std::move(runner);
    }
    return true;
}

// A driver that ended by itself is only forgotten: the process-wide stop flag must not
// reach a loop that another playlist started since.
void CMixorel2001Doc::StopLoop() {
    ILoopRunner* runner = nullptr;
    {
        Lock lock(m_mutex);
        runner = m_pLoopRunner.get();
    }
    if (runner == nullptr) {
        return;
    }
    // A driver in the middle of a start may take longer than one wait; it is asked again
    // until it has ended, so nothing it starts comes after the stop.
    while (!runner->WaitEnded(std::chrono::milliseconds(0))) {
        runner->RequestStop();
        runner->WaitEnded(kLoopStopWait);
    }
    std::unique_ptr<ILoopRunner> ended;
    Lock lock(m_mutex);
    if (m_pLoopRunner.get() == runner) {
        ended = std::move(m_pLoopRunner);
    }
}

// Closing: the driver must be gone before the records are, however long it takes.
void CMixorel2001Doc::EndLoopDriver() {
    StopLoop();
    std::unique_ptr<ILoopRunner> runner;
    {
        Lock lock(m_mutex);
        runner = std::move(m_pLoopRunner);
    }
    if (runner != nullptr) {
        runner->RequestStop();
        while (!runner->WaitEnded(kLoopStopWait)) {
        }
    }
}

bool CMixorel2001Doc::IsLooping() const {
    ILoopRunner* runner = nullptr;
    {
        Lock lock(m_mutex);
        runner = m_pLoopRunner.get();
    }
    return runner != nullptr && !runner->WaitEnded(std::chrono::milliseconds(0));
}

int CMixorel2001Doc::GetPlayPosition(int mode) {
    Lock lock(m_mutex);
    const auto count = static_cast<int>(m_songs.GetCount());
    std::lock_guard<std::mutex> positions(m_posMutex);
    int& pos = mode == kLoopMode ? m_nLoopPos : m_nSchedulePos;
    if (pos < 0 || pos >= count) {
        pos = 0;
    }
    return pos;
}

bool CMixorel2001Doc::SetPlayPosition(int index, int mode) {
    Lock lock(m_mutex);
    if (index < 0 || index >= static_cast<int>(m_songs.GetCount())) {
        return false;
    }
    std::lock_guard<std::mutex> positions(m_posMutex);
    (mode == kLoopMode ? m_nLoopPos : m_nSchedulePos) = index;
    if (mode == kScheduleMode) {
        m_bScheduleAtEnd = false;
    }
    return true;
}

// The raw schedule position is read before GetPlayPosition would fold a position past
// the end (the region's last line played and removed) back to the top.
bool CMixorel2001Doc::ScheduleReachedEnd(bool advance) {
    Lock lock(m_mutex);
    const auto count = static_cast<int>(m_songs.GetCount());
    std::lock_guard<std::mutex> positions(m_posMutex);
    if (m_nSchedulePos >= 0 && m_nSchedulePos + (advance ? 1 : 0) >= count) {
        m_bScheduleAtEnd = true;
    }
    return m_bScheduleAtEnd;
}

bool CMixorel2001Doc::NextIndex(bool advance, int mode, int& index) {
    Lock lock(m_mutex);
    const auto count = static_cast<int>(m_songs.GetCount());
    if (count == 0) {
        return false;
    }
    if (mode == kScheduleMode && ScheduleReachedEnd(advance)) {
        return false;
    }
    const int candidate = GetPlayPosition(mode) + (advance ? 1 : 0);
    if (candidate < count) {
        index = candidate;
        return true;
    }
    if (mode == kLoopMode && GetSettings().m_bStopLoopAtEnd == 1) {
        IShutdownRequest* request = g_pShutdownRequest;
        if (CLoopState::s_bShutdownAtEnd && request != nullptr) {
            request->RequestShutdown();
        }
        return false;
    }
    index = 0;
    return true;
}

bool CMixorel2001Doc::PlaySong(int index, bool showMessages, bool afterLoop) {
    bool ok = false;
    StartSong(index, showMessages, afterLoop, ok);
    return ok;
}

CMixorel2001Doc::StartResult CMixorel2001Doc::StartSong(int index, bool showMessages,
                                                        bool afterLoop, bool& bOk) {
    bOk = false;
    IPlayerLink* player = GetPlayerLink();
    if (player == nullptr || (!player->IsConnected() && !player->Connect())) {
        if (showMessages) {
            ShowMessage(m_pPrompt, kPlayerMissingText);
        }
        return kStartNoPlayer;
    }
    Lock lock(m_mutex);
    const CSong* song = GetSongAt(index);
    if (song == nullptr || song->IsRegion()) {
        bOk = song != nullptr;
        return kStartNothing;
    }
    if (!player->PlayLogged(song->GetPath())) {
        if (showMessages) {
            // Told without the document lock: the loop and the processing need it.
            const std::string text = kCannotPlayText + song->GetPath();
            lock.unlock();
            ShowMessage(m_pPrompt, text.c_str());
        }
        return kStartUnplayable;
    }
    bOk = AddPlayed(*song);
    if (m_bRemovePlayed) {
        RemoveLines({song->GetId()}, true, true);
    } else if (afterLoop && GetSettings().m_nAutoShowPlayNext == 1 && !CLoopState::s_bStop) {
        ScrollViews(GetLoopPos());
    }
    return kStartPlayed;
}

// The started song carries the "playing" mark of its mode (1 for the loop, 4 for a
// region) so the view can show it. A song that could not be opened stays in the list
// (also with "Rem Played"), and the position moves past it.
bool CMixorel2001Doc::PlayNext(int mode, StartResult* pResult) {
    StartResult ignored = kStartNothing;
    StartResult& result = pResult != nullptr ? *pResult : ignored;
    result = kStartNothing;
    Lock lock(m_mutex);
    int index = -1;
    if (!NextIndex(false, mode, index)) {
        return false;
    }
    bool listed = false;
    result = StartSong(index, false, true, listed);
    if (result == kStartNoPlayer) {
        IUserPrompt* prompt = m_pPrompt;
        lock.unlock();
        ShowMessage(prompt, kPlayerMissingText);
        return false;
    }
    if (result == kStartPlayed && !m_bRemovePlayed) {
        MarkSong(index, mode == kLoopMode ? kMarkLoopPlaying : kMarkSchedulePlaying);
    }
    const bool advance = result == kStartUnplayable || !m_bRemovePlayed;
    int next = -1;
    if (!NextIndex(advance, mode, next)) {
        if (mode == kScheduleMode) {
            MarkNext(mode); // the region has ended: its marks go
        }
        return false;
    }
    SetPlayPosition(next, mode);
    const bool marked = MarkNext(mode);
    if (result == kStartPlayed && m_bShowNextOnce.exchange(false)) {
        ScrollViews(GetPlayPosition(mode));
    }
    return marked && (listed || result != kStartPlayed);
}

void CMixorel2001Doc::ShowNextAfterNextStart() {
    m_bShowNextOnce = true;
}

void CMixorel2001Doc::ShowNothingPlayable() {
    IUserPrompt* prompt = nullptr;
    {
        Lock lock(m_mutex);
        prompt = m_pPrompt;
    }
    ShowMessage(prompt, kNothingPlayableText);
}

bool CMixorel2001Doc::MarkNext(int mode) {
    Lock lock(m_mutex);
    if (mode == kScheduleMode && ScheduleReachedEnd(false)) {
        ClearMark(kMarkSchedulePlaying);
        ClearMark(kMarkScheduleNext);
        return false;
    }
    int index = GetPlayPosition(mode);
    const CSong* song = GetSongAt(index);
    if (song == nullptr) {
        return false;
    }
    if (mode == kLoopMode) {
        if (song->IsRegion() &&
            (!NextIndex(true, kLoopMode, index) || !SetPlayPosition(index, kLoopMode))) {
            return false;
        }
        MarkSong(index, kMarkLoopNext);
        return true;
    }
    if (song->IsRegion()) {
        ClearMark(kMarkSchedulePlaying);
        ClearMark(kMarkScheduleNext);
        return false;
    }
    MarkSong(index, kMarkScheduleNext);
    return true;
}

bool CMixorel2001Doc::HasPlayableSongs() const {
    Lock lock(m_mutex);
    return m_songs.GetCount() > m_regions.size();
}

std::vector<std::pair<int, CDateTime>> CMixorel2001Doc::GetRegionStarts() const {
    Lock lock(m_mutex);
    std::vector<std::pair<int, CDateTime>> starts;
    starts.reserve(m_regions.size());
    for (const std::string& id : m_regions) {
        int index = -1;
        if (const CSong* header = FindById(id, &index); header != nullptr) {
            starts.emplace_back(index, header->GetStart());
        }
    }
    return starts;
}
