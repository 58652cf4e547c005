#include "DocumentFakes.h"

#include "catalogue/CMemorySongClipboard.h"
#include "catalogue/CMixorel2001Doc.h"
#include "catalogue/CPlayedSongs.h"
#include "catalogue/CPlaylistFile.h"
#include "catalogue/CSongClipboardData.h"
#include "settings/CMemorySettingsStore.h"
#include "settings/CSharedSettings.h"
#include "settings/SettingsKeys.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace {

// A host that owns the playlists it makes and records what it was asked.
class FakeHost : public IDocumentHost {
public:
    CMixorel2001Doc* CreateDocument(const std::string& title) override {
        m_created.push_back(std::make_unique<CMixorel2001Doc>());
        m_created.back()->SetTitle(title);
        return m_created.back().get();
    }
    void ShowDocument(CMixorel2001Doc& doc) override { m_shown.push_back(&doc); }
    bool HasActivePlayer() override { return m_bPlayer; }
    void PrepareActivePlayer(CMixorel2001Doc& /*doc*/) override { ++m_nPrepared; }
    void ReleaseActivePlayer(CMixorel2001Doc& /*doc*/) override { ++m_nReleased; }
    void ShowImportProgress(CMixorel2001Doc& /*doc*/) override { ++m_nImportShown; }

    std::vector<std::unique_ptr<CMixorel2001Doc>> m_created;
    std::vector<CMixorel2001Doc*> m_shown;
    bool m_bPlayer = true;
    int m_nPrepared = 0;
    int m_nReleased = 0;
    int m_nImportShown = 0;
};

// A loop driver that runs until it is asked to stop.
class FakeRunner : public ILoopRunner {
public:
    void RequestStop() override { m_bStopped = true; }
    bool WaitEnded(std::chrono::milliseconds /*timeout*/) override { return m_bStopped; }

private:
    bool m_bStopped = false;
};

class FakeLoopFactory : public ILoopRunnerFactory {
public:
    std::unique_ptr<ILoopRunner> StartDriver(CMixorel2001Doc& /*doc*/,
                                             std::uint32_t /*token*/) override {
        return std::make_unique<FakeRunner>();
    }
};

class DocumentCommandsTest : public ::testing::Test {
protected:
    DocumentCommandsTest() {
        for (CMixorel2001Doc* doc : {&m_doc, &m_other}) {
            doc->SetPrompt(&m_prompt);
            doc->SetHost(&m_host);
            doc->SetClipboard(&m_clipboard);
            doc->SetLoopFactory(&m_loops);
        }
        m_doc.AddView(&m_view);
        CPlayedSongs::Shared().Empty();
    }

    // Lines from a compact description: "R" a region, anything else a song path.
    std::vector<std::string> Load(CMixorel2001Doc& doc, const std::vector<std::string>& lines) {
        std::vector<std::string> ids;
        for (const std::string& line : lines) {
            ids.push_back(Insert(doc, line.starts_with("R") ? MakeRegion(line)
                                                            : MakeSong(line, 100000, 128000)));
        }
        doc.SetModifiedFlag(false);
        return ids;
    }

    void UseCloseRandomized(int value) {
        m_store.WriteProfileInt(SettingsKeys::kSectionList, SettingsKeys::kCloseRandomized, value);
        ASSERT_TRUE(m_settings.Reload());
        m_doc.SetSharedSettings(&m_settings);
    }

    FakePrompt m_prompt;
    FakeView m_view;
    FakeHost m_host;
    FakeLoopFactory m_loops;
    CMemorySongClipboard m_clipboard;
    CMemorySettingsStore m_store;
    CSharedSettings m_settings{m_store};
    CMixorel2001Doc m_doc;
    CMixorel2001Doc m_other;
};

