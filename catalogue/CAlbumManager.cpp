#include "CAlbumManager.h"

#include "CAlbumFile.h"

#include <algorithm>

bool CAlbumManager::OpenAlbum(const std::string& path, bool isDefault) {
    std::string file = path;
    if (file.empty()) {
        if (isDefault) {
            file = CAlbumFile::DefaultPath();
        } else if (!m_host.ChooseAlbumToOpen(file) || file.empty()) {
            return false;
        }
    }
    if (!isDefault) {
        m_host.CloseAlbum();
    }
    std::vector<std::string> playlists;
    const int result = CAlbumFile::Read(file, playlists);
    // Only a file whose signature was read names the window and opens playlists.
    if (result != CAlbumFile::kOk && result != CAlbumFile::kTruncated &&
        result != CAlbumFile::kDamaged) {
        m_host.ReportError(file + "\n" + CAlbumFile::ResultText(result));
        return false;
    }
    if (!isDefault) {
        m_host.SetAlbumTitle(DisplayTitle(file));
    }
    for (const std::string& playlist : playlists) {
        m_host.OpenPlaylist(playlist);
    }
    if (result != CAlbumFile::kOk) {
        m_host.ReportError(file + "\n" + CAlbumFile::ResultText(result));
        return false;
    }
    if (!isDefault) {
        AddRecentAlbum(file);
        m_strAlbumPath = file;
    } else {
        m_strAlbumPath.clear();
    }
    return true;
}

bool CAlbumManager::SaveAlbum(bool askEach, const std::string& path, bool savePlaylists) {
    std::string file = path;
    const bool fromDialog = file.empty();
    if (fromDialog && (!m_host.ChooseAlbumToSave(m_strAlbumPath, file) || file.empty())) {
        return false;
    }
    bool ok = true;
    std::vector<std::string> paths;
    for (IAlbumPlaylist* playlist : m_host.GetOpenPlaylists()) {
        if (savePlaylists) {
            const bool saved =
                askEach ? playlist->SaveModified() : (!playlist->IsModified() || playlist->Save());
            if (!saved) {
                ok = false;
                break;
            }
        }
        std::string name = playlist->GetPathName();
        if (!name.empty()) {
            paths.push_back(std::move(name));
        }
    }
    const int result = CAlbumFile::Write(file, paths);
    if (result != CAlbumFile::kOk) {
        m_host.ReportError(file + "\n" + CAlbumFile::ResultText(result));
        return false;
    }
    m_strAlbumPath = file;
    if (fromDialog) {
        AddRecentAlbum(file);
        m_host.SetAlbumTitle(DisplayTitle(file));
    }
    return ok;
}

void CAlbumManager::SetRecentAlbums(std::vector<std::string> paths) {
    m_astrRecent.clear();
    for (std::string& path : paths) {
        if (!path.empty() &&
            std::find(m_astrRecent.begin(), m_astrRecent.end(), path) == m_astrRecent.end() &&
            m_astrRecent.size() < kRecentAlbums) {
            m_astrRecent.push_back(std::move(path));
        }
    }
}

void CAlbumManager::AddRecentAlbum(const std::string& path) {
    std::erase(m_astrRecent, path);
    m_astrRecent.insert(m_astrRecent.begin(), path);
    if (m_astrRecent.size() > kRecentAlbums) {
        m_astrRecent.resize(kRecentAlbums);
    }
}

std::string CAlbumManager::DisplayTitle(const std::string& path) {
    std::string name = path.substr(path.find_last_of('/') + 1);
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".qma") == 0) {
        name.resize(name.size() - 4);
    }
    return name;
}
