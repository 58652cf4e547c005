#pragma once

#include "catalogue/CMediaWalkerModel.h"

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

class CMixorel2001Doc;
class IShellPrompt;
class QAbstractListModel;
class QComboBox;
class QLabel;
class QMimeData;
class QTableView;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

// "Media Walker": a playlist's songs organised by their tags (artist, album, genre,
// year) in a tree, the songs of the chosen node in a list sorted by title, and a
// clipboard of its own whose songs go onto the program's song clipboard for any
// playlist. It works on a snapshot taken when it opens.
class CMediaWalkerWnd final : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "Media Walker";
    static constexpr int kStatusPeriodMs = 1000;

    // What the walker asks of the program around it.
    struct Callbacks {
        std::function<bool(const std::string& id)> play; // by identity
        std::function<void()> pause;
        std::function<void()> stop;
        std::function<void(bool up)> volume;
        // A new playlist of these songs; false when none was made.
        std::function<bool(const std::vector<std::string>& ids)> makeList;
        // The tag editor for a song; true when it saved.
        std::function<bool(const std::string& id)> editTag;
        std::function<std::string()> statusText;
        // A transport command of the playlist window (CMixorel2001View's identifiers)
        // on the walker's choice: the song at the list's mark and the selected songs.
        std::function<void(int command, const std::string& markId,
                           const std::vector<std::string>& ids)>
            listCommand;
    };

    // Asks first while songs are still being read; nullptr when the user declines.
    static CMediaWalkerWnd* Open(CMixorel2001Doc& doc, IShellPrompt& prompt, Callbacks callbacks,
                                 QWidget* parent = nullptr);

    CMediaWalkerWnd(CMixorel2001Doc& doc, IShellPrompt& prompt, Callbacks callbacks,
                    QWidget* parent = nullptr);
    ~CMediaWalkerWnd() override;

    CMediaWalkerModel& Model() { return m_model; }
    // Builds the tree for the criteria list's choice and shows its first node's songs.
    void Show();
    // The songs selected in the list (identities), in list order.
    std::vector<std::string> SelectedIds() const;
    // "&Add song(s)": the selection, or (after asking) the whole list; then the program's
    // song clipboard gets every song of the walker clipboard.
    void AddSongs();
    void EmptyClipboard();
    // Ctrl+C: the selection alone becomes the walker clipboard.
    void CopySelection();
    // Ctrl+Shift+C: the selected songs' files for a file manager or a burner.
    void CopyForExplorer();
    // A key of the playlist window's transport commands (F4, F7, F10...), on the walker's
    // selected songs; songs the list moved are followed to their new identities.
    void RunListCommand(int command);
    // The drag data of these songs (a copy), built by the document; null when none.
    QMimeData* MakeDragData(const std::vector<std::string>& ids);
    // A tree node's drag: the node selected, its songs listed, and all of them dragged.
    QMimeData* MakeNodeDragData(QTreeWidgetItem* item);

private:
    void FillTree();
    void AddChildren(QTreeWidgetItem* parent, int node);
    void SelectNode(int node);
    void PlaceOnClipboard();
    void RefreshCounts();
    void EditTag();
    void ShowContextMenu(const QPoint& at);
    void AddKeys();
    void PlayMarked();
    std::string GetMarkedId() const;

    CMixorel2001Doc& m_doc;
    IShellPrompt& m_prompt;
    Callbacks m_callbacks;
    CMediaWalkerModel m_model;
    QComboBox* m_pCriteria = nullptr;
    QTreeWidget* m_pTree = nullptr;
    QTableView* m_pList = nullptr;
    QAbstractListModel* m_pListModel = nullptr;
    QLabel* m_pCount = nullptr;
    QLabel* m_pClipboardCount = nullptr;
    QLabel* m_pStatus = nullptr;
    QTimer* m_pStatusTimer = nullptr;
};
