// The document's song list, its indexes and marks, its views and its plain state.

#include "CMixorel2001Doc.h"

#include "CProcessListThread.h"

#include <algorithm>
#include <memory>
#include <unordered_set>
#include <utility>

CMixorel2001Doc::CMixorel2001Doc(IUserPrompt* prompt) : m_pPrompt(prompt) {}

CMixorel2001Doc::~CMixorel2001Doc() {
    EndWorkers();
}

void CMixorel2001Doc::SetPrompt(IUserPrompt* prompt) {
    Lock lock(m_mutex);
    m_pPrompt = prompt;
}

void CMixorel2001Doc::SetHost(IDocumentHost* host) {
    Lock lock(m_mutex);
    m_pHost = host;
}

void CMixorel2001Doc::SetClipboard(ISongClipboard* clipboard) {
    Lock lock(m_mutex);
    m_pClipboard = clipboard;
}

void CMixorel2001Doc::AddView(IDocumentView* view) {
    Lock lock(m_mutex);
    if (view != nullptr && std::find(m_views.begin(), m_views.end(), view) == m_views.end()) {
        m_views.push_back(view);
    }
}

void CMixorel2001Doc::RemoveView(IDocumentView* view) {
    Lock lock(m_mutex);
    std::erase(m_views, view);
}

void CMixorel2001Doc::UpdateViews(int line) const {
    Lock lock(m_mutex);
    for (IDocumentView* view : m_views) {
        view->RedrawLine(line);
    }
}

void CMixorel2001Doc::ScrollViews(int line) const {
    Lock lock(m_mutex);
    for (IDocumentView* view : m_views) {
        view->ScrollToLine(line);
    }
}

bool CMixorel2001Doc::InsertSong(std::int64_t after, const CSong& source, DuplicateAnswer& answer,
                                 std::string* newId) {
    Lock lock(m_mutex);
    if (answer != IUserPrompt::kYesToAll && m_songs.ContainsLocation(source.GetLocation()) &&
        !AcceptDuplicate(source, answer)) {
        return false;
    }
    auto song = std::make_unique<CSong>();
    song->Assign(source, false);
    const std::size_t count = m_songs.GetCount();
    const std::size_t index = after < 0 ? 0 : std::min(static_cast<std::size_t>(after) + 1, count);
    CSong& record = m_songs.Insert(index, std::move(song));
    if (newId != nullptr) {
        *newId = record.GetId();
    }
    IndexNewSong(record, index);
    ShiftPositionsForInsert(index);
    m_nTotalTime += record.GetDuration();
    m_dTotalSize += record.GetSize();
    SetModifiedFlag(true);
    return true;
}

// The duplicate question, unless a bulk run's answer already covers it.
bool CMixorel2001Doc::AcceptDuplicate(const CSong& song, DuplicateAnswer& answer) const {
    if (answer == IUserPrompt::kNoToAll) {
        return false;
    }
    if (answer != IUserPrompt::kYesToAll) {
        answer = m_pPrompt != nullptr
                     ? m_pPrompt->DuplicateQuestion(song.GetTitle(), kDuplicateText)
                     : IUserPrompt::kNo;
    }
    return answer == IUserPrompt::kYes || answer == IUserPrompt::kYesToAll;
}

bool CMixorel2001Doc::InsertSongAt(int index, const CSong& source, DuplicateAnswer& answer,
                                   std::string* newId) {
    Lock lock(m_mutex);
    const auto count = static_cast<std::int64_t>(m_songs.GetCount());
    std::int64_t after = index;
    if (index == kAfterLast || after >= count) {
        after = count - 1;
    }
    return InsertSong(after, source, answer, newId);
}

// Region lines have no file, so they are never queued for processing.
void CMixorel2001Doc::IndexNewSong(CSong& song, std::size_t index) {
    if (song.IsRegion()) {
        if (index + 1 == m_songs.GetCount()) {
            m_regions.push_back(song.GetId());
        } else {
            std::size_t before = 0;
            for (std::size_t line = 0; line < index; ++line) {
                before += m_songs.GetAt(line)->IsRegion() ? 1 : 0;
            }
            m_regions.insert(m_regions.begin() + static_cast<std::ptrdiff_t>(before), song.GetId());
        }
    } else if (!song.HasInfo()) {
        SetProcessed(song, false);
    }
}

// A position moves only when the new line lies above it: a line inserted at the position
// itself becomes the one played next there.
void CMixorel2001Doc::ShiftPositionsForInsert(std::size_t index) {
    const auto count = static_cast<int>(m_songs.GetCount());
    const auto line = static_cast<int>(index);
    std::lock_guard<std::mutex> positions(m_posMutex);
    for (int* pos : {&m_nLoopPos, &m_nSchedulePos}) {
        if (*pos > line) {
            *pos = *pos + 1 >= count ? 0 : *pos + 1;
        }
    }
}

