#include "CSettings.h"

#include "ProgramFolder.h"
#include "SettingsKeys.h"
#include "SystemColours.h"

#include <algorithm>

namespace {

namespace Keys = SettingsKeys;
namespace Defaults = SettingsDefaults;

// Sets every field to its default.
struct DefaultVisitor {
    void Flag(std::string_view, std::string_view, std::int32_t& field, std::int32_t def) {
        field = def;
    }
    void Int(std::string_view, std::string_view, std::int32_t& field, std::int32_t def) {
        field = def;
    }
    void Colour(std::string_view, std::string_view, std::uint32_t& field, std::uint32_t def) {
        field = def;
    }
    void Text(std::string_view, std::string_view, std::string& field, std::string_view def) {
        field = def;
    }
};

// Reads every field from the store.
struct LoadVisitor {
    ISettingsStore& store;

    void Flag(std::string_view section, std::string_view key, std::int32_t& field,
              std::int32_t def) {
        field = store.GetProfileInt(section, key, def);
    }
    void Int(std::string_view section, std::string_view key, std::int32_t& field,
             std::int32_t def) {
        field = store.GetProfileInt(section, key, def);
    }
    void Colour(std::string_view section, std::string_view key, std::uint32_t& field,
                std::uint32_t def) {
        field = static_cast<std::uint32_t>(
            store.GetProfileInt(section, key, static_cast<std::int32_t>(def)));
    }
    void Text(std::string_view section, std::string_view key, std::string& field,
              std::string_view def) {
        field = store.GetProfileString(section, key, def);
    }
};

// Writes every field to the store; remembers whether the store refused a write.
struct SaveVisitor {
    ISettingsStore& store;
    bool bAllWritten = true;

    void Flag(std::string_view section, std::string_view key, std::int32_t& field, std::int32_t) {
        Note(store.WriteProfileInt(section, key, field == 1 ? 1 : 0));
    }
    void Int(std::string_view section, std::string_view key, std::int32_t& field, std::int32_t) {
        Note(store.WriteProfileInt(section, key, field));
    }
    void Colour(std::string_view section, std::string_view key, std::uint32_t& field,
                std::uint32_t) {
        Note(store.WriteProfileInt(section, key, static_cast<std::int32_t>(field)));
    }
    void Text(std::string_view section, std::string_view key, std::string& field,
              std::string_view) {
        Note(store.WriteProfileString(section, key, field));
    }
    void Note(bool bWritten) { bAllWritten = bAllWritten && bWritten; }
};

char ToUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string UpperCase(std::string_view text) {
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(), ToUpper);
    return upper;
}

