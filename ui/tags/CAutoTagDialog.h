#pragma once

#include "media/CAutoTagger.h"
#include "media/FilenamePattern.h"

#include <QDialog>

class IShellPrompt;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

// "Auto tagger - Filename to ID3v1 Tag": the criteria built field by field with their
// separators, the defaults for what the names do not give, "Don't overwrite". Use closes
// it with the pattern and the defaults; the playlist then runs the tagging.
class CAutoTagDialog final : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "Auto tagger - Filename to ID3v1 Tag";

    CAutoTagDialog(IShellPrompt& prompt, long fileCount, QWidget* parent = nullptr);

    // "&Add": the chosen field, then the separator typed (even when empty).
    void Add();
    // "&Reset".
    void Reset();
    // "&Use": false (the dialog stays) when no criteria were given.
    bool Use();
    void accept() override;

    FilenamePattern& Pattern() { return m_pattern; }
    CAutoTagger::Defaults Defaults() const;
    QString Criteria() const;
    QComboBox* FieldList() const { return m_pField; }
    QComboBox* SeparatorList() const { return m_pSeparator; }

private:
    IShellPrompt& m_prompt;
    FilenamePattern m_pattern;
    QLabel* m_pCriteria = nullptr;
    QComboBox* m_pField = nullptr;
    QComboBox* m_pSeparator = nullptr;
    QCheckBox* m_pDontOverwrite = nullptr;
    QLineEdit* m_pArtist = nullptr;
    QLineEdit* m_pAlbum = nullptr;
    QLineEdit* m_pTitle = nullptr;
    QLineEdit* m_pComment = nullptr;
    QSpinBox* m_pYear = nullptr;
    QSpinBox* m_pTrack = nullptr;
    QComboBox* m_pGenre = nullptr;
};
