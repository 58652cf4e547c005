#include "ui/walker/CMediaWalkerWnd.h"

#include "catalogue/CMixorel2001Doc.h"
#include "platform/QtSongClipboard.h"
#include "ui/playlist/CMixorel2001View.h"
#include "ui/prompts/IShellPrompt.h"
#include "ui/walker/CWalkerCriteriaDialog.h"

#include <QAbstractListModel>
#include <QAction>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <map>
#include <set>

namespace {

// The remembered organisation for the next walker of the run; names added by "&New".
int g_nLastCriteria = 0;
QStringList g_extraCriteria;

// The song list: each row's text is the song's current title, asked for when drawn.
class WalkerSongList final : public QAbstractListModel {
public:
    explicit WalkerSongList(const CMediaWalkerModel& model, QObject* parent)
        : QAbstractListModel(parent), m_model(model) {}
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_model.GetListTitles().size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || index.row() < 0 || index.row() >= rowCount()) {
            return {};
        }
        return QString::fromStdString(
            m_model.GetListTitles()[static_cast<std::size_t>(index.row())]);
    }
    QVariant headerData(int, Qt::Orientation orientation, int role) const override {
        return orientation == Qt::Horizontal && role == Qt::DisplayRole
                   ? QVariant(QStringLiteral("Song Title"))
                   : QVariant();
    }
    void Reload() {
        beginResetModel();
        endResetModel();
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return QAbstractListModel::flags(index) | Qt::ItemIsDragEnabled;
    }
    QStringList mimeTypes() const override {
        return {QtSongClipboard::MimeTypeFor(ISongClipboard::kDragFormat)};
    }
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }
    QMimeData* mimeData(const QModelIndexList& indexes) const override {
        return m_makeDrag ? m_makeDrag(indexes) : nullptr;
    }
    std::function<QMimeData*(const QModelIndexList&)> m_makeDrag;

private:
    const CMediaWalkerModel& m_model;
};

// The tree "Resul&t": dragging a node drags all of its songs.
class WalkerTree final : public QTreeWidget {
public:
    std::function<QMimeData*(QTreeWidgetItem*)> m_makeDrag;

protected:
    QStringList mimeTypes() const override {
        return {QtSongClipboard::MimeTypeFor(ISongClipboard::kDragFormat)};
    }
    QMimeData* mimeData(const QList<QTreeWidgetItem*>& items) const override {
        return m_makeDrag && !items.isEmpty() ? m_makeDrag(items.front()) : nullptr;
    }
    Qt::DropActions supportedDropActions() const override { return Qt::CopyAction; }
};

// The playlist window's transport keys that act on the walker's choice of songs; F6,
// F8 and F9 are the walker's own "Play", "Pause" and "Stop".
constexpr int kListCommands[] = {CMixorel2001View::kNext,     CMixorel2001View::kFadeNext,
                                 CMixorel2001View::kFadeStop, CMixorel2001View::kLoop,
                                 CMixorel2001View::kLoopStop, CMixorel2001View::kSetNext,
                                 CMixorel2001View::kSetLast};

QKeySequence KeyOf(int command) {
    const QString text = QString::fromLatin1(CMixorel2001View::CommandMenuText(command));
    return QKeySequence(text.mid(text.indexOf(QLatin1Char('\t')) + 1));
}

} // namespace

CMediaWalkerWnd* CMediaWalkerWnd::Open(CMixorel2001Doc& doc, IShellPrompt& prompt,
                                       Callbacks callbacks, QWidget* parent) {
    if (!doc.GetProcessingQueue().empty() &&
        prompt.Ask(CMediaWalkerModel::kProcessingText, IShellPrompt::kYesNo,
                   IShellPrompt::kIconQuestion) != IUserPrompt::kAnswerYes) {
        return nullptr;
    }
    auto* walker = new CMediaWalkerWnd(doc, prompt, std::move(callbacks), parent);
    walker->setAttribute(Qt::WA_DeleteOnClose);
    walker->show();
    return walker;
}

