#pragma once

#include "ui/prompts/IShellPrompt.h"

#include <atomic>
#include <string>

// The prompt every part of the program is given. It passes each call to the user's
// prompt, until the session ends (SIGTERM, logout): from then on nobody is there to
// answer, so it answers on the user's behalf in the way that keeps the work: yes to
// saving, a file chooser proposing a name takes it, and one without a name gets
// "recovered-N.qmx" in the program folder. Messages then go to the standard error.
class CSessionPrompt final : public IShellPrompt {
public:
    explicit CSessionPrompt(IShellPrompt& user) : m_user(user) {}

    // Answers alone from now on; recovered files go into folder.
    void SetUnattended(const std::string& folder);
    bool IsUnattended() const { return m_bUnattended.load(); }
    // The first "recovered-N.qmx" of folder that does not exist yet.
    static std::string RecoveredPath(const std::string& folder);

    void Message(const std::string& text) override;
    Answer Question(const std::string& text, bool withCancel) override;
    DuplicateAnswer DuplicateQuestion(const std::string& songTitle,
                                      const std::string& text) override;
    bool SongData(std::string& title, std::string& location) override;
    Answer Ask(const std::string& text, Buttons buttons, Icon icon) override;
    bool ChooseOpenFile(const std::string& title, const std::string& filter,
                        std::string& path) override;
    bool ChooseSaveFile(const std::string& title, const std::string& filter,
                        const std::string& proposed, std::string& path,
                        const std::string& defaultSuffix = {}) override;

private:
    IShellPrompt& m_user;
    std::atomic<bool> m_bUnattended{false};
    std::string m_strFolder;
};
