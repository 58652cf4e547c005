#include "ui/playlist/CRegionsPanel.h"

#include "catalogue/CMixorel2001Doc.h"
#include "ui/playlist/CMixorel2001View.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableView>
#include <QVBoxLayout>

CRegionsPanel::CRegionsPanel(QWidget* parent, IUserPrompt& prompt)
    : QDockWidget(QStringLiteral("Regions"), parent), m_prompt(prompt),
      m_pRegions(new QListWidget) {
    setObjectName(QStringLiteral("regions"));
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    m_pRegions->setToolTip(QStringLiteral("Region"));
    layout->addWidget(m_pRegions);
    auto* buttons = new QVBoxLayout;
    auto* select = new QPushButton(QStringLiteral("&Select marker"));
    auto* edit = new QPushButton(QStringLiteral("Ed&it..."));
    auto* removeAll = new QPushButton(QStringLiteral("Rem&ove all"));
    m_pPreSize = new QPushButton(QStringLiteral("Pre-&size"));
    m_pPreSize->setCheckable(true);
    buttons->addWidget(select);
    buttons->addWidget(edit);
    buttons->addWidget(removeAll);
    buttons->addWidget(m_pPreSize);
    connect(m_pPreSize, &QPushButton::toggled, this, &CRegionsPanel::PreSizeToggled);
    layout->addLayout(buttons);
    setWidget(body);
    connect(select, &QPushButton::clicked, this, &CRegionsPanel::SelectMarker);
    connect(m_pRegions, &QListWidget::itemActivated, this, &CRegionsPanel::SelectMarker);
    // The region dialog for the chosen region, through its header line in the list.
    connect(edit, &QPushButton::clicked, this, [this] {
        if (m_pRegions->currentItem() == nullptr) {
            m_prompt.Message("Nothing selected.");
            return;
        }
        SelectMarker();
        if (auto* view = qobject_cast<CMixorel2001View*>(m_pList)) {
            view->RunCommand(CMixorel2001View::kEditRegion);
        }
    });
    connect(removeAll, &QPushButton::clicked, this, [this] {
        if (m_pDoc != nullptr && m_pDoc->RemoveAllRegions(true)) {
            Refresh();
        }
    });
}

void CRegionsPanel::SetPreSizeChecked(bool checked) {
    const QSignalBlocker blocker(m_pPreSize);
    m_pPreSize->setChecked(checked);
}

void CRegionsPanel::SetPlaylist(CMixorel2001Doc* doc, QTableView* list) {
    m_pDoc = doc;
    m_pList = list;
    Refresh();
}

void CRegionsPanel::Forget(const CMixorel2001Doc& doc) {
    if (m_pDoc == &doc) {
        SetPlaylist(nullptr, nullptr);
    }
}

void CRegionsPanel::Refresh() {
    m_pRegions->clear();
    if (m_pDoc == nullptr) {
        return;
    }
    std::lock_guard lock(m_pDoc->GetMutex());
    for (const std::string& id : m_pDoc->GetRegionList()) {
        if (const CSong* header = m_pDoc->FindById(id)) {
            auto* item =
                new QListWidgetItem(QString::fromStdString(header->GetTitleWithDate(true)));
            item->setData(Qt::UserRole, QString::fromStdString(id));
            m_pRegions->addItem(item);
        }
    }
}

void CRegionsPanel::SelectMarker() {
    QListWidgetItem* item = m_pRegions->currentItem();
    if (item == nullptr || m_pDoc == nullptr || m_pList == nullptr) {
        m_prompt.Message("Nothing selected.");
        return;
    }
    int line = -1;
    {
        std::lock_guard lock(m_pDoc->GetMutex());
        m_pDoc->FindById(item->data(Qt::UserRole).toString().toStdString(), &line);
    }
    if (line >= 0) {
        const QModelIndex index = m_pList->model()->index(line, 0);
        m_pList->selectRow(line);
        m_pList->scrollTo(index);
    }
}
