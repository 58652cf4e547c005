#include "CAutoTagger.h"

#include "GenreTable.h"
#include "MpegFileInfo.h"

#include <cstdio>
#include <cstdlib>

namespace {

std::string FirstOf(std::string parsed, const std::string& fallback, const std::string& present) {
    if (parsed.empty()) {
        parsed = fallback;
    }
    return parsed.empty() ? present : parsed;
}

int NumberOr(const std::string& parsed, int fallback) {
    return parsed.empty() ? fallback : static_cast<int>(std::strtol(parsed.c_str(), nullptr, 10));
}

} // namespace

std::string_view CAutoTagger::GenreName(std::string_view listForm) {
    if (listForm.size() > 2 && listForm.front() == '(') {
        const std::size_t close = listForm.find(')');
        if (close != std::string_view::npos && GenreTable::NumericReference(listForm) >= 0) {
            return listForm.substr(close + 1);
        }
    }
    return listForm;
}

std::string CAutoTagger::FinishedText(long count) {
    char text[96];
    std::snprintf(text, sizeof text, kFinishedFormat, count);
    return text;
}

bool CAutoTagger::TagFile(const std::string& path, FilenamePattern& pattern,
                          const Defaults& defaults) {
    MpegFileInfo info;
    if (info.Read(path) != MpegFileInfo::kRead) {
        return false;
    }
    if (defaults.bDontOverwrite && info.hasId3v1) {
        return false;
    }
    pattern.Parse(path);
    const Id3v1Tag& present = info.tag;
    const bool has = info.hasId3v1;
    Id3v1Tag tag;
    tag.SetTitle(FirstOf(pattern.Lookup("title"), defaults.strTitle, has ? present.Title() : ""));
    tag.SetArtist(
        FirstOf(pattern.Lookup("artist"), defaults.strArtist, has ? present.Artist() : ""));
    tag.SetAlbum(FirstOf(pattern.Lookup("album"), defaults.strAlbum, has ? present.Album() : ""));
    tag.SetYear(NumberOr(pattern.Lookup("year"), defaults.nYear));
    tag.SetComment(
        FirstOf(pattern.Lookup("comment"), defaults.strComment, has ? present.Comment() : ""));
    tag.SetTrack(NumberOr(pattern.Lookup("track"), defaults.nTrack));
    const std::string genre =
        FirstOf(pattern.Lookup("genre"), std::string(GenreName(defaults.strGenre)),
                has && present.Genre() != GenreTable::kNone ? present.GenreName() : "");
    // No genre at all is "none", not the first genre of the table.
    if (genre.empty()) {
        tag.SetGenre(GenreTable::kNone);
    } else {
        tag.SetGenreByName(genre);
    }
    return tag.WriteToFile(path, false) == Id3v1Tag::kWritten;
}
