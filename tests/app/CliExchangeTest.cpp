#include "CliSupport.h"
#include "support/TempDir.h"

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
