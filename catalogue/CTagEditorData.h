#pragma once

#include "media/Id3v2Fields.h"

#include <cstdint>
#include <string>
#include <vector>

// The "ID3v1 / v2 Information" editor without its window: both tags of one file as the
// editor shows them (ID3v1 texts, year, genre as a list index, track; the twelve ID3v2
// fields with year and track as numbers and the genre as a list index), their limits,
// the copies between the two groups, and the save that writes both tags. Several files
// can be given the fields the user changed, each file keeping the others. A save writes
// only what differs from the file as loaded: an unchanged save leaves the file alone, and
// a changed field replaces just its own frame or bytes.
class CTagEditorData {
public:
    static constexpr const char* kTitle = "ID3v1 / v2 Information";
    static constexpr const char* kOpenFailedText = "Failed to open the file.";
    static constexpr const char* kSaveFailedText =
        "Failed to save the ID3 information.\n\nThe file is read-only or you are playing it.";
    static constexpr int kYearMax = 3000;
    static constexpr int kTrackMin = -1;
    static constexpr int kTrackMax = 255;
    static constexpr std::size_t kV1TextMax = 30;

    struct V1 {
        std::string strTitle, strArtist, strAlbum, strComment;
        int nYear = 2002;
        int nGenre = -1; // index into the genre names; -1 none selected
        int nTrack = -1;
    };
    struct V2 {
        std::string strTitle, strArtist, strAlbum, strComment, strComposer, strOriginalArtist,
            strCopyright, strUrl, strEncodedBy;
        int nYear = 0;        // 0: no year
        std::string strGenre; // a list name, or the file's own text for any other genre
        int nTrack = -1;
        std::string strTrackTotal; // "/12" after the file's track number, kept on edits
    };

    bool m_bHasV1 = false;
    bool m_bHasV2 = false;
    V1 m_v1;
    V2 m_v2;
    std::string m_strPath;
    std::int64_t m_nSizeKb = 0;
    std::string m_strFileDate; // filled only when the file has an ID3v1 tag

    // The genre names of the drop-down lists, in index order.
    static const std::vector<std::string>& GenreNames();
    // The first list entry that begins with the text (without case), or -1.
    static int GenreIndexFor(const std::string& text);

    // Reads both tags; false (with kOpenFailedText to show) when the file has no MPEG
    // frame. An empty path loads nothing and answers true. A FLAC, Ogg, Opus, M4A or WMA
    // file (or a WAV file without MPEG audio) loads its own tag into the ID3v2 group and
    // has no ID3v1 group; a save writes the changed fields back into that tag.
    bool Load(const std::string& path);
    // Empty when the values are within their limits (or as the file held them), else the
    // validation message.
    std::string Validate() const;
    // ">>" and "<<".
    void CopyV1ToV2();
    void CopyV2ToV1();
    // Writes what differs from the file as loaded: the changed ID3v2 fields (the tag
    // blanked when hasV2 was turned off), then the changed ID3v1 fields (the whole tag
    // when hasV1 was turned on, removed when it was turned off). False when a write
    // failed; nothing changed writes nothing.
    bool Save() const;

    // Which fields differ between two states of the editor (for several files at once).
    struct Changes {
        bool v1[7] = {};  // title, artist, album, comment, year, genre, track
        bool v2[12] = {}; // title, artist, album, comment, composer, original artist,
                          // copyright, url, encoded by, year, genre, track
        bool hasV1 = false;
        bool hasV2 = false;
        bool Any() const;
    };
    static Changes Compare(const CTagEditorData& before, const CTagEditorData& after);
    // Loads another file and puts the changed fields of edited over its own; false when
    // it cannot be loaded. The file keeps its tag versions unless the user turned one on
    // or off: changed fields of a tag the file lacks are not written.
    bool LoadWithChanges(const std::string& path, const CTagEditorData& edited,
                         const Changes& changes);

private:
    Id3v2Fields ToFields() const;
    // The editor as Load left it, to tell the changes from the rest.
    CTagEditorData Loaded() const;
    bool SaveV2(const Changes& changes) const;
    bool SaveV1(const Changes& changes) const;
    bool LoadOwnTags(const std::string& path);
    bool SaveOwnTags(const Changes& changes) const;
    static unsigned ChangedFieldBits(const Changes& changes);

    bool m_bOwnTags = false;

    bool m_bLoadedV1 = false;
    bool m_bLoadedV2 = false;
    V1 m_loadedV1;
    V2 m_loadedV2;
};
