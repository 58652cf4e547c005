#include "DocumentFakes.h"

#include "catalogue/CHtmlListWriter.h"
#include "catalogue/CMixorel2001Doc.h"
#include "catalogue/IExchangeUi.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

namespace {

const std::string kHead =
    "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2//EN\">\n"
    "\n"
    "<HTML>\n"
    "<HEAD>\n"
    "<META http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\n";

const std::string kHeaderRow =
    "<TABLE align=\"center\" border=1 cellpadding=\"1\" cellspacing=\"1\">\n"
    "<TR>\n"
    "<TD BGCOLOR=\"#CCFFFF\"><font face=\"Arial, Helvetica, sans-serif\" "
    "size=\"2\"><b>Index</b></font></TD>\n"
    "<TD BGCOLOR=\"#CCFFFF\"><font face=\"Arial, Helvetica, sans-serif\" "
    "size=\"2\"><b>Title</b></font></TD>\n"
    "<TD BGCOLOR=\"#CCFFFF\" align=\"center\"><font face=\"Arial, Helvetica, sans-serif\" "
    "size=\"2\"><b>MP3 Info</b></font></TD>\n"
    "<TD BGCOLOR=\"#CCFFFF\" align=\"center\"><font face=\"Arial, Helvetica, sans-serif\" "
    "size=\"2\"><b>Duration</b></font></TD>\n"
    "<TD BGCOLOR=\"#CCFFFF\" align=\"right\"><font face=\"Arial, Helvetica, sans-serif\" "
    "size=\"2\"><b>Size (Mb)</b></font></TD>\n"
    "</TR>\n";

const std::string kTail = "</TABLE>\n"
                          "</TD></TR>\n"
                          "</TABLE>\n"
                          "<center><font face=\"Arial\" size=\"-3\">Created by Mixorel - "
                          "2026-12-06 12:00</font></center>\n"
                          "</BODY>\n"
                          "</HTML>";

std::string Summary(const std::string& title, const std::string& time, int count) {
    return "<TITLE>" + title +
           "</TITLE>\n"
           "</HEAD>\n"
           "\n"
           "<BODY BGCOLOR=\"white\" link=\"#CC0000\">\n"
           "<TABLE WIDTH=630 align=\"center\">\n"
           "<TR><TD align=\"left\">\n"
           "<font face=\"Arial, Helvetica, sans-serif\" size=\"-1\"><b>Playlist:</b> " +
           title +
           "</font><br>\n"
           "<font face=\"Arial, Helvetica, sans-serif\" size=\"-1\"><b>Total playing time:</b> " +
           time +
           "</font><br>\n"
           "<font face=\"Arial, Helvetica, sans-serif\" size=\"-1\"><b>Song count:</b> " +
           std::to_string(count) +
           "</font><p>\n"
           "</TD><TR align=\"center\"><TD align=\"center\">\n";
}

std::string Row(int index, const std::string& title, const std::string& format,
                const std::string& duration, const std::string& size) {
    const std::string font = "<font face=\"Arial, Helvetica, sans-serif\" size=\"2\">";
    return "<TR>\n<TD>" + font + std::to_string(index) + "</font></TD>\n<TD>" + font + title +
           "</font></TD>\n<TD align=\"center\">" + font + format +
           "</font></TD>\n<TD align=\"center\">" + font + duration +
           "</font></TD>\n<TD align=\"right\">" + font + size + "</font></TD>\n</TR>\n";
}

const char* const kCreated = "2026-12-06 12:00";

// A song of 5,000,000 bytes at 128 kbit/s (312 s) and a region line; titles escaped.
TEST(HtmlListWriterTest, PlaylistWithRegionPage) {
    FakePrompt prompt;
    CMixorel2001Doc doc(&prompt);
    doc.SetTitle("Rock & \"Roll\" <live>");
    CSong song = MakeSong("/m/a.mp3", 5000000, 128000);
    song.SetTitle("AC/DC - Rock & Roll Ain't <Noise> \"Pollution\"");
    Insert(doc, song);
    Insert(doc, MakeRegion("Late night"));
    // The title shows the modified mark, as the window does.
    const std::string title = "Rock &amp; &quot;Roll&quot; &lt;live&gt; *";
    const std::string page =
        kHead + Summary(title, "00h 05m 12s", 2) + kHeaderRow +
        Row(1, "AC/DC - Rock &amp; Roll Ain't &lt;Noise&gt; &quot;Pollution&quot;", "128 - 44",
            "5:12", "4.77") +
        Row(2, "Late night", "", "", "0.00") + kTail;
    // Sizes use "." in a locale with a decimal comma too.
    const char* before = std::setlocale(LC_ALL, nullptr);
    const std::string saved = before != nullptr ? before : "C";
    for (const char* name : {"C", "de_DE.UTF-8", "fr_FR.UTF-8"}) {
        if (std::setlocale(LC_ALL, name) != nullptr) {
            EXPECT_EQ(CHtmlListWriter::Build(doc, kCreated), page) << name;
        }
    }
    std::setlocale(LC_ALL, saved.c_str());
    // The page of an empty playlist; hours are not limited to two digits.
    EXPECT_EQ(CHtmlListWriter::Build(CMixorel2001Doc(), kCreated),
              kHead + Summary("", "00h 00m 00s", 0) + kHeaderRow + kTail);
    EXPECT_NE(CHtmlListWriter::Build("t", 100 * 3600, {}, kCreated).find("100h 00m 00s"),
              std::string::npos);
    EXPECT_EQ(CHtmlListWriter::Megabytes(0xFFFFFFFFu), "4096.00");
}

// The view question comes only after a page was written; yes opens it.
TEST(HtmlListWriterTest, ExportCommand) {
    TempDir dir;
    FakePrompt prompt;
    FakeExchangeUi ui;
    CMixorel2001Doc doc;
    EXPECT_FALSE(CHtmlListWriter::Export(doc, ui, prompt));
    ui.m_choice = dir.File("none/list.html");
    EXPECT_FALSE(CHtmlListWriter::Export(doc, ui, prompt));
    EXPECT_TRUE(prompt.m_questions.empty());
    // A page written over an old file holds exactly the page.
    ui.m_choice = dir.File("list.html");
    WriteAll(ui.m_choice, {'o', 'l', 'd'});
    ASSERT_TRUE(CHtmlListWriter::WriteHtmlList(doc, ui.m_choice, kCreated));
    const std::vector<std::uint8_t> bytes = ReadAll(ui.m_choice);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), CHtmlListWriter::Build(doc, kCreated));
    prompt.m_answers = {IUserPrompt::kAnswerNo, IUserPrompt::kAnswerYes};
    EXPECT_TRUE(CHtmlListWriter::Export(doc, ui, prompt));
    EXPECT_TRUE(ui.m_opened.empty());
    EXPECT_TRUE(CHtmlListWriter::Export(doc, ui, prompt));
    EXPECT_EQ(ui.m_opened, Texts{dir.File("list.html")});
    EXPECT_EQ(prompt.m_questions.back(), CHtmlListWriter::kViewQuestion);
}

} // namespace
