// The list's dialogs: the lock, the song timer, the find dialog and the region dialog for
// adding and editing regions.

#include "ui/playlist/CMixorel2001View.h"

#include "catalogue/CMixorel2001Doc.h"
#include "catalogue/CSong.h"
#include "settings/CSettings.h"
#include "ui/playlist/CPlaylistModel.h"
#include "ui/playlist/CRegionDialog.h"
#include "ui/prompts/IShellPrompt.h"
#include "ui/shell/CMainFrame.h"
#include "ui/shell/COpenPlaylist.h"

#include <QCheckBox>
#include <QDateTime>
#include <QDateTimeEdit>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <ctime>
#include <mutex>

namespace {

// The find dialog's last text, for every list of the run.
QString g_strLastFind;

} // namespace

void CMixorel2001View::ShowLockDialog() {
    CMixorel2001Doc& doc = GetDoc();
    QDialog dialog(this);
    dialog.setWindowTitle(QStringLiteral("Playlist lock"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* locked = new QCheckBox(QStringLiteral("&Locked "), &dialog);
    auto* disable = new QCheckBox(QStringLiteral("&Disable player commands"), &dialog);
    locked->setChecked(doc.IsLocked());
    disable->setChecked(doc.IsPlayerCommandsDisabled());
    layout->addWidget(locked);
    layout->addWidget(disable);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    if (dialog.exec() == QDialog::Accepted) {
        doc.ApplyLock(locked->isChecked(), disable->isChecked());
    }
}

void CMixorel2001View::ShowSongTimer() {
    CMixorel2001Doc& doc = GetDoc();
    const int mark = GetSelectionMark();
    std::string title;
    CDateTime start = CDateTime::Null();
    {
        std::lock_guard lock(doc.GetMutex());
        const CSong* song = doc.GetSongAt(mark);
        if (song == nullptr) {
            return;
        }
        title = song->GetTitle();
        start = song->GetStart();
    }
    QDialog dialog(this);
    dialog.setWindowTitle(QStringLiteral("Song timer"));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(
        new QLabel(QStringLiteral("&Please set the starting time for the song"), &dialog));
    layout->addWidget(new QLabel(QString::fromStdString(title), &dialog));
    auto* label = new QLabel(QStringLiteral("S&tart date/time"), &dialog);
    auto* edit = new QDateTimeEdit(QDateTime::currentDateTime(), &dialog);
    edit->setCalendarPopup(true);
    std::tm fields{};
    if (!start.IsNull() && start.GetCalendar(fields)) {
        edit->setDateTime(QDateTime(QDate(fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday),
                                    QTime(fields.tm_hour, fields.tm_min, fields.tm_sec)));
    }
    label->setBuddy(edit);
    layout->addWidget(label);
    layout->addWidget(edit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, &dialog);
    QPushButton* set = buttons->addButton(QStringLiteral("&Set"), QDialogButtonBox::AcceptRole);
    QPushButton* reset = buttons->addButton(QStringLiteral("&Reset"), QDialogButtonBox::ResetRole);
    bool cleared = false;
    connect(set, &QPushButton::clicked, &dialog, &QDialog::accept);
    connect(reset, &QPushButton::clicked, &dialog, [&dialog, &cleared] {
        cleared = true;
        dialog.accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    std::lock_guard lock(doc.GetMutex());
    if (CSong* song = doc.GetSongAt(mark)) {
        song->SetStart(cleared ? CDateTime::Null()
                               : CDateTime::FromTime(edit->dateTime().toSecsSinceEpoch()));
        doc.SetModifiedFlag(true);
    }
    doc.UpdateViews(mark);
}

// The find dialog goes on from the list's previous find position each time.
void CMixorel2001View::ShowFindDialog() {
    auto* dialog = new QDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(QStringLiteral("Find"));
    auto* layout = new QVBoxLayout(dialog);
    auto* label = new QLabel(QStringLiteral("Fi&nd what:"), dialog);
    auto* text = new QLineEdit(g_strLastFind, dialog);
    label->setBuddy(text);
    auto* whole = new QCheckBox(QStringLiteral("Match &whole word only"), dialog);
    auto* up = new QCheckBox(QStringLiteral("&Up"), dialog);
    layout->addWidget(label);
    layout->addWidget(text);
    layout->addWidget(whole);
    layout->addWidget(up);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, dialog);
    QPushButton* next =
        buttons->addButton(QStringLiteral("&Find Next"), QDialogButtonBox::ActionRole);
    next->setDefault(true);
    connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    connect(next, &QPushButton::clicked, this, [this, text, whole, up] {
        g_strLastFind = text->text();
        m_main.FindInList(m_playlist, g_strLastFind.toStdString(), !up->isChecked(),
                          whole->isChecked(), false);
    });
    layout->addWidget(buttons);
    dialog->show();
}

void CMixorel2001View::AddRegion() {
    if (RefuseWhenLocked()) {
        return;
    }
    CSettings settings = m_main.GetSettings();
    CRegionDialog dialog(this, settings, m_prompt,
                         CRegionDialog::DefaultsForAdd(std::time(nullptr),
                                                       CRegionDialog::WindowColour(),
                                                       CRegionDialog::WindowTextColour()));
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    const CRegionDialog::Fields fields = dialog.GetFields();
    std::string id;
    if (GetDoc().AddRegion(GetSelectionMark(),
                           CMixorel2001Doc::MakeRegionHeader(fields.m_strName, fields.m_dtStart,
                                                             fields.m_crBack, fields.m_crText),
                           &id)) {
        m_pModel->RefreshNow();
        SelectLines({id});
        m_main.RefreshRegionsPanel();
    }
}

void CMixorel2001View::EditRegionAt(int line) {
    CMixorel2001Doc& doc = GetDoc();
    std::string id;
    CRegionDialog::Fields fields;
    {
        std::lock_guard lock(doc.GetMutex());
        const CSong* header = doc.GetSongAt(line);
        if (header == nullptr || !header->IsRegion()) {
            return;
        }
        id = header->GetId();
        fields.m_strName = header->GetTitle();
        fields.m_dtStart = header->GetStart();
        fields.m_crBack = header->GetBackColor();
        fields.m_crText = header->GetTextColor();
    }
    CSettings settings = m_main.GetSettings();
    CRegionDialog dialog(this, settings, m_prompt, fields);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    fields = dialog.GetFields();
    if (doc.EditRegion(id, fields.m_strName, fields.m_dtStart, fields.m_crBack, fields.m_crText)) {
        m_pModel->RefreshNow();
        m_main.RefreshRegionsPanel();
    }
}
