#include "CAutoTagger.h"

#include "GenreTable.h"
#include "MpegFileInfo.h"

#include <cstdio>
#include <cstdlib>

namespace {

// The parsed value, else the default; empty when neither gives one.
std::string Given(const std::string& parsed, const std::string& fallback) {
    return parsed.empty() ? fallback : parsed;
}

// The parsed number, else the default; keep when neither gives one.
int NumberGiven(const std::string& parsed, int fallback) {
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
    // Only what the name or the defaults give is written; the rest of a present tag stays,
    // and a file without one gets a fresh tag with just those fields.
    Id3v1Tag tag = info.hasId3v1 ? info.tag : Id3v1Tag();
    if (!info.hasId3v1) {
        tag.SetTrack(-1); // no track byte unless one is given
    }
    unsigned fields = 0;
    const struct {
        const char* key;
        const std::string& fallback;
        void (Id3v1Tag::*set)(std::string_view);
        unsigned field;
    } texts[] = {{"title", defaults.strTitle, &Id3v1Tag::SetTitle, Id3v1Tag::kFieldTitle},
                 {"artist", defaults.strArtist, &Id3v1Tag::SetArtist, Id3v1Tag::kFieldArtist},
                 {"album", defaults.strAlbum, &Id3v1Tag::SetAlbum, Id3v1Tag::kFieldAlbum},
                 {"comment", defaults.strComment, &Id3v1Tag::SetComment, Id3v1Tag::kFieldComment}};
    for (const auto& text : texts) {
        const std::string value = Given(pattern.Lookup(text.key), text.fallback);
        if (!value.empty()) {
            (tag.*text.set)(value);
            fields |= text.field;
        }
    }
    const int year = NumberGiven(pattern.Lookup("year"), defaults.nYear);
    if (year != 0) {
        tag.SetYear(year);
        fields |= Id3v1Tag::kFieldYear;
    }
    const int track = NumberGiven(pattern.Lookup("track"), defaults.nTrack);
    if (track != -1) {
        tag.SetTrack(track);
        fields |= Id3v1Tag::kFieldTrack;
    }
    // A genre that names no entry of the list gives nothing.
    const std::string genre =
        Given(pattern.Lookup("genre"), std::string(GenreName(defaults.strGenre)));
    const std::uint8_t genreIndex =
        genre.empty() ? GenreTable::kNone : GenreTable::IndexByPrefix(genre);
    if (genreIndex != GenreTable::kNone) {
        tag.SetGenre(genreIndex);
        fields |= Id3v1Tag::kFieldGenre;
    }
    return tag.WriteFieldsToFile(path, fields) == Id3v1Tag::kWritten;
}
