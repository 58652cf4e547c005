#include "CMediaWalkerModel.h"

#include "CMixorel2001Doc.h"
#include "CSongTagCache.h"
#include "CTextCase.h"
#include "CTitleTemplate.h"
#include "media/Id3v1Tag.h"

#include <algorithm>
#include <mutex>
#include <numeric>
#include <unordered_map>

namespace {

struct LevelName {
    std::string_view name;
    CMediaWalkerModel::Level level;
};
constexpr LevelName kLevelNames[] = {{"artist", CMediaWalkerModel::kArtist},
                                     {"album", CMediaWalkerModel::kAlbum},
                                     {"genre", CMediaWalkerModel::kGenre},
                                     {"year", CMediaWalkerModel::kYear}};

// "genreartistalbum" as one level per field name; false unless the whole part is made
// of field names.
bool SplitFieldNames(std::string_view lower, std::vector<CMediaWalkerModel::Level>& levels) {
    std::vector<CMediaWalkerModel::Level> found;
    while (!lower.empty()) {
        const auto name =
            std::find_if(std::begin(kLevelNames), std::end(kLevelNames),
                         [&](const LevelName& n) { return lower.starts_with(n.name); });
        if (name == std::end(kLevelNames)) {
            return false;
        }
        found.push_back(name->level);
        lower.remove_prefix(name->name.size());
    }
    levels.insert(levels.end(), found.begin(), found.end());
    return !found.empty();
}

} // namespace

const std::vector<std::string>& CMediaWalkerModel::Organisations() {
    static const std::vector<std::string> kOrganisations{
        "Artist/Album",    "Genre/Artist",    "GenreArtistAlbum",    "YearArtist",
        "YearArtistAlbum", "YearGenreArtist", "YearGenreArtistAlbum"};
    return kOrganisations;
}

std::vector<CMediaWalkerModel::Level> CMediaWalkerModel::LevelsOf(const std::string& organisation) {
    std::vector<Level> levels;
    std::size_t start = 0;
    while (start <= organisation.size() && !organisation.empty()) {
        const std::size_t slash = std::min(organisation.find('/', start), organisation.size());
        const std::string part = CTextCase::ToLower(
            CTitleTemplate::Trim(std::string_view(organisation).substr(start, slash - start)));
        if (!SplitFieldNames(part, levels)) {
            levels.push_back(kAlbum);
        }
        start = slash + 1;
    }
    return levels;
}

std::string CMediaWalkerModel::FieldValue(const MediaWalkerSong& song, Level level) {
    Id3v1Tag tag;
    if (!tag.Parse(song.tag)) {
        return kNoTagInfo;
    }
    switch (level) {
    case kArtist:
        return CTextCase::ToTitleCase(tag.DisplayArtist());
    case kAlbum:
        return CTextCase::ToTitleCase(tag.DisplayAlbum());
    case kGenre:
        return tag.DisplayGenreName();
    case kYear:
        return std::to_string(tag.Year()).substr(0, 4);
    }
    return kNoTagInfo;
}

void CMediaWalkerModel::TakeSnapshot(const CMixorel2001Doc& doc) {
    m_songs.clear();
    {
        std::lock_guard<std::recursive_timed_mutex> lock(doc.GetMutex());
        const int count = doc.GetCount();
        m_songs.reserve(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i) {
            const CSong* song = doc.GetSongAt(i);
            if (song != nullptr && !song->IsRegion()) {
                m_songs.push_back({song->GetTag(), song->GetId(), song->GetLocation()});
            }
        }
    }
    // Songs whose files keep their own tags (FLAC, Ogg, ...) take them from the tag
    // cache, outside the document lock since a file not yet seen is read.
    for (MediaWalkerSong& song : m_songs) {
        song.tag = CSongTagCache::Shared().BlockFor(song.tag, song.strLocation);
    }
}

bool CMediaWalkerModel::RefreshSong(const CMixorel2001Doc& doc, const std::string& id) {
    std::lock_guard<std::recursive_timed_mutex> lock(doc.GetMutex());
    const CSong* song = doc.FindById(id);
    if (song == nullptr) {
        return false;
    }
    for (MediaWalkerSong& copy : m_songs) {
        if (copy.strId == id) {
            copy.tag = CSongTagCache::Shared().BlockFor(*song);
            copy.strLocation = song->GetLocation();
        }
    }
    return true;
}

std::map<std::string, std::string> CMediaWalkerModel::FollowMovedSongs(const CMixorel2001Doc& doc) {
    std::map<std::string, std::string> moved;
    std::lock_guard<std::recursive_timed_mutex> lock(doc.GetMutex());
    std::unordered_map<std::string, std::size_t> known;
    std::vector<std::size_t> gone;
    for (std::size_t s = 0; s < m_songs.size(); ++s) {
        known.emplace(m_songs[s].strId, s);
        if (doc.FindById(m_songs[s].strId) == nullptr) {
            gone.push_back(s);
        }
    }
    if (gone.empty()) {
        return moved;
    }
    // location -> identities of songs the snapshot lacks, in list order
    std::unordered_map<std::string, std::vector<std::string>> newcomers;
    for (int i = doc.GetCount() - 1; i >= 0; --i) {
        const CSong* song = doc.GetSongAt(i);
        if (song != nullptr && !song->IsRegion() && known.count(song->GetId()) == 0) {
            newcomers[song->GetLocation()].push_back(song->GetId());
        }
    }
    for (std::size_t s : gone) {
        auto found = newcomers.find(m_songs[s].strLocation);
        if (found == newcomers.end() || found->second.empty()) {
            continue;
        }
        moved[m_songs[s].strId] = found->second.back();
        m_songs[s].strId = found->second.back();
        found->second.pop_back();
    }
    const auto follow = [&moved](std::string& id) {
        if (const auto to = moved.find(id); to != moved.end()) {
            id = to->second;
        }
    };
    for (std::string& id : m_list) {
        follow(id);
    }
    for (std::string& id : m_clipboardOrder) {
        follow(id);
    }
    m_clipboard = std::set<std::string>(m_clipboardOrder.begin(), m_clipboardOrder.end());
    return moved;
}