bool CMixorel2001Doc::RemoveSongs(const std::vector<std::string>& ids, bool followLoop,
                                  bool followSchedule) {
    Lock lock(m_mutex);
    if (RefuseWhenLocked()) {
        return false;
    }
    return RemoveLines(ids, followLoop, followSchedule);
}

bool CMixorel2001Doc::RemoveLines(const std::vector<std::string>& ids, bool followLoop,
                                  bool followSchedule) {
    Lock lock(m_mutex);
    std::vector<bool> flags(m_songs.GetCount(), false);
    std::size_t removedCount = 0;
    for (const std::string& id : ids) {
        const std::int64_t index = m_songs.FindIndex(id);
        if (index >= 0 && !flags[static_cast<std::size_t>(index)]) {
            flags[static_cast<std::size_t>(index)] = true;
            ++removedCount;
        }
    }
    if (removedCount == 0) {
        return true;
    }
    ShiftPositionsForRemove(flags, removedCount, followLoop, followSchedule);
    std::unordered_set<std::string> removedRegions;
    for (const std::unique_ptr<CSong>& song : m_songs.RemoveFlagged(flags)) {
        if (song->IsRegion()) {
            removedRegions.insert(song->GetId());
        }
        ForgetSong(*song);
    }
    if (!removedRegions.empty()) {
        std::erase_if(m_regions,
                      [&](const std::string& id) { return removedRegions.count(id) != 0; });
    }
    SetModifiedFlag(true);
    UpdateViews(-1);
    return true;
}

void CMixorel2001Doc::ShiftPositionsForRemove(const std::vector<bool>& flags, std::size_t removed,
                                              bool followLoop, bool followSchedule) {
    std::lock_guard<std::mutex> positions(m_posMutex);
    if (followLoop) {
        m_nLoopPos = FollowRemove(m_nLoopPos, flags, flags.size() - removed);
    }
    if (followSchedule) {
        m_nSchedulePos = FollowRemove(m_nSchedulePos, flags, flags.size() - removed);
    }
}

// The new index of the position's line is the number of kept lines above it; when that
// line itself goes, the same count names the line that followed it.
int CMixorel2001Doc::FollowRemove(int pos, const std::vector<bool>& flags, std::size_t count) {
    if (pos < 0) {
        return pos;
    }
    if (count == 0) {
        return -1;
    }
    const std::size_t end = std::min(static_cast<std::size_t>(pos), flags.size());
    const auto removedAbove = static_cast<std::size_t>(
        std::count(flags.begin(), flags.begin() + static_cast<std::ptrdiff_t>(end), true));
    const std::size_t kept = end - removedAbove;
    return kept >= count ? 0 : static_cast<int>(kept);
}

void CMixorel2001Doc::ForgetSong(const CSong& song) {
    m_queue.Remove(song.GetId());
    m_nTotalTime -= std::min(m_nTotalTime, song.GetDuration());
    m_dTotalSize = std::max(0.0, m_dTotalSize - song.GetSize());
    const auto holder = m_markHolders.find(song.GetMark());
    if (holder != m_markHolders.end() && holder->second == song.GetId()) {
        m_markHolders.erase(holder);
    }
}

void CMixorel2001Doc::SetProcessed(CSong& song, bool processed) {
    Lock lock(m_mutex);
    if (!processed) {
        // The duration counts only while the song is processed: it leaves the total now,
        // and its size when the song is read again (StoreFacts), so the totals stay right.
        m_nTotalTime -= std::min(m_nTotalTime, song.GetDuration());
    }
    song.SetInfoFlag(processed);
    if (processed) {
        m_queue.Remove(song.GetId());
    } else {
        song.SetTag(nullptr);
        m_queue.Add(song.GetId());
    }
    TellProcessThread();
}

CSong* CMixorel2001Doc::FindById(const std::string& id, int* index) const {
    Lock lock(m_mutex);
    const std::int64_t line = m_songs.FindIndex(id);
    if (index != nullptr) {
        *index = static_cast<int>(line);
    }
    return line < 0 ? nullptr : m_songs.GetAt(static_cast<std::size_t>(line));
}

int CMixorel2001Doc::IndexOf(const CSong* song) const {
    if (song == nullptr) {
        return -1;
    }
    Lock lock(m_mutex);
    int index = -1;
    return FindById(song->GetId(), &index) == song ? index : -1;
}

bool CMixorel2001Doc::Contains(const std::string& location) const {
    Lock lock(m_mutex);
    return m_songs.ContainsLocation(location);
}

CSong* CMixorel2001Doc::GetSongAt(int index) const {
    Lock lock(m_mutex);
    if (index < 0 || static_cast<std::size_t>(index) >= m_songs.GetCount()) {
        return nullptr;
    }
    return m_songs.GetAt(static_cast<std::size_t>(index));
}

