#pragma once

#include "IAlbumHost.h"

#include <cstddef>
#include <string>
#include <vector>

// The album operations of the main window: open an album (every playlist it names), save
// the open playlists as an album, the current album path and the recent albums. The
// window itself is reached through IAlbumHost. User-interface thread only.
class CAlbumManager {
public:
    static constexpr std::size_t kRecentAlbums = 4;

    explicit CAlbumManager(IAlbumHost& host) : m_host(host) {}

    // Opens the album at path (a dialog when empty; the default album when isDefault and
    // empty). False when cancelled, when the file is not an album or cannot be read to
    // its end (playlists opened before the error stay open).
    bool OpenAlbum(const std::string& path, bool isDefault);
    // Writes the album of the open playlists to path (a dialog proposing the current
    // album when empty). With savePlaylists each playlist is asked (askEach) or saved
    // when modified; a cancel or a failed save ends the visit, the album still holds the
    // paths collected so far, and the answer is false.
    bool SaveAlbum(bool askEach, const std::string& path, bool savePlaylists);

    const std::string& GetAlbumPath() const { return m_strAlbumPath; }
    void SetAlbumPath(const std::string& path) { m_strAlbumPath = path; }
    // Most recent first, at most kRecentAlbums.
    const std::vector<std::string>& GetRecentAlbums() const { return m_astrRecent; }
    void SetRecentAlbums(std::vector<std::string> paths);
    void AddRecentAlbum(const std::string& path);

    // The file name without its folder and its ".qma" extension, as window titles show it.
    static std::string DisplayTitle(const std::string& path);

private:
    IAlbumHost& m_host;
    std::string m_strAlbumPath;
    std::vector<std::string> m_astrRecent;
};
