#include "CMixorel2001Doc.h"

#include "CArchiveWriter.h"
#include "CListArranger.h"
#include "CLoopState.h"
#include "CPlayedSongs.h"
#include "CPlaylistContent.h"
#include "CPlaylistFile.h"
#include "CProcessListThread.h"
#include "CSongClipboardData.h"
#include "CTextCase.h"

#include "media/SongFileReader.h"
#include "settings/CSharedSettings.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <system_error>
#include <unordered_set>
#include <utility>

CMixorel2001Doc::CMixorel2001Doc(IUserPrompt* prompt) : m_pPrompt(prompt) {}

// A thread still reading a file after the stop wait must not outlive the document, so it
// is then waited for to the end.
CMixorel2001Doc::~CMixorel2001Doc() {
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
    }
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

// The records move as pointers in one pass; the identity index catches up lazily and
// the location index does not change, so the work stays linear in the number of lines.
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
        if (destination[line] != line && m_songs.GetAt(line)->IsRegion()) {
            return false;
        }
    }
    m_songs.Permute(order);
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

// ---- Editing a location ----

bool CMixorel2001Doc::EditSongLocation(int index) {
    IUserPrompt* prompt = nullptr;
    std::string id;
    std::string title;
    std::string location;
    {
        Lock lock(m_mutex);
        if (RefuseWhenLocked()) {
            return false;
        }
        const CSong* song = GetSongAt(index);
        if (song == nullptr || m_pPrompt == nullptr) {
            return false;
        }
        prompt = m_pPrompt;
        id = song->GetId();
        title = song->GetTitleWithDate(false);
        location = song->GetLocation();
    }
    if (!prompt->SongData(title, location)) {
        return false;
    }
    Lock lock(m_mutex);
    int line = -1;
    CSong* song = FindById(id, &line);
    if (song == nullptr) {
        return false;
    }
    const std::string oldLocation = song->GetLocation();
    m_nTotalTime -= std::min(m_nTotalTime, song->GetDuration());
    m_dTotalSize = std::max(0.0, m_dTotalSize - song->GetSize());
    song->SetPath(location, GetTitleTemplate(), false);
    song->SetTitle(title);
    song->SetInfo(0, 0, 0, 0);
    SetProcessed(*song, true);
    m_songs.UpdateLocation(oldLocation, song->GetLocation());
    SetModifiedFlag(true);
    UpdateViews(line);
    return true;
}

// ---- Swaps and moves ----

bool CMixorel2001Doc::SwapLines(int a, int b) {
    Lock lock(m_mutex);
    const auto count = static_cast<int>(m_songs.GetCount());
    if (a < 0 || b < 0 || a >= count || b >= count) {
        return false;
    }
    if (a != b) {
        const bool region = m_songs.GetAt(static_cast<std::size_t>(a))->IsRegion() ||
                            m_songs.GetAt(static_cast<std::size_t>(b))->IsRegion();
        m_songs.Swap(static_cast<std::size_t>(a), static_cast<std::size_t>(b));
        if (region) {
            RebuildRegionList();
        }
    }
    SetModifiedFlag(true);
    return true;
}

bool CMixorel2001Doc::MoveUp(int index) {
    Lock lock(m_mutex);
    if (index < 1 || index >= GetCount()) {
        return false;
    }
    const bool region = m_songs.GetAt(static_cast<std::size_t>(index))->IsRegion();
    SwapLines(index - 1, index);
    FollowMoveUp(index, region);
    UpdateViews(-1);
    return true;
}

// Moving a line down is moving its lower neighbour up.
bool CMixorel2001Doc::MoveDown(int index) {
    Lock lock(m_mutex);
    if (index < 0 || index + 1 >= GetCount()) {
        return false;
    }
    const bool region = m_songs.GetAt(static_cast<std::size_t>(index) + 1)->IsRegion();
    SwapLines(index, index + 1);
    FollowMoveUp(index + 1, region);
    UpdateViews(-1);
    return true;
}

// The loop position names the next song to play. When that song moves above the line
// playing now it counts as played, so the loop goes on after the playing line; when the
// playing line moves above the next song, the position follows the next song.
void CMixorel2001Doc::FollowMoveUp(int moved, bool regionMoved) {
    const auto count = static_cast<int>(m_songs.GetCount());
    std::lock_guard<std::mutex> positions(m_posMutex);
    if (regionMoved && m_nLoopPos == moved) {
        m_nLoopPos = std::max(0, m_nLoopPos - 1);
    } else if (m_nLoopPos >= 0 && (m_nLoopPos == moved || m_nLoopPos == moved - 1)) {
        m_nLoopPos = m_nLoopPos + 1 >= count ? 0 : m_nLoopPos + 1;
    }
}

bool CMixorel2001Doc::MoveToTop(int index) {
    return MoveLine(index, true);
}

