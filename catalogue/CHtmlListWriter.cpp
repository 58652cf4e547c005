#include "CHtmlListWriter.h"

#include "CDateTime.h"
#include "CMixorel2001Doc.h"
#include "IExchangeUi.h"
#include "IUserPrompt.h"
#include "media/AtomicFileWriter.h"

#include <charconv>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <mutex>

namespace {

constexpr std::string_view kFont = "<font face=\"Arial, Helvetica, sans-serif\" size=\"2\">";
constexpr std::string_view kSmallFont = "<font face=\"Arial, Helvetica, sans-serif\" size=\"-1\">";

void HeaderCell(std::string& out, std::string_view align, std::string_view text) {
    out += "<TD BGCOLOR=\"#CCFFFF\"";
    out += align;
    out += '>';
    out += kFont;
    out += "<b>";
    out += text;
    out += "</b></font></TD>\n";
}

void Cell(std::string& out, std::string_view align, std::string_view text) {
    out += "<TD";
    out += align;
    out += '>';
    out += kFont;
    out += text;
    out += "</font></TD>\n";
}

// printf's "%2.2d": at least two digits.
std::string TwoDigits(std::uint32_t value) {
    std::string text = std::to_string(value);
    if (text.size() < 2) {
        text.insert(text.begin(), '0');
    }
    return text;
}

} // namespace

std::string CHtmlListWriter::Escape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
            break;
        }
    }
    return out;
}

std::string CHtmlListWriter::Megabytes(std::uint32_t bytes) {
    char buffer[64];
    const double value = static_cast<double>(bytes) / 1048576.0;
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
    return std::string(buffer, result.ptr);
}

CHtmlListWriter::Row CHtmlListWriter::RowOf(const CSong& song) {
    Row row;
    row.m_strTitle = song.GetTitleWithDate(false);
    // A region line has no audio, whatever its information flag says.
    if (!song.IsRegion()) {
        row.m_strFormat = song.GetFormatText();
        row.m_strDuration = song.GetDurationText();
    }
    row.m_nSize = song.GetSize();
    return row;
}

std::string CHtmlListWriter::Build(std::string_view title, std::uint32_t totalSeconds,
                                   const std::vector<Row>& rows, std::string_view created) {
    const std::string escapedTitle = Escape(title);
    std::string out;
    out.reserve(2048 + rows.size() * 512);
    out += "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2//EN\">\n\n";
    out += "<HTML>\n<HEAD>\n";
    out += "<META http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\n";
    out += "<TITLE>" + escapedTitle + "</TITLE>\n";
    out += "</HEAD>\n\n";
    out += "<BODY BGCOLOR=\"white\" link=\"#CC0000\">\n";
    out += "<TABLE WIDTH=630 align=\"center\">\n";
    out += "<TR><TD align=\"left\">\n";
    out += std::string(kSmallFont) + "<b>Playlist:</b> " + escapedTitle + "</font><br>\n";
    const std::uint32_t rest = totalSeconds % 3600;
    out += std::string(kSmallFont) + "<b>Total playing time:</b> " +
           TwoDigits(totalSeconds / 3600) + "h " + TwoDigits(rest / 60) + "m " +
           TwoDigits(rest % 60) + "s</font><br>\n";
    out += std::string(kSmallFont) + "<b>Song count:</b> " + std::to_string(rows.size()) +
           "</font><p>\n";
    out += "</TD><TR align=\"center\"><TD align=\"center\">\n";
    out += "<TABLE align=\"center\" border=1 cellpadding=\"1\" cellspacing=\"1\">\n";
    out += "<TR>\n";
    HeaderCell(out, "", "Index");
    HeaderCell(out, "", "Title");
    HeaderCell(out, " align=\"center\"", "MP3 Info");
    HeaderCell(out, " align=\"center\"", "Duration");
    HeaderCell(out, " align=\"right\"", "Size (Mb)");
    out += "</TR>\n";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        out += "<TR>\n";
        Cell(out, "", std::to_string(i + 1));
        Cell(out, "", Escape(row.m_strTitle));
        Cell(out, " align=\"center\"", Escape(row.m_strFormat));
        Cell(out, " align=\"center\"", Escape(row.m_strDuration));
        Cell(out, " align=\"right\"", Megabytes(row.m_nSize));
        out += "</TR>\n";
    }
    out += "</TABLE>\n</TD></TR>\n</TABLE>\n";
    out += "<center><font face=\"Arial\" size=\"-3\">Created by Mixorel - " + Escape(created) +
           "</font></center>\n";
    out += "</BODY>\n";
    out += "</HTML>";
    return out;
}

std::string CHtmlListWriter::Build(const CMixorel2001Doc& doc, std::string_view created) {
    std::vector<Row> rows;
    std::string title;
    std::uint32_t total = 0;
    {
        std::lock_guard lock(doc.GetMutex());
        title = doc.GetTitle();
        total = doc.GetTotalTime();
        const int count = doc.GetCount();
        rows.reserve(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i) {
            if (const CSong* song = doc.GetSongAt(i)) {
                rows.push_back(RowOf(*song));
            }
        }
    }
    return Build(title, total, rows, created);
}

bool CHtmlListWriter::WriteHtmlList(const CMixorel2001Doc& doc, const std::string& path,
                                    std::string_view created) {
    try {
        const std::string page = Build(doc, created);
        AtomicFileWriter writer;
        return writer.Create(path) &&
               writer.Write(
                   std::span(reinterpret_cast<const std::uint8_t*>(page.data()), page.size())) &&
               writer.Commit();
    } catch (const std::exception&) {
        return false;
    }
}

bool CHtmlListWriter::Export(const CMixorel2001Doc& doc, IExchangeUi& ui, IUserPrompt& prompt) {
    std::string path;
    if (!ui.ChooseHtmlFile(path) || !WriteHtmlList(doc, path, NowText())) {
        return false;
    }
    if (prompt.Question(kViewQuestion, false) == IUserPrompt::kAnswerYes) {
        ui.OpenWithSystem(path);
    }
    return true;
}

std::string CHtmlListWriter::NowText() {
    std::time_t now = std::time(nullptr);
    std::tm fields{};
    const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
    if (epoch != nullptr && *epoch != '\0') {
        char* end = nullptr;
        const long long value = std::strtoll(epoch, &end, 10);
        if (end != nullptr && *end == '\0') {
            now = static_cast<std::time_t>(value);
        }
        gmtime_r(&now, &fields);
    } else {
        localtime_r(&now, &fields);
    }
    return CDateTime::FormatUserDefault(fields);
}
