#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class CMixorel2001Doc;
class IExchangeUi;
class IUserPrompt;

// Reads M3U playlists (as Winamp and most players write them) into a playlist document.
//
// Lines end with LF, CR LF or CR; only those characters are taken off. Blank lines and
// "#" lines other than "#EXT..." are skipped. A "#EXT" line sets the title of the lines
// that follow (the text after its first comma, or the whole line without one); any
// other line is a location: "http:" and "https:" addresses are kept as they are, a
// "file:" URI of this machine gives its percent-decoded path (one of another host skips
// its line), other paths are made absolute against the M3U file's own folder, a "\" of
// a relative path becoming "/". A ".m3u8" file is UTF-8; a plain ".m3u" is UTF-8 when it is valid
// UTF-8, else Windows-1252. A byte-order mark at the start is dropped.
class CM3uReader {
public:
    static constexpr const char* kFailedText = "Failed to import complete winamp list.";
    // Longest absolute path taken; longer ones skip their line.
    static constexpr std::size_t kMaxPath = 4095;
    static constexpr std::int64_t kMaxFileSize = std::int64_t{256} << 20;

    struct Entry {
        std::string m_strLocation;
        std::string m_strTitle;
    };

    // The entries of an M3U text; folder is the absolute folder of the file.
    static std::vector<Entry> Parse(std::span<const std::uint8_t> bytes, std::string_view folder,
                                    bool utf8);
    // True for a name ending in ".m3u8" (any letter case).
    static bool IsUtf8Name(std::string_view path);

    // Appends the songs of the M3U file at path to the end of the document, duplicates
    // included, without asking. False when the file cannot be read (nothing is shown) or
    // an insertion fails ("Failed to import complete winamp list." is shown and the lines
    // imported so far stay). count, when given, receives the number of lines added.
    static bool ReadM3u(CMixorel2001Doc& doc, const std::string& path, IUserPrompt* prompt,
                        std::size_t* count = nullptr);
    // The command "Import w&inamp list...": the open-file dialog, then ReadM3u. The
    // playlist keeps its lines; the new ones are appended.
    static bool ImportM3u(CMixorel2001Doc& doc, IExchangeUi& ui, IUserPrompt& prompt);
};
