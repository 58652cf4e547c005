#pragma once

#include "catalogue/CAlbumManager.h"
#include "catalogue/CMixorel2001Doc.h"
#include "catalogue/IDocumentView.h"
#include "catalogue/IExchangeUi.h"
#include "catalogue/IListCommandUi.h"
#include "catalogue/IPlayerLink.h"
#include "catalogue/IUserPrompt.h"

#include <gtest/gtest.h>

#include <sched.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

// Takes the next value of a script into value; false when the script is empty.
template <typename T> bool PopInto(std::deque<T>& script, T& value) {
    if (script.empty()) {
        return false;
    }
    value = script.front();
    script.pop_front();
    return true;
}

// The next value of a script, or the fallback when it is empty.
template <typename T> T Pop(std::deque<T>& script, T fallback) {
    PopInto(script, fallback);
    return fallback;
}

// A prompt that records what it was asked and answers from scripts; with an empty
// script a duplicate question answers no, a question yes, the song dialog cancel.
class FakePrompt : public IUserPrompt {
public:
    void Message(const std::string& text) override { m_messages.push_back(text); }
    Answer Question(const std::string& text, bool /*withCancel*/) override {
        m_questions.push_back(text);
        return Pop(m_answers, kAnswerYes);
    }
    DuplicateAnswer DuplicateQuestion(const std::string& songTitle,
                                      const std::string& text) override {
        m_duplicateTitles.push_back(songTitle);
        m_duplicateTexts.push_back(text);
        return Pop(m_duplicateAnswers, kNo);
    }
    bool SongData(std::string& title, std::string& location) override {
        std::pair<std::string, std::string> data;
        if (!PopInto(m_songData, data)) {
            return false;
        }
        std::tie(title, location) = data;
        return true;
    }

    std::vector<std::string> m_messages;
    std::vector<std::string> m_questions;
    std::vector<std::string> m_duplicateTitles;
    std::vector<std::string> m_duplicateTexts;
    std::deque<Answer> m_answers;
    std::deque<DuplicateAnswer> m_duplicateAnswers;
    std::deque<std::pair<std::string, std::string>> m_songData;
};

// A view that records the requests it gets, and the scheduling class of the thread that
// redraws a song's line (for a processed song the processing thread).
class FakeView : public IDocumentView {
public:
    void RedrawLine(int line) override {
        m_redrawn.push_back(line);
        if (line >= 0) {
            m_policies.push_back(sched_getscheduler(0));
        }
    }
    void ScrollToLine(int /*line*/) override {}

    std::vector<int> m_redrawn;
    std::vector<int> m_policies;
};

// A connected player that records the songs it was asked to start.
class FakePlayerLink : public IPlayerLink {
public:
    bool IsConnected() override { return true; }
    bool Connect() override { return true; }
    bool PlayLogged(const std::string& path) override {
        m_started.push_back(path);
        return path != m_strUnplayable;
    }
    bool IsActive() override { return false; }
    bool Stop() override { return true; }
    bool FadeStop() override { return true; }
    bool Skip() override { return true; }

    std::vector<std::string> m_started;
    std::string m_strUnplayable; // this path fails its start
};

// An exchange dialog that picks m_choice for either kind of file (cancel when empty).
class FakeExchangeUi : public IExchangeUi {
public:
    bool ChooseM3uFile(std::string& path) override { return Choose(path); }
    bool ChooseHtmlFile(std::string& path) override { return Choose(path); }
    void OpenWithSystem(const std::string& path) override { m_opened.push_back(path); }

    std::string m_choice;
    std::vector<std::string> m_opened;

private:
    bool Choose(std::string& path) {
        path = m_choice;
        return !m_choice.empty();
    }
};

// What a copy progress window was shown; it cancels once it has been given more than
// m_cancelAfter positions (never with -1).
struct CopyLog {
    std::string m_title;
    int m_upper = 0;
    std::vector<int> m_positions;
    std::vector<std::string> m_texts;
    int m_cancelAfter = -1;
    int m_destroyed = 0;
};

