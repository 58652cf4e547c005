#include "CTagEditorData.h"

#include "CDateTime.h"
#include "CSongTagCache.h"

#include "media/GenreTable.h"
#include "media/Id3v1Tag.h"
#include "media/Id3v2File.h"
#include "media/MpegFileInfo.h"
#include "media/PosixFile.h"
#include "media/TagLibFile.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <ctime>
#include <sys/stat.h>

namespace {

int Number(const std::string& text) {
    return static_cast<int>(std::strtol(text.c_str(), nullptr, 10));
}

// The genre as the editor shows it: the list name of a reference such as "(17)" or "17",
// a name of the list in the list's spelling, any other text as the file holds it.
std::string GenreShown(const std::string& stored) {
    std::string rest;
    std::copy_if(stored.begin(), stored.end(), std::back_inserter(rest), [](char c) {
        return c != '(' && c != ')' && !std::isdigit(static_cast<unsigned char>(c));
    });
    if (rest.empty()) {
        const std::string name = GenreTable::NameForText(stored);
        return name.empty() ? stored : name;
    }
    const std::uint8_t index = GenreTable::IndexByPrefix(rest);
    if (index != GenreTable::kNone && GenreTable::Name(index).size() == rest.size()) {
        return std::string(GenreTable::Name(index));
    }
    return stored;
}

// "/12" of a track "3/12"; empty when there is no total.
std::string TrackTotal(const std::string& track) {
    const std::size_t slash = track.find('/');
    return slash == std::string::npos ? std::string() : track.substr(slash);
}

std::string GenreText(int index) {
    return index >= 0 && index < GenreTable::kCount ? std::string(GenreTable::Name(index))
                                                    : std::string();
}

// The file's creation time as the file system keeps it (not converted to local time), in
// the locale's form.
std::string FileDateText(const std::string& path) {
    PosixFile file;
    std::int64_t size = 0;
    std::int64_t created = 0;
    if (!file.OpenRead(path) || !file.SizeAndCreated(size, created)) {
        return {};
    }
    std::tm fields{};
    const std::time_t time = static_cast<std::time_t>(created);
    gmtime_r(&time, &fields);
    return CDateTime::FormatUserDefault(fields);
}

// The editor's ID3v2 group as a tag's fields show it.
CTagEditorData::V2 V2Of(const Id3v2Fields& fields) {
    return {fields.title,
            fields.artist,
            fields.album,
            fields.comment,
            fields.composer,
            fields.originalArtist,
            fields.copyright,
            fields.url,
            fields.encodedBy,
            Number(fields.year),
            GenreShown(fields.genre),
            fields.track.empty() ? -1 : Number(fields.track),
            TrackTotal(fields.track)};
}

} // namespace

const std::vector<std::string>& CTagEditorData::GenreNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> made;
        for (int i = 0; i < GenreTable::kCount; ++i) {
            made.emplace_back(GenreTable::Name(i));
        }
        return made;
    }();
    return names;
}

int CTagEditorData::GenreIndexFor(const std::string& text) {
    const std::uint8_t index = GenreTable::IndexByPrefix(text);
    return index == GenreTable::kNone ? -1 : index;
}

bool CTagEditorData::Load(const std::string& path) {
    *this = CTagEditorData();
    m_strPath = path;
    if (path.empty()) {
        return true;
    }
    struct stat info {};
    m_nSizeKb = ::stat(path.c_str(), &info) == 0 ? info.st_size / 1024 : 0;

    if (TagLibFile::OwnsExtension(path)) {
        return LoadOwnTags(path);
    }
    Id3v2Fields fields;
    if (Id3v2::ReadTag(path, fields) == Id3v2::kRead) {
        m_bHasV2 = true;
        m_v2 = V2Of(fields);
    }

    MpegFileInfo mpeg;
    if (mpeg.Read(path) != MpegFileInfo::kRead) {
        return TagLibFile::KnowsExtension(path) && LoadOwnTags(path);
    }
    if (mpeg.hasId3v1) {
        m_bHasV1 = true;
        const Id3v1Tag& tag = mpeg.tag;
        m_v1 = {tag.Title(),
                tag.Artist(),
                tag.Album(),
                tag.Comment(),
                tag.Year(),
                tag.Genre() < GenreTable::kCount ? tag.Genre() : -1,
                tag.Version() > 1.05f ? tag.Track() : -1};
        m_strFileDate = FileDateText(path);
    }
    m_bLoadedV1 = m_bHasV1;
    m_bLoadedV2 = m_bHasV2;
    m_loadedV1 = m_v1;
    m_loadedV2 = m_v2;
    return true;
}

