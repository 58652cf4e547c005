#pragma once

#include "catalogue/IImportProgress.h"
#include "catalogue/IListCommandUi.h"
#include "ui/toolkit/CPumpingRun.h"

#include <QPointer>
#include <memory>

class IUserPrompt;
class QDialog;
class QLabel;
class QProgressBar;
class QWidget;

// The modeless progress window of a folder import, and of migrate (a range and a text).
// Each call lets the user-interface thread handle its pending input; the owner window is
// disabled while the progress window lives. A closing program cancels it (CPumpingRun).
class CQtImportProgress final : public IImportProgress, public ICopyProgress {
public:
    CQtImportProgress(QWidget* owner, IUserPrompt* prompt, const std::string& title, int lower,
                      int upper);
    ~CQtImportProgress() override;

    void SetFolder(const std::string& folder) override;
    bool IsCancelled() override;
    void BringToFront() override;
    void SetPos(int pos) override;
    void SetText(const std::string& text) override;

private:
    CPumpingRun m_run;
    QPointer<QWidget> m_pOwner;
    IUserPrompt* m_pPrompt;
    std::unique_ptr<QDialog> m_pDialog;
    QLabel* m_pText = nullptr;
    QProgressBar* m_pBar = nullptr;
    bool m_bCancelAsked = false;
    bool m_bCancelled = false;
};
