#include "ui/prompts/CQtPrompt.h"
#include "ui/toolkit/StdToQString.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

namespace {

bool OnUiThread() {
    return QThread::currentThread() == qApp->thread();
}

QMessageBox::Icon IconOf(IShellPrompt::Icon icon) {
    switch (icon) {
    case IShellPrompt::kIconQuestion:
        return QMessageBox::Question;
    case IShellPrompt::kIconExclamation:
        return QMessageBox::Warning;
    case IShellPrompt::kIconError:
        return QMessageBox::Critical;
    default:
        return QMessageBox::Information;
    }
}

} // namespace

void CQtPrompt::Message(const std::string& text) {
    if (OnUiThread()) {
        AskHere(text, kOk, kIconInformation);
        return;
    }
    QMetaObject::invokeMethod(
        qApp, [this, text] { AskHere(text, kOk, kIconInformation); }, Qt::QueuedConnection);
}

IUserPrompt::Answer CQtPrompt::Question(const std::string& text, bool withCancel) {
    return Ask(text, withCancel ? kYesNoCancel : kYesNo, kIconQuestion);
}

IUserPrompt::Answer CQtPrompt::Ask(const std::string& text, Buttons buttons, Icon icon) {
    if (OnUiThread()) {
        return AskHere(text, buttons, icon);
    }
    // A worker may hold a document lock the user-interface thread wants, so it never
    // waits for an answer: the text is shown and the question taken as declined.
    QMetaObject::invokeMethod(
        qApp, [this, text] { AskHere(text, kOk, kIconQuestion); }, Qt::QueuedConnection);
    return kAnswerNo;
}

IUserPrompt::Answer CQtPrompt::AskHere(const std::string& text, Buttons buttons, Icon icon) {
    QMessageBox box(IconOf(icon), QString::fromLatin1(kTitle), Q(text), QMessageBox::NoButton,
                    m_pParent);
    switch (buttons) {
    case kYesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case kYesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    case kOkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    default:
        box.setStandardButtons(QMessageBox::Ok);
    }
    const int result = box.exec();
    if (result == QMessageBox::Yes || result == QMessageBox::Ok) {
        return kAnswerYes;
    }
    return result == QMessageBox::No ? kAnswerNo : kAnswerCancel;
}

IUserPrompt::DuplicateAnswer CQtPrompt::DuplicateQuestion(const std::string& songTitle,
                                                          const std::string& text) {
    // From a worker, as Ask: declined without waiting.
    return OnUiThread() ? DuplicateHere(songTitle, text) : kNo;
}

IUserPrompt::DuplicateAnswer CQtPrompt::DuplicateHere(const std::string& songTitle,
                                                      const std::string& text) {
    QDialog dialog(m_pParent);
    dialog.setWindowTitle(QStringLiteral("Question"));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(Q(songTitle), &dialog));
    layout->addWidget(new QLabel(Q(text), &dialog));
    auto* buttons = new QDialogButtonBox(&dialog);
    DuplicateAnswer answer = kCancel;
    const std::pair<const char*, DuplicateAnswer> choices[] = {{"&Yes", kYes},
                                                               {"Yes to &all", kYesToAll},
                                                               {"&No", kNo},
                                                               {"N&o to all", kNoToAll},
                                                               {"Cancel", kCancel}};
    for (const auto& [label, value] : choices) {
        QPushButton* button =
            buttons->addButton(QString::fromLatin1(label), QDialogButtonBox::ActionRole);
        QObject::connect(button, &QPushButton::clicked, &dialog, [&dialog, &answer, value = value] {
            answer = value;
            dialog.accept();
        });
    }
    layout->addWidget(buttons);
    dialog.exec();
    return answer;
}

bool CQtPrompt::SongData(std::string& title, std::string& location) {
    QDialog dialog(m_pParent);
    dialog.setWindowTitle(QStringLiteral("Manual song edit/addition"));
    auto* layout = new QFormLayout(&dialog);
    layout->addRow(new QLabel(QStringLiteral("Please enter song data"), &dialog));
    auto* titleEdit = new QLineEdit(Q(title), &dialog);
    auto* locationEdit = new QLineEdit(Q(location), &dialog);
    layout->addRow(QStringLiteral("&Title"), titleEdit);
    layout->addRow(QStringLiteral("&Location"), locationEdit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    title = titleEdit->text().toStdString();
    location = locationEdit->text().toStdString();
    return true;
}

bool CQtPrompt::ChooseOpenFile(const std::string& title, const std::string& filter,
                               std::string& path) {
    const QString chosen = QFileDialog::getOpenFileName(
        m_pParent, Q(title), Q(path), Q(filter) + QStringLiteral(";;All files (*)"));
    path = chosen.toStdString();
    return !chosen.isEmpty();
}

bool CQtPrompt::ChooseSaveFile(const std::string& title, const std::string& filter,
                               const std::string& proposed, std::string& path,
                               const std::string& defaultSuffix) {
    QString filters = Q(filter);
    if (!filters.contains(QStringLiteral("All files"))) {
        filters += QStringLiteral(";;All files (*)");
    }
    QFileDialog dialog(m_pParent, Q(title), Q(proposed), filters);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(Q(defaultSuffix));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return false;
    }
    path = dialog.selectedFiles().front().toStdString();
    return !path.empty();
}
