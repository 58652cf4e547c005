#pragma once

#include "ISettingsStore.h"
#include "ProcessSettingsStore.h"

#include <cstdint>
#include <string>
#include <string_view>

// Every configuration key of the program in one flat record. A reader constructs a
// record, calls Load, reads the field it needs and drops the record; a writer loads,
// changes fields and saves the whole record. Keys, sections and defaults are those of
// SettingsKeys.h.
//
// A fresh record holds the defaults, except that its extension list begins
// "mp3;mp2;wav;wma" (then "flac;ogg;oga;opus;m4a" as the default list)
// and its Winamp path is empty. Flags are written as 1 when they hold 1, as 0 otherwise;
// every other field is written as it is.
class CSettings {
public:
    using Flag = std::int32_t;
    using ColorRef = std::uint32_t; // 0x00BBGGRR

    // A record over the given store (by default the process store).
    explicit CSettings(ISettingsStore& store = GetSettingsStore());

    // Reads every field with its default; answers true.
    bool Load();
    // Writes every field, section by section in record order; false when the store
    // refused a write (the other fields are written all the same).
    bool Save();

    // False for an empty text; otherwise true when the text, upper-cased, occurs anywhere
    // in the upper-cased extension list (a substring test: "p3" passes "mp3;...").
    bool HasFileExtension(std::string_view extension) const;

    // Saved region presets, section "regions", indices 0 to 19. WriteRegion writes the
    // name trimmed of white space with its colours, and nothing (false) when the trimmed
    // name is empty. ReadRegion answers false when the name is missing or empty; missing
    // colours read as the window-text and window system colours.
    bool WriteRegion(int index, std::string_view name, ColorRef crText, ColorRef crBack);
    bool ReadRegion(int index, std::string& name, ColorRef& crText, ColorRef& crBack) const;

    // True while "winamppath" of "winamp" has never been written (reads as the marker).
    static bool IsFirstRun(ISettingsStore& store = GetSettingsStore());
    // Program folder + "/onairix.log".
    static std::string GetDefaultLogPath();

    // "global"
    Flag m_bEmptyLastProject{};
    std::string m_strFileExtensions{};
    Flag m_bLoadLastUsed{};
    Flag m_bMaximizeChild{};
    Flag m_bStartWinamp{};
    Flag m_bNewFileAtStart{};
    Flag m_bMinimizeToTray{};
    Flag m_bUseWinamp{};
    Flag m_bAutoSaveOnExit{};
    Flag m_bRearrangeOnNew{};
    Flag m_bCloseWinamp{};
    // "winamp"
    std::string m_strWinampPath{};
    // "list"
    std::int32_t m_nCloseRandomized{};
    Flag m_bAutoBackup{};
    std::int32_t m_nAutoBackupMinutes{};
    std::string m_strId3Tags{};
    std::int32_t m_nFastMoveUp{};
    std::int32_t m_nFastMoveDown{};
    // "colors"
    ColorRef m_crNextToPlayFg{};
    ColorRef m_crNextToPlayBk{};
    ColorRef m_crLoopFg{};
    ColorRef m_crLoopBk{};
    ColorRef m_crScheduleFg{};
    ColorRef m_crScheduleBk{};
    ColorRef m_crNextToScheduleFg{};
    ColorRef m_crNextToScheduleBk{};
    // "fonts"
    std::int32_t m_nListOfPlaylistsIcon{};
    std::string m_strListViewFontName{};
    std::int32_t m_nListViewFontSize{};
    // "internal"
    std::int32_t m_nMixSeconds{};
    Flag m_bUseMixer{};
    std::int32_t m_nMixSpeed{};
    std::int32_t m_nMixType{};
    Flag m_bFitFades{};
    Flag m_bAutoMixPoints{};
    Flag m_bNormalize{};
    std::int32_t m_nTargetLufs{};
    // "misc"
    std::int32_t m_nAutoShowPlayNext{};
    std::int32_t m_nAutoShowPlayNextOnSkip{};
    std::int32_t m_nShowAlertAfterSetNext{};
    Flag m_bNoPlaylistTooltips{};
    Flag m_bStopLoopAtEnd{};
    Flag m_bAskShutdownPc{};
    Flag m_bNotifySongStart{};
    // "onairix"
    Flag m_bKeepOnairixLog{};
    std::string m_strLogPath{};

private:
    // Calls the visitor once per field, in record order, with its section, key, field
    // and default.
    template <typename Visitor> void VisitFields(Visitor& visitor);

    ISettingsStore* m_pStore = nullptr;
};
