#pragma once

#include "FilenamePattern.h"

#include <string>
#include <string_view>

// Tags one music file from its file name: the ID3v1 fields the pattern finds in the
// name, then the defaults; a field given by neither keeps what the file's present tag
// holds, byte for byte.
class CAutoTagger {
public:
    struct Defaults {
        std::string strTitle;
        std::string strArtist;
        std::string strAlbum;
        std::string strComment;
        // Empty, 0 and -1 keep the file's own genre, year and track.
        std::string strGenre; // a name, or the dialog's list form "(147)Synthpop"
        int nYear = 0;
        int nTrack = -1;
        bool bDontOverwrite = false;
    };
    static constexpr const char* kFinishedFormat = "Operation finished. Auto-tagged %ld file(s).";
    // The dialog's choice that keeps a file's own genre, year or track.
    static constexpr const char* kKeepText = "(keep)";
    static constexpr const char* kNoCriteriaText =
        "No criteria specified. Please specify the criteria.";

    // True when the file was tagged. A FLAC, Ogg, Opus, M4A or WMA file (or a WAV file
    // without MPEG audio) gets the same fields in its own tag. A file without an MPEG frame
    // or such a tag, one that keeps its tag
    // under "Don't overwrite", or one that cannot be written is left as it was.
    static bool TagFile(const std::string& path, FilenamePattern& pattern,
                        const Defaults& defaults);
    // A genre in the dialog's list form without its "(n)" prefix; other texts as they are.
    static std::string_view GenreName(std::string_view listForm);
    static std::string FinishedText(long count);

private:
    static bool TagOwnFormat(const std::string& path, FilenamePattern& pattern,
                             const Defaults& defaults);
};
