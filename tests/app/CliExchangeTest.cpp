#include "CliSupport.h"
#include "support/TempDir.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

using TestFiles::ShellQuote;

namespace {

// M3U import, the HTML song list and the album dump, end to end. Each test has its own
// settings and program folders.
class CliExchangeTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("XDG_CONFIG_HOME", m_dir.File("config").c_str(), 1);
        setenv("MIXOREL_HOME", m_dir.File("home").c_str(), 1);
    }
    void TearDown() override {
        unsetenv("XDG_CONFIG_HOME");
        unsetenv("MIXOREL_HOME");
    }
    static int Cli(const std::string& args, std::string* err = nullptr) {
        if (err == nullptr) {
            return TestFiles::Run(std::string(MIXOREL_CLI) + " " + args + " 2>/dev/null");
        }
        int status = 0;
        *err =
            TestFiles::Capture(std::string(MIXOREL_CLI) + " " + args + " 2>&1 >/dev/null", &status);
        return status;
    }
    void Write(const std::string& name, const std::string& text) {
        WriteAll(m_dir.File(name), std::vector<std::uint8_t>(text.begin(), text.end()));
    }
    std::string Read(const std::string& name) {
        const auto bytes = ReadAll(m_dir.File(name));
        return std::string(bytes.begin(), bytes.end());
    }
    std::string Python(const std::string& command, const std::string& script) {
        return TestFiles::Capture(std::string(MIXOREL_CLI) + " " + command +
                                  " | /usr/bin/python3 -c " + ShellQuote(script));
    }

    TempDir m_dir;
};

TEST_F(CliExchangeTest, M3uToPlaylist) {
    Write("list.m3u", "#EXTM3U\r\n#EXTINF:215,Artist - Song\r\nhttp://radio.example/live\r\n"
                      "music\\a.mp3\r\nmusic\\a.mp3\r\n# note\r\n\r\n/abs/b.mp3");
    ASSERT_EQ(Cli("playlist m3u " + ShellQuote(m_dir.File("list.m3u")) + " -o " +
                  ShellQuote(m_dir.File("out.qmx"))),
              0);
    EXPECT_EQ(Python("playlist dump " + ShellQuote(m_dir.File("out.qmx")),
                     "import json,sys\nd=json.load(sys.stdin)\n"
                     "print([(s['path'], s['title'], s['info']) for s in d['songs']])"),
              "[('http://radio.example/live', 'Artist - Song', 0), ('" + m_dir.File("music/a.mp3") +
                  "', 'Artist - Song', 0), ('" + m_dir.File("music/a.mp3") +
                  "', 'Artist - Song', 0), ('/abs/b.mp3', 'Artist - Song', 0)]\n");
}

TEST_F(CliExchangeTest, M3uFailures) {
    std::string err;
    EXPECT_EQ(Cli("playlist m3u " + ShellQuote(m_dir.File("none.m3u")) + " -o " +
                      ShellQuote(m_dir.File("out.qmx")),
                  &err),
              1);
    EXPECT_NE(err.find("none.m3u"), std::string::npos) << err;
    EXPECT_FALSE(std::filesystem::exists(m_dir.File("out.qmx")));
    Write("list.m3u", "/a.mp3\n");
    EXPECT_EQ(Cli("playlist m3u " + ShellQuote(m_dir.File("list.m3u")) + " -o " +
                      ShellQuote(m_dir.File("no/out.qmx")),
                  &err),
              1);
    EXPECT_NE(err.find("cannot be written"), std::string::npos) << err;
    EXPECT_EQ(Cli("playlist m3u " + ShellQuote(m_dir.File("list.m3u"))), 2);
}

