#pragma once

#include <QDockWidget>

class CMixorel2001Doc;
class IUserPrompt;
class QListWidget;
class QPushButton;
class QTableView;

// The regions panel: the region header lines of the active playlist. Choosing one
// selects its line in the list; "Rem&ove all" takes every header out (the songs stay).
class CRegionsPanel final : public QDockWidget {
    Q_OBJECT
public:
    // Follows the active window's pre-sizing.
    void SetPreSizeChecked(bool checked);

    CRegionsPanel(QWidget* parent, IUserPrompt& prompt);

    // The playlist the panel shows and its list; null: none.
    void SetPlaylist(CMixorel2001Doc* doc, QTableView* list);
    // Lets go of a playlist that closes.
    void Forget(const CMixorel2001Doc& doc);
    void Refresh();

Q_SIGNALS:
    // "Pre-&size" toggled.
    void PreSizeToggled(bool on);

private:
    void SelectMarker();

    IUserPrompt& m_prompt;
    CMixorel2001Doc* m_pDoc = nullptr;
    QTableView* m_pList = nullptr;
    QListWidget* m_pRegions;
    QPushButton* m_pPreSize = nullptr;
};
