#pragma once

#include <string>

class CMixorel2001Doc;

// What a playlist document needs from the program around it: new playlist windows (a
// randomized copy, the played songs), the active player, and the window of a running
// folder import. The main window implements it; tests use a fake.
class IDocumentHost {
public:
    virtual ~IDocumentHost() = default;

    // Makes a new, empty playlist with its window, titled as given; nullptr on failure.
    // The host owns it.
    virtual CMixorel2001Doc* CreateDocument(const std::string& title) = 0;
    // Brings the window of a playlist made by CreateDocument to the front.
    virtual void ShowDocument(CMixorel2001Doc& doc) = 0;
    // A playlist can only be made while a player is active.
    virtual bool HasActivePlayer() = 0;
    // Prepares the active player for the document and gives it the mix settings.
    virtual void PrepareActivePlayer(CMixorel2001Doc& doc) = 0;
    // The active player lets go of a closing document.
    virtual void ReleaseActivePlayer(CMixorel2001Doc& doc) = 0;
    // Restores the progress window of the document's folder import and brings it forward.
    virtual void ShowImportProgress(CMixorel2001Doc& doc) = 0;
    // The playlists bar shows the document's modified state anew.
    virtual void RefreshPlaylistsBar(CMixorel2001Doc& /*doc*/) {}
};
