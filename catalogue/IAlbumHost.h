#pragma once

#include <string>
#include <vector>

// One open playlist as the album sees it.
class IAlbumPlaylist {
public:
    virtual ~IAlbumPlaylist() = default;
    // The file the playlist was loaded from or saved to; empty when it was never saved.
    virtual std::string GetPathName() const = 0;
    virtual bool IsModified() const = 0;
    // The playlist's own question about saving its changes (and the save on yes); false
    // when the user cancels or the save fails.
    virtual bool SaveModified() = 0;
    // Saves the playlist to its file (asking for a name when it has none); false on failure.
    virtual bool Save() = 0;
};

// What the album operations need from the main window: its dialogs, its playlist
// windows, its title and the album-closing routine. User-interface thread only.
class IAlbumHost {
public:
    virtual ~IAlbumHost() = default;
    // Open-file dialog for an album; false on cancel.
    virtual bool ChooseAlbumToOpen(std::string& path) = 0;
    // Save dialog for an album proposing a name, asking before overwriting; false on cancel.
    virtual bool ChooseAlbumToSave(const std::string& proposed, std::string& path) = 0;
    // The album-closing routine without its question about closing all playlists.
    virtual void CloseAlbum() = 0;
    // The main window's title becomes the album title and the application name.
    virtual void SetAlbumTitle(const std::string& albumTitle) = 0;
    // Opens a playlist file in a window of its own as the user's own open would; the
    // open reports its own failure. False when it failed.
    virtual bool OpenPlaylist(const std::string& path) = 0;
    // The open playlists, in the order their windows were opened.
    virtual std::vector<IAlbumPlaylist*> GetOpenPlaylists() = 0;
    // A message box with an error text.
    virtual void ReportError(const std::string& text) = 0;
};