bool CTagEditorData::LoadOwnTags(const std::string& path) {
    Id3v2Fields fields;
    if (!TagLibFile::ReadAllFields(path, fields)) {
        return false;
    }
    m_bOwnTags = true;
    m_bHasV1 = false;
    m_bHasV2 = true;
    m_v2 = V2Of(fields);
    m_bLoadedV1 = false;
    m_bLoadedV2 = true;
    m_loadedV1 = m_v1;
    m_loadedV2 = m_v2;
    return true;
}

// A value the file already held passes as it is: the user did not type it, and it is not
// written back.
std::string CTagEditorData::Validate() const {
    auto check = [](int value, int loaded, int low, int high) {
        return value == loaded || (value >= low && value <= high)
                   ? std::string()
                   : "Please enter an integer between " + std::to_string(low) + " and " +
                         std::to_string(high) + ".";
    };
    for (const auto& [value, loaded, low, high] :
         {std::tuple{m_v1.nYear, m_loadedV1.nYear, 0, kYearMax},
          std::tuple{m_v1.nTrack, m_loadedV1.nTrack, kTrackMin, kTrackMax},
          std::tuple{m_v2.nYear, m_loadedV2.nYear, 0, kYearMax},
          std::tuple{m_v2.nTrack, m_loadedV2.nTrack, kTrackMin, kTrackMax}}) {
        std::string message = check(value, loaded, low, high);
        if (!message.empty()) {
            return message;
        }
    }
    return {};
}

void CTagEditorData::CopyV1ToV2() {
    m_v2.strArtist = m_v1.strArtist;
    m_v2.strTitle = m_v1.strTitle;
    m_v2.strAlbum = m_v1.strAlbum;
    m_v2.strComment = m_v1.strComment;
    m_v2.nTrack = m_v1.nTrack;
    m_v2.nYear = m_v1.nYear;
    m_v2.strGenre = GenreText(m_v1.nGenre);
    m_bHasV2 = true;
}

void CTagEditorData::CopyV2ToV1() {
    auto cut = [](const std::string& text) { return text.substr(0, kV1TextMax); };
    m_v1.strArtist = cut(m_v2.strArtist);
    m_v1.strTitle = cut(m_v2.strTitle);
    m_v1.strAlbum = cut(m_v2.strAlbum);
    m_v1.strComment = cut(m_v2.strComment);
    m_v1.nTrack = m_v2.nTrack;
    m_v1.nYear = m_v2.nYear;
    m_v1.nGenre = m_v2.strGenre.empty() ? -1 : GenreIndexFor(m_v2.strGenre);
    m_bHasV1 = true;
}

Id3v2Fields CTagEditorData::ToFields() const {
    Id3v2Fields fields;
    fields.title = m_v2.strTitle;
    fields.artist = m_v2.strArtist;
    fields.album = m_v2.strAlbum;
    fields.comment = m_v2.strComment;
    fields.copyright = m_v2.strCopyright;
    fields.composer = m_v2.strComposer;
    fields.encodedBy = m_v2.strEncodedBy;
    fields.url = m_v2.strUrl;
    fields.originalArtist = m_v2.strOriginalArtist;
    fields.year = m_v2.nYear > 0 ? std::to_string(m_v2.nYear) : std::string();
    fields.track =
        m_v2.nTrack >= 0 ? std::to_string(m_v2.nTrack) + m_v2.strTrackTotal : std::string();
    fields.genre = m_v2.strGenre;
    return fields;
}

