#include "ui/tags/CAutoTagDialog.h"

#include "media/GenreTable.h"
#include "ui/prompts/IShellPrompt.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

CAutoTagDialog::CAutoTagDialog(IShellPrompt& prompt, long fileCount, QWidget* parent)
    : QDialog(parent), m_prompt(prompt) {
    setWindowTitle(QString::fromUtf8(kTitle));
    auto* layout = new QVBoxLayout(this);
    auto* criteria = new QFormLayout;
    m_pCriteria = new QLabel;
    m_pCriteria->setFrameShape(QFrame::StyledPanel);
    m_pCriteria->setMinimumWidth(260);
    criteria->addRow(QStringLiteral("Specified criteria"), m_pCriteria);
    m_pField = new QComboBox;
    m_pSeparator = new QComboBox;
    m_pSeparator->setEditable(true);
    m_pSeparator->addItems({QStringLiteral("("), QStringLiteral(")"), QStringLiteral("-"),
                            QStringLiteral(":"), QStringLiteral("\\")});
    auto* row = new QHBoxLayout;
    auto* fieldLabel = new QLabel(QStringLiteral("&Field"));
    fieldLabel->setBuddy(m_pField);
    auto* separatorLabel = new QLabel(QStringLiteral("&Separator"));
    separatorLabel->setBuddy(m_pSeparator);
    row->addWidget(fieldLabel);
    row->addWidget(m_pField, 1);
    row->addWidget(separatorLabel);
    row->addWidget(m_pSeparator);
    auto* add = new QPushButton(QStringLiteral("&Add"));
    auto* reset = new QPushButton(QStringLiteral("&Reset"));
    add->setDefault(true);
    row->addWidget(add);
    row->addWidget(reset);
    layout->addLayout(criteria);
    layout->addLayout(row);
    connect(add, &QPushButton::clicked, this, &CAutoTagDialog::Add);
    connect(reset, &QPushButton::clicked, this, &CAutoTagDialog::Reset);

    m_pDontOverwrite =
        new QCheckBox(QStringLiteral("&Don't overwrite existing ID3 tag information"));
    layout->addWidget(m_pDontOverwrite);
    layout->addWidget(
        new QLabel(QStringLiteral("Number of file(s) to be processed: %1").arg(fileCount)));

    auto* defaults = new QFormLayout;
    m_pArtist = new QLineEdit;
    m_pAlbum = new QLineEdit;
    m_pTitle = new QLineEdit;
    m_pComment = new QLineEdit;
    for (QLineEdit* edit : {m_pArtist, m_pAlbum, m_pTitle, m_pComment}) {
        edit->setMaxLength(30);
    }
    // Left at their first value, year, track and genre keep what each file's tag holds.
    const QString keep = QString::fromUtf8(CAutoTagger::kKeepText);
    m_pYear = new QSpinBox;
    m_pYear->setRange(0, 3000);
    m_pYear->setSpecialValueText(keep);
    m_pTrack = new QSpinBox;
    m_pTrack->setRange(-1, 255);
    m_pTrack->setValue(-1);
    m_pTrack->setSpecialValueText(keep);
    m_pGenre = new QComboBox;
    m_pGenre->addItem(keep);
    for (int i = 0; i < GenreTable::kCount; ++i) {
        m_pGenre->addItem(QStringLiteral("(%1)%2").arg(i).arg(QString::fromUtf8(
            GenreTable::Name(i).data(), static_cast<int>(GenreTable::Name(i).size()))));
    }
    m_pGenre->setCurrentIndex(0);
    defaults->addRow(QStringLiteral("Artist"), m_pArtist);
    defaults->addRow(QStringLiteral("Album"), m_pAlbum);
    defaults->addRow(QStringLiteral("Title"), m_pTitle);
    defaults->addRow(QStringLiteral("Comment"), m_pComment);
    defaults->addRow(QStringLiteral("Year"), m_pYear);
    defaults->addRow(QStringLiteral("Track"), m_pTrack);
    defaults->addRow(QStringLiteral("Genre"), m_pGenre);
    layout->addLayout(defaults);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel);
    buttons->addButton(QStringLiteral("&Use"), QDialogButtonBox::AcceptRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &CAutoTagDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CAutoTagDialog::reject);
    layout->addWidget(buttons);
    Reset();
    m_pSeparator->setCurrentIndex(0);
}

void CAutoTagDialog::Reset() {
    m_pattern.Clear();
    m_pField->clear();
    for (const char* name : FilenamePattern::kFieldNames) {
        m_pField->addItem(QString::fromUtf8(name));
    }
    m_pField->setCurrentIndex(0);
    m_pCriteria->clear();
}

void CAutoTagDialog::Add() {
    if (m_pField->count() > 0) {
        const QString name = m_pField->currentText();
        m_pattern.AddField(name.toLower().toStdString());
        m_pField->removeItem(m_pField->currentIndex());
        m_pField->setCurrentIndex(m_pField->count() > 0 ? 0 : -1);
        m_pCriteria->setText(m_pCriteria->text() + QStringLiteral("{%1}").arg(name.toUpper()));
    }
    const QString separator = m_pSeparator->currentText();
    m_pattern.AddSeparator(separator.toStdString());
    if (!m_pCriteria->text().isEmpty()) {
        m_pCriteria->setText(m_pCriteria->text() + separator);
    }
    m_pSeparator->setEditText(QString());
    m_pField->setFocus();
}

QString CAutoTagDialog::Criteria() const {
    return m_pCriteria->text();
}

CAutoTagger::Defaults CAutoTagDialog::Defaults() const {
    CAutoTagger::Defaults d;
    d.strArtist = m_pArtist->text().toStdString();
    d.strAlbum = m_pAlbum->text().toStdString();
    d.strTitle = m_pTitle->text().toStdString();
    d.strComment = m_pComment->text().toStdString();
    d.nYear = m_pYear->value();
    d.nTrack = m_pTrack->value();
    d.strGenre = m_pGenre->currentIndex() > 0 ? m_pGenre->currentText().toStdString() : "";
    d.bDontOverwrite = m_pDontOverwrite->isChecked();
    return d;
}

bool CAutoTagDialog::Use() {
    if (m_pCriteria->text().isEmpty()) {
        m_prompt.Ask(CAutoTagger::kNoCriteriaText, IShellPrompt::kOk,
                     IShellPrompt::kIconExclamation);
        return false;
    }
    return true;
}

void CAutoTagDialog::accept() {
    if (Use()) {
        QDialog::accept();
    }
}
