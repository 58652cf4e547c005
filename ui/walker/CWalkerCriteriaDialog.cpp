#include "ui/walker/CWalkerCriteriaDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

CWalkerCriteriaDialog::CWalkerCriteriaDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Media Walker Criteria"));
    m_pAvailable = new QListWidget;
    m_pUse = new QListWidget;
    auto* add = new QPushButton(QStringLiteral("&Add"));
    auto* reset = new QPushButton(QStringLiteral("&Reset"));
    auto* lists = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    auto* availableLabel = new QLabel(QStringLiteral("A&vailable"));
    availableLabel->setBuddy(m_pAvailable);
    left->addWidget(availableLabel);
    left->addWidget(m_pAvailable);
    auto* middle = new QVBoxLayout;
    middle->addStretch();
    middle->addWidget(add);
    middle->addWidget(reset);
    middle->addStretch();
    auto* right = new QVBoxLayout;
    auto* useLabel = new QLabel(QStringLiteral("U&se"));
    useLabel->setBuddy(m_pUse);
    right->addWidget(useLabel);
    right->addWidget(m_pUse);
    lists->addLayout(left);
    lists->addLayout(middle);
    lists->addLayout(right);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel);
    buttons->addButton(QStringLiteral("&Use"), QDialogButtonBox::AcceptRole);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists);
    layout->addWidget(buttons);
    connect(add, &QPushButton::clicked, this, &CWalkerCriteriaDialog::AddSelected);
    connect(reset, &QPushButton::clicked, this, &CWalkerCriteriaDialog::Reset);
    connect(m_pAvailable, &QListWidget::itemDoubleClicked, this,
            &CWalkerCriteriaDialog::AddSelected);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (m_pUse->count() > 0) {
            accept();
        }
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    Reset();
}

void CWalkerCriteriaDialog::Reset() {
    m_pUse->clear();
    m_pAvailable->clear();
    m_pAvailable->addItems({QStringLiteral("Genre"), QStringLiteral("Year"),
                            QStringLiteral("Artist"), QStringLiteral("Album")});
    m_pAvailable->setCurrentRow(0);
}

void CWalkerCriteriaDialog::AddSelected() {
    QListWidgetItem* item = m_pAvailable->currentItem();
    if (item != nullptr) {
        m_pUse->addItem(m_pAvailable->takeItem(m_pAvailable->row(item)));
    }
}

QString CWalkerCriteriaDialog::Criteria() const {
    QStringList names;
    for (int i = 0; i < m_pUse->count(); ++i) {
        names << m_pUse->item(i)->text();
    }
    return names.join(QLatin1Char('/'));
}