// The page of an empty playlist, whole; its title is the playlist's file name.
TEST_F(CliExchangeTest, HtmlOfAnEmptyPlaylist) {
    Write("empty.m3u", "");
    ASSERT_EQ(Cli("playlist m3u " + ShellQuote(m_dir.File("empty.m3u")) + " -o " +
                  ShellQuote(m_dir.File("Party & co.qmx"))),
              0);
    // A fixed creation time in the C locale's form.
    setenv("SOURCE_DATE_EPOCH", "0", 1);
    setenv("LC_ALL", "C", 1);
    ASSERT_EQ(Cli("playlist html " + ShellQuote(m_dir.File("Party & co.qmx")) + " " +
                  ShellQuote(m_dir.File("list.html"))),
              0);
    unsetenv("SOURCE_DATE_EPOCH");
    unsetenv("LC_ALL");
    const std::string page = Read("list.html");
    const std::string font = "<font face=\"Arial, Helvetica, sans-serif\" size=\"-1\">";
    const std::string head = "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2//EN\">\n\n<HTML>\n"
                             "<HEAD>\n<META http-equiv=\"Content-Type\" content=\"text/html; "
                             "charset=utf-8\">\n<TITLE>Party &amp; co.qmx</TITLE>\n</HEAD>\n\n"
                             "<BODY BGCOLOR=\"white\" link=\"#CC0000\">\n"
                             "<TABLE WIDTH=630 align=\"center\">\n<TR><TD align=\"left\">\n" +
                             font + "<b>Playlist:</b> Party &amp; co.qmx</font><br>\n" + font +
                             "<b>Total playing time:</b> 00h 00m 00s</font><br>\n" + font +
                             "<b>Song count:</b> 0</font><p>\n";
    EXPECT_EQ(page.substr(0, head.size()), head);
    const std::string tail = "</TR>\n</TABLE>\n</TD></TR>\n</TABLE>\n<center><font face=\"Arial\" "
                             "size=\"-3\">Created by Mixorel - 01/01/70 00:00:00</font></center>\n"
                             "</BODY>\n</HTML>";
    EXPECT_TRUE(page.ends_with(tail)) << page;
}

TEST_F(CliExchangeTest, HtmlFailures) {
    std::string err;
    EXPECT_EQ(Cli("playlist html " + ShellQuote(m_dir.File("none.qmx")) + " " +
                      ShellQuote(m_dir.File("list.html")),
                  &err),
              1);
    EXPECT_NE(err.find("none.qmx"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(m_dir.File("list.html")));
    EXPECT_EQ(Cli("playlist html " + ShellQuote(m_dir.File("none.qmx"))), 2);
}

TEST_F(CliExchangeTest, AlbumDump) {
    Write("a.qma", std::string("\x05qmx-p\x02\0\0\0\x08/m/a.qmx\x0A/m/\"\xE9\".qmx", 30));
    EXPECT_EQ(Python("album dump " + ShellQuote(m_dir.File("a.qma")),
                     "import json,sys\nd=json.load(sys.stdin)\nprint(d['signature'], d['paths'])"),
              "qmx-p ['/m/a.qmx', '/m/\"é\".qmx']\n");
    Write("empty.qma", std::string("\x05qmx-p\0\0\0\0", 10));
    EXPECT_EQ(TestFiles::Capture(std::string(MIXOREL_CLI) + " album dump " +
                                 ShellQuote(m_dir.File("empty.qma"))),
              "{\"signature\": \"qmx-p\", \"paths\": []}\n");
}

TEST_F(CliExchangeTest, AlbumDumpRefusesWrongOrDamagedFiles) {
    Write("upper.qma", std::string("\x05QMX-P\0\0\0\0", 10));
    Write("short.qma", std::string("\x05qmx-p\x02\0\0\0\x08/m/a.qmx", 19));
    Write("playlist.qma", std::string("\x08qmx201-4\0\0\0\0", 13));
    for (const char* name : {"upper.qma", "short.qma", "playlist.qma", "none.qma"}) {
        std::string err;
        EXPECT_EQ(Cli("album dump " + ShellQuote(m_dir.File(name)), &err), 1) << name;
        EXPECT_NE(err.find(name), std::string::npos) << err;
    }
    EXPECT_EQ(Cli("album dump"), 2);
    EXPECT_EQ(Cli("album list x"), 2);
}

} // namespace

