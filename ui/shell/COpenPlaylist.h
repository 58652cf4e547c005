#pragma once

#include "catalogue/CMixorel2001Doc.h"
#include "catalogue/IAlbumHost.h"

#include <functional>
#include <memory>
#include <string>

class IShellPrompt;

// One open playlist as the desktop's document framework keeps it: the document, the file
// it was read from or saved to, and the framework's open, save and close questions.
// User-interface thread only; no widgets, so the decisions are tested as they are.
class COpenPlaylist final : public IAlbumPlaylist {
public:
    static constexpr const char* kSaveQuestion = "Save changes to %s?";
    static constexpr const char* kFilter = "Mixorel Files (*.qmx)";
    static constexpr const char* kExtension = ".qmx";

    explicit COpenPlaylist(IShellPrompt& prompt);
    ~COpenPlaylist() override;
    COpenPlaylist(const COpenPlaylist&) = delete;
    COpenPlaylist& operator=(const COpenPlaylist&) = delete;

    CMixorel2001Doc& GetDoc() { return *m_pDoc; }
    const CMixorel2001Doc& GetDoc() const { return *m_pDoc; }

    std::string GetPathName() const override { return m_strPath; }
    bool IsModified() const override;
    // "Save changes to ...?" with Yes, No and Cancel; Yes saves. False on Cancel or a
    // failed save; true at once when nothing changed.
    bool SaveModified() override;
    // Saves to the file, asking for a name when it has none.
    bool Save() override;
    bool SaveAs();
    // Saves to path and takes it as the file name; a failure is reported.
    bool SaveTo(const std::string& path);
    // Reads the file into the document; a failure is reported.
    bool Open(const std::string& path);
    // The close checks of the document, then (unless quick close) the save question.
    bool CanClose(bool quickClose);
    // The title without the modified marker.
    std::string GetDisplayName() const;
    // Told each file the playlist is read from or saved to (the recent playlists).
    void SetPathListener(std::function<void(const std::string&)> listener) {
        m_onPath = std::move(listener);
    }

private:
    void TakePath(const std::string& path);

    IShellPrompt& m_prompt;
    std::unique_ptr<CMixorel2001Doc> m_pDoc;
    std::string m_strPath;
    std::function<void(const std::string&)> m_onPath;
};