bool CMixorel2001Doc::SetSongAt(int index, const CSong& record) {
    Lock lock(m_mutex);
    const CSong* current = GetSongAt(index);
    if (current == nullptr) {
        return false;
    }
    const std::int64_t holder = m_songs.FindIndex(record.GetId());
    if (holder >= 0 && holder != index) {
        return false;
    }
    auto song = std::make_unique<CSong>();
    song->Assign(record, true);
    song->SetMark(current->GetMark());
    const std::unique_ptr<CSong> old =
        m_songs.Replace(static_cast<std::size_t>(index), std::move(song));
    ForgetSong(*old);
    CSong& added = *m_songs.GetAt(static_cast<std::size_t>(index));
    if (added.GetMark() != CSong::kNoMark) {
        m_markHolders[added.GetMark()] = added.GetId();
    }
    if (old->IsRegion() && added.IsRegion()) {
        std::replace(m_regions.begin(), m_regions.end(), old->GetId(), added.GetId());
    } else if (old->IsRegion() || added.IsRegion()) {
        RebuildRegionList();
    }
    if (!added.IsRegion() && !added.HasInfo()) {
        SetProcessed(added, false);
    }
    m_nTotalTime += added.GetDuration();
    m_dTotalSize += added.GetSize();
    SetModifiedFlag(true);
    UpdateViews(index);
    return true;
}

int CMixorel2001Doc::GetCount() const {
    Lock lock(m_mutex);
    return static_cast<int>(m_songs.GetCount());
}

void CMixorel2001Doc::MarkSong(int index, std::int32_t mark) {
    Lock lock(m_mutex);
    CSong* song = GetSongAt(index);
    if (song == nullptr) {
        return;
    }
    const std::int32_t old = song->GetMark();
    if (old != CSong::kNoMark && old != mark) {
        const auto holder = m_markHolders.find(old);
        if (holder != m_markHolders.end() && holder->second == song->GetId()) {
            m_markHolders.erase(holder);
        }
    }
    if (mark != CSong::kNoMark) {
        if (FindMark(mark) != index) {
            ClearMark(mark);
        }
        m_markHolders[mark] = song->GetId();
    }
    if (song->SetMark(mark)) {
        UpdateViews(index);
    }
}

void CMixorel2001Doc::ClearMark(std::int32_t mark) {
    Lock lock(m_mutex);
    const auto holder = m_markHolders.find(mark);
    if (holder == m_markHolders.end()) {
        return;
    }
    int index = -1;
    CSong* song = FindById(holder->second, &index);
    m_markHolders.erase(holder);
    if (song != nullptr && song->GetMark() == mark) {
        song->SetMark(CSong::kNoMark);
        UpdateViews(index);
    }
}

int CMixorel2001Doc::FindMark(std::int32_t mark) const {
    Lock lock(m_mutex);
    const auto holder = m_markHolders.find(mark);
    if (holder == m_markHolders.end()) {
        return -1;
    }
    int index = -1;
    const CSong* song = FindById(holder->second, &index);
    return song != nullptr && song->GetMark() == mark ? index : -1;
}

void CMixorel2001Doc::DeleteContents() {
    Lock lock(m_mutex);
    m_songs.Clear();
    m_queue.Clear();
    m_regions.clear();
    m_markHolders.clear();
    m_nTotalTime = 0;
    m_dTotalSize = 0.0;
    m_dtAlarm = CDateTime::Null();
    m_bLocked = false;
    m_bPlayerCommandsDisabled = false;
    std::lock_guard<std::mutex> positions(m_posMutex);
    m_nLoopPos = -1;
    m_nSchedulePos = -1;
    m_bScheduleAtEnd = false;
}

std::uint32_t CMixorel2001Doc::GetTotalTime() const {
    Lock lock(m_mutex);
    return m_nTotalTime;
}

double CMixorel2001Doc::GetTotalSize() const {
    Lock lock(m_mutex);
    return m_dTotalSize;
}

std::vector<std::string> CMixorel2001Doc::GetRegionList() const {
    Lock lock(m_mutex);
    return m_regions;
}

std::vector<std::string> CMixorel2001Doc::GetProcessingQueue() const {
    Lock lock(m_mutex);
    return m_queue.GetAll();
}

int CMixorel2001Doc::GetLoopPos() const {
    std::lock_guard<std::mutex> positions(m_posMutex);
    return m_nLoopPos;
}

void CMixorel2001Doc::SetLoopPos(int pos) {
    std::lock_guard<std::mutex> positions(m_posMutex);
    m_nLoopPos = pos < 0 ? -1 : pos;
}

int CMixorel2001Doc::GetSchedulePos() const {
    std::lock_guard<std::mutex> positions(m_posMutex);
    return m_nSchedulePos;
}