TEST_F(DocumentCommandsTest, MovesAtTheEndsChangeNothingAndSwapsTakeTheMark) {
    const auto ids = Load(m_doc, {"a", "b", "c"});
    EXPECT_FALSE(m_doc.MoveUp(0));
    EXPECT_FALSE(m_doc.MoveDown(2));
    EXPECT_FALSE(m_doc.IsModified());
    EXPECT_EQ(Lines(m_doc), (Texts{"a", "b", "c"}));
    EXPECT_TRUE(m_doc.MoveUp(2));
    EXPECT_TRUE(m_doc.MoveDown(0));
    EXPECT_EQ(Lines(m_doc), (Texts{"c", "a", "b"}));
    EXPECT_TRUE(m_doc.IsModified());
    EXPECT_EQ(m_view.m_redrawn.back(), -1);
    // A swap takes the mark along; a line past the end swaps nothing.
    m_doc.MarkSong(0, 2);
    EXPECT_TRUE(m_doc.SwapLines(0, 1));
    EXPECT_EQ(m_doc.FindMark(2), 1);
    EXPECT_EQ(Lines(m_doc), (Texts{"a", "c", "b"}));
    EXPECT_EQ(m_doc.IndexOf(m_doc.FindById(ids[2])), 1);
    EXPECT_FALSE(m_doc.SwapLines(0, 3));
}

