#include "Id3v1Tag.h"

#include "GenreTable.h"
#include "PosixFile.h"
#include "TextCodec.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// Trims blanks (spaces and tabs) at both ends, then answers "~unknown~" for nothing.
std::string DisplayForm(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return "~unknown~";
    }
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// The number at the start of a zero-terminated text, as atoi reads it.
int LeadingNumber(const char* text) {
    while (*text == ' ' || (*text >= '\t' && *text <= '\r')) {
        ++text;
    }
    bool negative = false;
    if (*text == '-' || *text == '+') {
        negative = *text == '-';
        ++text;
    }
    int value = 0;
    while (*text >= '0' && *text <= '9') {
        value = value * 10 + (*text - '0');
        ++text;
    }
    return negative ? -value : value;
}

// Bytes of a zero-terminated field without trailing spaces, at most width.
std::size_t WrittenLength(const char* text, std::size_t width) {
    std::size_t n = std::strlen(text);
    n = n > width ? width : n;
    while (n > 0 && text[n - 1] == ' ') {
        --n;
    }
    return n;
}

} // namespace

bool Id3v1Tag::IsTag(std::span<const std::uint8_t> block) {
    return block.size() >= 3 && block[0] == 'T' && block[1] == 'A' && block[2] == 'G';
}

void Id3v1Tag::CopyField(char* dest, const std::uint8_t* src, std::size_t length) {
    // Walk back over trailing spaces and zero bytes; a zero byte inside ends the text.
    std::size_t end = length;
    while (end > 0 && (src[end - 1] == ' ' || src[end - 1] == 0)) {
        --end;
    }
    std::size_t i = 0;
    for (; i < end && src[i] != 0; ++i) {
        dest[i] = static_cast<char>(src[i]);
    }
    std::memset(dest + i, 0, 31 - i);
}

bool Id3v1Tag::Parse(std::span<const std::uint8_t, kSize> block) {
    if (!IsTag(block)) {
        return false;
    }
    CopyField(m_szTitle, &block[3], 30);
    CopyField(m_szArtist, &block[33], 30);
    CopyField(m_szAlbum, &block[63], 30);
    char year[5] = {};
    std::memcpy(year, &block[93], 4);
    m_nYear = LeadingNumber(year);
    if (block[125] == 0 && block[126] != 0) {
        m_fVersion = 1.1f;
        m_nTrack = block[126];
        CopyField(m_szComment, &block[97], 28);
    } else {
        m_fVersion = 1.0f;
        CopyField(m_szComment, &block[97], 30);
    }
    m_nGenre = block[127];
    return true;
}

Id3v1Tag::Block Id3v1Tag::Build(bool remove) const {
    Block out{};
    if (remove) {
        return out;
    }
    auto put = [&](std::size_t offset, const char* text) {
        std::memcpy(&out[offset], text, WrittenLength(text, 30));
    };
    out[0] = 'T';
    out[1] = 'A';
    out[2] = 'G';
    put(3, m_szTitle);
    put(33, m_szArtist);
    put(63, m_szAlbum);
    put(97, m_szComment);
    char year[16] = {};
    std::snprintf(year, sizeof year, "%d", m_nYear);
    std::memcpy(&out[93], year, WrittenLength(year, 4));
    if (m_fVersion > 1.05f) {
        out[125] = 0;
        out[126] = static_cast<std::uint8_t>(m_nTrack & 0xFF);
    }
    out[127] = m_nGenre;
    return out;
}

void Id3v1Tag::StoreText(char* dest, std::string_view utf8) {
    const std::string latin1 = TextCodec::Utf8ToLatin1(utf8);
    const std::size_t n = latin1.size() > 30 ? 30 : latin1.size();
    std::memcpy(dest, latin1.data(), n);
    std::memset(dest + n, 0, 31 - n);
}

void Id3v1Tag::SetTitle(std::string_view utf8) {
    StoreText(m_szTitle, utf8);
}
void Id3v1Tag::SetArtist(std::string_view utf8) {
    StoreText(m_szArtist, utf8);
}
void Id3v1Tag::SetAlbum(std::string_view utf8) {
    StoreText(m_szAlbum, utf8);
}
void Id3v1Tag::SetComment(std::string_view utf8) {
    StoreText(m_szComment, utf8);
}

void Id3v1Tag::SetYear(int year) {
    m_nYear = (year >= 1000 && year <= 3000) ? year : 0;
}

void Id3v1Tag::SetTrack(int track) {
    if (track == -1) {
        m_nTrack = -1;
        m_fVersion = 1.0f;
    } else if (track >= 0 && track <= 255) {
        m_nTrack = track;
        m_fVersion = 1.1f;
    }
}

