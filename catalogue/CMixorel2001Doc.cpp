#include "CMixorel2001Doc.h"

#include "CArchiveWriter.h"
#include "CPlaylistContent.h"
#include "CPlaylistFile.h"
#include "CProcessListThread.h"

#include "media/SongFileReader.h"
#include "settings/CSharedSettings.h"

#include <algorithm>
#include <memory>
#include <system_error>
#include <unordered_set>
#include <utility>

CMixorel2001Doc::CMixorel2001Doc(IUserPrompt* prompt) : m_pPrompt(prompt) {}

// A thread still reading a file after the stop wait must not outlive the document, so it
// is then waited for to the end.
CMixorel2001Doc::~CMixorel2001Doc() {
    if (!StopProcessThread()) {
        std::thread handle;
        {
            Lock lock(m_mutex);
            handle = std::move(m_processThread);
        }
        if (handle.joinable()) {
            handle.join();
        }
    }
}

void CMixorel2001Doc::SetPrompt(IUserPrompt* prompt) {
    Lock lock(m_mutex);
    m_pPrompt = prompt;
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
    if (m_songs.ContainsLocation(source.GetLocation())) {
        if (answer == IUserPrompt::kNoToAll) {
            return false;
        }
        if (answer != IUserPrompt::kYesToAll) {
            answer = m_pPrompt != nullptr
                         ? m_pPrompt->DuplicateQuestion(source.GetTitle(), kDuplicateText)
                         : IUserPrompt::kNo;
        }
        if (answer != IUserPrompt::kYes && answer != IUserPrompt::kYesToAll) {
            return false;
        }
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

void CMixorel2001Doc::ShiftPositionsForInsert(std::size_t index) {
    const auto count = static_cast<int>(m_songs.GetCount());
    const auto line = static_cast<int>(index);
    std::lock_guard<std::mutex> positions(m_posMutex);
    for (int* pos : {&m_nLoopPos, &m_nSchedulePos}) {
        if (*pos >= line) {
            *pos = *pos + 1 >= count ? 0 : *pos + 1;
        }
    }
}

bool CMixorel2001Doc::RemoveSongs(const std::vector<std::string>& ids, bool followLoop,
                                  bool followSchedule) {
    Lock lock(m_mutex);
    if (m_bLocked) {
        if (m_pPrompt != nullptr) {
            m_pPrompt->Message(kLockedText);
        }
        return false;
    }
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

// The dialog runs without the document lock, so a slow user does not hold up the
// processing thread; the insert takes it.
bool CMixorel2001Doc::AddSongLocation(int selected) {
    IUserPrompt* prompt = nullptr;
    {
        Lock lock(m_mutex);
        prompt = m_pPrompt;
    }
    std::string title;
    std::string location;
    if (prompt == nullptr || !prompt->SongData(title, location)) {
        return false;
    }
    CSong song;
    song.SetPath(location, {}, false);
    song.SetTitle(title);
    Lock lock(m_mutex);
    DuplicateAnswer answer = IUserPrompt::kNone;
    const bool inserted = InsertSongAt(selected < 0 ? -1 : selected, song, answer);
    if (inserted) {
        UpdateViews(-1);
    }
    return inserted;
}

void CMixorel2001Doc::Serialize(const CPlaylistContent& content) {
    Lock lock(m_mutex);
    DeleteContents();
    DuplicateAnswer answer = IUserPrompt::kYesToAll;
    for (const CSong& song : content.m_songs) {
        InsertSongAt(kAfterLast, song, answer);
    }
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
        Serialize(content);
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

// ---- Rearranging lines ----

// Each cycle of the permutation is walked once: one placeholder takes the first line's
// place, then every record moves straight to its new line, so the work and the index
// updates are linear in the number of lines.
bool CMixorel2001Doc::RearrangeLines(const std::vector<std::size_t>& order) {
    Lock lock(m_mutex);
    const std::size_t count = m_songs.GetCount();
    if (order.size() != count) {
        return false;
    }
    // destination[j]: the new line of the record now at line j.
    std::vector<std::size_t> destination(count, count);
    for (std::size_t line = 0; line < count; ++line) {
        if (order[line] >= count || destination[order[line]] != count) {
            return false;
        }
        destination[order[line]] = line;
    }
    // Region lines keep their places, so the region list keeps its order.
    for (std::size_t line = 0; line < count; ++line) {
        if (m_songs.GetAt(line)->IsRegion() && destination[line] != line) {
            return false;
        }
    }
    auto placeholder = std::make_unique<CSong>();
    std::vector<bool> moved(count, false);
    for (std::size_t start = 0; start < count; ++start) {
        if (moved[start] || destination[start] == start) {
            continue;
        }
        std::unique_ptr<CSong> carried = m_songs.Replace(start, std::move(placeholder));
        for (std::size_t from = start;; from = destination[from]) {
            moved[from] = true;
            if (destination[from] == start) {
                placeholder = m_songs.Replace(start, std::move(carried));
                break;
            }
            carried = m_songs.Replace(destination[from], std::move(carried));
        }
    }
    {
        std::lock_guard<std::mutex> positions(m_posMutex);
        for (int* pos : {&m_nLoopPos, &m_nSchedulePos}) {
            if (*pos >= 0 && static_cast<std::size_t>(*pos) < count) {
                *pos = static_cast<int>(destination[static_cast<std::size_t>(*pos)]);
            }
        }
    }
    SetModifiedFlag(true);
    UpdateViews(-1);
    return true;
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
        m_processThread = std::thread([worker = thread.get()] { worker->Run(); });
    } catch (const std::system_error&) {
        return false;
    }
    m_pProcessThread = std::move(thread);
    TellProcessThread();
    return true;
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

void CMixorel2001Doc::SetSharedSettings(const CSharedSettings* settings) {
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
    if (facts.mpegResult != MpegFileInfo::kRead) {
        song.SetInfo(0, 0, 0, 0);
    }
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
    m_nTotalTime -= std::min(m_nTotalTime, song.GetDuration());
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