CMediaWalkerWnd::CMediaWalkerWnd(CMixorel2001Doc& doc, IShellPrompt& prompt, Callbacks callbacks,
                                 QWidget* parent)
    : QWidget(parent, Qt::Window), m_doc(doc), m_prompt(prompt), m_callbacks(std::move(callbacks)) {
    setWindowTitle(QStringLiteral("%1 - [%2]")
                       .arg(QString::fromUtf8(kTitle), QString::fromStdString(doc.GetTitle())));
    m_model.TakeSnapshot(doc);

    m_pCriteria = new QComboBox;
    for (const std::string& name : CMediaWalkerModel::Organisations()) {
        m_pCriteria->addItem(QString::fromStdString(name));
    }
    m_pCriteria->addItems(g_extraCriteria);
    m_pCriteria->setCurrentIndex(g_nLastCriteria < m_pCriteria->count() ? g_nLastCriteria : 0);
    auto* show = new QPushButton(QStringLiteral("&Show"));
    auto* create = new QPushButton(QStringLiteral("&New"));
    auto* top = new QHBoxLayout;
    auto* criteriaLabel = new QLabel(QStringLiteral("C&riteria to be used"));
    criteriaLabel->setBuddy(m_pCriteria);
    top->addWidget(criteriaLabel);
    top->addWidget(m_pCriteria, 1);
    top->addWidget(show);
    top->addWidget(create);

    auto* tree = new WalkerTree;
    tree->m_makeDrag = [this](QTreeWidgetItem* item) { return MakeNodeDragData(item); };
    m_pTree = tree;
    m_pTree->setHeaderLabel(QStringLiteral("Result"));
    m_pTree->setDragEnabled(true);
    m_pTree->setDragDropMode(QAbstractItemView::DragOnly);
    m_pTree->setDefaultDropAction(Qt::CopyAction);
    m_pList = new QTableView;
    m_pListModel = new WalkerSongList(m_model, this);
    m_pList->setModel(m_pListModel);
    m_pList->horizontalHeader()->setStretchLastSection(true);
    m_pList->verticalHeader()->hide();
    m_pList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pList->setShowGrid(false);
    m_pList->verticalHeader()->setDefaultSectionSize(m_pList->fontMetrics().height() + 4);
    m_pList->setContextMenuPolicy(Qt::CustomContextMenu);
    // Dragging songs into a playlist: the document builds the drag data (a copy).
    m_pList->setDragEnabled(true);
    m_pList->setDragDropMode(QAbstractItemView::DragOnly);
    static_cast<WalkerSongList*>(m_pListModel)->m_makeDrag = [this](const QModelIndexList&) {
        return MakeDragData(SelectedIds());
    };
    m_pCount = new QLabel;
    auto* listSide = new QWidget;
    auto* listLayout = new QVBoxLayout(listSide);
    listLayout->setContentsMargins(0, 0, 0, 0);
    auto* listLabel = new QHBoxLayout;
    auto* songsLabel = new QLabel(QStringLiteral("Son&g(s):"));
    songsLabel->setBuddy(m_pList);
    listLabel->addWidget(songsLabel);
    listLabel->addWidget(m_pCount);
    listLabel->addStretch();
    listLayout->addLayout(listLabel);
    listLayout->addWidget(m_pList);
    auto* split = new QSplitter;
    split->addWidget(m_pTree);
    split->addWidget(listSide);
    split->setStretchFactor(1, 2);

    auto* buttons = new QHBoxLayout;
    auto button = [&](const char* text, const std::function<void()>& run) {
        auto* b = new QPushButton(QString::fromUtf8(text));
        connect(b, &QPushButton::clicked, this, run);
        buttons->addWidget(b);
        return b;
    };
    button("&Add song(s)", [this] { AddSongs(); });
    button("&Empty", [this] { EmptyClipboard(); });
    button("&Make list", [this] {
        if (m_callbacks.makeList) {
            m_callbacks.makeList(m_model.GetClipboard());
        }
    });
    button("Play", [this] { PlayMarked(); });
    button("Pause", [this] {
        if (m_callbacks.pause) {
            m_callbacks.pause();
        }
    });
    button("Stop", [this] {
        if (m_callbacks.stop) {
            m_callbacks.stop();
        }
    });
    button("&+", [this] {
        if (m_callbacks.volume) {
            m_callbacks.volume(true);
        }
    });
    button("&-", [this] {
        if (m_callbacks.volume) {
            m_callbacks.volume(false);
        }
    });
    QPushButton* options = button("&Options", [] {});
    connect(options, &QPushButton::clicked, this, [this, options] {
        ShowContextMenu(m_pList->mapFromGlobal(options->mapToGlobal(QPoint(0, options->height()))));
    });

    m_pClipboardCount = new QLabel;
    m_pStatus = new QLabel;
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_pStatus, 1);
    bottom->addWidget(m_pClipboardCount);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(split, 1);
    layout->addLayout(buttons);
    layout->addLayout(bottom);

    connect(show, &QPushButton::clicked, this, &CMediaWalkerWnd::Show);
    connect(create, &QPushButton::clicked, this, [this] {
        CWalkerCriteriaDialog dialog(this);
        if (dialog.exec() == QDialog::Accepted && !dialog.Criteria().isEmpty()) {
            g_extraCriteria << dialog.Criteria();
            m_pCriteria->addItem(dialog.Criteria());
            m_pCriteria->setCurrentIndex(m_pCriteria->count() - 1);
            Show();
        }
    });
    connect(m_pTree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item != nullptr) {
            SelectNode(item->data(0, Qt::UserRole).toInt());
        }
    });
    connect(m_pList->horizontalHeader(), &QHeaderView::sectionClicked, this, [this] {
        m_model.ReverseSort();
        static_cast<WalkerSongList*>(m_pListModel)->Reload();
    });
    connect(m_pList, &QWidget::customContextMenuRequested, this, &CMediaWalkerWnd::ShowContextMenu);
    AddKeys();

    m_pStatusTimer = new QTimer(this);
    connect(m_pStatusTimer, &QTimer::timeout, this, [this] {
        if (m_callbacks.statusText) {
            m_pStatus->setText(QString::fromStdString(m_callbacks.statusText()));
        }
    });
    m_pStatusTimer->start(kStatusPeriodMs);
    resize(760, 520);
    Show();
    RefreshCounts();
}