// The printed list, read back with pdftotext: the titles in list order, the title, the
// headings and the page number on every page, the stored column layout (a hidden column
// absent, a moved column in its new place), no page without rows, and no file for an
// empty list.
class CliPrintTest : public CliExchangeTest {
protected:
    void SetUp() override {
        CliExchangeTest::SetUp();
        if (!TestFiles::HaveTool("pdftotext") || !TestFiles::HaveTool("pdfinfo")) {
            GTEST_SKIP() << "poppler-utils is not installed";
        }
        // Date/time shown first and widened, Info hidden.
        std::filesystem::create_directories(m_dir.File("config/Mixorel"));
        Write("config/Mixorel/Mixorel.ini",
              "[playlistview]\ncol0=3\ncol1=0\ncol2=1\ncol3=2\nsize2=0\nsize3=120\n");
    }
    // A playlist of count songs titled "Track 0001" on.
    std::string MakeList(const std::string& name, int count) {
        std::string m3u = "#EXTM3U\n";
        for (int i = 1; i <= count; ++i) {
            char title[32];
            std::snprintf(title, sizeof title, "Track %04d", i);
            m3u += std::string("#EXTINF:60,") + title + "\n/music/" + title + ".mp3\n";
        }
        Write(name + ".m3u", m3u);
        const std::string list = m_dir.File(name + ".qmx");
        EXPECT_EQ(Cli("playlist m3u " + ShellQuote(m_dir.File(name + ".m3u")) + " -o " +
                      ShellQuote(list)),
                  0);
        return list;
    }
    std::string Print(const std::string& list, const std::string& extra = "") {
        const std::string pdf = list + ".pdf";
        EXPECT_EQ(Cli("playlist print " + ShellQuote(list) + " " + ShellQuote(pdf) + extra), 0);
        return pdf;
    }
    static int Pages(const std::string& pdf) {
        const std::string info = TestFiles::Capture("pdfinfo " + ShellQuote(pdf));
        const std::size_t at = info.find("Pages:");
        return at == std::string::npos ? -1 : std::atoi(info.c_str() + at + 6);
    }
    static std::string PageText(const std::string& pdf, int page) {
        const std::string n = std::to_string(page);
        return TestFiles::Capture("pdftotext -layout -f " + n + " -l " + n + " " + ShellQuote(pdf) +
                                  " -");
    }
    static std::vector<std::string> Titles(const std::string& text) {
        std::vector<std::string> titles;
        for (std::size_t at = text.find("Track "); at != std::string::npos;
             at = text.find("Track ", at + 1)) {
            titles.push_back(text.substr(at, 10));
        }
        return titles;
    }
};

TEST_F(CliPrintTest, PagesCarryTheListInOrderInTheStoredLayout) {
    const std::string pdf = Print(MakeList("long", 100));
    const int pages = Pages(pdf);
    ASSERT_GE(pages, 2);
    std::vector<std::string> all;
    int perPage = 0;
    for (int page = 1; page <= pages; ++page) {
        const std::string text = PageText(pdf, page);
        EXPECT_NE(text.find("long.qmx"), std::string::npos) << page;
        const std::size_t date = text.find("Date/time");
        const std::size_t song = text.find("Song");
        const std::size_t duration = text.find("Duration");
        ASSERT_NE(date, std::string::npos) << page;
        EXPECT_LT(date, song);
        EXPECT_LT(song, duration);
        EXPECT_EQ(text.find("Info"), std::string::npos) << "a hidden column takes no room";
        EXPECT_NE(text.find("\n" + std::to_string(page) + " "), std::string::npos) << text;
        const auto titles = Titles(text);
        perPage = std::max(perPage, static_cast<int>(titles.size()));
        all.insert(all.end(), titles.begin(), titles.end());
    }
    ASSERT_EQ(all.size(), 100u);
    for (int i = 0; i < 100; ++i) {
        char title[32];
        std::snprintf(title, sizeof title, "Track %04d", i + 1);
        EXPECT_EQ(all[static_cast<std::size_t>(i)], title);
    }
    EXPECT_EQ(pages, (100 + perPage - 1) / perPage);

    // Exactly one page's worth ends on that page; one more line starts a second page.
    EXPECT_EQ(Pages(Print(MakeList("full", perPage))), 1);
    EXPECT_EQ(Pages(Print(MakeList("over", perPage + 1))), 2);
}

TEST_F(CliPrintTest, PageSizeEmptyListAndBadArguments) {
    const std::string list = MakeList("short", 3);
    const std::string pdf = Print(list, " --page-size Letter");
    EXPECT_NE(TestFiles::Capture("pdfinfo " + ShellQuote(pdf)).find("(letter)"), std::string::npos);
    EXPECT_NE(TestFiles::Capture("pdfinfo " + ShellQuote(Print(list))).find("(A4)"),
              std::string::npos);

    const std::string empty = MakeList("empty", 0);
    std::string err;
    EXPECT_EQ(
        Cli("playlist print " + ShellQuote(empty) + " " + ShellQuote(m_dir.File("e.pdf")), &err),
        1);
    EXPECT_NE(err.find("empty"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(m_dir.File("e.pdf")));
    EXPECT_EQ(Cli("playlist print " + ShellQuote(list)), 2);
    EXPECT_EQ(Cli("playlist print " + ShellQuote(list) + " x.pdf --page-size A5"), 2);
}
