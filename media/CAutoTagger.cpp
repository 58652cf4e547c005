#include "CAutoTagger.h"

#include "GenreTable.h"
#include "MpegFileInfo.h"
#include "TagLibFile.h"

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

// A file with its own tags (FLAC, Ogg, ...): the same fields, written into that tag.
bool CAutoTagger::TagOwnFormat(const std::string& path, FilenamePattern& pattern,
                               const Defaults& defaults) {
    Id3v2Fields present;
    if (!TagLibFile::ReadAllFields(path, present)) {
        return false;
    }
    const bool hasTag = !(present.title.empty() && present.artist.empty() &&
                          present.album.empty() && present.comment.empty() &&
                          present.year.empty() && present.track.empty() && present.genre.empty());
    if (defaults.bDontOverwrite && hasTag) {
        return false;
    }
    pattern.Parse(path);
    Id3v2Fields fields;
    unsigned which = 0;
    const struct {
        const char* key;
        const std::string& fallback;
        std::string Id3v2Fields::*member;
        unsigned field;
    } texts[] = {{"title", defaults.strTitle, &Id3v2Fields::title, Id3v2Fields::kTitle},
                 {"artist", defaults.strArtist, &Id3v2Fields::artist, Id3v2Fields::kArtist},
                 {"album", defaults.strAlbum, &Id3v2Fields::album, Id3v2Fields::kAlbum},
                 {"comment", defaults.strComment, &Id3v2Fields::comment, Id3v2Fields::kComment}};
    for (const auto& text : texts) {
        const std::string value = Given(pattern.Lookup(text.key), text.fallback);
        if (!value.empty()) {
            fields.*text.member = value;
            which |= text.field;
        }
    }
    const int year = NumberGiven(pattern.Lookup("year"), defaults.nYear);
    if (year > 0) {
        fields.year = std::to_string(year);
        which |= Id3v2Fields::kYear;
    }
    const int track = NumberGiven(pattern.Lookup("track"), defaults.nTrack);
    if (track >= 0) {
        fields.track = std::to_string(track);
        which |= Id3v2Fields::kTrack;
    }
    const std::string genre =
        Given(pattern.Lookup("genre"), std::string(GenreName(defaults.strGenre)));
    const std::uint8_t genreIndex =
        genre.empty() ? GenreTable::kNone : GenreTable::IndexByPrefix(genre);
    if (genreIndex != GenreTable::kNone) {
        fields.genre = GenreTable::Name(genreIndex);
        which |= Id3v2Fields::kGenre;
    }
    const int result = TagLibFile::WriteChangedFields(path, fields, which);
    return result == TagLibFile::kWritten || result == TagLibFile::kNothing;
}

bool CAutoTagger::TagFile(const std::string& path, FilenamePattern& pattern,
                          const Defaults& defaults) {
    if (TagLibFile::OwnsExtension(path)) {
        return TagOwnFormat(path, pattern, defaults);
    }
    MpegFileInfo info;
    if (info.Read(path) != MpegFileInfo::kRead) {
        return TagLibFile::KnowsExtension(path) && TagOwnFormat(path, pattern, defaults);
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
