#include "DocumentFakes.h"

#include "catalogue/CAlbumFile.h"
#include "catalogue/CAlbumManager.h"
#include "catalogue/CMixorel2001Doc.h"
#include "catalogue/CMusicImporter.h"
#include "catalogue/CPlaylistFile.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Records what the progress window was shown and cancels once it has been asked
// m_cancelAfter times (never with -1).
struct ProgressLog {
    int m_created = 0;
    int m_destroyed = 0;
    std::vector<std::string> m_titles;
    std::vector<std::string> m_folders;
    int m_checks = 0;
    int m_cancelAfter = -1;
    int m_raised = 0;
    // Runs at the first folder shown, from inside the scan (as a click would).
    std::function<void()> m_onFirstFolder;
};

class FakeProgress : public IImportProgress {
public:
    explicit FakeProgress(ProgressLog& log) : m_log(log) { ++m_log.m_created; }
    ~FakeProgress() override { ++m_log.m_destroyed; }
    void SetFolder(const std::string& folder) override {
        m_log.m_folders.push_back(folder);
        if (m_log.m_onFirstFolder) {
            auto action = std::move(m_log.m_onFirstFolder);
            m_log.m_onFirstFolder = nullptr;
            action();
        }
    }
    bool IsCancelled() override {
        ++m_log.m_checks;
        return m_log.m_cancelAfter >= 0 && m_log.m_checks > m_log.m_cancelAfter;
    }
    void BringToFront() override { ++m_log.m_raised; }

private:
    ProgressLog& m_log;
};

class FakeImportUi : public IImportUi {
public:
    std::unique_ptr<IImportProgress> CreateProgress(const std::string& title) override {
        m_log.m_titles.push_back(title);
        return std::make_unique<FakeProgress>(m_log);
    }
    bool ChooseFolder(const std::string& title, const std::string& start,
                      std::string& folder) override {
        m_browserStarts.push_back(start);
        EXPECT_EQ(title, CMusicImporter::kChooseFolderTitle);
        return PopInto(m_folders, folder);
    }
    bool ChooseFiles(std::vector<std::string>& paths) override {
        paths = m_files;
        return !m_files.empty();
    }
    LocationsMode ChooseLocations(CLocationList& /*locations*/, std::vector<int>& selected,
                                  int& subfolders) override {
        selected = m_selected;
        subfolders = m_subfolders;
        return m_mode;
    }

    ProgressLog m_log;
    std::deque<std::string> m_folders;
    std::vector<std::string> m_browserStarts;
    std::vector<std::string> m_files;
    std::vector<int> m_selected;
    int m_subfolders = 1;
    LocationsMode m_mode = kLocationsCancel;
};

