#include "ui/prompts/CSessionPrompt.h"

#include <cstdio>
#include <filesystem>

void CSessionPrompt::SetUnattended(const std::string& folder) {
    m_strFolder = folder;
    m_bUnattended.store(true);
}

std::string CSessionPrompt::RecoveredPath(const std::string& folder) {
    for (int n = 1;; ++n) {
        std::string path = folder + "/recovered-" + std::to_string(n) + ".qmx";
        std::error_code error;
        if (!std::filesystem::exists(path, error)) {
            return path;
        }
    }
}

void CSessionPrompt::Message(const std::string& text) {
    if (!IsUnattended()) {
        m_user.Message(text);
        return;
    }
    std::fprintf(stderr, "mixorel: %s\n", text.c_str());
}

IUserPrompt::Answer CSessionPrompt::Question(const std::string& text, bool withCancel) {
    return IsUnattended() ? kAnswerYes : m_user.Question(text, withCancel);
}

IUserPrompt::DuplicateAnswer CSessionPrompt::DuplicateQuestion(const std::string& songTitle,
                                                               const std::string& text) {
    return IsUnattended() ? kYesToAll : m_user.DuplicateQuestion(songTitle, text);
}

bool CSessionPrompt::SongData(std::string& title, std::string& location) {
    return !IsUnattended() && m_user.SongData(title, location);
}

IUserPrompt::Answer CSessionPrompt::Ask(const std::string& text, Buttons buttons, Icon icon) {
    if (!IsUnattended()) {
        return m_user.Ask(text, buttons, icon);
    }
    if (buttons == kOk || buttons == kOkCancel) {
        std::fprintf(stderr, "mixorel: %s\n", text.c_str());
    }
    return kAnswerYes;
}

bool CSessionPrompt::ChooseOpenFile(const std::string& title, const std::string& filter,
                                    std::string& path) {
    return !IsUnattended() && m_user.ChooseOpenFile(title, filter, path);
}

bool CSessionPrompt::ChooseSaveFile(const std::string& title, const std::string& filter,
                                    const std::string& proposed, std::string& path,
                                    const std::string& defaultSuffix) {
    if (!IsUnattended()) {
        return m_user.ChooseSaveFile(title, filter, proposed, path, defaultSuffix);
    }
    path = proposed.find('/') != std::string::npos ? proposed : RecoveredPath(m_strFolder);
    return true;
}