bool CMixorel2001Doc::MoveToBottom(int index) {
    return MoveLine(index, false);
}

// The record leaves its line and enters again at the head or the end; the positions
// follow the removal and the insertion as for any other line.
bool CMixorel2001Doc::MoveLine(int index, bool toTop) {
    Lock lock(m_mutex);
    const std::size_t count = m_songs.GetCount();
    if (index < 0 || static_cast<std::size_t>(index) >= count) {
        return false;
    }
    std::vector<bool> flags(count, false);
    flags[static_cast<std::size_t>(index)] = true;
    std::vector<std::unique_ptr<CSong>> taken = m_songs.RemoveFlagged(flags);
    const std::size_t target = toTop ? 0 : count - 1;
    int* positions[] = {&m_nLoopPos, &m_nSchedulePos};
    {
        std::lock_guard<std::mutex> lock2(m_posMutex);
        for (int* pos : positions) {
            if (*pos == index) {
                *pos = static_cast<int>(target);
            } else if (*pos > index && !toTop) {
                *pos -= 1;
            } else if (*pos >= 0 && *pos < index && toTop) {
                *pos += 1;
            }
        }
    }
    const bool region = taken.front()->IsRegion();
    m_songs.Insert(target, std::move(taken.front()));
    if (region) {
        RebuildRegionList();
    }
    SetModifiedFlag(true);
    UpdateViews(-1);
    return true;
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

// ---- Randomize and sort ----

bool CMixorel2001Doc::Randomize() {
    int choice = 2;
    {
        Lock lock(m_mutex);
        if (RefuseWhenLocked()) {
            return false;
        }
        if (m_pSettings != nullptr) {
            choice = m_pSettings->Get().m_nCloseRandomized;
        }
    }
    if (choice == 1) {
        choice = AskYes(kKeepOriginalText) ? 3 : 2;
    }
    if (choice == 3) {
        return RandomizeToNew() != nullptr;
    }
    if (choice != 2) {
        return false;
    }
    Lock lock(m_mutex);
    const bool notify = m_bNotifyBar;
    m_bNotifyBar = false;
    const bool shuffled = ShuffleInPlace(true);
    m_bNotifyBar = notify;
    SetModifiedFlag(true);
    return shuffled;
}

bool CMixorel2001Doc::ShuffleInPlace(bool ask) {
    Lock lock(m_mutex);
    if (ask && IsLooping() && !AskYes(kRandomizeLoopingText)) {
        return false;
    }
    CListArranger arranger(*this);
    return arranger.Shuffle();
}

// "Rnd " and the title in lower case without its ".qmx" (Party.qmx gives "Rnd party");
// the modified mark of this playlist's title is not part of it.
CMixorel2001Doc* CMixorel2001Doc::RandomizeToNew() {
    std::string title = GetTitle();
    if (IsModified()) {
        title = TitleFor(title, false);
    }
    title = CTextCase::ToLower(title);
    if (title.size() >= 4 && title.ends_with(".qmx")) {
        title.resize(title.size() - 4);
    }
    CMixorel2001Doc* copy = NewDocumentFor("Rnd " + title);
    if (copy == nullptr) {
        return nullptr;
    }
    {
        Lock lock(m_mutex);
        DuplicateAnswer answer = IUserPrompt::kYesToAll;
        std::vector<CSong> songs;
        songs.reserve(m_songs.GetCount());
        for (std::size_t line = 0; line < m_songs.GetCount(); ++line) {
            songs.emplace_back().Assign(*m_songs.GetAt(line), true);
        }
        Lock other(copy->m_mutex);
        copy->m_bNotifyBar = false;
        copy->InsertBlock(copy->m_songs.GetCount(), songs, nullptr, answer);
    }
    copy->ShuffleInPlace(false);
    Lock other(copy->m_mutex);
    copy->m_bNotifyBar = true;
    copy->SetModifiedFlag(true);
    if (m_pHost != nullptr) {
        m_pHost->ShowDocument(*copy);
    }
    return copy;
}

bool CMixorel2001Doc::ShuffleRegion(const std::string& regionId, bool ask) {
    Lock lock(m_mutex);
    if (ask && IsLooping() && !AskYes(kRandomizeLoopingText)) {
        return false;
    }
    CListArranger arranger(*this);
    return arranger.ShuffleRegion(regionId);
}

bool CMixorel2001Doc::Sort(int criterion, bool ascending) {
    CListArranger arranger(*this);
    return arranger.Sort(static_cast<CListArranger::Criterion>(criterion), ascending);
}

bool CMixorel2001Doc::SortCommand(int criterion, bool ascending) {
    Lock lock(m_mutex);
    if (RefuseWhenLocked() || (IsLooping() && !AskYes(kSortLoopingText))) {
        return false;
    }
    return Sort(criterion, ascending);
}

// ---- Song clipboard ----

// The records still in the list, in the order of ids; identities of songs removed
// meanwhile are left out.
std::vector<const CSong*> CMixorel2001Doc::FindSongs(const std::vector<std::string>& ids) const {
    std::vector<const CSong*> songs;
    songs.reserve(ids.size());
    for (const std::string& id : ids) {
        if (const CSong* song = FindById(id)) {
            songs.push_back(song);
        }
    }
    return songs;
}

bool CMixorel2001Doc::CopySongs(const std::vector<std::string>& ids, bool cut, bool drag) {
    Lock lock(m_mutex);
    if (cut && RefuseWhenLocked()) {
        return false;
    }
    const std::vector<const CSong*> songs = FindSongs(ids);
    if (m_pClipboard == nullptr || (songs.empty() && !ids.empty())) {
        return false;
    }
    const char* format = drag ? ISongClipboard::kDragFormat : ISongClipboard::kSongFormat;
    if (!m_pClipboard->SetData(format, CSongClipboardData::Build(songs))) {
        return false;
    }
    std::vector<std::string> paths;
    paths.reserve(songs.size());
    for (const CSong* song : songs) {
        paths.push_back(song->GetLocation());
    }
    // Offered as a copy even for a cut: a file manager must never move the music files
    // out from under the playlists that use them.
    m_pClipboard->SetFileList(paths, true, false);
    return !cut || RemoveSongs(ids);
}

bool CMixorel2001Doc::PasteSongs(int after, std::vector<std::string>* newIds, bool drag,
                                 DuplicateAnswer& answer) {
    Lock lock(m_mutex);
    const char* format = drag ? ISongClipboard::kDragFormat : ISongClipboard::kSongFormat;
    std::vector<std::uint8_t> data;
    std::vector<CSong> songs;
    if (m_pClipboard == nullptr || !m_pClipboard->GetData(format, data) ||
        CSongClipboardData::Parse(data, songs) != CPlaylistFile::kOk) {
        return false;
    }
    const auto count = static_cast<int>(m_songs.GetCount());
    const int first = after == kAfterLast || after >= count ? count : std::max(after + 1, 0);
    const int inserted = InsertBlock(static_cast<std::size_t>(first), songs, newIds, answer);
    if (drag) {
        m_pClipboard->RemoveData(format);
    }
    SetModifiedFlag(true);
    UpdateViews(-1);
    return inserted == static_cast<int>(songs.size());
}

// Inserts the songs at one line in their order, asking about duplicates as InsertSong
// does (also among the block's own songs). Declined songs leave no gap; a cancel ends the
// run. The tail of the list moves once, so a large paste stays linear. Positions move as
// for InsertSong: a block pasted at the loop position starts playing there. Answers the
// number inserted.
int CMixorel2001Doc::InsertBlock(std::size_t index, std::vector<CSong>& songs,
                                 std::vector<std::string>* newIds, DuplicateAnswer& answer) {
    std::vector<std::unique_ptr<CSong>> block;
    block.reserve(songs.size());
    std::unordered_set<std::string> blockLocations;
    for (const CSong& source : songs) {
        const std::string& location = source.GetLocation();
        if ((m_songs.ContainsLocation(location) || blockLocations.count(location) != 0) &&
            !AcceptDuplicate(source, answer)) {
            if (answer == IUserPrompt::kCancel) {
                break;
            }
            continue;
        }
        auto song = std::make_unique<CSong>();
        song->Assign(source, false);
        blockLocations.insert(location);
        block.push_back(std::move(song));
    }
    if (block.empty()) {
        return 0;
    }
    const std::size_t added = block.size();
    std::vector<CSong*> records;
    records.reserve(added);
    for (const std::unique_ptr<CSong>& song : block) {
        records.push_back(song.get());
    }
    m_songs.InsertRange(index, std::move(block));
    bool region = false;
    for (CSong* song : records) {
        if (newIds != nullptr) {
            newIds->push_back(song->GetId());
        }
        region = region || song->IsRegion();
        if (!song->IsRegion() && !song->HasInfo()) {
            SetProcessed(*song, false);
        }
        m_nTotalTime += song->GetDuration();
        m_dTotalSize += song->GetSize();
    }
    if (region) {
        RebuildRegionList();
    }
    {
        std::lock_guard<std::mutex> positions(m_posMutex);
        for (int* pos : {&m_nLoopPos, &m_nSchedulePos}) {
            if (*pos > static_cast<int>(index)) {
                *pos += static_cast<int>(added);
            }
        }
    }
    SetModifiedFlag(true);
    return static_cast<int>(added);
}

bool CMixorel2001Doc::CopyFilesForExplorer(const std::vector<std::string>& ids,
                                           bool addToClipboard) {
    Lock lock(m_mutex);
    const std::vector<const CSong*> songs = FindSongs(ids);
    if (m_pClipboard == nullptr || (songs.empty() && !ids.empty())) {
        return false;
    }
    std::vector<std::string> paths;
    paths.reserve(songs.size());
    for (const CSong* song : songs) {
        paths.push_back(song->GetLocation());
    }
    return m_pClipboard->SetFileList(paths, addToClipboard, false);
}

// ---- Played songs ----

bool CMixorel2001Doc::AddPlayed(const CSong& song) {
    return CPlayedSongs::Shared().Add(song);
}

bool CMixorel2001Doc::HasPlayed() {
    return CPlayedSongs::Shared().GetCount() > 0;
}

CMixorel2001Doc* CMixorel2001Doc::ShowPlayed() {
    CMixorel2001Doc* played = NewDocumentFor(kPlayedTitle);
    if (played == nullptr) {
        return nullptr;
    }
    std::vector<CSong> songs;
    CPlayedSongs::Shared().ForEach(
        [&songs](const CSong& song) { songs.emplace_back().Assign(song, true); });
    {
        Lock lock(played->m_mutex);
        DuplicateAnswer answer = IUserPrompt::kYesToAll;
        played->InsertBlock(played->m_songs.GetCount(), songs, nullptr, answer);
        played->SetModifiedFlag(false);
        played->UpdateViews(-1);
    }
    if (m_pHost != nullptr) {
        m_pHost->ShowDocument(*played);
    }
    return played;
}

bool CMixorel2001Doc::EmptyPlayed(bool ask) {
    {
        Lock lock(m_mutex);
        if (RefuseWhenLocked() || (ask && !AskYes(kEmptyPlayedText))) {
            return false;
        }
    }
    CPlayedSongs::Shared().Empty();
    return true;
}

CMixorel2001Doc* CMixorel2001Doc::NewDocumentFor(const std::string& title) const {
    IDocumentHost* host = nullptr;
    {
        Lock lock(m_mutex);
        host = m_pHost;
    }
    CMixorel2001Doc* doc = host != nullptr ? host->CreateDocument(title) : nullptr;
    if (doc != nullptr) {
        doc->SetTitle(title);
    }
    return doc;
}

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

void CMixorel2001Doc::OnCloseDocument() {
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
    return true;
}

bool CMixorel2001Doc::NextIndex(bool advance, int mode, int& index) {
    Lock lock(m_mutex);
    const auto count = static_cast<int>(m_songs.GetCount());
    if (count == 0) {
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
        return false;
    }
    SetPlayPosition(next, mode);
    return MarkNext(mode) && (listed || result != kStartPlayed);
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

// ---- Region commands ----

CSong CMixorel2001Doc::MakeRegionHeader(const std::string& name, const CDateTime& start,
                                        std::uint32_t crBack, std::uint32_t crText) {
    CSong header;
    header.SetRegion(true);
    header.SetInfoFlag(true);
    header.SetTitle(name);
    header.SetStart(start);
    header.SetBackColor(crBack);
    header.SetTextColor(crText);
    return header;
}

bool CMixorel2001Doc::AddRegion(int selected, const CSong& header, std::string* newId) {
    Lock lock(m_mutex);
    if (RefuseWhenLocked()) {
        return false;
    }
    if (header.GetTitle().find_first_not_of(" \t\r\n") == std::string::npos) {
        ShowMessage(m_pPrompt, kEmptyRegionNameText);
        return false;
    }
    DuplicateAnswer answer = IUserPrompt::kYesToAll;
    if (!InsertSongAt(selected < 0 ? -1 : selected, header, answer, newId)) {
        return false;
    }
    UpdateViews(-1);
    return true;
}

bool CMixorel2001Doc::EditRegion(const std::string& id, const std::string& name,
                                 const CDateTime& start, std::uint32_t crBack,
                                 std::uint32_t crText) {
    Lock lock(m_mutex);
    CSong* header = FindById(id);
    if (header == nullptr || !header->IsRegion()) {
        return false;
    }
    const std::string oldLocation = header->GetLocation();
    header->SetTitle(name);
    header->SetStart(start);
    header->SetBackColor(crBack);
    header->SetTextColor(crText);
    m_songs.UpdateLocation(oldLocation, header->GetLocation());
    SetModifiedFlag(true);
    UpdateViews(-1);
    return true;
}

bool CMixorel2001Doc::RemoveAllRegions(bool ask) {
    std::vector<std::string> regions;
    {
        Lock lock(m_mutex);
        if (RefuseWhenLocked()) {
            return false;
        }
        regions = m_regions;
    }
    if (regions.empty() || (ask && !AskYes(kRemoveAllRegionsText))) {
        return false;
    }
    Lock lock(m_mutex);
    return RemoveLines(regions, true, true);
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
