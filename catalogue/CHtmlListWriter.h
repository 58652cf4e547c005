#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CMixorel2001Doc;
class CSong;
class IExchangeUi;
class IUserPrompt;

// The HTML song list of a playlist: a stand-alone page with the playlist's title, total
// playing time, song count and one table row per line (number, title, format, duration
// and size in MB). The page is UTF-8 and says so right after <HEAD>; texts are escaped
// (& < > "), numbers use "." in every locale, and lines end with LF.
class CHtmlListWriter {
public:
    struct Row {
        std::string m_strTitle;
        std::string m_strFormat;
        std::string m_strDuration;
        std::uint32_t m_nSize = 0;
    };

    static Row RowOf(const CSong& song);
    // The whole page; created is the "Created by Mixorel" date text.
    static std::string Build(std::string_view title, std::uint32_t totalSeconds,
                             const std::vector<Row>& rows, std::string_view created);
    // The page of a document (its title, total time and lines), under its lock.
    static std::string Build(const CMixorel2001Doc& doc, std::string_view created);
    // Writes the page through a temporary file renamed into place; false when it cannot
    // be written (the old file is then untouched).
    static bool WriteHtmlList(const CMixorel2001Doc& doc, const std::string& path,
                              std::string_view created);

    // The command "Create HTML song list...": the save dialog, the page, then the
    // question "Do you want to view the created HTML file?" (yes opens it). A file that
    // cannot be written ends the command silently. False when nothing was written.
    static bool Export(const CMixorel2001Doc& doc, IExchangeUi& ui, IUserPrompt& prompt);
    static constexpr const char* kViewQuestion = "Do you want to view the created HTML file?";

    // The current local date and time in the user's format (the locale of LC_TIME);
    // with SOURCE_DATE_EPOCH set, that time in UTC, so pages can be made reproducibly.
    static std::string NowText();
    // & < > " as &amp; &lt; &gt; &quot;.
    static std::string Escape(std::string_view text);
    // "%.2f" of bytes / 2^20, with "." whatever the locale.
    static std::string Megabytes(std::uint32_t bytes);
};