// The loop position names the next song: moving the next song above the playing one
// skips it, moving the playing song below the next one keeps the next song, and a region
// moving up takes the loop back.
TEST_F(DocumentCommandsTest, LoopPositionFollowsMovesOfTheLoopingLines) {
    const struct {
        Texts lines;
        int loop;
        bool up;
        int line;
        int after;
    } cases[] = {
        {{"a", "b", "c", "d"}, 2, true, 2, 3},  // c above the playing b
        {{"a", "b", "c", "d"}, 2, false, 1, 3}, // the line above the next one moves down
        {{"a", "b", "c", "d"}, 3, true, 3, 0},  // the last line: the position wraps
        {{"a", "b", "c", "d"}, 0, true, 3, 0},  // elsewhere: no change
        {{"a", "b", "R1", "c"}, 2, true, 2, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        CMixorel2001Doc doc;
        Load(doc, c.lines);
        doc.SetLoopPos(c.loop);
        EXPECT_TRUE(c.up ? doc.MoveUp(c.line) : doc.MoveDown(c.line));
        EXPECT_EQ(doc.GetLoopPos(), c.after);
        EXPECT_EQ(Lines(doc)[static_cast<std::size_t>(c.line + (c.up ? -1 : 1))],
                  c.lines[static_cast<std::size_t>(c.line)]);
    }
}

TEST_F(DocumentCommandsTest, MoveToTopAndBottomKeepPositionsOnTheirSongs) {
    const auto ids = Load(m_doc, {"a", "b", "R1", "c", "R2", "d"});
    m_doc.SetLoopPos(3);     // c
    m_doc.SetSchedulePos(1); // b
    EXPECT_TRUE(m_doc.MoveToTop(4));
    EXPECT_EQ(Lines(m_doc), (Texts{"R2", "a", "b", "R1", "c", "d"}));
    EXPECT_EQ(m_doc.GetLoopPos(), 4);
    EXPECT_EQ(m_doc.GetSchedulePos(), 2);
    EXPECT_EQ(m_doc.GetRegionList(), (Texts{ids[4], ids[2]}));
    EXPECT_TRUE(m_doc.MoveToBottom(4));
    EXPECT_EQ(Lines(m_doc), (Texts{"R2", "a", "b", "R1", "d", "c"}));
    EXPECT_EQ(m_doc.GetLoopPos(), 5);
    EXPECT_EQ(m_doc.GetSchedulePos(), 2);
    EXPECT_EQ(m_doc.IndexOf(m_doc.FindById(ids[3])), 5);
}

TEST_F(DocumentCommandsTest, EditSongLocationRenamesAndLeavesTheSongUnread) {
    Load(m_doc, {"/m/a.mp3", "/m/b.mp3"});
    const std::uint32_t before = m_doc.GetTotalTime();
    ASSERT_GT(before, 0u);
    const std::uint32_t lineTime = m_doc.GetSongAt(0)->GetDuration();
    m_prompt.m_songData.push_back({"New title", "/m/new.mp3"});
    ASSERT_TRUE(m_doc.EditSongLocation(0));
    const CSong* song = m_doc.GetSongAt(0);
    EXPECT_EQ((Texts{song->GetTitle(), song->GetPath(), std::to_string(song->GetBitrate())}),
              (Texts{"New title", "/m/new.mp3", "0"}));
    EXPECT_TRUE(song->HasInfo());
    EXPECT_TRUE(m_doc.GetProcessingQueue().empty());
    EXPECT_TRUE(m_doc.Contains("/m/new.mp3"));
    EXPECT_FALSE(m_doc.Contains("/m/a.mp3"));
    EXPECT_EQ(m_doc.GetTotalTime(), before - lineTime);

    m_doc.SetLocked(true, false);
    m_prompt.m_songData.push_back({"x", "/m/x.mp3"});
    EXPECT_FALSE(m_doc.EditSongLocation(1));
    EXPECT_EQ(m_prompt.m_messages.back(), CMixorel2001Doc::kLockedText);
}

TEST_F(DocumentCommandsTest, CloseRulesInTheirOrder) {
    Load(m_doc, {"a"});
    m_doc.SetModifiedFlag(true);
    m_doc.SetImportRunning(true);
    m_doc.SetScheduled(true);
    EXPECT_EQ(m_doc.SaveModified(false), CMixorel2001Doc::kCloseRefused);
    EXPECT_EQ(m_host.m_nImportShown, 1);
    m_doc.SetImportRunning(false);
    EXPECT_EQ(m_doc.SaveModified(true), CMixorel2001Doc::kCloseRefused);
    EXPECT_EQ(m_prompt.m_messages.back(), CMixorel2001Doc::kScheduleOnText);
    m_doc.SetScheduled(false);

    // Looping: one question, then no question about saving.
    ASSERT_TRUE(m_doc.StartLoop(1));
    m_prompt.m_answers = {IUserPrompt::kAnswerNo, IUserPrompt::kAnswerYes};
    EXPECT_EQ(m_doc.SaveModified(false), CMixorel2001Doc::kCloseRefused);
    EXPECT_TRUE(m_doc.IsLooping());
    EXPECT_EQ(m_doc.SaveModified(false), CMixorel2001Doc::kCloseWithoutAsking);
    EXPECT_FALSE(m_doc.IsLooping());
    EXPECT_EQ(m_prompt.m_questions, (Texts(2, CMixorel2001Doc::kCloseLoopingText)));

    // The Close command goes on to the framework's question after stopping the loop.
    ASSERT_TRUE(m_doc.StartLoop(1));
    m_prompt.m_answers = {IUserPrompt::kAnswerYes};
    EXPECT_EQ(m_doc.CloseCommand(false), CMixorel2001Doc::kCloseAskToSave);
    // Quick close asks nothing, even while looping.
    ASSERT_TRUE(m_doc.StartLoop(1));
    const std::size_t questions = m_prompt.m_questions.size();
    EXPECT_EQ(m_doc.SaveModified(true), CMixorel2001Doc::kCloseWithoutAsking);
    EXPECT_EQ(m_prompt.m_questions.size(), questions);
    m_doc.StopLoop();
    EXPECT_EQ(m_doc.SaveModified(false), CMixorel2001Doc::kCloseAskToSave);
    m_doc.SetModifiedFlag(false);
    EXPECT_EQ(m_doc.SaveModified(false), CMixorel2001Doc::kCloseWithoutAsking);
}

TEST_F(DocumentCommandsTest, QuickCloseAndLocking) {
    Load(m_doc, {"a"});
    m_doc.SetLocked(true, false);
    EXPECT_FALSE(m_doc.QuickClose());
    EXPECT_EQ(m_prompt.m_messages.back(), CMixorel2001Doc::kLockedText);
    m_doc.ApplyLock(false, true);
    EXPECT_FALSE(m_doc.IsLocked());
    EXPECT_FALSE(m_doc.IsPlayerCommandsDisabled());

    ASSERT_TRUE(m_doc.StartLoop(1));
    m_prompt.m_answers = {IUserPrompt::kAnswerNo, IUserPrompt::kAnswerYes};
    EXPECT_FALSE(m_doc.QuickClose());
    EXPECT_TRUE(m_doc.QuickClose());
    EXPECT_EQ(m_prompt.m_questions.back(), CMixorel2001Doc::kQuickCloseLoopingText);
    EXPECT_FALSE(m_doc.IsLooping());

    ASSERT_TRUE(m_doc.StartLoop(1));
    m_doc.ApplyLock(true, true);
    EXPECT_TRUE(m_doc.IsLocked());
    EXPECT_FALSE(m_doc.IsPlayerCommandsDisabled());
    EXPECT_EQ(m_prompt.m_messages.back(), CMixorel2001Doc::kLoopingCommandsText);
    m_doc.StopLoop();
    m_doc.ApplyLock(true, true);
    EXPECT_TRUE(m_doc.IsPlayerCommandsDisabled());
}

TEST_F(DocumentCommandsTest, CloseRandomizedChoosesInPlaceOrCopy) {
    std::vector<std::string> paths;
    for (int n = 0; n < 40; ++n) {
        paths.push_back("/m/" + std::to_string(n));
    }
    Load(m_doc, paths);
    m_doc.SetTitle("Party.qmx");

    UseCloseRandomized(3);
    ASSERT_TRUE(m_doc.Randomize());
    EXPECT_EQ(Lines(m_doc), paths);
    EXPECT_FALSE(m_doc.IsModified());
    ASSERT_EQ(m_host.m_created.size(), 1u);
    CMixorel2001Doc& copy = *m_host.m_created[0];
    EXPECT_EQ(copy.GetTitle(), "Rnd party *");
    EXPECT_TRUE(copy.IsModified());
    EXPECT_EQ(copy.GetCount(), 40);
    EXPECT_NE(Lines(copy), paths);
    EXPECT_EQ(m_host.m_shown, (std::vector<CMixorel2001Doc*>{&copy}));

    UseCloseRandomized(1);
    m_prompt.m_answers = {IUserPrompt::kAnswerNo};
    ASSERT_TRUE(m_doc.Randomize());
    EXPECT_EQ(m_prompt.m_questions.back(), CMixorel2001Doc::kKeepOriginalText);
    EXPECT_NE(Lines(m_doc), paths);
    EXPECT_TRUE(m_doc.IsModified());
    EXPECT_EQ(m_host.m_created.size(), 1u);

    UseCloseRandomized(7);
    const Texts before = Lines(m_doc);
    EXPECT_FALSE(m_doc.Randomize());
    EXPECT_EQ(Lines(m_doc), before);

    // The copy's title folds every letter and leaves out the modified mark.
    UseCloseRandomized(3);
    m_doc.SetTitle("ÄRGER.qmx");
    m_doc.SetModifiedFlag(false);
    m_doc.SetModifiedFlag(true);
    ASSERT_EQ(m_doc.GetTitle(), "ÄRGER *");
    ASSERT_TRUE(m_doc.Randomize());
    EXPECT_EQ(m_host.m_created.back()->GetTitle(), "Rnd ärger *");

    m_doc.SetLocked(true, false);
    UseCloseRandomized(2);
    EXPECT_FALSE(m_doc.Randomize());
    EXPECT_EQ(m_prompt.m_messages.back(), CMixorel2001Doc::kLockedText);
}

TEST_F(DocumentCommandsTest, ShufflingTheLoopingListAsksFirst) {
    Load(m_doc, {"R0", "a", "b", "c", "R1", "d", "e", "f", "g"});
    ASSERT_TRUE(m_doc.StartLoop(1));
    m_prompt.m_answers = {IUserPrompt::kAnswerNo};
    EXPECT_FALSE(m_doc.ShuffleInPlace(true));
    EXPECT_EQ(m_prompt.m_questions.back(), CMixorel2001Doc::kRandomizeLoopingText);
    m_prompt.m_answers = {IUserPrompt::kAnswerNo};
    EXPECT_FALSE(m_doc.SortCommand(0, true));
    EXPECT_EQ(m_prompt.m_questions.back(), CMixorel2001Doc::kSortLoopingText);

    // One region shuffled: the other section stays.
    const std::vector<std::string> regions = m_doc.GetRegionList();
    for (int attempt = 0; attempt < 20; ++attempt) {
        ASSERT_TRUE(m_doc.ShuffleRegion(regions[1], false));
        const Texts lines = Lines(m_doc);
        EXPECT_EQ(Texts(lines.begin(), lines.begin() + 5), (Texts{"R0", "a", "b", "c", "R1"}));
    }
    EXPECT_FALSE(m_doc.ShuffleRegion("no such id", false));
}

TEST_F(DocumentCommandsTest, CopyAndPasteIntoAnotherPlaylistKeepsOrderWithNewIdentities) {
    const auto ids = Load(m_doc, {"a", "b", "R1", "c"});
    Load(m_other, {"x", "y"});
    // An identity whose song was removed meanwhile is left out.
    ASSERT_TRUE(m_doc.CopySongs({ids[3], "gone", ids[0], ids[2]}, false, false));
    EXPECT_EQ(m_clipboard.GetFileList(), (Texts{"c", "a", m_doc.GetSongAt(2)->GetLocation()}));
    std::vector<std::string> pasted;
    IUserPrompt::DuplicateAnswer answer = IUserPrompt::kNone;
    ASSERT_TRUE(m_other.PasteSongs(0, &pasted, false, answer));
    EXPECT_EQ(Lines(m_other), (Texts{"x", "c", "a", "R1", "y"}));
    ASSERT_EQ(pasted.size(), 3u);
    for (int n = 0; n < 3; ++n) {
        EXPECT_EQ(m_other.GetSongAt(n + 1)->GetId(), pasted[static_cast<std::size_t>(n)]);
        EXPECT_EQ(m_doc.FindById(pasted[static_cast<std::size_t>(n)]), nullptr);
    }
    EXPECT_EQ(m_other.GetRegionList(), (Texts{pasted[2]}));
    EXPECT_TRUE(m_other.IsModified());
    EXPECT_EQ(Lines(m_doc), (Texts{"a", "b", "R1", "c"}));
}

TEST_F(DocumentCommandsTest, PasteIntoTheSamePlaylistAsksUntilYesToAll) {
    const auto ids = Load(m_doc, {"a", "b", "c", "d"});
    ASSERT_TRUE(m_doc.CopySongs(ids, false, false));
    m_prompt.m_duplicateAnswers = {IUserPrompt::kNo, IUserPrompt::kYesToAll};
    IUserPrompt::DuplicateAnswer answer = IUserPrompt::kNone;
    EXPECT_FALSE(m_doc.PasteSongs(-1, nullptr, false, answer));
    EXPECT_EQ(m_prompt.m_duplicateTitles, (Texts{"Title of a", "Title of b"}));
    EXPECT_EQ(m_prompt.m_duplicateTexts.back(), "Item already in the list, add it anyway?");
    EXPECT_EQ(Lines(m_doc), (Texts{"b", "c", "d", "a", "b", "c", "d"}));

    // A cancel stops the paste where it is.
    m_prompt.m_duplicateAnswers = {IUserPrompt::kYes, IUserPrompt::kCancel};
    answer = IUserPrompt::kNone;
    EXPECT_FALSE(m_doc.PasteSongs(CMixorel2001Doc::kAfterLast, nullptr, false, answer));
    EXPECT_EQ(m_doc.GetCount(), 8);
    EXPECT_EQ(Lines(m_doc).back(), "a");
}

TEST_F(DocumentCommandsTest, CutTwoLinesAndPasteAtTheHead) {
    const auto ids = Load(m_doc, {"a", "b", "c", "d"});
    m_doc.SetLoopPos(3);
    ASSERT_TRUE(m_doc.CopySongs({ids[1], ids[2]}, true, false));
    EXPECT_FALSE(m_clipboard.IsCut()); // file managers copy the files, never move them
    EXPECT_EQ(Lines(m_doc), (Texts{"a", "d"}));
    EXPECT_EQ(m_doc.GetLoopPos(), 1);
    IUserPrompt::DuplicateAnswer answer = IUserPrompt::kNone;
    std::vector<std::string> pasted;
    ASSERT_TRUE(m_doc.PasteSongs(-1, &pasted, false, answer));
    EXPECT_EQ(Lines(m_doc), (Texts{"b", "c", "a", "d"}));
    EXPECT_EQ(m_doc.GetLoopPos(), 3);
    EXPECT_TRUE(m_prompt.m_duplicateTitles.empty());
}

// "Play next" pastes after the line before the loop position: the pasted songs play next,
// in clipboard order, and then the song that was next before.
TEST_F(DocumentCommandsTest, SongsPastedAtTheLoopPositionPlayNext) {
    FakePlayerLink player;
    m_doc.SetPlayerLink(&player);
    Load(m_doc, {"a", "b", "c", "d"});
    const auto ids = Load(m_other, {"x", "y"});
    ASSERT_TRUE(m_other.CopySongs(ids, false, false));
    m_doc.SetLoopPos(2);
    IUserPrompt::DuplicateAnswer answer = IUserPrompt::kYesToAll;
    ASSERT_TRUE(m_doc.PasteSongs(m_doc.GetLoopPos() - 1, nullptr, false, answer));
    EXPECT_EQ(Lines(m_doc), (Texts{"a", "b", "x", "y", "c", "d"}));
    for (int n = 0; n < 3; ++n) {
        ASSERT_TRUE(m_doc.PlayNext(CMixorel2001Doc::kLoopMode));
    }
    EXPECT_EQ(player.m_started, (Texts{"x", "y", "c"}));

    // A paste above the loop position keeps the loop on its song.
    ASSERT_TRUE(m_doc.PasteSongs(0, nullptr, false, answer));
    EXPECT_EQ(m_doc.GetSongAt(m_doc.GetLoopPos())->GetPath(), "d");
}

// A song played by hand that cannot be played says so once; the loop says nothing per song.
TEST_F(DocumentCommandsTest, AFailedPlayIsToldOnceAndTheLoopStaysQuiet) {
    FakePlayerLink player;
    player.m_strUnplayable = "b";
    m_doc.SetPlayerLink(&player);
    Load(m_doc, {"a", "b", "c"});
    EXPECT_FALSE(m_doc.PlaySong(1, true, false));
    ASSERT_EQ(m_prompt.m_messages.size(), 1u);
    EXPECT_EQ(m_prompt.m_messages[0], std::string(CMixorel2001Doc::kCannotPlayText) + "b");
    m_doc.SetLoopPos(1);
    m_doc.PlayNext(CMixorel2001Doc::kLoopMode);
    EXPECT_EQ(player.m_started.back(), "b");
    EXPECT_EQ(m_prompt.m_messages.size(), 1u) << "the loop shows no message per song";
}

TEST_F(DocumentCommandsTest, ClipboardFailuresChangeNothing) {
    const auto ids = Load(m_doc, {"a", "b"});
    IUserPrompt::DuplicateAnswer answer = IUserPrompt::kNone;
    EXPECT_FALSE(m_doc.PasteSongs(0, nullptr, false, answer)); // empty clipboard
    EXPECT_FALSE(m_doc.CopySongs({"gone"}, true, false));
    EXPECT_EQ(m_doc.GetCount(), 2);
    m_clipboard.SetBusy(true);
    EXPECT_FALSE(m_doc.CopySongs({ids[0]}, true, false)); // a cut whose copy fails
    EXPECT_EQ(m_doc.GetCount(), 2);
    m_clipboard.SetBusy(false);

    // Damaged song data from another program.
    std::vector<std::uint8_t> data = CSongClipboardData::Build({m_doc.GetSongAt(0)});
    data.resize(data.size() - 3);
    m_clipboard.SetData(ISongClipboard::kSongFormat, data);
    EXPECT_FALSE(m_doc.PasteSongs(0, nullptr, false, answer));
    EXPECT_EQ(m_doc.GetCount(), 2);
    data = {0xFF, 0xFF, 0xFF, 0x7F};
    m_clipboard.SetData(ISongClipboard::kSongFormat, data);
    EXPECT_FALSE(m_doc.PasteSongs(0, nullptr, false, answer));

    m_doc.SetLocked(true, false);
    EXPECT_FALSE(m_doc.CopySongs({ids[0]}, true, false));
    EXPECT_EQ(m_prompt.m_messages.back(), CMixorel2001Doc::kLockedText);
    EXPECT_TRUE(m_doc.CopySongs({ids[0]}, false, false));
}

TEST_F(DocumentCommandsTest, DragDataIsRemovedAfterTheDrop) {
    const auto ids = Load(m_doc, {"a"});
    ASSERT_TRUE(m_doc.CopySongs(ids, false, true));
    std::vector<std::uint8_t> data;
    EXPECT_FALSE(m_clipboard.GetData(ISongClipboard::kSongFormat, data));
    IUserPrompt::DuplicateAnswer answer = IUserPrompt::kYesToAll;
    ASSERT_TRUE(m_other.PasteSongs(-1, nullptr, true, answer));
    EXPECT_FALSE(m_clipboard.GetData(ISongClipboard::kDragFormat, data));
    EXPECT_EQ(Lines(m_other), (Texts{"a"}));
}

TEST_F(DocumentCommandsTest, FilesForExplorerReplaceOrJoinTheClipboard) {
    const auto ids = Load(m_doc, {"/m/a.mp3", "/m/b.mp3"});
    ASSERT_TRUE(m_doc.CopySongs({ids[0]}, false, false));
    ASSERT_TRUE(m_doc.CopyFilesForExplorer({ids[1], ids[0]}, true));
    EXPECT_EQ(m_clipboard.GetFileList(), (Texts{"/m/b.mp3", "/m/a.mp3"}));
    std::vector<std::uint8_t> data;
    EXPECT_TRUE(m_clipboard.GetData(ISongClipboard::kSongFormat, data));
    ASSERT_TRUE(m_doc.CopyFilesForExplorer({ids[1]}, false));
    EXPECT_FALSE(m_clipboard.GetData(ISongClipboard::kSongFormat, data));
    EXPECT_FALSE(m_doc.CopyFilesForExplorer({"gone"}, false));
}

TEST_F(DocumentCommandsTest, PlayedSongsShowInPlayingOrderAndEmpty) {
    EXPECT_FALSE(CMixorel2001Doc::HasPlayed());
    const auto ids = Load(m_doc, {"a", "b"});
    ASSERT_TRUE(CMixorel2001Doc::AddPlayed(*m_doc.GetSongAt(1)));
    ASSERT_TRUE(CMixorel2001Doc::AddPlayed(*m_doc.GetSongAt(0)));
    ASSERT_TRUE(CMixorel2001Doc::AddPlayed(*m_doc.GetSongAt(1)));
    EXPECT_TRUE(CMixorel2001Doc::HasPlayed());
    CMixorel2001Doc* played = m_doc.ShowPlayed();
    ASSERT_NE(played, nullptr);
    EXPECT_EQ(played->GetTitle(), "Played music");
    EXPECT_FALSE(played->IsModified());
    EXPECT_EQ(Lines(*played), (Texts{"b", "a", "b"}));
    EXPECT_EQ(played->FindById(ids[1]), nullptr);

    m_prompt.m_answers = {IUserPrompt::kAnswerNo};
    EXPECT_FALSE(m_doc.EmptyPlayed(true));
    EXPECT_EQ(m_prompt.m_questions.back(), CMixorel2001Doc::kEmptyPlayedText);
    EXPECT_TRUE(CMixorel2001Doc::HasPlayed());
    EXPECT_TRUE(m_doc.EmptyPlayed(true));
    EXPECT_FALSE(CMixorel2001Doc::HasPlayed());
}

TEST_F(DocumentCommandsTest, NewOpenAndCloseRunTheWorkers) {
    m_host.m_bPlayer = false;
    EXPECT_FALSE(m_doc.OnNewDocument());
    m_host.m_bPlayer = true;
    Load(m_doc, {"a"});
    m_doc.SetModifiedFlag(true);
    ASSERT_TRUE(m_doc.OnNewDocument());
    EXPECT_EQ(m_doc.GetCount(), 0);
    EXPECT_FALSE(m_doc.IsModified());
    EXPECT_TRUE(m_doc.HasProcessThread());
    EXPECT_EQ(m_host.m_nPrepared, 1);
    ASSERT_TRUE(m_doc.StartLoop(1));
    m_doc.OnCloseDocument();
    EXPECT_FALSE(m_doc.HasProcessThread());
    EXPECT_FALSE(m_doc.IsLooping());
    EXPECT_EQ(m_host.m_nReleased, 1);

    TempDir dir;
    Load(m_other, {"/nowhere/a.mp3"});
    ASSERT_EQ(m_other.OnSaveDocument(dir.Path() + "/list.qmx"), CPlaylistFile::kOk);
    EXPECT_EQ(m_doc.OpenDocument(dir.Path() + "/list.qmx"), CPlaylistFile::kOk);
    EXPECT_TRUE(m_doc.HasProcessThread());
    EXPECT_EQ(m_doc.GetCount(), 1);
    EXPECT_EQ(m_doc.OpenDocument(dir.Path() + "/none.qmx"), CPlaylistFile::kCannotOpen);
    m_doc.OnCloseDocument();

    // No processing thread: the open fails before the file is read.
    m_doc.SetThreadLauncher([](std::function<void()>) -> std::thread {
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    });
    EXPECT_EQ(m_doc.OpenDocument(dir.Path() + "/list.qmx"), CMixorel2001Doc::kNoProcessThread);
    EXPECT_EQ(m_doc.GetCount(), 0);
    EXPECT_FALSE(m_doc.HasProcessThread());
}

TEST_F(DocumentCommandsTest, AddEditAndRemoveAllRegions) {
    Load(m_doc, {"a", "b", "c"});
    const CDateTime start = CDateTime::FromCalendar(2026, 12, 31, 21, 0, 0);
    std::string id;
    ASSERT_TRUE(m_doc.AddRegion(0, CMixorel2001Doc::MakeRegionHeader("Party", start, 1, 2), &id));
    EXPECT_EQ(Lines(m_doc), (Texts{"a", "Party", "b", "c"}));
    EXPECT_EQ(m_doc.GetRegionList(), (Texts{id}));
    EXPECT_EQ(m_doc.GetRegionStarts().front().first, 1);
    EXPECT_FALSE(m_doc.AddRegion(-1, CMixorel2001Doc::MakeRegionHeader(" ", start, 1, 2)));
    EXPECT_EQ(m_prompt.m_messages.back(), CMixorel2001Doc::kEmptyRegionNameText);
    ASSERT_TRUE(m_doc.AddRegion(-1, CMixorel2001Doc::MakeRegionHeader("Intro", start, 1, 2)));
    EXPECT_EQ(Lines(m_doc).front(), "Intro");

    ASSERT_TRUE(m_doc.EditRegion(id, "Late party", CDateTime::Null(), 3, 4));
    const CSong* header = m_doc.FindById(id);
    EXPECT_EQ(header->GetTitle(), "Late party");
    EXPECT_TRUE(header->GetStart().IsNull());
    EXPECT_EQ(header->GetBackColor(), 3u);
    EXPECT_EQ(header->GetTextColor(), 4u);

    m_prompt.m_answers = {IUserPrompt::kAnswerNo, IUserPrompt::kAnswerYes};
    EXPECT_FALSE(m_doc.RemoveAllRegions(true));
    EXPECT_EQ(m_prompt.m_questions.back(), CMixorel2001Doc::kRemoveAllRegionsText);
    EXPECT_TRUE(m_doc.RemoveAllRegions(true));
    EXPECT_EQ(Lines(m_doc), (Texts{"a", "b", "c"}));
    EXPECT_TRUE(m_doc.GetRegionList().empty());

    m_doc.SetLocked(true, false);
    EXPECT_FALSE(m_doc.AddRegion(0, CMixorel2001Doc::MakeRegionHeader("X", start, 1, 2)));
    EXPECT_EQ(m_prompt.m_messages.back(), CMixorel2001Doc::kLockedText);
}

TEST_F(DocumentCommandsTest, SaveClearsTheMarkFirstAndPutsItBackOnFailure) {
    TempDir dir;
    Load(m_doc, {"a"});
    m_doc.SetTitle("party.qmx");
    m_doc.SetModifiedFlag(true);
    m_doc.SetModifiedFlag(true); // the marker goes on once
    EXPECT_EQ(m_doc.GetTitle(), "party *");
    EXPECT_NE(m_doc.SaveCommand(dir.Path() + "/no/such/folder/party.qmx"), CPlaylistFile::kOk);
    EXPECT_TRUE(m_doc.IsModified());
    EXPECT_EQ(m_doc.GetTitle(), "party *");
    EXPECT_EQ(m_doc.SaveCommand(dir.Path() + "/party.qmx"), CPlaylistFile::kOk);
    EXPECT_FALSE(m_doc.IsModified());
    EXPECT_EQ(m_doc.GetTitle(), "party");
}

} // namespace