void Id3v1Tag::SetGenreByName(std::string_view name) {
    m_nGenre = GenreTable::IndexByPrefix(name);
}

std::string Id3v1Tag::Title() const {
    return TextCodec::Latin1ToUtf8(m_szTitle);
}
std::string Id3v1Tag::Artist() const {
    return TextCodec::Latin1ToUtf8(m_szArtist);
}
std::string Id3v1Tag::Album() const {
    return TextCodec::Latin1ToUtf8(m_szAlbum);
}
std::string Id3v1Tag::Comment() const {
    return TextCodec::Latin1ToUtf8(m_szComment);
}

std::string Id3v1Tag::GenreName() const {
    return m_nGenre < GenreTable::kCount ? std::string(GenreTable::Name(m_nGenre))
                                         : std::string("~unrecognized~");
}

std::string Id3v1Tag::DisplayTitle() const {
    return DisplayForm(Title());
}
std::string Id3v1Tag::DisplayArtist() const {
    return DisplayForm(Artist());
}
std::string Id3v1Tag::DisplayAlbum() const {
    return DisplayForm(Album());
}
std::string Id3v1Tag::DisplayComment() const {
    return DisplayForm(Comment());
}
std::string Id3v1Tag::DisplayGenreName() const {
    return DisplayForm(GenreName());
}

int Id3v1Tag::WriteToFile(const std::string& path, std::string_view title, std::string_view artist,
                          std::string_view album, int year, std::string_view comment, int track,
                          std::string_view genreName, bool remove) {
    SetTitle(title);
    SetArtist(artist);
    SetAlbum(album);
    SetYear(year);
    SetComment(comment);
    SetTrack(track);
    SetGenreByName(genreName);
    return WriteToFile(path, remove);
}

int Id3v1Tag::WriteToFile(const std::string& path, bool remove) const {
    const Block block = Build(remove);
    return WriteBlock(path, remove, [&](const Block*) { return block; });
}

int Id3v1Tag::WriteFieldsToFile(const std::string& path, unsigned fields) const {
    return WriteBlock(path, false, [&](const Block* present) {
        return present != nullptr ? MergeInto(*present, fields) : Build();
    });
}

Id3v1Tag::Block Id3v1Tag::MergeInto(const Block& present, unsigned fields) const {
    struct Range {
        unsigned field;
        std::size_t first, end;
    };
    const bool hasTrack = m_fVersion > 1.05f;
    const Range ranges[] = {{kFieldTitle, 3, 33},
                            {kFieldArtist, 33, 63},
                            {kFieldAlbum, 63, 93},
                            {kFieldYear, 93, 97},
                            {kFieldComment, 97, hasTrack ? 125u : 127u},
                            {kFieldTrack, 125, 127},
                            {kFieldGenre, 127, 128}};
    const Block built = Build();
    Block out = present;
    for (const Range& range : ranges) {
        if ((fields & range.field) != 0) {
            std::copy(built.begin() + static_cast<std::ptrdiff_t>(range.first),
                      built.begin() + static_cast<std::ptrdiff_t>(range.end),
                      out.begin() + static_cast<std::ptrdiff_t>(range.first));
        }
    }
    return out;
}

int Id3v1Tag::WriteBlock(const std::string& path, bool remove,
                         const std::function<Block(const Block*)>& make) {
    PosixFile file;
    struct stat info {};
    // A file without any write permission counts as read-only, also for root.
    if (!file.OpenReadWrite(path) || !file.Stat(info) || (info.st_mode & S_IWUSR) == 0 ||
        !S_ISREG(info.st_mode)) {
        return kOpenFailed;
    }
    const std::int64_t size = static_cast<std::int64_t>(info.st_size);
    Block tail{};
    const bool hasTag = size >= static_cast<std::int64_t>(kSize) &&
                        file.ReadAt(size - static_cast<std::int64_t>(kSize), tail) ==
                            static_cast<std::int64_t>(kSize) &&
                        IsTag(tail);
    if (!hasTag && remove) {
        return kWritten;
    }
    const Block block = make(hasTag ? &tail : nullptr);
    if (hasTag && block == tail) {
        return kWritten;
    }
    const std::int64_t offset = hasTag ? size - static_cast<std::int64_t>(kSize) : size;
    if (!file.WriteAt(offset, block)) {
        // Put the file back as it was: cut off a partial append, or restore the old block.
        if (hasTag) {
            file.WriteAt(offset, tail);
        } else {
            file.Truncate(size);
        }
        return kWriteFailed;
    }
    return kWritten;
}
