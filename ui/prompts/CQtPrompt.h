#pragma once

#include "ui/prompts/IShellPrompt.h"

class QWidget;

// The message boxes and file dialogs of the desktop. Calls from a worker thread reach
// the user-interface thread as queued calls and never wait there: a message is shown,
// a question is shown and counts as declined.
class CQtPrompt final : public IShellPrompt {
public:
    static constexpr const char* kTitle = "Mixorel";

    void SetParent(QWidget* parent) { m_pParent = parent; }

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
    Answer AskHere(const std::string& text, Buttons buttons, Icon icon);
    DuplicateAnswer DuplicateHere(const std::string& songTitle, const std::string& text);

    QWidget* m_pParent = nullptr;
};
