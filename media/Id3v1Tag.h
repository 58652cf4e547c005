#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

// The 128-byte ID3v1 block at the end of a music file.
//
//   offset size  content
//   0      3     "TAG"
//   3      30    title
//   33     30    artist
//   63     30    album
//   93     4     year, decimal digits
//   97     30    comment (version 1.0)
//   97     28    comment (version 1.1)
//   125    1     version 1.1: zero byte
//   126    1     version 1.1: track number
//   127    1     genre number (255 none)
//
// Texts are ISO-8859-1 on disk and kept that way here; the text accessors convert to and
// from UTF-8 (characters outside Latin-1 become '?').
class Id3v1Tag {
public:
    static constexpr std::size_t kSize = 128;
    using Block = std::array<std::uint8_t, kSize>;

    // Result codes of WriteToFile.
    enum WriteResult : int { kWritten = 0, kOpenFailed = 1, kWriteFailed = 2 };
    // The fields of the block, for writing only some of them.
    enum Field : unsigned {
        kFieldTitle = 1u << 0,
        kFieldArtist = 1u << 1,
        kFieldAlbum = 1u << 2,
        kFieldYear = 1u << 3,
        kFieldComment = 1u << 4,
        kFieldTrack = 1u << 5,
        kFieldGenre = 1u << 6,
        kAllFields = (1u << 7) - 1
    };

    // A fresh tag: empty texts, version 1.1, track -1, genre 255.
    Id3v1Tag() = default;

    // Fills the fields from a block; false (fields untouched) when it does not begin "TAG".
    bool Parse(std::span<const std::uint8_t, kSize> block);
    static bool IsTag(std::span<const std::uint8_t> block);
    // The block for the fields; with the remove flag, 128 zero bytes.
    Block Build(bool remove = false) const;

    // Text setters take UTF-8, store Latin-1 cut to 30 bytes.
    void SetTitle(std::string_view utf8);
    void SetArtist(std::string_view utf8);
    void SetAlbum(std::string_view utf8);
    void SetComment(std::string_view utf8);
    // 1000-3000 is stored; any other value stores 0.
    void SetYear(int year);
    // -1 stores no track (version 1.0); 0-255 stores it (version 1.1); others change nothing.
    void SetTrack(int track);
    // The first table name that begins with the text (see GenreTable::IndexByPrefix).
    void SetGenreByName(std::string_view name);

    // The texts as UTF-8.
    std::string Title() const;
    std::string Artist() const;
    std::string Album() const;
    std::string Comment() const;
    // The table name, or "~unrecognized~" for 148-255.
    std::string GenreName() const;

    // Display forms: trimmed of blanks, "~unknown~" when empty.
    std::string DisplayTitle() const;
    std::string DisplayArtist() const;
    std::string DisplayAlbum() const;
    std::string DisplayComment() const;
    std::string DisplayGenreName() const;

    int Year() const { return m_nYear; }
    int Track() const { return m_nTrack; }
    float Version() const { return m_fVersion; }
    std::uint8_t Genre() const { return m_nGenre; }
    void SetGenre(std::uint8_t genre) { m_nGenre = genre; }

    // Writes the tag into the file: over its present ID3v1 block, or appended when it has
    // none. With the remove flag a present block becomes 128 zero bytes and a file without
    // one is left alone. The setters run first in the order title, artist, album, year,
    // comment, track, genre. On failure the file is left as it was.
    int WriteToFile(const std::string& path, std::string_view title, std::string_view artist,
                    std::string_view album, int year, std::string_view comment, int track,
                    std::string_view genreName, bool remove);
    // Writes the fields as they stand (the same file rules as above).
    int WriteToFile(const std::string& path, bool remove) const;
    // Writes only the given fields over the file's present block, every other byte of it
    // staying as it is; a file without a block gets the whole tag. A block that would not
    // change is not written.
    int WriteFieldsToFile(const std::string& path, unsigned fields) const;
    // The present block with the given fields taken from Build(). The track's bytes
    // 125-126 hold the comment's last two characters in version 1.0, so they go with the
    // comment as well when this tag has no track.
    Block MergeInto(const Block& present, unsigned fields) const;

private:
    // Opens the file, finds its present block and writes the block that make answers for
    // it (nullptr when the file has none) over it or at the end.
    static int WriteBlock(const std::string& path, bool remove,
                          const std::function<Block(const Block*)>& make);
    static void CopyField(char* dest, const std::uint8_t* src, std::size_t length);
    static void StoreText(char* dest, std::string_view utf8);

    char m_szTitle[31] = {};
    char m_szArtist[31] = {};
    char m_szAlbum[31] = {};
    char m_szComment[31] = {};
    int m_nYear = 0;
    int m_nTrack = -1;
    float m_fVersion = 1.1f;
    std::uint8_t m_nGenre = 255;
};