class FakeCopyProgress : public ICopyProgress {
public:
    explicit FakeCopyProgress(CopyLog& log) : m_log(log) {}
    ~FakeCopyProgress() override { ++m_log.m_destroyed; }
    void SetPos(int pos) override { m_log.m_positions.push_back(pos); }
    void SetText(const std::string& text) override { m_log.m_texts.push_back(text); }
    bool IsCancelled() override {
        return m_log.m_cancelAfter >= 0 &&
               static_cast<int>(m_log.m_positions.size()) > m_log.m_cancelAfter;
    }

private:
    CopyLog& m_log;
};

// A song line titled "Title of <path>"; with a bitrate it holds audio information.
inline CSong MakeSong(const std::string& path, std::uint32_t size = 0, std::int32_t bitrate = 0) {
    CSong song;
    song.SetPathText(path);
    song.SetTitle("Title of " + path);
    if (bitrate != 0) {
        song.SetInfo(size, bitrate, 44100, 0);
        song.SetInfoFlag(true);
    }
    return song;
}

inline CSong MakeRegion(const std::string& name) {
    CSong song;
    song.SetRegion(true);
    song.SetInfoFlag(true);
    song.SetTitle(name);
    return song;
}

using Texts = std::vector<std::string>;

// The lines as texts: a region's title, a song's path.
inline Texts Lines(const CMixorel2001Doc& doc) {
    Texts lines;
    for (int n = 0; n < doc.GetCount(); ++n) {
        const CSong* song = doc.GetSongAt(n);
        lines.push_back(song->IsRegion() ? song->GetTitle() : song->GetPath());
    }
    return lines;
}

inline Texts Titles(const CMixorel2001Doc& doc) {
    Texts titles;
    for (int n = 0; n < doc.GetCount(); ++n) {
        titles.push_back(doc.GetSongAt(n)->GetTitle());
    }
    return titles;
}

// Inserts a line after the given one, a duplicate too, and answers its identity.
inline std::string Insert(CMixorel2001Doc& doc, const CSong& song,
                          int after = CMixorel2001Doc::kAfterLast) {
    IUserPrompt::DuplicateAnswer answer = IUserPrompt::kYesToAll;
    std::string id;
    EXPECT_TRUE(doc.InsertSongAt(after, song, answer, &id)) << song.GetLocation();
    return id;
}

// An open playlist whose questions and saves answer m_answer.
class FakePlaylist : public IAlbumPlaylist {
public:
    FakePlaylist(std::string path, bool modified, bool answer)
        : m_path(std::move(path)), m_modified(modified), m_answer(answer) {}
    std::string GetPathName() const override { return m_path; }
    bool IsModified() const override { return m_modified; }
    bool SaveModified() override {
        ++m_asked;
        return m_answer;
    }
    bool Save() override {
        ++m_saved;
        return m_answer;
    }

    std::string m_path;
    bool m_modified;
    bool m_answer;
    int m_asked = 0;
    int m_saved = 0;
};

// A host that answers the album dialogs with m_choice (cancel when empty), shows the
// playlists of m_playlists as open and records the rest.
class FakeAlbumHost : public IAlbumHost {
public:
    bool ChooseAlbumToOpen(std::string& path) override { return Choose("open", path); }
    bool ChooseAlbumToSave(const std::string& proposed, std::string& path) override {
        return Choose("save:" + proposed, path);
    }
    void CloseAlbum() override {
        ++m_closed;
        if (m_onClose) {
            m_onClose();
        }
    }
    void SetAlbumTitle(const std::string& title) override { m_titles.push_back(title); }
    bool OpenPlaylist(const std::string& path) override {
        m_opened.push_back(path);
        return true;
    }
    std::vector<IAlbumPlaylist*> GetOpenPlaylists() override {
        std::vector<IAlbumPlaylist*> list;
        for (auto& playlist : m_playlists) {
            list.push_back(playlist.get());
        }
        return list;
    }
    void ReportError(const std::string& text) override { m_errors.push_back(text); }

    std::string m_choice;
    std::vector<std::string> m_dialogs;
    int m_closed = 0;
    std::function<void()> m_onClose; // runs inside the album-closing routine
    std::vector<std::string> m_titles;
    std::vector<std::string> m_opened;
    std::vector<std::unique_ptr<FakePlaylist>> m_playlists;
    std::vector<std::string> m_errors;

private:
    bool Choose(const std::string& dialog, std::string& path) {
        m_dialogs.push_back(dialog);
        path = m_choice;
        return !m_choice.empty();
    }
};
