#pragma once

#include "catalogue/CDateTime.h"
#include "settings/CRegionPresets.h"

#include <QDialog>
#include <cstdint>
#include <string>
#include <vector>

class IUserPrompt;
class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QPushButton;

// "Region and schedule": the name of a region header (a drop-down of the presets), its
// back and text colours and an optional start date/time. OK refuses an empty name and
// puts the region first among the presets.
class CRegionDialog final : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "Region and schedule";
    static constexpr const char* kNote =
        "All songs in this region will be played starting from the specified date && time. ";

    struct Fields {
        std::string m_strName;
        CDateTime m_dtStart = CDateTime::Null(); // null: no start time
        std::uint32_t m_crBack = 0;
        std::uint32_t m_crText = 0;
    };

    CRegionDialog(QWidget* parent, CSettings& settings, IUserPrompt& prompt, const Fields& fields);

    // The fields a new region starts with: the window colours and now, seconds cleared.
    static Fields DefaultsForAdd(std::time_t now, std::uint32_t crBack, std::uint32_t crText);
    // The desktop's window and window-text colours as 0x00BBGGRR values.
    static std::uint32_t WindowColour();
    static std::uint32_t WindowTextColour();

    Fields GetFields() const;
    void SetName(const QString& name);
    void SetStart(const CDateTime& start);
    void SetColours(std::uint32_t crBack, std::uint32_t crText);
    // A preset name chosen from the list takes its colours.
    void ChoosePreset(int index);
    // OK: false (with the message) for an empty name; otherwise the presets are updated
    // and the dialog is accepted.
    bool TryAccept();

private:
    void ChooseColour(bool back);
    void ShowColours();

    CRegionPresets m_presets;
    std::vector<CRegionPresets::Preset> m_vPresets;
    IUserPrompt& m_prompt;
    QComboBox* m_pName;
    QDateTimeEdit* m_pStart;
    QCheckBox* m_pNone;
    QPushButton* m_pBack;
    QPushButton* m_pText;
    std::uint32_t m_crBack = 0;
    std::uint32_t m_crText = 0;
};
