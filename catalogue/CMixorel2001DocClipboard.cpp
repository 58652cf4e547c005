// Song clipboard commands: copy, cut, paste and drag of lines.

#include "CMixorel2001Doc.h"

#include "CPlaylistFile.h"
#include "CSongClipboardData.h"

#include <algorithm>
#include <memory>
#include <unordered_set>
#include <utility>

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
                                 DuplicateAnswer& answer, std::vector<std::size_t>* taken) {
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
    const int inserted = InsertBlock(static_cast<std::size_t>(first), songs, newIds, answer, taken);
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
                                 std::vector<std::string>* newIds, DuplicateAnswer& answer,
                                 std::vector<std::size_t>* taken) {
    std::vector<std::unique_ptr<CSong>> block;
    block.reserve(songs.size());
    std::unordered_set<std::string> blockLocations;
    for (std::size_t place = 0; place < songs.size(); ++place) {
        const CSong& source = songs[place];
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
        if (taken != nullptr) {
            taken->push_back(place);
        }
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
