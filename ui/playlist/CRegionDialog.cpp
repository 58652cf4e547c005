#include "ui/playlist/CRegionDialog.h"

#include "catalogue/CMixorel2001Doc.h"
#include "catalogue/IUserPrompt.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <ctime>

namespace {

QColor FromColorRef(std::uint32_t colour) {
    return QColor(static_cast<int>(colour & 0xff), static_cast<int>((colour >> 8) & 0xff),
                  static_cast<int>((colour >> 16) & 0xff));
}

std::uint32_t ToColorRef(const QColor& colour) {
    return static_cast<std::uint32_t>(colour.red()) |
           (static_cast<std::uint32_t>(colour.green()) << 8) |
           (static_cast<std::uint32_t>(colour.blue()) << 16);
}

QDateTime ToQt(const CDateTime& value) {
    std::tm fields{};
    if (value.IsNull() || !value.GetCalendar(fields)) {
        return {};
    }
    return QDateTime(QDate(fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday),
                     QTime(fields.tm_hour, fields.tm_min, fields.tm_sec));
}

} // namespace

CRegionDialog::CRegionDialog(QWidget* parent, CSettings& settings, IUserPrompt& prompt,
                             const Fields& fields)
    : QDialog(parent), m_presets(settings), m_vPresets(m_presets.Load()), m_prompt(prompt),
      m_pName(new QComboBox(this)), m_pStart(new QDateTimeEdit(this)),
      m_pNone(new QCheckBox(QStringLiteral("None"), this)),
      m_pBack(new QPushButton(QStringLiteral("&Back colour..."), this)),
      m_pText(new QPushButton(QStringLiteral("&Text colour..."), this)) {
    setWindowTitle(QString::fromLatin1(kTitle));
    auto* layout = new QFormLayout(this);
    m_pName->setEditable(true);
    for (const CRegionPresets::Preset& preset : m_vPresets) {
        m_pName->addItem(QString::fromStdString(preset.m_strName));
    }
    connect(m_pName, &QComboBox::activated, this, &CRegionDialog::ChoosePreset);
    layout->addRow(QStringLiteral("&Name"), m_pName);
    auto* colours = new QHBoxLayout;
    colours->addWidget(m_pBack);
    colours->addWidget(m_pText);
    layout->addRow(colours);
    connect(m_pBack, &QPushButton::clicked, this, [this] { ChooseColour(true); });
    connect(m_pText, &QPushButton::clicked, this, [this] { ChooseColour(false); });
    m_pStart->setDisplayFormat(QStringLiteral("dd-MMM-yyyy HH:mm:ss"));
    auto* start = new QHBoxLayout;
    start->addWidget(m_pStart, 1);
    start->addWidget(m_pNone);
    connect(m_pNone, &QCheckBox::toggled, m_pStart, &QWidget::setDisabled);
    layout->addRow(QStringLiteral("&Start"), start);
    auto* note = new QLabel(
        QString::fromLatin1(kNote).replace(QStringLiteral("&&"), QStringLiteral("&")), this);
    note->setWordWrap(true);
    layout->addRow(note);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { TryAccept(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addRow(buttons);
    SetName(QString::fromStdString(fields.m_strName));
    SetStart(fields.m_dtStart);
    SetColours(fields.m_crBack, fields.m_crText);
}

CRegionDialog::Fields CRegionDialog::DefaultsForAdd(std::time_t now, std::uint32_t crBack,
                                                    std::uint32_t crText) {
    Fields fields;
    fields.m_crBack = crBack;
    fields.m_crText = crText;
    std::tm local{};
    if (localtime_r(&now, &local) != nullptr) {
        fields.m_dtStart = CDateTime::FromCalendar(local.tm_year + 1900, local.tm_mon + 1,
                                                   local.tm_mday, local.tm_hour, local.tm_min, 0);
    }
    return fields;
}

std::uint32_t CRegionDialog::WindowColour() {
    return ToColorRef(QApplication::palette().color(QPalette::Base));
}

std::uint32_t CRegionDialog::WindowTextColour() {
    return ToColorRef(QApplication::palette().color(QPalette::Text));
}

CRegionDialog::Fields CRegionDialog::GetFields() const {
    Fields fields;
    fields.m_strName = m_pName->currentText().toStdString();
    fields.m_crBack = m_crBack;
    fields.m_crText = m_crText;
    if (!m_pNone->isChecked()) {
        const QDateTime start = m_pStart->dateTime();
        fields.m_dtStart = CDateTime::FromCalendar(start.date().year(), start.date().month(),
                                                   start.date().day(), start.time().hour(),
                                                   start.time().minute(), start.time().second());
    }
    return fields;
}

void CRegionDialog::SetName(const QString& name) {
    m_pName->setEditText(name);
}

void CRegionDialog::SetStart(const CDateTime& start) {
    const QDateTime value = ToQt(start);
    m_pNone->setChecked(!value.isValid());
    m_pStart->setDisabled(!value.isValid());
    m_pStart->setDateTime(value.isValid() ? value : QDateTime::currentDateTime());
}

void CRegionDialog::SetColours(std::uint32_t crBack, std::uint32_t crText) {
    m_crBack = crBack;
    m_crText = crText;
    ShowColours();
}

void CRegionDialog::ChoosePreset(int index) {
    if (index < 0 || index >= static_cast<int>(m_vPresets.size())) {
        return;
    }
    const CRegionPresets::Preset& preset = m_vPresets[static_cast<std::size_t>(index)];
    SetName(QString::fromStdString(preset.m_strName));
    SetColours(preset.m_crBack, preset.m_crText);
}

bool CRegionDialog::TryAccept() {
    const Fields fields = GetFields();
    if (fields.m_strName.find_first_not_of(" \t\r\n") == std::string::npos) {
        m_prompt.Message(CMixorel2001Doc::kEmptyRegionNameText);
        return false;
    }
    CRegionPresets::Preset preset;
    preset.m_strName = fields.m_strName;
    preset.m_crBack = fields.m_crBack;
    preset.m_crText = fields.m_crText;
    m_presets.Use(preset);
    accept();
    return true;
}

void CRegionDialog::ChooseColour(bool back) {
    const QColor chosen = QColorDialog::getColor(FromColorRef(back ? m_crBack : m_crText), this);
    if (chosen.isValid()) {
        (back ? m_crBack : m_crText) = ToColorRef(chosen);
        ShowColours();
    }
}

void CRegionDialog::ShowColours() {
    // The name box shows the region's own look.
    QPalette palette = m_pName->palette();
    palette.setColor(QPalette::Base, FromColorRef(m_crBack));
    palette.setColor(QPalette::Text, FromColorRef(m_crText));
    m_pName->setPalette(palette);
}
