#include "ui/shell/COpenPlaylist.h"

#include "catalogue/CPlaylistFile.h"
#include "ui/prompts/IShellPrompt.h"

namespace {

std::string FileNameOf(const std::string& path) {
    return path.substr(path.find_last_of('/') + 1);
}

std::string Formatted(const char* format, const std::string& text) {
    const std::string_view pattern(format);
    const std::size_t at = pattern.find("%s");
    if (at == std::string_view::npos) {
        return std::string(pattern);
    }
    std::string result(pattern.substr(0, at));
    result += text;
    result += pattern.substr(at + 2);
    return result;
}

} // namespace

COpenPlaylist::COpenPlaylist(IShellPrompt& prompt)
    : m_prompt(prompt), m_pDoc(std::make_unique<CMixorel2001Doc>(&prompt)) {}

COpenPlaylist::~COpenPlaylist() = default;

bool COpenPlaylist::IsModified() const {
    return m_pDoc->IsModified();
}

std::string COpenPlaylist::GetDisplayName() const {
    std::string title = m_pDoc->GetTitle();
    if (title.size() >= 2 && title.compare(title.size() - 2, 2, " *") == 0) {
        title.resize(title.size() - 2);
    }
    return title;
}

bool COpenPlaylist::SaveModified() {
    if (!IsModified()) {
        return true;
    }
    const std::string name = m_strPath.empty() ? GetDisplayName() : m_strPath;
    switch (m_prompt.Ask(Formatted(kSaveQuestion, name), IShellPrompt::kYesNoCancel,
                         IShellPrompt::kIconExclamation)) {
    case IUserPrompt::kAnswerYes:
        return Save();
    case IUserPrompt::kAnswerNo:
        return true;
    default:
        return false;
    }
}

bool COpenPlaylist::Save() {
    return m_strPath.empty() ? SaveAs() : SaveTo(m_strPath);
}

bool COpenPlaylist::SaveAs() {
    // The modified marker goes first, so the proposed name does not carry it.
    const bool wasModified = IsModified();
    m_pDoc->SetModifiedFlag(false);
    std::string proposed = m_strPath.empty() ? GetDisplayName() + kExtension : m_strPath;
    std::string path;
    if (!m_prompt.ChooseSaveFile("Save As", kFilter, proposed, path) || path.empty()) {
        m_pDoc->SetModifiedFlag(wasModified);
        return false;
    }
    if (path.find('.', path.find_last_of('/') + 1) == std::string::npos) {
        path += kExtension;
    }
    if (!SaveTo(path)) {
        m_pDoc->SetModifiedFlag(wasModified);
        return false;
    }
    return true;
}

bool COpenPlaylist::SaveTo(const std::string& path) {
    const int result = m_pDoc->SaveCommand(path);
    if (result != CPlaylistFile::kOk) {
        m_prompt.Ask(path + "\n" + CPlaylistFile::ResultText(result), IShellPrompt::kOk,
                     IShellPrompt::kIconExclamation);
        return false;
    }
    TakePath(path);
    return true;
}

bool COpenPlaylist::Open(const std::string& path) {
    const int result = m_pDoc->OpenDocument(path);
    if (result != CPlaylistFile::kOk) {
        m_prompt.Ask(path + "\n" + CPlaylistFile::ResultText(result), IShellPrompt::kOk,
                     IShellPrompt::kIconExclamation);
        return false;
    }
    TakePath(path);
    m_pDoc->SetModifiedFlag(false);
    return true;
}

bool COpenPlaylist::CanClose(bool quickClose) {
    switch (m_pDoc->SaveModified(quickClose)) {
    case CMixorel2001Doc::kCloseRefused:
        return false;
    case CMixorel2001Doc::kCloseAskToSave:
        return SaveModified();
    default:
        // The program's quick close still asks about changes, so that none are lost.
        return !quickClose || SaveModified();
    }
}

void COpenPlaylist::TakePath(const std::string& path) {
    m_strPath = path;
    m_pDoc->SetTitle(FileNameOf(path));
    if (m_onPath) {
        m_onPath(path);
    }
}
