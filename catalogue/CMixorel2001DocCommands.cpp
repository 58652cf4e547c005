// List commands: adding and editing locations, moves, randomize and sort, played songs, regions.

#include "CMixorel2001Doc.h"

#include "CListArranger.h"
#include "CPlayedSongs.h"
#include "CTextCase.h"

#include "settings/CSharedSettings.h"

#include <algorithm>
#include <memory>
#include <utility>

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
