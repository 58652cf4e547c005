#pragma once

#include "catalogue/CAlbumFile.h"
#include "catalogue/CMixorel2001Doc.h"
#include "catalogue/CPlaylistFile.h"
#include "catalogue/CSong.h"
#include "catalogue/ILoopRunner.h"
#include "settings/CMemorySettingsStore.h"
#include "support/TempDir.h"
#include "ui/playlist/CChildFrame.h"
#include "ui/playlist/CMixorel2001View.h"
#include "ui/prompts/IShellPrompt.h"
#include "ui/shell/CMainFrame.h"
#include "ui/shell/CMixorelApp.h"
#include "ui/shell/COpenPlaylist.h"

#include <QApplication>
#include <QTest>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>

// Appends a song of that path (and title, when given) to a document.
inline void AppendSong(CMixorel2001Doc& doc, const std::string& path,
                       const std::string& title = {}) {
    CSong song;
    song.SetPathText(path);
    if (!title.empty()) {
        song.SetTitle(title);
    }
    IUserPrompt::DuplicateAnswer answer = IUserPrompt::kYesToAll;
    doc.InsertSongAt(CMixorel2001Doc::kAfterLast, song, answer);
}

// Runs the event loop until the condition holds, for at most about five seconds.
inline bool WaitUntil(const std::function<bool()>& condition) {
    for (int step = 0; step < 500 && !condition(); ++step) {
        QTest::qWait(10);
    }
    return condition();
}

// A prompt that answers from a script: questions by their text (No when unscripted),
// save dialogs with the next scripted path (cancel when none). Every text asked is kept.
class ScriptedPrompt : public IShellPrompt {
public:
    std::map<std::string, Answer> answers;
    std::vector<std::string> savePaths;
    std::vector<std::string> asked;
    std::map<std::string, Buttons> buttonsOf; // the buttons each message box had
    // Called with each question before it is answered.
    std::function<void(const std::string&)> onAsk;

    bool WasAsked(const std::string& text) const {
        return std::find(asked.begin(), asked.end(), text) != asked.end();
    }
    void Message(const std::string& text) override { asked.push_back(text); }
    Answer Question(const std::string& text, bool) override {
        return Ask(text, kYesNo, kIconQuestion);
    }
    DuplicateAnswer duplicateAnswer = kYesToAll;
    DuplicateAnswer DuplicateQuestion(const std::string&, const std::string&) override {
        return duplicateAnswer;
    }
    bool SongData(std::string&, std::string&) override { return false; }
    Answer Ask(const std::string& text, Buttons buttons, Icon) override {
        asked.push_back(text);
        buttonsOf[text] = buttons;
        if (onAsk) {
            onAsk(text);
        }
        const auto found = answers.find(text);
        return found != answers.end() ? found->second : kAnswerNo;
    }
    bool ChooseOpenFile(const std::string&, const std::string&, std::string&) override {
        return false;
    }
    bool ChooseSaveFile(const std::string&, const std::string&, const std::string&,
                        std::string& path, const std::string&) override {
        if (savePaths.empty()) {
            return false;
        }
        path = savePaths.front();
        savePaths.erase(savePaths.begin());
        return true;
    }
};

class NoPowerOff : public IShutdownRequest {
public:
    void RequestShutdown() override { ++m_nCalls; }
    int m_nCalls = 0;
};

// A loop driver that runs until it is stopped, so a playlist can be made the looping one.
class EndlessLoop : public ILoopRunnerFactory {
    class Runner : public ILoopRunner {
    public:
        void RequestStop() override { m_bStop = true; }
        bool WaitEnded(std::chrono::milliseconds) override { return m_bStop; }
        bool m_bStop = false;
    };

public:
    std::unique_ptr<ILoopRunner> StartDriver(CMixorel2001Doc&, std::uint32_t) override {
        return std::make_unique<Runner>();
    }
};

// The program started over an in-memory store, with the program folder in a fresh
// temporary folder and the prompt scripted.
class ShellTest : public ::testing::Test {
protected:
    ShellTest() {
        ::setenv("MIXOREL_HOME", m_dir.Path().c_str(), 1);
        // A maximized child adds its title to the caption; the tests read the caption.
        m_pStore->WriteProfileInt("global", "maximizechild", 0);
    }
    ~ShellTest() override {
        if (m_pApp != nullptr) {
            m_pApp->ExitInstance();
        }
    }

    void Start(const QStringList& files = {}, const QString& instanceName = {}) {
        CMixorelApp::Options options;
        options.instanceName = instanceName;
        options.pStore = m_pStore;
        options.pPrompt = &m_prompt;
        options.pPowerOff = &m_powerOff;
        options.bHandleSignals = false;
        m_pApp = std::make_unique<CMixorelApp>(options);
        ASSERT_TRUE(m_pApp->InitInstance(files));
        QApplication::processEvents();
    }
    CMainFrame& Frame() { return *m_pApp->GetMainFrame(); }
    // Opens a new playlist file of that many songs; answers its window's view.
    CMixorel2001View& OpenView(const std::string& name, int songs) {
        EXPECT_TRUE(Frame().OpenFile(MakePlaylist(name, songs)));
        QApplication::processEvents();
        return *Frame().FindFrame(*Frame().GetPlaylists().back())->GetView();
    }
    std::vector<std::string> OpenTitles() {
        std::vector<std::string> titles;
        for (COpenPlaylist* playlist : Frame().GetPlaylists()) {
            titles.push_back(playlist->GetDisplayName());
        }
        return titles;
    }
    // A playlist file of a few songs.
    std::string MakePlaylist(const std::string& name, int songs = 2) {
        CPlaylistContent content;
        for (int i = 0; i < songs; ++i) {
            CSong& song = content.m_songs.emplace_back();
            song.SetPathText("/music/" + name + std::to_string(i) + ".mp3");
            song.SetTitle(name + " song " + std::to_string(i));
        }
        const std::string path = m_dir.File(name + ".qmx");
        EXPECT_EQ(CPlaylistFile::Write(path, content), CPlaylistFile::kOk);
        return path;
    }
    std::string MakeAlbum(const std::string& name, const std::vector<std::string>& playlists) {
        const std::string path = m_dir.File(name + ".qma");
        EXPECT_EQ(CAlbumFile::Write(path, playlists), CAlbumFile::kOk);
        return path;
    }
    std::vector<std::string> AlbumPaths(const std::string& path) {
        std::vector<std::string> paths;
        EXPECT_EQ(CAlbumFile::Read(path, paths), CAlbumFile::kOk);
        return paths;
    }
    int GlobalInt(const char* key, int fallback) {
        return m_pStore->GetProfileInt("global", key, fallback);
    }

    TempDir m_dir;
    std::shared_ptr<CMemorySettingsStore> m_pStore = std::make_shared<CMemorySettingsStore>();
    ScriptedPrompt m_prompt;
    NoPowerOff m_powerOff;
    std::unique_ptr<CMixorelApp> m_pApp;
};
