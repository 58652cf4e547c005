#include "DocumentFakes.h"

#include "catalogue/CListFilter.h"
#include "catalogue/CMigrator.h"
#include "catalogue/CMixorel2001Doc.h"
#include "catalogue/IDocumentView.h"
#include "catalogue/IListCommandUi.h"
#include "catalogue/MusicFolder.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

// A window's table: it learns of new lines only by a redraw of the whole list.
class RedrawRecorder : public IDocumentView {
public:
    void RedrawLine(int line) override { m_bAll = m_bAll || line == -1; }
    void ScrollToLine(int /*line*/) override {}
    bool m_bAll = false;
};

class FakeListUi : public IListCommandUi {
public:
    CMixorel2001Doc* CreatePlaylist(const std::string& title) override {
        auto doc = std::make_unique<CMixorel2001Doc>();
        doc->SetTitle(title);
        doc->AddView(&m_view);
        m_docs.push_back(std::move(doc));
        return m_docs.back().get();
    }
    void ShowPlaylist(CMixorel2001Doc& doc) override { m_shown.push_back(&doc); }
    void ClosePlaylist(CMixorel2001Doc& doc) override { m_closed.push_back(&doc); }
    bool AskFilterPattern(const std::vector<std::string>& history, std::string& pattern) override {
        m_histories.push_back(history);
        return PopInto(m_patterns, pattern);
    }
    bool ChooseFolder(const std::string& title, std::string& folder) override {
        m_folderTitle = title;
        folder = m_folder;
        return !m_folder.empty();
    }
    std::unique_ptr<ICopyProgress> CreateCopyProgress(const std::string& title, int /*lower*/,
                                                      int upper) override {
        m_copy.m_title = title;
        m_copy.m_upper = upper;
        return std::make_unique<FakeCopyProgress>(m_copy);
    }
    AbortRetryIgnore AskAbortRetryIgnore(const std::string& text) override {
        m_errors.push_back(text);
        return Pop(m_choices, kIgnore);
    }

    RedrawRecorder m_view;
    std::vector<std::unique_ptr<CMixorel2001Doc>> m_docs;
    std::vector<CMixorel2001Doc*> m_shown;
    std::vector<CMixorel2001Doc*> m_closed;
    std::deque<std::string> m_patterns;
    std::vector<std::vector<std::string>> m_histories;
    std::string m_folder;
    std::string m_folderTitle;
    CopyLog m_copy;
    std::deque<AbortRetryIgnore> m_choices;
    std::vector<std::string> m_errors;
};

class ListCommandsTest : public ::testing::Test {
protected:
    ListCommandsTest() {
        CListFilter::ClearHistory();
        m_doc.SetTitle("party");
    }
    void Add(const std::string& path, const std::string& title, std::uint32_t size = 0,
             bool region = false) {
        CSong song = MakeSong(path, size, size != 0 ? 128000 : 0);
        song.SetTitle(title);
        song.SetRegion(region);
        Insert(m_doc, song);
    }

    TempDir m_dir;
    FakePrompt m_prompt;
    CMixorel2001Doc m_doc{&m_prompt};
    FakeListUi m_ui;
};

