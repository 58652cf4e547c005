#include "CliSupport.h"
#include "support/ScopedEnvironment.h"

#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>

using namespace CliSupport;

namespace {

// M3U import, the HTML song list and the album dump, end to end.
using CliExchangeTest = CliTest;

// The page's layout is the writer's; here its title is the playlist's file name and the
// creation time is in the C locale's form.
TEST_F(CliExchangeTest, HtmlOfAnEmptyPlaylist) {
    Write("empty.m3u", "");
    ASSERT_EQ(Status("playlist m3u " + Q("empty.m3u") + " -o " + Q("Party & co.qmx")), 0);
    const ScopedEnvironment env({{"SOURCE_DATE_EPOCH", "0"}, {"LC_ALL", "C"}});
    ASSERT_EQ(Status("playlist html " + Q("Party & co.qmx") + " " + Q("list.html")), 0);
    ExpectHas(Read("list.html"),
              {"<TITLE>Party &amp; co.qmx</TITLE>", "<b>Song count:</b> 0</font>",
               "Created by Mixorel - 01/01/70 00:00:00</font></center>\n</BODY>\n</HTML>"});
}

TEST_F(CliExchangeTest, AlbumDump) {
    Write("a.qma", std::string("\x05qmx-p\x02\0\0\0\x08/m/a.qmx\x0A/m/\"\xE9\".qmx", 30));
    EXPECT_EQ(Query("album dump " + Q("a.qma"), "d['signature'], d['paths']"),
              "qmx-p ['/m/a.qmx', '/m/\"é\".qmx']\n");
    Write("empty.qma", std::string("\x05qmx-p\0\0\0\0", 10));
    EXPECT_EQ(Cli("album dump " + Q("empty.qma")), "{\"signature\": \"qmx-p\", \"paths\": []}\n");
}

// Missing, unwritable and damaged files are named and leave nothing behind (the kinds
// of damage are the album reader's test).
TEST_F(CliExchangeTest, FailuresAndBadArguments) {
    Write("list.m3u", "/a.mp3\n");
    Write("short.qma", std::string("\x05qmx-p\x02\0\0\0\x08/m/a.qmx", 19));
    ExpectFailures({
        {"playlist m3u " + Q("none.m3u") + " -o " + Q("out.qmx"), 1, "none.m3u", "out.qmx"},
        {"playlist m3u " + Q("list.m3u") + " -o " + Q("no/out.qmx"), 1, "cannot be written"},
        {"playlist m3u " + Q("list.m3u"), 2},
        {"playlist html " + Q("none.qmx") + " " + Q("list.html"), 1, "none.qmx", "list.html"},
        {"playlist html " + Q("none.qmx"), 2},
        {"album dump " + Q("short.qma"), 1, "short.qma"},
        {"album dump " + Q("none.qma"), 1, "none.qma"},
        {"album dump", 2},
        {"album list x", 2},
    });
}

// The printed list read back with pdftotext, in the stored column layout (a hidden column
// absent, a moved column in its new place).
class CliPrintTest : public CliTest {
protected:
    void SetUp() override {
        if (!TestFiles::HaveTool("pdftotext") || !TestFiles::HaveTool("pdfinfo")) {
            GTEST_SKIP() << "poppler-utils is not installed";
        }
        // Date/time shown first and widened, Info hidden.
        Settings("[playlistview]\ncol0=3\ncol1=0\ncol2=1\ncol3=2\nsize2=0\nsize3=120\n");
    }
    static std::string Title(int n) {
        char title[32];
        std::snprintf(title, sizeof title, "Track %04d", n);
        return title;
    }
    // A playlist of count songs titled "Track 0001" on.
    std::string MakeList(const std::string& name, int count) {
        std::string m3u = "#EXTM3U\n";
        for (int i = 1; i <= count; ++i) {
            m3u += "#EXTINF:60," + Title(i) + "\n/music/" + Title(i) + ".mp3\n";
        }
        Write(name + ".m3u", m3u);
        EXPECT_EQ(Status("playlist m3u " + Q(name + ".m3u") + " -o " + Q(name + ".qmx")), 0);
        return File(name + ".qmx");
    }
    std::string Print(const std::string& list, const std::string& extra = "") {
        const std::string pdf = list + ".pdf";
        EXPECT_EQ(Status("playlist print " + ShellQuote(list) + " " + ShellQuote(pdf) + extra), 0);
        return pdf;
    }
    // The text of each page.
    static std::vector<std::string> Pages(const std::string& pdf) {
        std::vector<std::string> pages;
        std::istringstream in(TestFiles::Capture("pdftotext -layout " + ShellQuote(pdf) + " -"));
        for (std::string page; std::getline(in, page, '\f');) {
            pages.push_back(page);
        }
        return pages;
    }
};

TEST_F(CliPrintTest, PagesCarryTheListInOrderInTheStoredLayout) {
    const auto pages = Pages(Print(MakeList("long", 100)));
    ASSERT_GE(pages.size(), 2u);
    int count = 0;
    int perPage = 0;
    for (std::size_t page = 0; page < pages.size(); ++page) {
        SCOPED_TRACE(page);
        const std::string& text = pages[page];
        EXPECT_TRUE(
            std::regex_search(text, std::regex("long\\.qmx[\\s\\S]*Date/time +Song +Duration")))
            << text;
        EXPECT_EQ(text.find("Info"), std::string::npos) << "a hidden column takes no room";
        EXPECT_NE(text.find("\n" + std::to_string(page + 1) + " "), std::string::npos) << text;
        const int before = count;
        for (std::size_t at = text.find("Track "); at != std::string::npos;
             at = text.find("Track ", at + 1)) {
            EXPECT_EQ(text.substr(at, 10), Title(++count));
        }
        perPage = std::max(perPage, count - before);
    }
    EXPECT_EQ(count, 100);
    EXPECT_EQ(pages.size(), static_cast<std::size_t>((100 + perPage - 1) / perPage));
    // Exactly one page's worth ends on that page; one more line starts a second page.
    EXPECT_EQ(Pages(Print(MakeList("full", perPage))).size(), 1u);
    EXPECT_EQ(Pages(Print(MakeList("over", perPage + 1))).size(), 2u);
}

struct PageRangeCase {
    const char* name;
    int from;
    int to; // past the end: the last page
    int firstPrinted;
};

class CliPrintRangeTest : public CliPrintTest,
                          public ::testing::WithParamInterface<PageRangeCase> {};

// Only the chosen pages, each with its own number and lines.
TEST_P(CliPrintRangeTest, PrintsOnlyTheChosenPages) {
    const PageRangeCase& c = GetParam();
    const std::string list = MakeList("ranged", 250);
    const auto all = Pages(Print(list));
    const auto pages =
        Pages(Print(list, " --pages " + std::to_string(c.from) + "-" + std::to_string(c.to)));
    ASSERT_GE(all.size(), 4u);
    const int lastPrinted = std::min(c.to, static_cast<int>(all.size()));
    ASSERT_EQ(pages.size(), static_cast<std::size_t>(lastPrinted - c.firstPrinted + 1));
    // The same page as in the full print, but for the printing time in its footer.
    const auto undated = [](const std::string& page) {
        return std::regex_replace(page, std::regex("\\d\\d/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d"),
                                  "");
    };
    for (int page = c.firstPrinted; page <= lastPrinted; ++page) {
        EXPECT_EQ(undated(pages[static_cast<std::size_t>(page - c.firstPrinted)]),
                  undated(all[static_cast<std::size_t>(page - 1)]))
            << "page " << page;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, CliPrintRangeTest,
                         ::testing::Values(PageRangeCase{"First", 1, 1, 1},
                                           PageRangeCase{"Middle", 2, 3, 2},
                                           PageRangeCase{"PastTheEnd", 3, 99, 3}),
                         [](const auto& param) { return std::string(param.param.name); });

// A title wider than its column ends in an ellipsis instead of running under the next.
TEST_F(CliPrintTest, LongTitleIsCutWithAnEllipsis) {
    const std::string title(60, 'W');
    Write("wide.m3u", "#EXTM3U\n#EXTINF:61," + title + "\n/music/wide.mp3\n");
    ASSERT_EQ(Status("playlist m3u " + Q("wide.m3u") + " -o " + Q("wide.qmx")), 0);
    const auto pages = Pages(Print(File("wide.qmx")));
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].find(title), std::string::npos) << pages[0];
    EXPECT_TRUE(
        std::regex_search(pages[0], std::regex("Song +Duration\\s+\\S+ +\\S+ +W+\xE2\x80\xA6\n")))
        << pages[0];
}

TEST_F(CliPrintTest, PageSizeEmptyListAndBadArguments) {
    const std::string list = MakeList("short", 3);
    ExpectHas(TestFiles::Capture("pdfinfo " + ShellQuote(Print(list, " --page-size Letter"))),
              {"(letter)"});
    ExpectHas(TestFiles::Capture("pdfinfo " + ShellQuote(Print(list))), {"(A4)"});
    MakeList("empty", 0);
    ExpectFailures({
        {"playlist print " + Q("empty.qmx") + " " + Q("e.pdf"), 1, "empty", "e.pdf"},
        {"playlist print " + ShellQuote(list), 2},
        {"playlist print " + ShellQuote(list) + " x.pdf --page-size A5", 2},
        {"playlist print " + ShellQuote(list) + " x.pdf --pages 3-2", 2},
        {"playlist print " + ShellQuote(list) + " x.pdf --pages 0-2", 2},
    });
}

} // namespace
