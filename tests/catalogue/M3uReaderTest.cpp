#include "DocumentFakes.h"

#include "catalogue/CM3uReader.h"
#include "catalogue/CMixorel2001Doc.h"
#include "catalogue/IExchangeUi.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

Entries Parse(const std::string& text, bool utf8 = false, const std::string& folder = "/lists") {
    const std::vector<std::uint8_t> bytes(text.begin(), text.end());
    Entries entries;
    for (const auto& entry : CM3uReader::Parse(bytes, folder, utf8)) {
        entries.emplace_back(entry.m_strLocation, entry.m_strTitle);
    }
    return entries;
}

// The information line's text after the comma titles the stream that follows; the
// header line without a comma titles the lines before the first information line.
// Only CR and LF come off a line: a last line without a line end keeps its last
// character, and spaces inside and at the ends of a name stay.
TEST(M3uReaderTest, TitlesStreamsLineEndsBlankAndCommentLines) {
    EXPECT_EQ(Parse("/m/a.mp3\r\n\r\n   \n# a comment, not a title\n#EXTINF:1,T\r\n/m/b c.mp3 \r"
                    "/m/last.mp3"),
              (Entries{{"/m/a.mp3", ""}, {"/m/b c.mp3 ", "T"}, {"/m/last.mp3", "T"}}));
    EXPECT_EQ(Parse("#EXTM3U\n/m/first.mp3\n#EXTINF:215,Artist - Song\nhttp://radio.example/s\n"
                    "/m/after.mp3\n#EXTINF:-1,Secure, with comma\nhttps://x.example/a\n"
                    "HTTP://UPPER.example/b\n"),
              (Entries{{"/m/first.mp3", "#EXTM3U"},
                       {"http://radio.example/s", "Artist - Song"},
                       {"/m/after.mp3", "Artist - Song"},
                       {"https://x.example/a", "Secure, with comma"},
                       {"HTTP://UPPER.example/b", "Secure, with comma"}}));
    EXPECT_EQ(Parse(""), Entries{});
    EXPECT_EQ(Parse("\n\n#EXTM3U\n"), Entries{});
}

// Relative paths are resolved against the list's own folder, with "\" as "/".
TEST(M3uReaderTest, RelativePaths) {
    EXPECT_EQ(
        Parse("a.mp3\nsub\\b.mp3\n..\\up\\c.mp3\n./d.mp3\n/abs/./e.mp3\n", false, "/home/me/lists"),
        (Entries{{"/home/me/lists/a.mp3", ""},
                 {"/home/me/lists/sub/b.mp3", ""},
                 {"/home/me/up/c.mp3", ""},
                 {"/home/me/lists/d.mp3", ""},
                 {"/abs/e.mp3", ""}}));
    // A long line is one location, not several pieces.
    const std::string longName = "/" + std::string(2000, 'n') + ".mp3";
    EXPECT_EQ(Parse("#EXTINF:1,Long\n" + longName + "\n"), (Entries{{longName, "Long"}}));
    // A path longer than any the system takes skips its line.
    EXPECT_EQ(Parse(std::string(5000, 'x') + "\nok.mp3\n", false, "/l"),
              (Entries{{"/l/ok.mp3", ""}}));
}

// file: URIs of this machine are local paths, percent-decoded; other hosts, paths that
// are not absolute and decoded zero bytes or line ends skip their line.
TEST(M3uReaderTest, FileUris) {
    EXPECT_EQ(Parse("#EXTINF:1,T\nfile:///home/me/Music/a%20b%C3%A9.mp3\n"
                    "FILE://localhost/m/c.mp3\nfile:/m/./d%2.mp3\nfile:///m/100%25.mp3\n"
                    "file://server/share/e.mp3\nfile:relative.mp3\nfile:///m/bad%00.mp3\n"
                    "file:///m/two%0Alines.mp3\n",
                    true),
              (Entries{{"/home/me/Music/a b\xC3\xA9.mp3", "T"},
                       {"/m/c.mp3", "T"},
                       {"/m/d%2.mp3", "T"},
                       {"/m/100%.mp3", "T"}}));
}

