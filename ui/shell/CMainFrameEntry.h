#pragma once

// One open playlist of the main window, shared by the window's source files: the document
// with its framework, the find position, the music import and the window (null until shown).

#include "catalogue/CMusicImporter.h"
#include "ui/playlist/CFindPosition.h"
#include "ui/shell/CMainFrame.h"
#include "ui/shell/COpenPlaylist.h"

#include <memory>

struct CMainFrame::Entry {
    std::unique_ptr<COpenPlaylist> pPlaylist;
    CFindPosition find;
    std::unique_ptr<CMusicImporter> pImporter;
    CChildFrame* pFrame = nullptr;
};
