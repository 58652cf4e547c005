#pragma once

#include "catalogue/CTagEditorData.h"

#include <QDialog>
#include <string>
#include <vector>

class IShellPrompt;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QSpinBox;

// "ID3v1 / v2 Information": both tags of a song side by side. With several songs the
// first is shown, and Save puts the fields the user changed on every one (with a
// progress window that can be cancelled); each keeps its other fields.
class CId3TagDialog final : public QDialog {
    Q_OBJECT
public:
    CId3TagDialog(IShellPrompt& prompt, std::vector<std::string> paths, QWidget* parent = nullptr);

    // False when the first file could not be read ("Failed to open the file." was shown);
    // the dialog is then not to be run.
    bool IsLoaded() const { return m_bLoaded; }
    // The files written by the last Save.
    const std::vector<std::string>& SavedPaths() const { return m_saved; }
    // Save: true when the dialog may close.
    bool Save();
    void accept() override;

    CTagEditorData& Shown() { return m_shown; }

private:
    struct V1Controls {
        QGroupBox* group;
        QLineEdit *title, *artist, *album, *comment;
        QSpinBox *year, *track;
        QComboBox* genre;
    };
    struct V2Controls {
        QGroupBox* group;
        QLineEdit *title, *artist, *album, *composer, *original, *copyright, *url, *encodedBy;
        QPlainTextEdit* comment;
        QSpinBox *year, *track;
        QComboBox* genre;
    };

    QGroupBox* MakeV1();
    QGroupBox* MakeV2();
    void Show(const CTagEditorData& data);
    void Read(CTagEditorData& data) const;
    bool SaveSeveral(const CTagEditorData& edited);

    IShellPrompt& m_prompt;
    std::vector<std::string> m_paths;
    CTagEditorData m_loaded;
    CTagEditorData m_shown;
    std::vector<std::string> m_saved;
    bool m_bLoaded = false;
    V1Controls m_v1{};
    V2Controls m_v2{};
    QLabel* m_pSize = nullptr;
    QLabel* m_pDate = nullptr;
    QLineEdit* m_pPath = nullptr;
};