void CMixorel2001Doc::SetSchedulePos(int pos) {
    std::lock_guard<std::mutex> positions(m_posMutex);
    m_nSchedulePos = pos < 0 ? -1 : pos;
}

CDateTime CMixorel2001Doc::GetAlarm() const {
    Lock lock(m_mutex);
    return m_dtAlarm;
}

void CMixorel2001Doc::SetAlarm(const CDateTime& alarm) {
    Lock lock(m_mutex);
    m_dtAlarm = alarm;
    SetModifiedFlag(true);
}

bool CMixorel2001Doc::IsLocked() const {
    Lock lock(m_mutex);
    return m_bLocked;
}

bool CMixorel2001Doc::IsPlayerCommandsDisabled() const {
    Lock lock(m_mutex);
    return m_bPlayerCommandsDisabled;
}

void CMixorel2001Doc::SetLocked(bool locked, bool playerCommandsDisabled) {
    Lock lock(m_mutex);
    m_bLocked = locked;
    m_bPlayerCommandsDisabled = locked && playerCommandsDisabled;
    SetModifiedFlag(true);
}

bool CMixorel2001Doc::IsRemovePlayed() const {
    Lock lock(m_mutex);
    return m_bRemovePlayed;
}

void CMixorel2001Doc::SetRemovePlayed(bool removePlayed) {
    Lock lock(m_mutex);
    m_bRemovePlayed = removePlayed;
}

bool CMixorel2001Doc::IsNotifyBar() const {
    Lock lock(m_mutex);
    return m_bNotifyBar;
}

void CMixorel2001Doc::SetNotifyBar(bool notify) {
    Lock lock(m_mutex);
    m_bNotifyBar = notify;
}

bool CMixorel2001Doc::IsModified() const {
    Lock lock(m_mutex);
    return m_bModified;
}

void CMixorel2001Doc::SetModifiedFlag(bool modified) {
    Lock lock(m_mutex);
    if (m_bModified == modified) {
        return;
    }
    m_bModified = modified;
    m_strTitle = TitleFor(m_strTitle, modified);
    if (m_bNotifyBar && m_pHost != nullptr) {
        m_pHost->RefreshPlaylistsBar(*this);
    }
}

std::string CMixorel2001Doc::GetTitle() const {
    Lock lock(m_mutex);
    return m_strTitle;
}

void CMixorel2001Doc::SetTitle(const std::string& title) {
    Lock lock(m_mutex);
    m_strTitle = title;
}

// The window title carries " *" while modified, in place of a ".qmx" ending.
std::string CMixorel2001Doc::TitleFor(const std::string& title, bool modified) {
    constexpr std::string_view kSpaces = " \t\r\n";
    const std::size_t first = title.find_first_not_of(kSpaces);
    if (first == std::string::npos) {
        return modified ? std::string(" *") : std::string();
    }
    std::string text = title.substr(first, title.find_last_not_of(kSpaces) - first + 1);
    if (!modified) {
        if (text.back() == '*') {
            text.pop_back();
            text.erase(text.find_last_not_of(kSpaces) + 1);
        }
        return text;
    }
    text += " *";
    constexpr std::string_view kQmxMarked = ".qmx *";
    for (std::size_t at = text.find(kQmxMarked); at != std::string::npos;
         at = text.find(kQmxMarked, at + 2)) {
        text.replace(at, kQmxMarked.size(), " *");
    }
    return text;
}

void CMixorel2001Doc::RebuildRegionList() {
    m_regions.clear();
    for (std::size_t line = 0; line < m_songs.GetCount(); ++line) {
        if (m_songs.GetAt(line)->IsRegion()) {
            m_regions.push_back(m_songs.GetAt(line)->GetId());
        }
    }
}

// ---- Shared checks ----

bool CMixorel2001Doc::RefuseWhenLocked() const {
    if (!m_bLocked) {
        return false;
    }
    if (m_pPrompt != nullptr) {
        m_pPrompt->Message(kLockedText);
    }
    return true;
}

bool CMixorel2001Doc::AskYes(const std::string& text) const {
    return m_pPrompt == nullptr || m_pPrompt->Question(text, false) == IUserPrompt::kAnswerYes;
}

// ---- Worker state ----

bool CMixorel2001Doc::IsScheduled() const {
    Lock lock(m_mutex);
    return m_bScheduled;
}

void CMixorel2001Doc::SetScheduled(bool scheduled) {
    Lock lock(m_mutex);
    m_bScheduled = scheduled;
}

bool CMixorel2001Doc::IsImportRunning() const {
    Lock lock(m_mutex);
    return m_bImportRunning;
}

void CMixorel2001Doc::SetImportRunning(bool running) {
    Lock lock(m_mutex);
    m_bImportRunning = running;
}