CMediaWalkerWnd::~CMediaWalkerWnd() = default;

void CMediaWalkerWnd::Show() {
    g_nLastCriteria = m_pCriteria->currentIndex();
    m_model.BuildTree(m_pCriteria->currentText().toStdString());
    FillTree();
}

void CMediaWalkerWnd::FillTree() {
    m_pTree->clear();
    const auto& nodes = m_model.GetNodes();
    auto* root = new QTreeWidgetItem({QStringLiteral("%1 (%2)")
                                          .arg(QString::fromUtf8(CMediaWalkerModel::kRootName))
                                          .arg(nodes[0].nTotal)});
    root->setData(0, Qt::UserRole, 0);
    m_pTree->addTopLevelItem(root);
    AddChildren(root, 0);
    root->setExpanded(true);
    const int first = m_model.GetFirstNode();
    QTreeWidgetItem* select = first > 0 && root->childCount() > 0 ? root->child(0) : root;
    m_pTree->setCurrentItem(select);
    SelectNode(select->data(0, Qt::UserRole).toInt());
}

void CMediaWalkerWnd::AddChildren(QTreeWidgetItem* parent, int node) {
    for (int child : m_model.GetNodes()[static_cast<std::size_t>(node)].children) {
        const auto& n = m_model.GetNodes()[static_cast<std::size_t>(child)];
        auto* item = new QTreeWidgetItem(
            parent,
            {QStringLiteral("%1 (%2)").arg(QString::fromStdString(n.strName)).arg(n.nTotal)});
        item->setData(0, Qt::UserRole, child);
        AddChildren(item, child);
    }
}

void CMediaWalkerWnd::SelectNode(int node) {
    m_model.FillList(m_doc, node);
    static_cast<WalkerSongList*>(m_pListModel)->Reload();
    m_pCount->setText(QString::number(m_model.GetList().size()));
}