void CMediaWalkerModel::BuildTree(const std::string& organisation) {
    const std::vector<Level> levels = LevelsOf(organisation);
    m_nodes.assign(1, Node{kRootName, -1, 0, {}, {}, 0});
    // (parent, value without case and outer blanks) -> node
    std::unordered_map<std::string, int> index;
    index.reserve(m_songs.size());
    std::string key;
    for (std::size_t s = 0; s < m_songs.size(); ++s) {
        int node = 0;
        for (Level level : levels) {
            std::string value = FieldValue(m_songs[s], level);
            key = std::to_string(node);
            key += '\x1f';
            key += CTextCase::ToLower(CTitleTemplate::Trim(value));
            const auto [found, added] = index.try_emplace(key, static_cast<int>(m_nodes.size()));
            if (added) {
                const int depth = m_nodes[static_cast<std::size_t>(node)].nDepth + 1;
                m_nodes[static_cast<std::size_t>(node)].children.push_back(found->second);
                m_nodes.push_back(Node{std::move(value), node, depth, {}, {}, 0});
            }
            node = found->second;
        }
        m_nodes[static_cast<std::size_t>(node)].songs.push_back(s);
    }
    // Children come after their parents: one backward pass adds the totals up.
    for (std::size_t n = m_nodes.size(); n-- > 0;) {
        m_nodes[n].nTotal += m_nodes[n].songs.size();
        if (m_nodes[n].nParent >= 0) {
            m_nodes[static_cast<std::size_t>(m_nodes[n].nParent)].nTotal += m_nodes[n].nTotal;
        }
    }
}

int CMediaWalkerModel::GetFirstNode() const {
    return m_nodes.empty() || m_nodes[0].children.empty() ? 0 : m_nodes[0].children.front();
}

std::size_t CMediaWalkerModel::AddSongsUnder(int node, std::vector<std::size_t>& songs) const {
    const Node& n = m_nodes.at(static_cast<std::size_t>(node));
    songs.insert(songs.end(), n.songs.begin(), n.songs.end());
    for (int child : n.children) {
        AddSongsUnder(child, songs);
    }
    return songs.size();
}

void CMediaWalkerModel::FillList(const CMixorel2001Doc& doc, int node) {
    m_list.clear();
    m_titles.clear();
    if (node < 0 || node >= static_cast<int>(m_nodes.size())) {
        return;
    }
    std::vector<std::size_t> songs;
    AddSongsUnder(node, songs);
    m_list.reserve(songs.size());
    m_titles.reserve(songs.size());
    {
        std::lock_guard<std::recursive_timed_mutex> lock(doc.GetMutex());
        for (std::size_t s : songs) {
            const CSong* song = doc.FindById(m_songs[s].strId);
            m_list.push_back(m_songs[s].strId);
            m_titles.push_back(song != nullptr ? song->GetTitle() : std::string());
        }
    }
    SortList();
}

void CMediaWalkerModel::SortList() {
    std::vector<std::size_t> order(m_list.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return m_bAscending ? m_titles[a] < m_titles[b] : m_titles[b] < m_titles[a];
    });
    std::vector<std::string> list;
    std::vector<std::string> titles;
    list.reserve(order.size());
    titles.reserve(order.size());
    for (std::size_t i : order) {
        list.push_back(std::move(m_list[i]));
        titles.push_back(std::move(m_titles[i]));
    }
    m_list = std::move(list);
    m_titles = std::move(titles);
}

void CMediaWalkerModel::ReverseSort() {
    m_bAscending = !m_bAscending;
    SortList();
}

int CMediaWalkerModel::FindTitle(const std::string& text, int start) const {
    const int count = static_cast<int>(m_titles.size());
    if (count == 0) {
        return -1;
    }
    const std::string lower = CTextCase::ToLower(text);
    const int first = start < 0 || start >= count ? 0 : start;
    for (int i = 0; i < count; ++i) {
        const int at = (first + i) % count;
        if (CTextCase::ToLower(m_titles[static_cast<std::size_t>(at)]).starts_with(lower)) {
            return at;
        }
    }
    return -1;
}

void CMediaWalkerModel::AddToClipboard(const std::vector<std::string>& ids) {
    for (const std::string& id : ids) {
        if (m_clipboard.insert(id).second) {
            m_clipboardOrder.push_back(id);
        }
    }
}

void CMediaWalkerModel::EmptyClipboard() {
    m_clipboard.clear();
    m_clipboardOrder.clear();
}
