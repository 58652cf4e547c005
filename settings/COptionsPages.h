#pragma once

#include "CSettings.h"
#include "ISettingsStore.h"
#include "ProcessSettingsStore.h"

#include <string>
#include <vector>

// What the Options dialog edits and how it stores it, without any window: the seven
// pages' values as the pages show them (font size in points, the mix type as a list
// selection, radios that may be unselected), their range checks, the restart notice and
// the save order. Nothing is written until Save; a page that fails its check stops the
// save there, and the pages before it stay written.
class COptionsPages {
public:
    enum Page : int { kGlobal, kWinamp, kInternal, kList, kColors, kMisc, kOnairix, kPageCount };

    static constexpr const char* kRestartText =
        "Some of the configuration changes force Mixorel to be restarted in order to take "
        "effect.";
    static constexpr const char* kLikeCurrentText =
        "All new lists will have columns like the current one";
    static constexpr const char* kWelcomeTitle = "Welcome to Mixorel settings,";
    static constexpr const char* kWelcomeText =
        "use the menu on the left to select an area of configuration changes.\n\nNo change is "
        "stored until you press OK button.\n\nIn case of any doubt, use HELP to get more "
        "information.";

    // The page's tree label.
    static const char* Label(Page page);
    // The validation message of a whole-number field with bounds.
    static std::string RangeText(int low, int high);

    struct Range {
        int low;
        int high;
    };
    static constexpr Range kMixSecondsRange{0, 6000};
    static constexpr Range kMixSpeedRange{1, 20};
    static constexpr Range kTargetLufsRange{-23, -14};
    static constexpr Range kFastMoveRange{1, 1000};
    static constexpr Range kFontPointsRange{2, 900};

    explicit COptionsPages(ISettingsStore& store = GetSettingsStore());

    // Loads every page from a fresh record; mixTypeNames fill the Mix type list (mix.ini
    // in file order). Remembers "usewinamp" for the restart notice.
    void Initialise(const std::vector<std::string>& mixTypeNames);

    // The values the pages edit, as the record holds them, except those below.
    CSettings& Values() { return m_values; }
    const CSettings& Values() const { return m_values; }
    // "listviewfontsize" / 10, as the page shows it.
    int m_nFontPoints = 0;
    // The Mix type list's selection: the stored "mixtype" when it names an entry, else -1.
    int m_nMixTypeSelection = -1;
    const std::vector<std::string>& MixTypeNames() const { return m_mixTypeNames; }

    // True when the player choice differs from the one the program started with.
    bool NeedsRestartNotice() const;

    struct SaveResult {
        bool bSaved = true;
        Page failedPage = kGlobal;
        std::string strMessage; // the validation message; empty when the store failed
    };
    // Validates and stores the pages in the order WinAmp, Global, List, Colors, Internal
    // player, Misc, scheduler mode, stopping at the first that fails.
    SaveResult Save();

private:
    // Empty when the page's values pass their range checks, else the message.
    std::string Validate(Page page) const;
    // Copies the page's keys from the edited values into a record loaded afresh.
    void CopyPage(Page page, CSettings& record) const;
    bool SavePage(Page page, SaveResult& result) const;

    ISettingsStore* m_pStore;
    CSettings m_values;
    std::vector<std::string> m_mixTypeNames;
    bool m_bStartedWithWinamp = false;
};
