#pragma once

#include "catalogue/IUserPrompt.h"

#include <string>
#include <vector>

// The program's message boxes and file choosers: the core's questions plus those of the
// shell itself, which name their buttons and icon, and the open and save dialogs. The
// desktop implementation is CQtPrompt; tests script a fake.
class IShellPrompt : public IUserPrompt {
public:
    enum Buttons : int { kOk = 0, kYesNo, kYesNoCancel, kOkCancel };
    enum Icon : int { kIconInformation = 0, kIconQuestion, kIconExclamation, kIconError };

    // A message box; OK answers kAnswerYes.
    virtual Answer Ask(const std::string& text, Buttons buttons, Icon icon) = 0;
    // The open dialog (an existing file); filter as "Name (*.ext)" entries. False on cancel.
    virtual bool ChooseOpenFile(const std::string& title, const std::string& filter,
                                std::string& path) = 0;
    // The save dialog proposing a name, asking before overwriting; false on cancel. A
    // name typed without a suffix gets defaultSuffix (without its dot) when one is given;
    // "All files" is listed once, after the filter's own entries.
    virtual bool ChooseSaveFile(const std::string& title, const std::string& filter,
                                const std::string& proposed, std::string& path,
                                const std::string& defaultSuffix = {}) = 0;
};
