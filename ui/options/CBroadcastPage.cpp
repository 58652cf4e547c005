#include "ui/options/CBroadcastPage.h"

#include "catalogue/MusicFolder.h"
#include "platform/CKeyringPassword.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace {

constexpr int kBitrates[] = {32, 48, 64, 96, 128, 160, 192, 320};

} // namespace

QLineEdit* CBroadcastPage::AddLine(QFormLayout* form, const char* label, const std::string& text) {
    auto* line = new QLineEdit(QString::fromStdString(text), this);
    form->addRow(QString::fromUtf8(label), line);
    return line;
}

CBroadcastPage::CBroadcastPage(ISettingsStore& store, QWidget* parent)
    : QWidget(parent), m_store(store) {
    m_settings.Load(m_store);
    auto* form = new QFormLayout(this);
    m_pStream = new QCheckBox(QStringLiteral("&Stream the mix to an Icecast server"), this);
    m_pStream->setChecked(m_settings.m_bStream);
    form->addRow(m_pStream);
    m_pHost = AddLine(form, "Ser&ver:", m_settings.m_strHost);
    m_pPort = new QSpinBox(this);
    m_pPort->setRange(1, 65535);
    m_pPort->setValue(m_settings.m_nPort);
    form->addRow(QStringLiteral("&Port:"), m_pPort);
    m_pMount = AddLine(form, "&Mount:", m_settings.m_strMount);
    m_pUser = AddLine(form, "&User:", m_settings.m_strUser);
    m_pPassword = new QLineEdit(this);
    m_pPassword->setEchoMode(QLineEdit::Password);
    m_pPassword->setPlaceholderText(QStringLiteral("kept in the keyring"));
    form->addRow(QStringLiteral("Pass&word:"), m_pPassword);
    m_pName = AddLine(form, "Stream &name:", m_settings.m_strStreamName);
    m_pGenre = AddLine(form, "&Genre:", m_settings.m_strGenre);
    m_pFormat = new QComboBox(this);
    m_pFormat->addItems(
        {QStringLiteral("MP3"), QStringLiteral("Ogg Vorbis"), QStringLiteral("Opus")});
    m_pFormat->setCurrentIndex(m_settings.m_nFormat);
    form->addRow(QStringLiteral("&Format:"), m_pFormat);
    m_pBitrate = new QComboBox(this);
    for (const int kbps : kBitrates) {
        m_pBitrate->addItem(QStringLiteral("%1 kbit/s").arg(kbps), kbps);
    }
    m_pBitrate->setCurrentIndex(m_pBitrate->findData(m_settings.m_nBitrateKbps));
    form->addRow(QStringLiteral("&Bit rate:"), m_pBitrate);

    m_pRecord = new QCheckBox(QStringLiteral("&Record the show"), this);
    m_pRecord->setChecked(m_settings.m_bRecord);
    form->addRow(m_pRecord);
    m_pRecordFormat = new QComboBox(this);
    m_pRecordFormat->addItems(
        {QStringLiteral("Ogg Vorbis"), QStringLiteral("FLAC"), QStringLiteral("MP3")});
    m_pRecordFormat->setCurrentIndex(m_settings.m_nRecordFormat);
    form->addRow(QStringLiteral("Recording forma&t:"), m_pRecordFormat);
    m_pSplit = new QComboBox(this);
    m_pSplit->addItems({QStringLiteral("One file per hour"), QStringLiteral("One file per show")});
    m_pSplit->setCurrentIndex(m_settings.m_nRecordSplit);
    form->addRow(QStringLiteral("F&iles:"), m_pSplit);
    m_pFolder = new QLineEdit(QString::fromStdString(m_settings.m_strRecordFolder), this);
    m_pFolder->setPlaceholderText(QString::fromStdString(GetMusicFolder()));
    auto* browse = new QPushButton(QStringLiteral("Br&owse..."), this);
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString folder = QFileDialog::getExistingDirectory(
            this, QStringLiteral("Recording folder"), m_pFolder->text());
        if (!folder.isEmpty()) {
            m_pFolder->setText(folder);
        }
    });
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(m_pFolder, 1);
    folderRow->addWidget(browse);
    form->addRow(QStringLiteral("Fol&der:"), folderRow);
}

std::string CBroadcastPage::Save(bool& ok) {
    m_settings.m_bStream = m_pStream->isChecked();
    m_settings.m_strHost = m_pHost->text().trimmed().toStdString();
    m_settings.m_nPort = m_pPort->value();
    m_settings.m_strMount = m_pMount->text().trimmed().toStdString();
    if (m_settings.m_strMount.empty() || m_settings.m_strMount.front() != '/') {
        m_settings.m_strMount = "/" + m_settings.m_strMount;
    }
    m_settings.m_strUser = m_pUser->text().trimmed().toStdString();
    m_settings.m_strStreamName = m_pName->text().toStdString();
    m_settings.m_strGenre = m_pGenre->text().toStdString();
    m_settings.m_nFormat = m_pFormat->currentIndex();
    m_settings.m_nBitrateKbps = m_pBitrate->currentData().toInt();
    m_settings.m_bRecord = m_pRecord->isChecked();
    m_settings.m_nRecordFormat = m_pRecordFormat->currentIndex();
    m_settings.m_nRecordSplit = m_pSplit->currentIndex();
    m_settings.m_strRecordFolder = m_pFolder->text().trimmed().toStdString();
    ok = m_settings.Save(m_store);
    if (m_pPassword->text().isEmpty()) {
        return {};
    }
    const std::string entry = CKeyringPassword::EntryName(
        m_settings.m_strUser, m_settings.m_strHost, m_settings.m_nPort, m_settings.m_strMount);
    const auto where = CKeyringPassword::Write(entry, m_pPassword->text().toStdString());
    return where == CKeyringPassword::kRunOnly ? CKeyringPassword::RunOnlyText() : std::string();
}