TEST_F(ListCommandsTest, FilterMakesANewPlaylistOfTheMatches) {
    Add("/m/1.mp3", "The Beatles - Let It Be", 5000000);
    Add("/m/2.mp3", "ABBA - Waterloo");
    Add("/m/3.mp3", "Beatles tribute");
    Add("/m/1.mp3", "The Beatles - Let It Be");
    m_ui.m_patterns = {"  beatles ", "*let?", "[A-C]*", "BEATLES", ""};
    EXPECT_TRUE(CListFilter::Filter(m_doc, m_ui, m_prompt));
    ASSERT_EQ(m_ui.m_docs.size(), 1u);
    CMixorel2001Doc& first = *m_ui.m_docs[0];
    EXPECT_EQ(first.GetTitle(), "beatles");
    EXPECT_EQ(Titles(first),
              (Texts{"The Beatles - Let It Be", "Beatles tribute", "The Beatles - Let It Be"}));
    EXPECT_FALSE(first.IsModified());
    EXPECT_TRUE(m_ui.m_view.m_bAll) << "the new list's window would show no rows";
    // Whole records with identities of their own.
    EXPECT_EQ(first.GetSongAt(0)->GetSize(), 5000000u);
    EXPECT_NE(first.GetSongAt(0)->GetId(), m_doc.GetSongAt(0)->GetId());
    EXPECT_EQ(first.GetTotalTime(), m_doc.GetTotalTime());
    EXPECT_EQ(m_ui.m_shown, std::vector<CMixorel2001Doc*>{&first});
    // *let? does not match: the title does not end one character after "let".
    EXPECT_FALSE(CListFilter::Filter(m_doc, m_ui, m_prompt));
    EXPECT_EQ(m_prompt.m_messages, Texts{CListFilter::kNoMatchText});
    EXPECT_EQ(m_ui.m_closed, std::vector<CMixorel2001Doc*>{m_ui.m_docs[1].get()});
    EXPECT_EQ(m_ui.m_docs[1]->GetTitle(), "let?");
    // Brackets: titles beginning with A, B or C.
    EXPECT_TRUE(CListFilter::Filter(m_doc, m_ui, m_prompt));
    EXPECT_EQ(Titles(*m_ui.m_docs[2]), (Texts{"ABBA - Waterloo", "Beatles tribute"}));
    // The same pattern in other letter case enters the history once.
    EXPECT_TRUE(CListFilter::Filter(m_doc, m_ui, m_prompt));
    EXPECT_EQ(m_ui.m_histories.back(), (Texts{"beatles", "*let?", "[A-C]*"}));
    // The empty pattern becomes two stars and copies every line.
    EXPECT_TRUE(CListFilter::Filter(m_doc, m_ui, m_prompt));
    EXPECT_EQ(m_ui.m_docs.back()->GetCount(), 4);
    EXPECT_EQ(CListFilter::GetHistory().back(), "");
    // Cancel: nothing; a malformed pattern copies nothing.
    EXPECT_FALSE(CListFilter::Filter(m_doc, m_ui, m_prompt));
    EXPECT_EQ(m_ui.m_docs.size(), 5u);
    EXPECT_EQ(CListFilter::FilterInto(m_doc, "[", first), 0u);
}

// Reprocessing clears the facts and queues the songs; the total drops to 0 for all lines
// (region lines have no file and stay as they are).
TEST_F(ListCommandsTest, Reprocess) {
    Add("/m/1.mp3", "One", 5000000);
    Add("", "Region", 0, true);
    Add("/m/2.mp3", "Two", 1000000);
    Add("/m/3.mp3", "Three", 2000000);
    // Two selected lines: only they.
    const std::uint32_t total = m_doc.GetTotalTime();
    const std::uint32_t first = m_doc.GetSongAt(0)->GetDuration();
    const std::uint32_t second = m_doc.GetSongAt(2)->GetDuration();
    EXPECT_TRUE(m_doc.Reprocess({m_doc.GetSongAt(0)->GetId(), m_doc.GetSongAt(2)->GetId()}));
    EXPECT_EQ(m_doc.GetTotalTime(), total - first - second);
    EXPECT_EQ(m_doc.GetProcessingQueue().size(), 2u);
    EXPECT_TRUE(m_doc.GetSongAt(3)->HasInfo());
    m_doc.SetModifiedFlag(false);
    const std::string two = m_doc.GetSongAt(2)->GetId();
    // One selected line counts as none: everything.
    EXPECT_TRUE(m_doc.Reprocess({two}));
    EXPECT_EQ(m_doc.GetTotalTime(), 0u);
    EXPECT_EQ(m_doc.GetProcessingQueue().size(), 3u);
    EXPECT_FALSE(m_doc.GetSongAt(3)->HasInfo());
    EXPECT_TRUE(m_doc.IsModified());
    EXPECT_EQ(m_doc.GetSongAt(1)->GetTitle(), "Region");
    // The processing step reads the (missing) files and the totals stay right.
    for (int n = 0; n < 3; ++n) {
        m_doc.ProcessNextQueued();
    }
    EXPECT_TRUE(m_doc.GetProcessingQueue().empty());
    EXPECT_FALSE(m_doc.ProcessNextQueued()) << "nothing left to process";
    EXPECT_EQ(m_doc.GetTotalTime(), 0u);
}

TEST_F(ListCommandsTest, SetSourceFolder) {
    Add("D:\\Music\\Rock\\a.mp3", "A", 5000000);
    Add("/m/b.mp3", "B", 1000000);
    Add("x d:\\c.mp3", "C");
    Add("E:\\d.mp3", "D");
    EXPECT_EQ(m_doc.SetSourceFolder("/home/me/Music/"), 2);
    EXPECT_EQ(Lines(m_doc),
              (Texts{"/home/me/Music/a.mp3", "/m/b.mp3", "/home/me/Music/c.mp3", "E:\\d.mp3"}));
    EXPECT_TRUE(m_doc.Contains("/home/me/Music/a.mp3"));
    EXPECT_FALSE(m_doc.Contains("D:\\Music\\Rock\\a.mp3"));
    EXPECT_EQ(m_doc.GetTotalTime(), 1000000u / 16000u);
    // Linux paths hold no drive letters: nothing to do.
    EXPECT_EQ(m_doc.SetSourceFolder("/x/"), 0);

    setenv("XDG_MUSIC_DIR", "/srv/music", 1);
    EXPECT_EQ(GetMusicFolder(), "/srv/music/");
    unsetenv("XDG_MUSIC_DIR");
    setenv("HOME", "/home/tester", 1);
    EXPECT_EQ(GetMusicFolder(), "/home/tester/Music/");
}

