#pragma once

#include <vector>

class COpenPlaylist;

// What the album-closing routine needs from the main window: its open playlists, closing
// one of them, the album-modified flag and the caption.
class IAlbumCloseHost {
public:
    virtual ~IAlbumCloseHost() = default;
    // In the order their windows were opened.
    virtual std::vector<COpenPlaylist*> GetPlaylists() = 0;
    // Closes the window and the document without asking anything more.
    virtual void ClosePlaylist(COpenPlaylist& playlist) = 0;
    virtual bool IsAlbumModified() const = 0;
    virtual void SetAlbumModified(bool modified) = 0;
    // The caption becomes the program title alone.
    virtual void ResetCaption() = 0;
};
