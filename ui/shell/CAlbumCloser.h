#pragma once

class CAlbumManager;
class IAlbumCloseHost;
class IShellPrompt;
class ISettingsStore;

// The album-closing routine, run by Close Album, before another album is opened and when
// the program closes: the album is saved or named "default.qms", the playlists are saved
// as "autosaveonexit" and the user decide, "emptylastproject" is stored, and the
// playlists are closed. User-interface thread only.
class CAlbumCloser {
public:
    static constexpr const char* kCloseAllQuestion = "Do you want to close all open playlists?";
    static constexpr const char* kAlbumModifiedQuestion =
        "Album has been modified. Would you like to save the changes?";

    CAlbumCloser(IAlbumCloseHost& host, CAlbumManager& albums, IShellPrompt& prompt,
                 ISettingsStore& store);

    // askCloseAll: the Close Album command asks whether to close all playlists. True
    // when the close may go on; false when the user cancelled or a save failed.
    bool Run(bool askCloseAll);

private:
    bool SaveAsked(bool closeAll, bool& albumSaved);
    bool AlbumChanged() const;
    bool SaveUnasked(bool closeAll);
    bool AskEachPlaylist();
    bool CloseEveryPlaylist();

    IAlbumCloseHost& m_host;
    CAlbumManager& m_albums;
    IShellPrompt& m_prompt;
    ISettingsStore& m_store;
};
