#include "ui/prompts/CQtImportProgress.h"

#include "catalogue/IUserPrompt.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

CQtImportProgress::CQtImportProgress(QWidget* owner, IUserPrompt* prompt, const std::string& title,
                                     int lower, int upper)
    : m_pOwner(owner), m_pPrompt(prompt), m_pDialog(std::make_unique<QDialog>(owner)) {
    m_pDialog->setWindowTitle(QString::fromStdString(title));
    auto* layout = new QVBoxLayout(m_pDialog.get());
    if (prompt != nullptr) {
        layout->addWidget(new QLabel(QStringLiteral("Please wait"), m_pDialog.get()));
        layout->addWidget(new QLabel(QStringLiteral("Importing music from:"), m_pDialog.get()));
    }
    m_pText = new QLabel(m_pDialog.get());
    m_pText->setMinimumWidth(360);
    layout->addWidget(m_pText);
    if (upper > lower) {
        m_pBar = new QProgressBar(m_pDialog.get());
        m_pBar->setRange(lower, upper);
        layout->addWidget(m_pBar);
    }
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), m_pDialog.get());
    QObject::connect(cancel, &QPushButton::clicked, m_pDialog.get(),
                     [this] { m_bCancelAsked = true; });
    layout->addWidget(cancel);
    if (m_pOwner != nullptr) {
        m_pOwner->setEnabled(false);
    }
    m_pDialog->setEnabled(true);
    m_pDialog->show();
    QApplication::processEvents();
}

CQtImportProgress::~CQtImportProgress() {
    if (m_pOwner != nullptr) {
        m_pOwner->setEnabled(true);
    }
}

void CQtImportProgress::SetFolder(const std::string& folder) {
    SetText(folder);
}

void CQtImportProgress::SetText(const std::string& text) {
    m_pText->setText(QString::fromStdString(text));
    QApplication::processEvents();
}

void CQtImportProgress::SetPos(int pos) {
    if (m_pBar != nullptr) {
        m_pBar->setValue(pos);
    }
    QApplication::processEvents();
}

bool CQtImportProgress::IsCancelled() {
    QApplication::processEvents();
    if (m_run.IsCancelled()) {
        m_bCancelled = true;
    }
    if (m_bCancelAsked && !m_bCancelled) {
        m_bCancelAsked = false;
        m_bCancelled = m_pPrompt == nullptr ||
                       m_pPrompt->Question(kCancelQuestion, false) == IUserPrompt::kAnswerYes;
    }
    return m_bCancelled;
}

void CQtImportProgress::BringToFront() {
    m_pDialog->showNormal();
    m_pDialog->raise();
    m_pDialog->activateWindow();
}