std::vector<std::string> CMediaWalkerWnd::SelectedIds() const {
    std::vector<std::string> ids;
    const QModelIndexList rows = m_pList->selectionModel()->selectedRows();
    std::vector<int> order;
    for (const QModelIndex& row : rows) {
        order.push_back(row.row());
    }
    std::sort(order.begin(), order.end());
    for (int row : order) {
        ids.push_back(m_model.GetList()[static_cast<std::size_t>(row)]);
    }
    return ids;
}

void CMediaWalkerWnd::PlaceOnClipboard() {
    RefreshCounts();
    if (m_model.GetClipboardSize() > 0) {
        m_doc.CopySongs(m_model.GetClipboard(), false, false);
    }
}

void CMediaWalkerWnd::AddSongs() {
    std::vector<std::string> ids = SelectedIds();
    if (ids.empty()) {
        if (m_prompt.Ask(CMediaWalkerModel::kNoSelectionText, IShellPrompt::kYesNo,
                         IShellPrompt::kIconQuestion) != IUserPrompt::kAnswerYes) {
            return;
        }
        ids = m_model.GetList();
    }
    m_model.AddToClipboard(ids);
    PlaceOnClipboard();
}

void CMediaWalkerWnd::CopySelection() {
    const std::vector<std::string> ids = SelectedIds();
    if (ids.empty()) {
        return;
    }
    m_model.EmptyClipboard();
    m_model.AddToClipboard(ids);
    PlaceOnClipboard();
}

void CMediaWalkerWnd::EmptyClipboard() {
    if (m_model.GetClipboardSize() == 0) {
        m_prompt.Ask(CMediaWalkerModel::kAlreadyEmptyText, IShellPrompt::kOk,
                     IShellPrompt::kIconInformation);
        return;
    }
    if (m_prompt.Ask(CMediaWalkerModel::kEmptyClipboardText, IShellPrompt::kYesNo,
                     IShellPrompt::kIconQuestion) == IUserPrompt::kAnswerYes) {
        m_model.EmptyClipboard();
        RefreshCounts();
    }
}

void CMediaWalkerWnd::RefreshCounts() {
    m_pClipboardCount->setText(
        QStringLiteral("Song(s) in clipboard: %1").arg(m_model.GetClipboardSize()));
}

void CMediaWalkerWnd::EditTag() {
    const QModelIndex current = m_pList->currentIndex();
    if (!current.isValid() || !m_callbacks.editTag) {
        return;
    }
    const std::string id = m_model.GetList()[static_cast<std::size_t>(current.row())];
    if (m_callbacks.editTag(id)) {
        m_model.RefreshSong(m_doc, id);
        SelectNode(m_pTree->currentItem() != nullptr
                       ? m_pTree->currentItem()->data(0, Qt::UserRole).toInt()
                       : 0);
    }
}

void CMediaWalkerWnd::ShowContextMenu(const QPoint& at) {
    QMenu menu(this);
    menu.addAction(QStringLiteral("&Edit ID3 Tag...\tCtrl+3"), this, &CMediaWalkerWnd::EditTag);
    menu.addAction(QStringLiteral("C&opy for explorer/cd burner\tCtrl+Shift+C"), this,
                   &CMediaWalkerWnd::CopyForExplorer);
    menu.addAction(QStringLiteral("&Copy to the clipboard\tCtrl+C"), this,
                   &CMediaWalkerWnd::CopySelection);
    menu.addAction(QStringLiteral("&Add to the clipboard"), this, &CMediaWalkerWnd::AddSongs);
    menu.addAction(QStringLiteral("&Empty the clipboard"), this, &CMediaWalkerWnd::EmptyClipboard);
    menu.addAction(QStringLiteral("&Make playlist out of the clipboard"), this, [this] {
        if (m_callbacks.makeList) {
            m_callbacks.makeList(m_model.GetClipboard());
        }
    });
    menu.exec(m_pList->viewport()->mapToGlobal(at));
}