bool IsTrimmed(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsTrimmed(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsTrimmed(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool IsRegionIndex(int index) {
    return index >= 0 && index < Keys::kMaxRegions;
}

} // namespace

template <typename Visitor> void CSettings::VisitFields(Visitor& v) {
    v.Flag(Keys::kSectionGlobal, Keys::kEmptyLastProject, m_bEmptyLastProject,
           Defaults::kEmptyLastProject);
    v.Text(Keys::kSectionGlobal, Keys::kFileExtensions, m_strFileExtensions,
           Defaults::kFileExtensions);
    v.Flag(Keys::kSectionGlobal, Keys::kLoadLastUsed, m_bLoadLastUsed, Defaults::kLoadLastUsed);
    v.Flag(Keys::kSectionGlobal, Keys::kMaximizeChild, m_bMaximizeChild, Defaults::kMaximizeChild);
    v.Flag(Keys::kSectionGlobal, Keys::kStartWinamp, m_bStartWinamp, Defaults::kStartWinamp);
    v.Flag(Keys::kSectionGlobal, Keys::kNewFileAtStart, m_bNewFileAtStart,
           Defaults::kNewFileAtStart);
    v.Flag(Keys::kSectionGlobal, Keys::kMinimizeToTray, m_bMinimizeToTray,
           Defaults::kMinimizeToTray);
    v.Flag(Keys::kSectionGlobal, Keys::kUseWinamp, m_bUseWinamp, Defaults::kUseWinamp);
    v.Flag(Keys::kSectionGlobal, Keys::kAutoSaveOnExit, m_bAutoSaveOnExit,
           Defaults::kAutoSaveOnExit);
    v.Flag(Keys::kSectionGlobal, Keys::kRearrangeOnNew, m_bRearrangeOnNew,
           Defaults::kRearrangeOnNew);
    v.Flag(Keys::kSectionGlobal, Keys::kCloseWinamp, m_bCloseWinamp, Defaults::kCloseWinamp);

    v.Text(Keys::kSectionWinamp, Keys::kWinampPath, m_strWinampPath, Defaults::kWinampPath);

    v.Int(Keys::kSectionList, Keys::kCloseRandomized, m_nCloseRandomized,
          Defaults::kCloseRandomized);
    v.Flag(Keys::kSectionList, Keys::kAutoBackup, m_bAutoBackup, Defaults::kAutoBackup);
    v.Int(Keys::kSectionList, Keys::kAutoBackupMinutes, m_nAutoBackupMinutes,
          Defaults::kAutoBackupMinutes);
    v.Text(Keys::kSectionList, Keys::kId3Tags, m_strId3Tags, Defaults::kId3Tags);
    v.Int(Keys::kSectionList, Keys::kFastMoveUp, m_nFastMoveUp, Defaults::kFastMoveUp);
    v.Int(Keys::kSectionList, Keys::kFastMoveDown, m_nFastMoveDown, Defaults::kFastMoveDown);

    v.Colour(Keys::kSectionColors, Keys::kNextToPlayFg, m_crNextToPlayFg, Defaults::kNextToPlayFg);
    v.Colour(Keys::kSectionColors, Keys::kNextToPlayBk, m_crNextToPlayBk, Defaults::kNextToPlayBk);
    v.Colour(Keys::kSectionColors, Keys::kLoopFg, m_crLoopFg, Defaults::kLoopFg);
    v.Colour(Keys::kSectionColors, Keys::kLoopBk, m_crLoopBk, Defaults::kLoopBk);
    v.Colour(Keys::kSectionColors, Keys::kScheduleFg, m_crScheduleFg, Defaults::kScheduleFg);
    v.Colour(Keys::kSectionColors, Keys::kScheduleBk, m_crScheduleBk, Defaults::kScheduleBk);
    v.Colour(Keys::kSectionColors, Keys::kNextToScheduleFg, m_crNextToScheduleFg,
             GetSystemColour(Defaults::kNextToScheduleFgSysColour));
    v.Colour(Keys::kSectionColors, Keys::kNextToScheduleBk, m_crNextToScheduleBk,
             GetSystemColour(Defaults::kNextToScheduleBkSysColour));

    v.Int(Keys::kSectionFonts, Keys::kListOfPlaylistsIcon, m_nListOfPlaylistsIcon,
          Defaults::kListOfPlaylistsIcon);
    v.Text(Keys::kSectionFonts, Keys::kListViewFontName, m_strListViewFontName,
           Defaults::kListViewFontName);
    v.Int(Keys::kSectionFonts, Keys::kListViewFontSize, m_nListViewFontSize,
          Defaults::kListViewFontSize);

    v.Int(Keys::kSectionInternal, Keys::kMixSeconds, m_nMixSeconds, Defaults::kMixSeconds);
    v.Flag(Keys::kSectionInternal, Keys::kUseMixer, m_bUseMixer, Defaults::kUseMixer);
    v.Int(Keys::kSectionInternal, Keys::kMixSpeed, m_nMixSpeed, Defaults::kMixSpeed);
    v.Int(Keys::kSectionInternal, Keys::kMixType, m_nMixType, Defaults::kMixType);
    v.Flag(Keys::kSectionInternal, Keys::kFitFades, m_bFitFades, Defaults::kFitFades);
    v.Flag(Keys::kSectionInternal, Keys::kAutoMixPoints, m_bAutoMixPoints,
           Defaults::kAutoMixPoints);
    v.Flag(Keys::kSectionInternal, Keys::kNormalize, m_bNormalize, Defaults::kNormalize);
    v.Int(Keys::kSectionInternal, Keys::kTargetLufs, m_nTargetLufs, Defaults::kTargetLufs);

    v.Int(Keys::kSectionMisc, Keys::kAutoShowPlayNext, m_nAutoShowPlayNext,
          Defaults::kAutoShowPlayNext);
    v.Int(Keys::kSectionMisc, Keys::kAutoShowPlayNextOnSkip, m_nAutoShowPlayNextOnSkip,
          Defaults::kAutoShowPlayNextOnSkip);
    v.Int(Keys::kSectionMisc, Keys::kShowAlertAfterSetNext, m_nShowAlertAfterSetNext,
          Defaults::kShowAlertAfterSetNext);
    v.Flag(Keys::kSectionMisc, Keys::kNoPlaylistTooltips, m_bNoPlaylistTooltips,
           Defaults::kNoPlaylistTooltips);
    v.Flag(Keys::kSectionMisc, Keys::kStopLoopAtEnd, m_bStopLoopAtEnd, Defaults::kStopLoopAtEnd);
    v.Flag(Keys::kSectionMisc, Keys::kAskShutdownPc, m_bAskShutdownPc, Defaults::kAskShutdownPc);
    v.Flag(Keys::kSectionMisc, Keys::kNotifySongStart, m_bNotifySongStart,
           Defaults::kNotifySongStart);

    v.Flag(Keys::kSectionOnairix, Keys::kKeepOnairixLog, m_bKeepOnairixLog,
           Defaults::kKeepOnairixLog);
    v.Text(Keys::kSectionOnairix, Keys::kLogPath, m_strLogPath, GetDefaultLogPath());
}

CSettings::CSettings(ISettingsStore& store) : m_pStore(&store) {
    DefaultVisitor visitor;
    VisitFields(visitor);
    m_strFileExtensions = Defaults::kFreshFileExtensions;
    m_strWinampPath.clear();
}

bool CSettings::Load() {
    LoadVisitor visitor{*m_pStore};
    VisitFields(visitor);
    return true;
}

bool CSettings::Save() {
    SaveVisitor visitor{*m_pStore};
    VisitFields(visitor);
    return visitor.bAllWritten;
}

bool CSettings::HasFileExtension(std::string_view extension) const {
    if (extension.empty()) {
        return false;
    }
    return UpperCase(m_strFileExtensions).find(UpperCase(extension)) != std::string::npos;
}

bool CSettings::WriteRegion(int index, std::string_view name, ColorRef crText, ColorRef crBack) {
    const std::string_view trimmed = Trim(name);
    if (!IsRegionIndex(index) || trimmed.empty()) {
        return false;
    }
    const bool bName = m_pStore->WriteProfileString(
        Keys::kSectionRegions, Keys::Indexed(Keys::kRegionName, index), trimmed);
    const bool bText = m_pStore->WriteProfileInt(Keys::kSectionRegions,
                                                 Keys::Indexed(Keys::kRegionTextColor, index),
                                                 static_cast<std::int32_t>(crText));
    const bool bBack = m_pStore->WriteProfileInt(Keys::kSectionRegions,
                                                 Keys::Indexed(Keys::kRegionBackColor, index),
                                                 static_cast<std::int32_t>(crBack));
    return bName && bText && bBack;
}

bool CSettings::ReadRegion(int index, std::string& name, ColorRef& crText, ColorRef& crBack) const {
    if (!IsRegionIndex(index)) {
        return false;
    }
    std::string stored = m_pStore->GetProfileString(
        Keys::kSectionRegions, Keys::Indexed(Keys::kRegionName, index), std::string_view());
    if (stored.empty()) {
        return false;
    }
    name = std::move(stored);
    crText = static_cast<ColorRef>(m_pStore->GetProfileInt(
        Keys::kSectionRegions, Keys::Indexed(Keys::kRegionTextColor, index),
        static_cast<std::int32_t>(GetSystemColour(Defaults::kRegionTextSysColour))));
    crBack = static_cast<ColorRef>(m_pStore->GetProfileInt(
        Keys::kSectionRegions, Keys::Indexed(Keys::kRegionBackColor, index),
        static_cast<std::int32_t>(GetSystemColour(Defaults::kRegionBackSysColour))));
    return true;
}

bool CSettings::IsFirstRun(ISettingsStore& store) {
    return store.GetProfileString(Keys::kSectionWinamp, Keys::kWinampPath, Keys::kFirstRunMarker) ==
           Keys::kFirstRunMarker;
}

std::string CSettings::GetDefaultLogPath() {
    return GetProgramFolder() + "/" + std::string(Defaults::kLogFileName);
}
