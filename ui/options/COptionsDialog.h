#pragma once

#include "settings/COptionsPages.h"

#include <QDialog>
#include <functional>

class CBroadcastPage;
class IShellPrompt;
class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFontComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QVBoxLayout;
class QStackedWidget;
class QTreeWidget;

// "Options": a tree of the seven pages on the left, the chosen page on the right. The
// pages' values, checks and save order are COptionsPages'; this window only shows them.
// Nothing is stored until OK.
class COptionsDialog final : public QDialog {
    Q_OBJECT
public:
    // likeCurrentList stores the active playlist's column layout ("&Like current list");
    // empty when no playlist is open.
    COptionsDialog(IShellPrompt& prompt, ISettingsStore& store,
                   std::function<bool()> likeCurrentList, QWidget* parent = nullptr);

    COptionsPages& Pages() { return m_pages; }
    // Shows a page (kPageCount: the welcome text; kBroadcastPage: Broadcast).
    void ShowPage(int page);
    static constexpr int kBroadcastPage = COptionsPages::kPageCount + 1;
    // OK: the restart notice when the player changed, then the pages saved in their
    // order; false (the dialog stays) when a page failed.
    bool Apply();

    void accept() override;

private:
    QWidget* MakeWelcome();
    QWidget* MakeGlobal();
    QWidget* MakeWinamp();
    QWidget* MakeInternal();
    QWidget* MakeList();
    QWidget* MakeColours();
    QWidget* MakeMisc();
    QWidget* MakeOnairix();
    QCheckBox* AddCheck(QWidget* page, const char* text, std::int32_t* value);
    QSpinBox* AddNumber(int value, COptionsPages::Range range);
    void AddLoudness(QWidget* page, QVBoxLayout* layout);
    QPushButton* AddColour(std::uint32_t* value);
    void PaintColour(QPushButton* button, std::uint32_t value);
    void ReadControls();
    void EnableMixer(bool on);
    void OpenInEditor(const QString& path);

    IShellPrompt& m_prompt;
    COptionsPages m_pages;
    std::function<bool()> m_likeCurrentList;
    QTreeWidget* m_pTree = nullptr;
    QStackedWidget* m_pStack = nullptr;
    std::vector<std::pair<QCheckBox*, std::int32_t*>> m_checks;
    std::vector<std::pair<QPushButton*, std::uint32_t*>> m_colours;
    QButtonGroup* m_pPlayer = nullptr;
    QButtonGroup* m_pRandomized = nullptr;
    QLineEdit* m_pExtensions = nullptr;
    QComboBox* m_pRemotePlayer = nullptr;
    QCheckBox* m_pUseMixer = nullptr;
    QCheckBox* m_pFitFades = nullptr;
    QSpinBox* m_pMixSeconds = nullptr;
    QSpinBox* m_pMixSpeed = nullptr;
    QComboBox* m_pMixType = nullptr;
    QCheckBox* m_pNormalize = nullptr;
    QSpinBox* m_pTargetLufs = nullptr;
    QSpinBox* m_pFastDown = nullptr;
    QSpinBox* m_pFastUp = nullptr;
    QLineEdit* m_pTitleTemplate = nullptr;
    QFontComboBox* m_pFont = nullptr;
    QSpinBox* m_pFontSize = nullptr;
    QComboBox* m_pIcons = nullptr;
    QLineEdit* m_pLogPath = nullptr;
    // The Broadcast page, beyond the pages of COptionsPages: the tree's last item, the
    // stack's last page (after the welcome text).
    CBroadcastPage* m_pBroadcast = nullptr;
};
