#pragma once

#include "catalogue/IImportUi.h"

class IUserPrompt;
class QWidget;

// The dialogs of music import: folder browser, file chooser, the multiple-locations
// dialog and the progress window.
class CQtImportUi final : public IImportUi {
public:
    CQtImportUi(QWidget* parent, IUserPrompt& prompt) : m_pParent(parent), m_prompt(prompt) {}

    std::unique_ptr<IImportProgress> CreateProgress(const std::string& title) override;
    bool ChooseFolder(const std::string& title, const std::string& start,
                      std::string& folder) override;
    bool ChooseFiles(std::vector<std::string>& paths) override;
    LocationsMode ChooseLocations(CLocationList& locations, std::vector<int>& selected,
                                  int& subfolders) override;

private:
    QWidget* m_pParent;
    IUserPrompt& m_prompt;
};
