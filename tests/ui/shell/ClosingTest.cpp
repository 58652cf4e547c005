#include "ShellFixture.h"

#include "ui/shell/CAlbumCloser.h"

#include <QMdiArea>
#include <filesystem>

namespace {

enum Action { kCloseProgram, kCloseAlbum, kQuickClose };

constexpr auto kYes = IUserPrompt::kAnswerYes;
constexpr auto kNo = IUserPrompt::kAnswerNo;
constexpr auto kCancel = IUserPrompt::kAnswerCancel;
// Answers by question; "save" stands for the playlist's own save question.
using AnswerMap = std::map<std::string, IUserPrompt::Answer>;

struct CloseCase {
    const char* name;
    int autosave;
    bool namedAlbum;
    Action action;
    AnswerMap answers;
    bool looping = false;
    bool unwritable = false;    // the playlist's folder is gone
    bool closes = true;         // the program closed, or Close Album went on
    int emptyLastProject = 0;   // preset 0
    std::size_t savedSongs = 3; // songs in the playlist file afterwards (2 before)
    std::size_t stillOpen = 0;  // playlists open afterwards
    bool defaultAlbumWritten = false;
};

class ClosingTest : public ShellTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(ClosingTest, SavesAndClosesAsTheSettingsAndAnswersSay) {
    const CloseCase& c = GetParam();
    m_pStore->WriteProfileInt("global", "autosaveonexit", c.autosave);
    m_pStore->WriteProfileInt("global", "emptylastproject", 0);
    m_pStore->WriteProfileInt("global", "newfileatstart", 0);
    std::filesystem::create_directory(m_dir.File("lists"));
    const std::string playlist = MakePlaylist("lists/party");
    Start({QString::fromStdString(playlist)});
    const std::string album = MakeAlbum("evening", {playlist});
    if (c.namedAlbum) {
        Frame().GetAlbums().SetAlbumPath(album);
        m_prompt.savePaths.push_back(album);
    }
    for (const auto& [question, answer] : c.answers) {
        m_prompt.answers[question == "save" ? "Save changes to " + playlist + "?" : question] =
            answer;
    }
    CMixorel2001Doc& doc = Frame().GetPlaylists().front()->GetDoc();
    AppendSong(doc, "/music/new.mp3");
    EndlessLoop loop;
    if (c.looping) {
        doc.SetLoopFactory(&loop);
        ASSERT_TRUE(doc.StartLoop(1));
    }
    if (c.unwritable) {
        std::filesystem::remove_all(m_dir.File("lists"));
    }
    bool closed = false;
    if (c.action == kCloseAlbum) {
        closed = Frame().CloseAlbumRoutine(true);
    } else if (c.action == kQuickClose) {
        Frame().QuickClose();
        QApplication::processEvents();
        closed = !Frame().isVisible();
    } else {
        closed = Frame().close();
    }
    EXPECT_EQ(closed, c.closes);
    EXPECT_EQ(GlobalInt("emptylastproject", -1), c.emptyLastProject);
    EXPECT_EQ(Frame().GetPlaylists().size(), c.stillOpen);
    EXPECT_EQ(std::filesystem::exists(CAlbumFile::DefaultPath()), c.defaultAlbumWritten);
    if (!c.unwritable) {
        CPlaylistContent content;
        ASSERT_EQ(CPlaylistFile::Read(playlist, content), CPlaylistFile::kOk);
        EXPECT_EQ(content.m_songs.size(), c.savedSongs);
    }
    if (c.looping) {
        doc.StopLoop();
    }
}

// Columns: autosave, named album, action, answers, looping, unwritable; closes,
// "emptylastproject", songs saved, playlists still open, default album written.
INSTANTIATE_TEST_SUITE_P(
    Cases, ClosingTest,
    ::testing::Values(
        CloseCase{"UnnamedAlbumSavedAsDefault", 0, false, kCloseProgram, AnswerMap{{"save", kYes}},
                  false, false, true, 1, 3, 0, true},
        CloseCase{"UnnamedAlbumPlaylistNotSaved", 0, false, kCloseProgram, AnswerMap{{"save", kNo}},
                  false, false, true, 1, 2, 0, true},
        CloseCase{"NamedAlbumSavedOnYes", 0, true, kCloseProgram,
                  AnswerMap{{"save", kYes}, {CAlbumCloser::kAlbumModifiedQuestion, kYes}}},
        CloseCase{"NamedAlbumCancelKeepsOpen", 0, true, kCloseProgram, AnswerMap{{"save", kCancel}},
                  false, false, false, 0, 2, 1},
        CloseCase{"AutosaveSavesWithoutAsking", 1, true, kCloseProgram, {}},
        CloseCase{
            "AutosaveUnnamedAlbum", 1, false, kCloseProgram, {}, false, false, true, 0, 3, 0, true},
        CloseCase{"FailedSaveKeepsOpen", 1, true, kCloseProgram, {}, false, true, false, 0, 0, 1},
        CloseCase{"NoToCloseAllKeepsPlaylists", 0, true, kCloseAlbum,
                  AnswerMap{{CAlbumCloser::kCloseAllQuestion, kNo}}, false, false, true, 0, 2, 1},
        CloseCase{"CancelToCloseAll", 0, true, kCloseAlbum,
                  AnswerMap{{CAlbumCloser::kCloseAllQuestion, kCancel}}, false, false, false, 0, 2,
                  1},
        CloseCase{"LoopingListRefuses", 0, false, kCloseProgram,
                  AnswerMap{{CMixorel2001Doc::kCloseLoopingText, kNo}}, true, false, false, 1, 2, 1,
                  true},
        CloseCase{"QuickCloseStillAsksToSave", 0, false, kQuickClose, AnswerMap{{"save", kYes}}}),
    [](const auto& param) { return std::string(param.param.name); });

struct NewPlaylistCase {
    const char* name;
    IUserPrompt::Answer answer;
    bool closes;
    bool written; // the chosen file holds the new playlist
};

class AutosaveNewPlaylistTest : public ShellTest,
                                public ::testing::WithParamInterface<NewPlaylistCase> {};

// Automatic saving on exit covers named playlists; a new one is asked about.
TEST_P(AutosaveNewPlaylistTest, NewPlaylistIsAskedAbout) {
    const NewPlaylistCase& c = GetParam();
    m_pStore->WriteProfileInt("global", "autosaveonexit", 1);
    m_pStore->WriteProfileInt("global", "newfileatstart", 0);
    const std::string named = MakePlaylist("named");
    Start({QString::fromStdString(named)});
    COpenPlaylist* fresh = Frame().NewPlaylist();
    ASSERT_NE(fresh, nullptr);
    AppendSong(Frame().GetPlaylists().front()->GetDoc(), "/music/named-new.mp3");
    AppendSong(fresh->GetDoc(), "/music/fresh.mp3");
    const std::string chosen = m_dir.File("fresh.qmx");
    m_prompt.savePaths.push_back(chosen);
    m_prompt.answers["Save changes to Mixorel1?"] = c.answer;
    EXPECT_EQ(Frame().close(), c.closes);
    EXPECT_TRUE(m_prompt.WasAsked("Save changes to Mixorel1?"));
    EXPECT_FALSE(m_prompt.WasAsked("Save changes to " + named + "?"));
    EXPECT_EQ(std::filesystem::exists(chosen), c.written);
    if (!c.closes) {
        EXPECT_TRUE(fresh->IsModified());
    }
    CPlaylistContent content;
    ASSERT_EQ(CPlaylistFile::Read(named, content), CPlaylistFile::kOk);
    EXPECT_EQ(content.m_songs.back().GetPath(), "/music/named-new.mp3");
}

INSTANTIATE_TEST_SUITE_P(Cases, AutosaveNewPlaylistTest,
                         ::testing::Values(NewPlaylistCase{"Yes", kYes, true, true},
                                           NewPlaylistCase{"No", kNo, true, false},
                                           NewPlaylistCase{"Cancel", kCancel, false, false}),
                         [](const auto& param) { return std::string(param.param.name); });

// Moving between the album's windows does not change it, so nothing is asked; opening
// another playlist does, and Yes writes the album under its own name, with no dialog.
TEST_F(ShellTest, NamedAlbumAskedOnlyWhenItsPlaylistsChanged) {
    m_pStore->WriteProfileInt("global", "newfileatstart", 0);
    const std::string first = MakePlaylist("first");
    const std::string second = MakePlaylist("second");
    const std::string album = MakeAlbum("evening", {first, second});
    Start({QString::fromStdString(album)});
    ASSERT_EQ(Frame().GetPlaylists().size(), 2U);
    auto* area = Frame().findChild<QMdiArea*>();
    ASSERT_NE(area, nullptr);
    for (COpenPlaylist* playlist : Frame().GetPlaylists()) {
        area->setActiveSubWindow(Frame().FindFrame(*playlist));
    }
    m_prompt.answers[CAlbumCloser::kAlbumModifiedQuestion] = kYes;
    m_prompt.answers[CAlbumCloser::kCloseAllQuestion] = kNo; // the windows stay
    ASSERT_TRUE(Frame().CloseAlbumRoutine(true));
    EXPECT_FALSE(m_prompt.WasAsked(CAlbumCloser::kAlbumModifiedQuestion));

    Frame().GetAlbums().SetAlbumPath(album);
    const std::string third = MakePlaylist("third");
    ASSERT_TRUE(Frame().OpenFile(third));
    m_prompt.answers[CAlbumCloser::kCloseAllQuestion] = kYes;
    ASSERT_TRUE(Frame().CloseAlbumRoutine(true));
    EXPECT_TRUE(m_prompt.WasAsked(CAlbumCloser::kAlbumModifiedQuestion));
    EXPECT_EQ(AlbumPaths(album), (std::vector<std::string>{first, second, third}));
}

TEST_F(ShellTest, TerminationKeepsEveryChange) {
    const std::string named = MakePlaylist("named");
    Start({QString::fromStdString(named)});
    COpenPlaylist* unnamed = Frame().NewPlaylist();
    ASSERT_NE(unnamed, nullptr);
    for (COpenPlaylist* playlist : Frame().GetPlaylists()) {
        AppendSong(playlist->GetDoc(), "/music/kept.mp3");
    }
    m_prompt.asked.clear();
    WriteAll(m_dir.File("recovered-1.qmx"), {1}); // not overwritten
    Frame().KeepWorkAndClose();
    EXPECT_FALSE(Frame().isVisible());
    EXPECT_TRUE(m_prompt.asked.empty());
    for (const std::string& path : {named, m_dir.File("recovered-2.qmx")}) {
        CPlaylistContent content;
        ASSERT_EQ(CPlaylistFile::Read(path, content), CPlaylistFile::kOk) << path;
        EXPECT_EQ(content.m_songs.back().GetPath(), "/music/kept.mp3");
    }
}

struct ShutdownCase {
    const char* name;
    int askShutdownPc;
    IUserPrompt::Answer answer;
    int powerOffs;
};

class ShutdownTest : public ShellTest, public ::testing::WithParamInterface<ShutdownCase> {};

TEST_P(ShutdownTest, EndOfLoopPowersOffAsAnswered) {
    const ShutdownCase& c = GetParam();
    m_pStore->WriteProfileInt("misc", "askshutdownpc", c.askShutdownPc);
    Start();
    m_prompt.answers[CMainFrame::kShutdownQuestion] = c.answer;
    Frame().RequestShutdown();
    QApplication::processEvents();
    EXPECT_EQ(m_prompt.WasAsked(CMainFrame::kShutdownQuestion), c.askShutdownPc == 1);
    EXPECT_EQ(m_powerOff.m_nCalls, c.powerOffs);
}

INSTANTIATE_TEST_SUITE_P(Cases, ShutdownTest,
                         ::testing::Values(ShutdownCase{"AskedYes", 1, kYes, 1},
                                           ShutdownCase{"AskedNo", 1, kNo, 0},
                                           ShutdownCase{"NotAsked", 0, kNo, 1}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST_F(ShellTest, TrayExitAsksFirst) {
    Start();
    Frame().ExitFromTray();
    QApplication::processEvents();
    EXPECT_TRUE(m_prompt.WasAsked(CMainFrame::kQuitQuestion));
    EXPECT_FALSE(Frame().isVisible()); // No: back to the tray
    m_prompt.answers[CMainFrame::kQuitQuestion] = kYes;
    m_prompt.answers["Save changes to Mixorel1?"] = kNo;
    Frame().ExitFromTray();
    QApplication::processEvents();
    EXPECT_FALSE(Frame().isVisible());
    EXPECT_TRUE(Frame().GetPlaylists().empty());
}

} // namespace
