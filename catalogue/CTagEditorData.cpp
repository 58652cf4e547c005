#include "CTagEditorData.h"

#include "CDateTime.h"

#include "media/GenreTable.h"
#include "media/Id3v1Tag.h"
#include "media/Id3v2File.h"
#include "media/MpegFileInfo.h"
#include "media/PosixFile.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <ctime>
#include <sys/stat.h>

namespace {

int Number(const std::string& text) {
    return static_cast<int>(std::strtol(text.c_str(), nullptr, 10));
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

    Id3v2Fields fields;
    if (Id3v2::ReadTag(path, fields) == Id3v2::kRead) {
        m_bHasV2 = true;
        m_v2 = {fields.title,
                fields.artist,
                fields.album,
                fields.comment,
                fields.composer,
                fields.originalArtist,
                fields.copyright,
                fields.url,
                fields.encodedBy,
                Number(fields.year),
                -1,
                fields.track.empty() ? -1 : Number(fields.track)};
        // "(17)Rock", "17" or "Rock": the digits and brackets go, the rest picks the entry.
        std::string genre;
        std::copy_if(
            fields.genre.begin(), fields.genre.end(), std::back_inserter(genre), [](char c) {
                return c != '(' && c != ')' && !std::isdigit(static_cast<unsigned char>(c));
            });
        const int numeric = GenreTable::NumericReference(fields.genre);
        m_v2.nGenre = !genre.empty()
                          ? GenreIndexFor(genre)
                          : (numeric >= 0 && numeric < GenreTable::kCount ? numeric : -1);
    }

    MpegFileInfo mpeg;
    if (mpeg.Read(path) != MpegFileInfo::kRead) {
        return false;
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
    return true;
}

std::string CTagEditorData::Validate() const {
    auto check = [](int value, int low, int high) {
        return value >= low && value <= high
                   ? std::string()
                   : "Please enter an integer between " + std::to_string(low) + " and " +
                         std::to_string(high) + ".";
    };
    for (const auto& [value, low, high] :
         {std::tuple{m_v1.nYear, 0, kYearMax}, std::tuple{m_v1.nTrack, kTrackMin, kTrackMax},
          std::tuple{m_v2.nYear, 0, kYearMax}, std::tuple{m_v2.nTrack, kTrackMin, kTrackMax}}) {
        std::string message = check(value, low, high);
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
    m_v2.nGenre = m_v1.nGenre >= 0 ? GenreIndexFor(GenreText(m_v1.nGenre)) : -1;
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
    m_v1.nGenre = m_v2.nGenre >= 0 ? GenreIndexFor(GenreText(m_v2.nGenre)) : -1;
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
    fields.year = std::to_string(m_v2.nYear);
    fields.track = std::to_string(m_v2.nTrack);
    fields.genre = GenreText(m_v2.nGenre);
    return fields;
}

bool CTagEditorData::Save() const {
    if (m_strPath.empty()) {
        return false;
    }
    if (m_bHasV2) {
        Id3v2::WriteTag(ToFields(), m_strPath);
    } else {
        Id3v2::BlankTag(m_strPath);
    }
    Id3v1Tag tag;
    return tag.WriteToFile(m_strPath, m_v1.strTitle, m_v1.strArtist, m_v1.strAlbum, m_v1.nYear,
                           m_v1.strComment, m_v1.nTrack, GenreText(m_v1.nGenre),
                           !m_bHasV1) == Id3v1Tag::kWritten;
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
    const bool v2[] = {p.strTitle != q.strTitle,
                       p.strArtist != q.strArtist,
                       p.strAlbum != q.strAlbum,
                       p.strComment != q.strComment,
                       p.strComposer != q.strComposer,
                       p.strOriginalArtist != q.strOriginalArtist,
                       p.strCopyright != q.strCopyright,
                       p.strUrl != q.strUrl,
                       p.strEncodedBy != q.strEncodedBy,
                       p.nYear != q.nYear,
                       p.nGenre != q.nGenre,
                       p.nTrack != q.nTrack};
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
            m_bHasV1 = true;
        }
    }
    int* v1Numbers[] = {&m_v1.nYear, &m_v1.nGenre, &m_v1.nTrack};
    const int* e1Numbers[] = {&e.m_v1.nYear, &e.m_v1.nGenre, &e.m_v1.nTrack};
    for (int i = 0; i < 3; ++i) {
        if (c.v1[4 + i]) {
            *v1Numbers[i] = *e1Numbers[i];
            m_bHasV1 = true;
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
            m_bHasV2 = true;
        }
    }
    int* v2Numbers[] = {&m_v2.nYear, &m_v2.nGenre, &m_v2.nTrack};
    const int* e2Numbers[] = {&e.m_v2.nYear, &e.m_v2.nGenre, &e.m_v2.nTrack};
    for (int i = 0; i < 3; ++i) {
        if (c.v2[9 + i]) {
            *v2Numbers[i] = *e2Numbers[i];
            m_bHasV2 = true;
        }
    }
    return true;
}