CTagEditorData CTagEditorData::Loaded() const {
    CTagEditorData loaded;
    loaded.m_bHasV1 = m_bLoadedV1;
    loaded.m_bHasV2 = m_bLoadedV2;
    loaded.m_v1 = m_loadedV1;
    loaded.m_v2 = m_loadedV2;
    return loaded;
}

bool CTagEditorData::Save() const {
    if (m_strPath.empty()) {
        return false;
    }
    const Changes changes = Compare(Loaded(), *this);
    if (m_bOwnTags) {
        return SaveOwnTags(changes);
    }
    const bool v2 = SaveV2(changes);
    const bool v1 = SaveV1(changes);
    return v2 && v1;
}

unsigned CTagEditorData::ChangedFieldBits(const Changes& changes) {
    // In the order of Changes::v2.
    static constexpr unsigned kBits[12] = {
        Id3v2Fields::kTitle,     Id3v2Fields::kArtist,   Id3v2Fields::kAlbum,
        Id3v2Fields::kComment,   Id3v2Fields::kComposer, Id3v2Fields::kOriginalArtist,
        Id3v2Fields::kCopyright, Id3v2Fields::kUrl,      Id3v2Fields::kEncodedBy,
        Id3v2Fields::kYear,      Id3v2Fields::kGenre,    Id3v2Fields::kTrack};
    unsigned which = 0;
    for (int i = 0; i < 12; ++i) {
        which |= changes.v2[i] ? kBits[i] : 0;
    }
    return which;
}

bool CTagEditorData::SaveV2(const Changes& changes) const {
    if (!m_bHasV2) {
        return !changes.hasV2 || Id3v2::BlankTag(m_strPath) == Id3v2::kBlanked;
    }
    const unsigned which = ChangedFieldBits(changes);
    return which == 0 || Id3v2::WriteChangedFields(ToFields(), which, m_strPath) == Id3v2::kWritten;
}

// The file's own tag (FLAC, Ogg, ...) takes the changed fields of the second group; it has
// no ID3v1 tag, and turning the group off removes nothing.
bool CTagEditorData::SaveOwnTags(const Changes& changes) const {
    const unsigned which = m_bHasV2 ? ChangedFieldBits(changes) : 0;
    if (which == 0) {
        return true;
    }
    const int result = TagLibFile::WriteChangedFields(m_strPath, ToFields(), which);
    CSongTagCache::Shared().Forget(m_strPath);
    return result == TagLibFile::kWritten || result == TagLibFile::kNothing;
}

bool CTagEditorData::SaveV1(const Changes& changes) const {
    Id3v1Tag tag;
    if (!m_bHasV1) {
        return !changes.hasV1 || tag.WriteToFile(m_strPath, true) == Id3v1Tag::kWritten;
    }
    tag.SetTitle(m_v1.strTitle);
    tag.SetArtist(m_v1.strArtist);
    tag.SetAlbum(m_v1.strAlbum);
    tag.SetYear(m_v1.nYear);
    tag.SetComment(m_v1.strComment);
    tag.SetTrack(m_v1.nTrack);
    tag.SetGenre(m_v1.nGenre >= 0 ? static_cast<std::uint8_t>(m_v1.nGenre) : GenreTable::kNone);
    if (changes.hasV1) {
        return tag.WriteToFile(m_strPath, false) == Id3v1Tag::kWritten; // a new tag
    }
    // In the order of Changes::v1.
    static constexpr unsigned kBits[7] = {Id3v1Tag::kFieldTitle, Id3v1Tag::kFieldArtist,
                                          Id3v1Tag::kFieldAlbum, Id3v1Tag::kFieldComment,
                                          Id3v1Tag::kFieldYear,  Id3v1Tag::kFieldGenre,
                                          Id3v1Tag::kFieldTrack};
    unsigned which = 0;
    for (int i = 0; i < 7; ++i) {
        which |= changes.v1[i] ? kBits[i] : 0;
    }
    return which == 0 || tag.WriteFieldsToFile(m_strPath, which) == Id3v1Tag::kWritten;
}

