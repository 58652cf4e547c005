#include "ui/playlist/CFindPanel.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

CFindPanel::CFindPanel(QWidget* parent)
    : QDockWidget(QStringLiteral("Find"), parent), m_pText(new QLineEdit),
      m_pDown(new QRadioButton(QStringLiteral("&Down"))),
      m_pWholeWord(new QCheckBox(QStringLiteral("Match &whole word"))),
      m_pFromSelection(new QCheckBox(QStringLiteral("From the &sel."))) {
    setObjectName(QStringLiteral("find"));
    setAllowedAreas(Qt::TopDockWidgetArea | Qt::BottomDockWidgetArea);
    auto* body = new QWidget(this);
    auto* layout = new QHBoxLayout(body);
    auto* up = new QRadioButton(QStringLiteral("&Up"));
    auto* next = new QPushButton(QStringLiteral("&Find next"));
    next->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+F")));
    next->setDefault(true);
    m_pDown->setChecked(true);
    layout->addWidget(m_pText, 1);
    for (QWidget* widget :
         std::initializer_list<QWidget*>{up, m_pDown, m_pWholeWord, m_pFromSelection, next}) {
        layout->addWidget(widget);
    }
    setWidget(body);
    connect(next, &QPushButton::clicked, this, &CFindPanel::FindNext);
    connect(m_pText, &QLineEdit::returnPressed, this, &CFindPanel::FindNext);
}

std::string CFindPanel::GetText() const {
    return m_pText->text().toStdString();
}

bool CFindPanel::IsDown() const {
    return m_pDown->isChecked();
}

bool CFindPanel::IsWholeWord() const {
    return m_pWholeWord->isChecked();
}

bool CFindPanel::IsFromSelection() const {
    return m_pFromSelection->isChecked();
}

void CFindPanel::FocusText() {
    m_pText->setFocus();
    m_pText->selectAll();
}