// .m3u8 is UTF-8; a plain .m3u is UTF-8 when valid, else Windows-1252.
TEST(M3uReaderTest, Encodings) {
    EXPECT_EQ(Parse("#EXTINF:1,Caf\xC3\xA9\n/m/\xC3\xA9.mp3\n"),
              (Entries{{"/m/\xC3\xA9.mp3", "Caf\xC3\xA9"}}));
    EXPECT_EQ(Parse("#EXTINF:1,Caf\xE9 \x80\n/m/\xE9.mp3\n"),
              (Entries{{"/m/\xC3\xA9.mp3", "Caf\xC3\xA9 \xE2\x82\xAC"}}));
    EXPECT_EQ(Parse("\xEF\xBB\xBF#EXTINF:1,\xE5\xA4\x9C\n/m/a.mp3\n", true),
              (Entries{{"/m/a.mp3", "\xE5\xA4\x9C"}}));
    EXPECT_TRUE(CM3uReader::IsUtf8Name("/x/list.M3U8"));
    EXPECT_FALSE(CM3uReader::IsUtf8Name("/x/list.m3u"));
}

class M3uImportTest : public ::testing::Test {
protected:
    M3uImportTest() { m_doc.SetPrompt(&m_prompt); }
    void Write(const std::string& name, const std::string& text) {
        WriteAll(m_dir.File(name), std::vector<std::uint8_t>(text.begin(), text.end()));
    }

    TempDir m_dir;
    FakePrompt m_prompt;
    CMixorel2001Doc m_doc;
};

// The same file twice is appended twice without a question, after the lines already
// there; streams keep their titles and show no audio information.
TEST_F(M3uImportTest, AppendsEveryLineWithoutAsking) {
    Insert(m_doc, MakeSong(m_dir.File("song.mp3")), -1);
    Write("list.m3u", "#EXTM3U\n#EXTINF:215,Artist - Song\nhttp://radio.example/live\n"
                      "song.mp3\r\nsong.mp3\n");
    std::size_t count = 0;
    EXPECT_TRUE(CM3uReader::ReadM3u(m_doc, m_dir.File("list.m3u"), &m_prompt, &count));
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(Lines(m_doc), (Texts{m_dir.File("song.mp3"), "http://radio.example/live",
                                   m_dir.File("song.mp3"), m_dir.File("song.mp3")}));
    EXPECT_EQ(m_doc.GetSongAt(1)->GetTitle(), "Artist - Song");
    EXPECT_EQ(m_doc.GetSongAt(1)->GetFormatText() + m_doc.GetSongAt(1)->GetDurationText(), "");
    EXPECT_TRUE(m_prompt.m_duplicateTexts.empty());
    EXPECT_TRUE(m_prompt.m_messages.empty());
    // The imported lines wait for the processing thread.
    EXPECT_EQ(m_doc.GetProcessingQueue().size(), 4u);
}

// The command appends without asking about erasing the playlist; a missing file imports
// nothing and shows nothing.
TEST_F(M3uImportTest, CommandAppendsTheChosenList) {
    EXPECT_FALSE(CM3uReader::ReadM3u(m_doc, m_dir.File("none.m3u"), &m_prompt));
    EXPECT_FALSE(CM3uReader::ReadM3u(m_doc, m_dir.Path(), &m_prompt));
    EXPECT_TRUE(m_prompt.m_messages.empty());
    FakeExchangeUi ui;
    EXPECT_FALSE(CM3uReader::ImportM3u(m_doc, ui, m_prompt));
    Write("a.m3u8", "one.mp3\n");
    ui.m_choice = m_dir.File("a.m3u8");
    EXPECT_TRUE(CM3uReader::ImportM3u(m_doc, ui, m_prompt));
    EXPECT_TRUE(CM3uReader::ImportM3u(m_doc, ui, m_prompt));
    EXPECT_EQ(m_doc.GetCount(), 2);
    EXPECT_TRUE(m_prompt.m_questions.empty());
}

} // namespace