bool CTagEditorData::Changes::Any() const {
    return hasV1 || hasV2 || std::any_of(std::begin(v1), std::end(v1), [](bool b) { return b; }) ||
           std::any_of(std::begin(v2), std::end(v2), [](bool b) { return b; });
}

CTagEditorData::Changes CTagEditorData::Compare(const CTagEditorData& a, const CTagEditorData& b) {
    Changes c;
    c.hasV1 = a.m_bHasV1 != b.m_bHasV1;
    c.hasV2 = a.m_bHasV2 != b.m_bHasV2;
    const V1 &x = a.m_v1, &y = b.m_v1;
    const bool v1[] = {x.strTitle != y.strTitle, x.strArtist != y.strArtist,
                       x.strAlbum != y.strAlbum, x.strComment != y.strComment,
                       x.nYear != y.nYear,       x.nGenre != y.nGenre,
                       x.nTrack != y.nTrack};
    std::copy(std::begin(v1), std::end(v1), c.v1);
    const V2 &p = a.m_v2, &q = b.m_v2;
    const bool v2[] = {p.strTitle != q.strTitle,         p.strArtist != q.strArtist,
                       p.strAlbum != q.strAlbum,         p.strComment != q.strComment,
                       p.strComposer != q.strComposer,   p.strOriginalArtist != q.strOriginalArtist,
                       p.strCopyright != q.strCopyright, p.strUrl != q.strUrl,
                       p.strEncodedBy != q.strEncodedBy, p.nYear != q.nYear,
                       p.strGenre != q.strGenre,         p.nTrack != q.nTrack};
    std::copy(std::begin(v2), std::end(v2), c.v2);
    return c;
}

bool CTagEditorData::LoadWithChanges(const std::string& path, const CTagEditorData& e,
                                     const Changes& c) {
    if (!Load(path)) {
        return false;
    }
    if (c.hasV1) {
        m_bHasV1 = e.m_bHasV1;
    }
    if (c.hasV2) {
        m_bHasV2 = e.m_bHasV2;
    }
    std::string* v1Texts[] = {&m_v1.strTitle, &m_v1.strArtist, &m_v1.strAlbum, &m_v1.strComment};
    const std::string* e1Texts[] = {&e.m_v1.strTitle, &e.m_v1.strArtist, &e.m_v1.strAlbum,
                                    &e.m_v1.strComment};
    for (int i = 0; i < 4; ++i) {
        if (c.v1[i]) {
            *v1Texts[i] = *e1Texts[i];
        }
    }
    int* v1Numbers[] = {&m_v1.nYear, &m_v1.nGenre, &m_v1.nTrack};
    const int* e1Numbers[] = {&e.m_v1.nYear, &e.m_v1.nGenre, &e.m_v1.nTrack};
    for (int i = 0; i < 3; ++i) {
        if (c.v1[4 + i]) {
            *v1Numbers[i] = *e1Numbers[i];
        }
    }
    std::string* v2Texts[] = {&m_v2.strTitle,     &m_v2.strArtist,   &m_v2.strAlbum,
                              &m_v2.strComment,   &m_v2.strComposer, &m_v2.strOriginalArtist,
                              &m_v2.strCopyright, &m_v2.strUrl,      &m_v2.strEncodedBy};
    const std::string* e2Texts[] = {
        &e.m_v2.strTitle,     &e.m_v2.strArtist,   &e.m_v2.strAlbum,
        &e.m_v2.strComment,   &e.m_v2.strComposer, &e.m_v2.strOriginalArtist,
        &e.m_v2.strCopyright, &e.m_v2.strUrl,      &e.m_v2.strEncodedBy};
    for (int i = 0; i < 9; ++i) {
        if (c.v2[i]) {
            *v2Texts[i] = *e2Texts[i];
        }
    }
    if (c.v2[9]) {
        m_v2.nYear = e.m_v2.nYear;
    }
    if (c.v2[10]) {
        m_v2.strGenre = e.m_v2.strGenre;
    }
    if (c.v2[11]) {
        m_v2.nTrack = e.m_v2.nTrack; // the file's own total stays
    }
    return true;
}