// Two lines whose files have the same name: the second copy replaces the first and both
// lines of the new playlist name the same file. A failed copy asks; ignore goes on.
TEST_F(ListCommandsTest, MigrateCopiesIntoOneFolder) {
    std::filesystem::create_directories(m_dir.File("a"));
    std::filesystem::create_directories(m_dir.File("b"));
    std::filesystem::create_directories(m_dir.File("dest"));
    WriteAll(m_dir.File("a/song.mp3"), {1, 1, 1});
    WriteAll(m_dir.File("b/song.mp3"), {2, 2});
    WriteAll(m_dir.File("b/other.mp3"), {3});
    Add(m_dir.File("a/song.mp3"), "First");
    Add(m_dir.File("missing.mp3"), "Missing");
    Add(m_dir.File("b/song.mp3"), "Second");
    Add("", "A region", 0, true);
    Add(m_dir.File("b/other.mp3"), "Other");
    m_ui.m_folder = m_dir.File("dest");
    EXPECT_TRUE(CMigrator::Migrate(m_doc, m_ui));
    EXPECT_EQ(m_ui.m_folderTitle, CMigrator::kChooseFolderTitle);
    ASSERT_EQ(m_ui.m_docs.size(), 1u);
    CMixorel2001Doc& made = *m_ui.m_docs[0];
    // The titles as their windows show them: both playlists are modified.
    EXPECT_EQ(made.GetTitle(), "Migrated from party * to " + m_dir.File("dest/") + " *");
    EXPECT_EQ(m_ui.m_copy.m_title, "Copying file -> " + m_dir.File("dest/"));
    EXPECT_EQ(m_ui.m_copy.m_upper, 5);
    EXPECT_EQ(m_ui.m_copy.m_positions, (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(Lines(made), (Texts{m_dir.File("dest/song.mp3"), m_dir.File("dest/song.mp3"),
                                  m_dir.File("dest/other.mp3")}));
    EXPECT_EQ(ReadAll(m_dir.File("dest/song.mp3")), (std::vector<std::uint8_t>{2, 2}));
    // The missing file and the region line failed and were ignored.
    ASSERT_EQ(m_ui.m_errors.size(), 2u);
    EXPECT_EQ(m_ui.m_errors[0], "Error: No such file or directory\rTried migrating '" +
                                    m_dir.File("missing.mp3") + "' to '" +
                                    m_dir.File("dest/missing.mp3") + "'");
    EXPECT_EQ(m_ui.m_shown, std::vector<CMixorel2001Doc*>{&made});
    EXPECT_EQ(m_ui.m_copy.m_destroyed, 1);
}

TEST_F(ListCommandsTest, MigrateAbortRetryAndCancel) {
    std::filesystem::create_directories(m_dir.File("dest"));
    WriteAll(m_dir.File("one.mp3"), {1});
    Add(m_dir.File("gone.mp3"), "Gone");
    Add(m_dir.File("one.mp3"), "One");
    m_ui.m_folder = m_dir.File("dest/");
    // Retry twice, then abort: nothing after the failed line.
    m_ui.m_choices = {IListCommandUi::kRetry, IListCommandUi::kRetry, IListCommandUi::kAbort};
    EXPECT_TRUE(CMigrator::Migrate(m_doc, m_ui));
    EXPECT_EQ(m_ui.m_errors.size(), 3u);
    EXPECT_EQ(m_ui.m_docs.back()->GetCount(), 0);
    // Cancel from the progress window after the first line.
    m_ui.m_copy = CopyLog();
    m_ui.m_copy.m_cancelAfter = 0;
    EXPECT_TRUE(CMigrator::Migrate(m_doc, m_ui));
    EXPECT_EQ(m_ui.m_copy.m_positions.size(), 1u);
    // The folder browser cancelled: no playlist.
    m_ui.m_folder.clear();
    EXPECT_FALSE(CMigrator::Migrate(m_doc, m_ui));
    EXPECT_EQ(m_ui.m_docs.size(), 2u);
}

} // namespace