class MusicImporterTest : public ::testing::Test {
protected:
    MusicImporterTest() {
        m_doc.SetTitle("party");
        for (const char* name : {"a.mp3", "b.MP3", ".hidden.mp3", "notes.txt", "cover.jpg",
                                 "sub/c.wav", "sub/deep/d.mp2"}) {
            Touch(std::string("music/") + name);
        }
    }
    void Touch(const std::string& name) {
        fs::create_directories(fs::path(m_dir.File(name)).parent_path());
        WriteAll(m_dir.File(name), {1, 2, 3});
    }
    std::string Music(const std::string& sub = "") const { return m_dir.File("music/") + sub; }
    std::string Loc(const std::string& name) const { return m_dir.File("loc/" + name + "/"); }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (int i = 0; i < m_doc.GetCount(); ++i) {
            names.push_back(m_doc.GetSongAt(i)->GetFileName(false));
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    TempDir m_dir;
    FakePrompt m_prompt;
    CMixorel2001Doc m_doc{&m_prompt};
    FakeImportUi m_ui;
    CLocationList m_locations;
    CMusicImporter m_importer{m_doc, m_prompt, m_ui, m_locations};
};

// Every entry is taken, hidden ones included; only listed extensions, in any letter case.
// Links back up the tree and broken links: the scan goes on and reports its count.
TEST_F(MusicImporterTest, FolderWithSubfolders) {
    fs::create_directory_symlink(Music(), Music("sub/loop"));
    fs::create_directory_symlink(Music("sub"), Music("sub/deep/back"));
    fs::create_symlink(Music("gone.mp3"), Music("broken.mp3"));
    fs::create_symlink(Music("sub/c.wav"), Music("linked.wav"));
    for (const char* name :
         {"sub/deep/e.flac", "sub/f.Opus", "sub/g.m4a", "sub/h.ogg", "sub/i.oga", "sub/j.aiff"}) {
        Touch(std::string("music/") + name);
    }
    m_ui.m_folders.push_back(m_dir.File("music"));
    EXPECT_TRUE(m_importer.OnImportFolderWithSubfolders());
    // The default list takes FLAC, Ogg, Opus and M4A beside MP3 (not AIFF).
    EXPECT_EQ(Names(), (Texts{".hidden.mp3", "a.mp3", "b.MP3", "broken.mp3", "c.wav", "d.mp2",
                              "e.flac", "f.Opus", "g.m4a", "h.ogg", "i.oga", "linked.wav"}));
    // The title is the file name (in title case) until the processing thread reads the tags.
    EXPECT_EQ(std::ranges::count(Titles(m_doc), "A.mp3"), 1);
    // An empty playlist is not asked about erasing.
    EXPECT_TRUE(m_prompt.m_questions.empty());
    EXPECT_EQ(m_prompt.m_messages, Texts{"12 file(s) imported in 0 second(s)"});
    EXPECT_EQ(std::tuple(m_importer.GetLastImportFolder(), m_importer.IsLastImportKnown(),
                         m_importer.IsLastImportRecursive()),
              std::tuple(Music(), true, true));
    EXPECT_EQ(m_locations.GetFolders(), Texts{Music()});
    // One progress window for the whole scan, showing each folder.
    EXPECT_EQ(m_ui.m_log.m_titles, Texts{"Importing music files to party"});
    EXPECT_EQ(m_ui.m_log.m_folders.front(), Music() + " ...");
    EXPECT_EQ(std::pair(m_ui.m_log.m_destroyed, m_ui.m_log.m_folders.size()), std::pair(1, 5ul));
    EXPECT_EQ(std::tuple(CMusicImporter::IsImportRunning(), m_doc.IsModified(),
                         m_doc.GetProcessingQueue().size()),
              std::tuple(false, true, 12u));
    // A folder that is gone by the time of the scan imports nothing.
    long count = 0;
    IUserPrompt::DuplicateAnswer answer = IUserPrompt::kNone;
    EXPECT_EQ(m_importer.ScanFolder(m_dir.File("gone/"), true, answer, count),
              CMusicImporter::kScanFinished);
    EXPECT_EQ(count, 0);
}

TEST_F(MusicImporterTest, SingleFolderAndRepeat) {
    m_ui.m_folders.push_back(Music());
    EXPECT_FALSE(m_importer.OnRepeatLastImport());
    EXPECT_TRUE(m_importer.OnImportSingleFolder());
    EXPECT_EQ(Names(), (Texts{".hidden.mp3", "a.mp3", "b.MP3"}));
    EXPECT_FALSE(m_importer.IsLastImportRecursive());
    // Repeating uses the remembered folder without the browser; erase answered yes.
    m_prompt.m_answers.push_back(IUserPrompt::kAnswerYes);
    EXPECT_TRUE(m_importer.OnRepeatLastImport());
    EXPECT_EQ(m_ui.m_browserStarts.size(), 1u);
    EXPECT_EQ(m_prompt.m_questions, Texts{CMusicImporter::kEraseQuestion});
    EXPECT_EQ(m_doc.GetCount(), 3);
    // The browser starts at the last folder.
    EXPECT_FALSE(m_importer.OnImportSingleFolder());
    EXPECT_EQ(m_ui.m_browserStarts.back(), Music());
}

// Imports of a folder already imported: "&No" ends the import after zero files and the
// count is still reported; "N&o to all" skips the duplicates silently and goes on; "Yes
// to &all" adds them all; "Cancel" ends the import.
TEST_F(MusicImporterTest, DuplicateAnswersForTheRestOfTheRun) {
    m_ui.m_folders = {Music(), Music(), Music(), Music(), Music()};
    ASSERT_TRUE(m_importer.OnImportFolderWithSubfolders());
    m_prompt.m_answers.assign(4, IUserPrompt::kAnswerNo); // keep the old lines
    m_prompt.m_duplicateAnswers = {IUserPrompt::kNo, IUserPrompt::kNoToAll, IUserPrompt::kYesToAll,
                                   IUserPrompt::kCancel};
    EXPECT_TRUE(m_importer.OnImportFolderWithSubfolders());
    EXPECT_EQ(m_prompt.m_duplicateTexts.size(), 1u);
    EXPECT_EQ(m_prompt.m_messages.back(), "0 file(s) imported in 0 second(s)");
    EXPECT_EQ(m_doc.GetCount(), 5);
    // The stopped scan closed its window and cleared the running flag.
    EXPECT_EQ(m_ui.m_log.m_created, m_ui.m_log.m_destroyed);
    EXPECT_FALSE(CMusicImporter::IsImportRunning());
    Touch("music/new.mp3");
    EXPECT_TRUE(m_importer.OnImportSingleFolder());
    EXPECT_EQ(m_prompt.m_duplicateTexts.size(), 2u);
    EXPECT_EQ(m_doc.GetCount(), 6);
    EXPECT_EQ(m_prompt.m_messages.back(), "1 file(s) imported in 0 second(s)");
    EXPECT_TRUE(m_importer.OnImportSingleFolder());
    EXPECT_EQ(m_prompt.m_duplicateTexts.size(), 3u);
    EXPECT_EQ(m_doc.GetCount(), 10);
    EXPECT_TRUE(m_importer.OnImportSingleFolder());
    EXPECT_EQ(m_prompt.m_duplicateTexts.size(), 4u);
    EXPECT_EQ(m_doc.GetCount(), 10);
}

TEST_F(MusicImporterTest, EraseQuestionAndBadChoices) {
    m_ui.m_folders = {Music(), Music(), Music(), m_dir.File("music/a.mp3"), m_dir.File("none")};
    ASSERT_TRUE(m_importer.OnImportSingleFolder());
    // Yes on a locked playlist: the lock message, and no import at all.
    m_doc.SetLocked(true, false);
    m_prompt.m_answers.push_back(IUserPrompt::kAnswerYes);
    const std::size_t before = m_prompt.m_messages.size();
    EXPECT_FALSE(m_importer.OnImportSingleFolder());
    EXPECT_EQ(m_prompt.m_messages.size(), before + 1);
    EXPECT_EQ(m_prompt.m_messages.back(), CMixorel2001Doc::kLockedText);
    EXPECT_EQ(m_doc.GetCount(), 3);
    m_doc.SetLocked(false, false);
    // Cancel: nothing done, no count message.
    m_prompt.m_answers.push_back(IUserPrompt::kAnswerCancel);
    const std::size_t messages = m_prompt.m_messages.size();
    EXPECT_FALSE(m_importer.OnImportSingleFolder());
    EXPECT_EQ(m_prompt.m_messages.size(), messages);
    EXPECT_EQ(m_doc.GetCount(), 3);
    // A file or a missing folder is not a folder.
    EXPECT_FALSE(m_importer.OnImportSingleFolder());
    EXPECT_FALSE(m_importer.OnImportSingleFolder());
    EXPECT_EQ(m_prompt.m_messages.back(), CMusicImporter::kNotAFolderText);
    EXPECT_EQ(m_doc.GetCount(), 3);
    // The browser cancelled: nothing at all.
    EXPECT_FALSE(m_importer.OnImportSingleFolder());
}

// While its folder import runs the playlist refuses to close. A cancel from the progress
// window ends the scan normally: the files so far stay, the count is shown, the window
// closes and the playlist may close again.
TEST_F(MusicImporterTest, CancelFromTheProgressWindow) {
    m_ui.m_folders.push_back(Music());
    m_ui.m_log.m_cancelAfter = 2;
    CMixorel2001Doc::CloseAnswer during = CMixorel2001Doc::kCloseWithoutAsking;
    m_ui.m_log.m_onFirstFolder = [&] { during = m_doc.SaveModified(true); };
    EXPECT_TRUE(m_importer.OnImportFolderWithSubfolders());
    EXPECT_EQ(during, CMixorel2001Doc::kCloseRefused);
    EXPECT_LE(m_doc.GetCount(), 2);
    EXPECT_EQ(m_prompt.m_messages.size(), 1u);
    EXPECT_EQ(m_ui.m_log.m_destroyed, 1);
    EXPECT_FALSE(CMusicImporter::IsImportRunning());
    EXPECT_FALSE(m_doc.IsImportRunning());
    EXPECT_NE(m_doc.SaveModified(true), CMixorel2001Doc::kCloseRefused);
}

// A second import started from another playlist while one runs shows no window of its
// own, and the first import's window stays until its own end.
TEST_F(MusicImporterTest, SecondImportRunsWithoutAWindow) {
    FakePrompt otherPrompt;
    CMixorel2001Doc other(&otherPrompt);
    FakeImportUi otherUi;
    CLocationList otherLocations;
    CMusicImporter otherImporter(other, otherPrompt, otherUi, otherLocations);
    otherUi.m_folders.push_back(Music("sub"));
    bool sawRunning = false;
    m_ui.m_log.m_onFirstFolder = [&] {
        sawRunning = CMusicImporter::IsImportRunning() && m_importer.HasProgress();
        m_importer.BringProgressToFront();
        EXPECT_TRUE(otherImporter.OnImportFolderWithSubfolders());
    };
    m_ui.m_folders.push_back(Music());
    EXPECT_TRUE(m_importer.OnImportSingleFolder());
    EXPECT_TRUE(sawRunning);
    EXPECT_EQ(m_ui.m_log.m_raised, 1);
    EXPECT_EQ(otherUi.m_log.m_created, 0);
    EXPECT_EQ(other.GetCount(), 2);
    EXPECT_EQ(m_doc.GetCount(), 3);
    EXPECT_FALSE(m_importer.HasProgress());
    EXPECT_FALSE(CMusicImporter::IsImportRunning());
}

// Three locations selected from the top down A, B, C are scanned C, B, A, and each one
// that brought files stands at the front of the locations afterwards; one scanned while
// the running total is still 0 stays where it is.
TEST_F(MusicImporterTest, MultipleLocationsInReverseOrder) {
    for (const char* name : {"A", "B", "C"}) {
        Touch(std::string("loc/") + name + "/x" + name + ".mp3");
    }
    Touch("loc/empty/readme.txt");
    for (const char* name : {"empty", "C", "B", "A", "unused"}) {
        m_locations.Add(Loc(name));
    }
    // The list now reads unused, A, B, C, empty; select A, B, C.
    m_ui.m_mode = IImportUi::kLocationsSelected;
    m_ui.m_selected = {1, 2, 3};
    m_ui.m_subfolders = 0;
    EXPECT_TRUE(m_importer.OnImportLocations());
    EXPECT_EQ(m_ui.m_log.m_folders,
              (Texts{Loc("C") + " ...", Loc("B") + " ...", Loc("A") + " ..."}));
    EXPECT_EQ(Titles(m_doc), (Texts{"Xc.mp3", "Xb.mp3", "Xa.mp3"}));
    EXPECT_EQ(m_locations.GetFolders(),
              (Texts{Loc("A"), Loc("B"), Loc("C"), Loc("unused"), Loc("empty")}));
    EXPECT_EQ(m_prompt.m_messages.back(), "3 file(s) imported in 0 second(s)");
    EXPECT_TRUE(m_prompt.m_questions.empty());
    // empty and A in both orders: empty moves only when A, scanned first, brought a file.
    m_ui.m_selected = {0, 4};
    EXPECT_TRUE(m_importer.OnImportLocations());
    EXPECT_EQ(m_locations.GetAt(4), Loc("empty"));
    Touch("loc/A/new.mp3");
    m_prompt.m_duplicateAnswers = {IUserPrompt::kNoToAll};
    m_ui.m_selected = {4, 0};
    EXPECT_TRUE(m_importer.OnImportLocations());
    EXPECT_EQ(m_locations.GetFolders(),
              (Texts{Loc("empty"), Loc("A"), Loc("B"), Loc("C"), Loc("unused")}));
}

TEST_F(MusicImporterTest, LocationsDialogHelpers) {
    std::vector<int> selected;
    m_prompt.m_answers = {IUserPrompt::kAnswerNo, IUserPrompt::kAnswerYes};
    EXPECT_FALSE(CMusicImporter::ConfirmSelection(m_prompt, 3, selected));
    EXPECT_TRUE(selected.empty());
    EXPECT_TRUE(CMusicImporter::ConfirmSelection(m_prompt, 3, selected));
    EXPECT_EQ(selected, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(m_prompt.m_questions.front(), CMusicImporter::kAllLocationsQuestion);

    for (const char* folder : {"/c/", "/b/", "/a/"}) {
        m_locations.Add(folder);
    }
    EXPECT_FALSE(CMusicImporter::RemoveLocations(m_prompt, m_locations, {}));
    EXPECT_EQ(m_prompt.m_messages.back(), CMusicImporter::kNothingSelectedText);
    m_prompt.m_answers = {IUserPrompt::kAnswerYes};
    EXPECT_TRUE(CMusicImporter::RemoveLocations(m_prompt, m_locations, {2, 0}));
    EXPECT_EQ(m_locations.GetFolders(), Texts{"/b/"});
    // "Other location" runs the folder import with the subfolder choice.
    m_ui.m_mode = IImportUi::kLocationsOther;
    m_ui.m_subfolders = 0;
    m_ui.m_folders.push_back(Music());
    EXPECT_TRUE(m_importer.OnImportLocations());
    EXPECT_EQ(m_doc.GetCount(), 3);
    EXPECT_FALSE(m_importer.IsLastImportRecursive());
}

// Picked files are imported in the dialog's order without the extension filter, until
// a declined duplicate.
TEST_F(MusicImporterTest, ImportFilesAndImportFile) {
    m_ui.m_files = {Music("notes.txt"), Music("a.mp3"), Music("a.mp3"), Music("b.MP3")};
    m_prompt.m_duplicateAnswers.push_back(IUserPrompt::kNo);
    EXPECT_TRUE(m_importer.OnImportFiles());
    EXPECT_EQ(Titles(m_doc), (Texts{"Notes.txt", "A.mp3"}));
    IUserPrompt::DuplicateAnswer answer = IUserPrompt::kNone;
    bool added = false;
    EXPECT_TRUE(m_importer.ImportFile(Music("cover.jpg"), answer, true, &added));
    EXPECT_TRUE(added);
    EXPECT_EQ(Titles(m_doc).front(), "Cover.jpg");
    answer = IUserPrompt::kNoToAll;
    EXPECT_TRUE(m_importer.ImportFile(Music("a.mp3"), answer, false, &added));
    EXPECT_FALSE(added);
    m_ui.m_files.clear();
    EXPECT_FALSE(m_importer.OnImportFiles());
}

// Dropped files go in before the line under the drop point, in the drop's order;
// folders are skipped, a playlist file is appended with its flags, an album is opened.
TEST_F(MusicImporterTest, DropOnThePlaylist) {
    for (const char* name : {"one.mp3", "two.mp3", "c.mp3", "d.mp3", "e.mp3"}) {
        Touch(std::string("music/") + name);
    }
    IUserPrompt::DuplicateAnswer answer = IUserPrompt::kNone;
    for (const char* name : {"one.mp3", "two.mp3"}) {
        ASSERT_TRUE(m_importer.ImportFile(Music(name), answer));
    }
    CPlaylistContent content;
    CSong listed;
    listed.SetPathText("/elsewhere/listed.mp3");
    listed.SetTitle("Listed");
    content.m_songs.push_back(std::move(listed));
    content.m_bLocked = true;
    ASSERT_EQ(CPlaylistFile::Write(m_dir.File("other.QMX"), content), CPlaylistFile::kOk);
    ASSERT_EQ(CAlbumFile::Write(m_dir.File("set.qma"), {"/p/a.qmx"}), CAlbumFile::kOk);
    FakeAlbumHost host;
    // The album-closing routine may close the playlist, so it must find it unlocked.
    bool lockFreeOnClose = false;
    host.m_onClose = [&] {
        lockFreeOnClose = std::async(std::launch::async, [&] {
                              const bool free = m_doc.GetMutex().try_lock();
                              if (free) {
                                  m_doc.GetMutex().unlock();
                              }
                              return free;
                          }).get();
    };
    CAlbumManager albums(host);

    EXPECT_TRUE(m_importer.DropFiles(1,
                                     {Music("a.mp3"), Music("sub"), Music("b.MP3"),
                                      m_dir.File("other.QMX"), m_dir.File("set.qma")},
                                     &albums));
    EXPECT_EQ(Titles(m_doc), (Texts{"One.mp3", "A.mp3", "B.mp3", "Two.mp3", "Listed"}));
    EXPECT_TRUE(m_doc.IsLocked());
    EXPECT_TRUE(m_doc.IsModified()); // the lines it had are still unsaved
    EXPECT_EQ(host.m_opened, Texts{"/p/a.qmx"});
    EXPECT_TRUE(lockFreeOnClose);

    // Dropped on an empty, unmodified playlist it is just that file: not modified.
    CMixorel2001Doc fresh(&m_prompt);
    CMusicImporter freshImporter(fresh, m_prompt, m_ui, m_locations);
    ASSERT_TRUE(freshImporter.DropFiles(-1, {m_dir.File("other.QMX")}, nullptr));
    EXPECT_EQ(fresh.GetCount(), 1);
    EXPECT_FALSE(fresh.IsModified());

    // A declined duplicate skips the rest; -1 appends.
    m_doc.SetLocked(false, false);
    m_prompt.m_duplicateAnswers.push_back(IUserPrompt::kNo);
    EXPECT_FALSE(
        m_importer.DropFiles(-1, {Music("c.mp3"), Music("a.mp3"), Music("d.mp3")}, nullptr));
    EXPECT_EQ(Titles(m_doc).back(), "C.mp3");
    EXPECT_EQ(m_doc.GetCount(), 6);
    // A damaged playlist file is reported and the others still go in.
    WriteAll(m_dir.File("bad.qmx"), {1, 2, 3});
    EXPECT_FALSE(m_importer.DropFiles(0, {m_dir.File("bad.qmx"), Music("e.mp3")}, nullptr));
    EXPECT_EQ(Titles(m_doc).front(), "E.mp3");
    EXPECT_NE(m_prompt.m_messages.back().find("bad.qmx"), std::string::npos);
}

} // namespace
