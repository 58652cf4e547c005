#pragma once

#include "CSong.h"

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

class CMixorel2001Doc;

// One song as the Media Walker keeps it: a copy of its ID3v1 block, its identity in the
// document and its location.
struct MediaWalkerSong {
    CSong::TagBlock tag{};
    std::string strId;
    std::string strLocation;
};

// The Media Walker without its window: a snapshot of a playlist's songs organised into a
// tree by tag fields (artist, album, genre, year), the song list of the selected node
// sorted by title, and the walker's own clipboard. The window and mixorel-cli share it.
class CMediaWalkerModel {
public:
    enum Level : int { kArtist, kAlbum, kGenre, kYear };
    static constexpr const char* kNoTagInfo = "~No Tag Info~";
    static constexpr const char* kRootName = "All";
    static constexpr const char* kProcessingText =
        "You might not see all songs organized. Playlist processing is in progress.\n\nDo you "
        "want to continue?";
    static constexpr const char* kNoSelectionText =
        "No song(s) selected. \n\nDo you want to add all songs from the list?";
    static constexpr const char* kAlreadyEmptyText = "Clipboard already empty.";
    static constexpr const char* kEmptyClipboardText =
        "Are you sure you want to empty the clipboard?";

    struct Node {
        std::string strName;
        int nParent = -1;
        int nDepth = 0;
        std::vector<int> children;
        // Songs whose value path ends here (indexes into the snapshot).
        std::vector<std::size_t> songs;
        std::size_t nTotal = 0; // songs at this node and below
    };

    // The organisations offered, in order.
    static const std::vector<std::string>& Organisations();
    // The levels of an organisation: its parts split at "/"; a part that strings field
    // names together ("GenreArtistAlbum") gives one level per name; any other part is an
    // album level. Empty for an empty name.
    static std::vector<Level> LevelsOf(const std::string& organisation);
    // The value of a song on a level: the tag field title-cased, or "~No Tag Info~".
    static std::string FieldValue(const MediaWalkerSong& song, Level level);

    // Copies every song line (not region lines) under the document lock.
    void TakeSnapshot(const CMixorel2001Doc& doc);
    std::size_t GetSongCount() const { return m_songs.size(); }
    const MediaWalkerSong& GetSong(std::size_t index) const { return m_songs.at(index); }
    // The snapshot's copy of a song taken again from the document (after a tag edit);
    // false when the document no longer has it.
    bool RefreshSong(const CMixorel2001Doc& doc, const std::string& id);
    // A song moved within the list (set as next in the looping list takes it out and
    // puts a copy in) has a new identity: a snapshot song the document no longer has
    // takes the identity of a song of the same location that the snapshot lacks, in the
    // snapshot, the song list and the walker clipboard. Answers old -> new identity.
    std::map<std::string, std::string> FollowMovedSongs(const CMixorel2001Doc& doc);

    // Rebuilds the tree for an organisation; node 0 is the root "All". Children are in
    // the order their first song comes in the playlist.
    void BuildTree(const std::string& organisation);
    const std::vector<Node>& GetNodes() const { return m_nodes; }
    // The first child of the root, which the window selects after a build; 0 when none.
    int GetFirstNode() const;

    // The song list of a node: the identities of the songs at it and below, sorted by
    // their current titles in the document (byte order), in the sort direction. Songs
    // the document no longer has keep their place with an empty title.
    void FillList(const CMixorel2001Doc& doc, int node);
    const std::vector<std::string>& GetList() const { return m_list; }
    const std::vector<std::string>& GetListTitles() const { return m_titles; }
    bool IsAscending() const { return m_bAscending; }
    // The heading click: the other direction, the same list sorted again.
    void ReverseSort();
    // Type-ahead: from start on, wrapping once, the first title that begins with text
    // without regard to case; -1 when none.
    int FindTitle(const std::string& text, int start) const;

    // The walker clipboard: identities without duplicates, in the order added.
    void AddToClipboard(const std::vector<std::string>& ids);
    void EmptyClipboard();
    std::size_t GetClipboardSize() const { return m_clipboardOrder.size(); }
    const std::vector<std::string>& GetClipboard() const { return m_clipboardOrder; }

private:
    void SortList();
    std::size_t AddSongsUnder(int node, std::vector<std::size_t>& songs) const;

    std::vector<MediaWalkerSong> m_songs;
    std::vector<Node> m_nodes;
    std::vector<std::string> m_list;
    std::vector<std::string> m_titles;
    bool m_bAscending = true;
    std::set<std::string> m_clipboard;
    std::vector<std::string> m_clipboardOrder;
};