// The walker's keys, live wherever the focus is in its window.
void CMediaWalkerWnd::AddKeys() {
    const auto add = [this](const QKeySequence& key, const std::function<void()>& run) {
        auto* action = new QAction(this);
        action->setShortcut(key);
        connect(action, &QAction::triggered, this, run);
        addAction(action);
    };
    add(QKeySequence(QKeySequence::Copy), [this] { CopySelection(); });
    add(QKeySequence(QStringLiteral("Ctrl+3")), [this] { EditTag(); });
    add(QKeySequence(QStringLiteral("Ctrl+Shift+C")), [this] { CopyForExplorer(); });
    add(KeyOf(CMixorel2001View::kPlay), [this] { PlayMarked(); });
    add(KeyOf(CMixorel2001View::kPause), [this] {
        if (m_callbacks.pause) {
            m_callbacks.pause();
        }
    });
    add(KeyOf(CMixorel2001View::kStop), [this] {
        if (m_callbacks.stop) {
            m_callbacks.stop();
        }
    });
    for (const bool up : {true, false}) {
        add(QKeySequence(Qt::KeypadModifier | (up ? Qt::Key_Plus : Qt::Key_Minus)), [this, up] {
            if (m_callbacks.volume) {
                m_callbacks.volume(up);
            }
        });
    }
    for (const int command : kListCommands) {
        add(KeyOf(command), [this, command] { RunListCommand(command); });
    }
}

std::string CMediaWalkerWnd::GetMarkedId() const {
    const QModelIndex current = m_pList->currentIndex();
    const auto row = static_cast<std::size_t>(current.row());
    return current.isValid() && row < m_model.GetList().size() ? m_model.GetList()[row]
                                                               : std::string();
}

void CMediaWalkerWnd::PlayMarked() {
    const std::string id = GetMarkedId();
    if (!id.empty() && m_callbacks.play) {
        m_callbacks.play(id);
    }
}

void CMediaWalkerWnd::CopyForExplorer() {
    const std::vector<std::string> ids = SelectedIds();
    if (!ids.empty()) {
        m_doc.CopyFilesForExplorer(ids, false);
    }
}

void CMediaWalkerWnd::RunListCommand(int command) {
    if (!m_callbacks.listCommand) {
        return;
    }
    m_callbacks.listCommand(command, GetMarkedId(), SelectedIds());
    const std::map<std::string, std::string> moved = m_model.FollowMovedSongs(m_doc);
    if (moved.empty()) {
        return;
    }
    // The same songs stay selected under their new identities.
    std::set<std::string> selected;
    for (const std::string& id : SelectedIds()) {
        const auto to = moved.find(id);
        selected.insert(to != moved.end() ? to->second : id);
    }
    const std::string marked = GetMarkedId();
    const auto markedTo = moved.find(marked);
    const std::string mark = markedTo != moved.end() ? markedTo->second : marked;
    SelectNode(m_pTree->currentItem() != nullptr
                   ? m_pTree->currentItem()->data(0, Qt::UserRole).toInt()
                   : 0);
    const std::vector<std::string>& list = m_model.GetList();
    QItemSelection selection;
    for (std::size_t row = 0; row < list.size(); ++row) {
        const QModelIndex index = m_pListModel->index(static_cast<int>(row), 0);
        if (selected.count(list[row]) != 0) {
            selection.select(index, index);
        }
        if (list[row] == mark) {
            m_pList->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
        }
    }
    m_pList->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect |
                                                     QItemSelectionModel::Rows);
}

QMimeData* CMediaWalkerWnd::MakeDragData(const std::vector<std::string>& ids) {
    if (ids.empty() || !m_doc.CopySongs(ids, false, true)) {
        return nullptr;
    }
    std::vector<std::uint8_t> bytes;
    QtSongClipboard().GetData(ISongClipboard::kDragFormat, bytes);
    auto* mime = new QMimeData;
    mime->setData(QtSongClipboard::MimeTypeFor(ISongClipboard::kDragFormat),
                  QByteArray(reinterpret_cast<const char*>(bytes.data()),
                             static_cast<qsizetype>(bytes.size())));
    return mime;
}

QMimeData* CMediaWalkerWnd::MakeNodeDragData(QTreeWidgetItem* item) {
    if (item == nullptr) {
        return nullptr;
    }
    if (m_pTree->currentItem() != item) {
        m_pTree->setCurrentItem(item); // fills the list with the node's songs
    } else {
        SelectNode(item->data(0, Qt::UserRole).toInt());
    }
    return MakeDragData(m_model.GetList());
}
