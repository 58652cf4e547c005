#pragma once

#include <QDockWidget>

class QCheckBox;
class QLineEdit;
class QRadioButton;

// The find panel: a title to look for, the direction and the two options, and
// "&Find next" (also Ctrl+Shift+F), which the main window runs on the active playlist.
class CFindPanel final : public QDockWidget {
    Q_OBJECT
public:
    explicit CFindPanel(QWidget* parent);

    std::string GetText() const;
    bool IsDown() const;
    bool IsWholeWord() const;
    bool IsFromSelection() const;
    void FocusText();

Q_SIGNALS:
    void FindNext();

private:
    QLineEdit* m_pText;
    QRadioButton* m_pDown;
    QCheckBox* m_pWholeWord;
    QCheckBox* m_pFromSelection;
};
