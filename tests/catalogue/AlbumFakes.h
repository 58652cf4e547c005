#pragma once

#include "catalogue/CAlbumManager.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

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
    bool ChooseAlbumToOpen(std::string& path) override {
        m_dialogs.push_back("open");
        path = m_choice;
        return !m_choice.empty();
    }
    bool ChooseAlbumToSave(const std::string& proposed, std::string& path) override {
        m_dialogs.push_back("save:" + proposed);
        path = m_choice;
        return !m_choice.empty();
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
};
