#include "COptionsPages.h"

#include <array>
#include <utility>

namespace {

bool InRange(int value, COptionsPages::Range range) {
    return value >= range.low && value <= range.high;
}

} // namespace

const char* COptionsPages::Label(Page page) {
    static constexpr std::array<const char*, kPageCount> kLabels{
        "Global",        "WinAmp", "Internal Player", "List", "Colors, Fonts & Icons",
        "Miscellaneous", "Onairix"};
    return page >= 0 && page < kPageCount ? kLabels[static_cast<std::size_t>(page)] : "";
}

std::string COptionsPages::RangeText(int low, int high) {
    return "Please enter an integer between " + std::to_string(low) + " and " +
           std::to_string(high) + ".";
}

COptionsPages::COptionsPages(ISettingsStore& store) : m_pStore(&store), m_values(store) {}

void COptionsPages::Initialise(const std::vector<std::string>& mixTypeNames) {
    m_values = CSettings(*m_pStore);
    m_values.Load();
    m_mixTypeNames = mixTypeNames;
    m_bStartedWithWinamp = m_values.m_bUseWinamp == 1;
    m_nFontPoints = m_values.m_nListViewFontSize / 10;
    const int stored = m_values.m_nMixType;
    m_nMixTypeSelection =
        stored >= 0 && stored < static_cast<int>(m_mixTypeNames.size()) ? stored : -1;
}

bool COptionsPages::NeedsRestartNotice() const {
    return (m_values.m_bUseWinamp == 1) != m_bStartedWithWinamp;
}

std::string COptionsPages::Validate(Page page) const {
    auto check = [](int value, Range range) {
        return InRange(value, range) ? std::string() : RangeText(range.low, range.high);
    };
    switch (page) {
    case kInternal: {
        for (const auto& [value, range] : {std::pair{m_values.m_nMixSeconds, kMixSecondsRange},
                                           std::pair{m_values.m_nMixSpeed, kMixSpeedRange},
                                           std::pair{m_values.m_nTargetLufs, kTargetLufsRange}}) {
            if (std::string text = check(value, range); !text.empty()) {
                return text;
            }
        }
        return {};
    }
    case kList: {
        const std::string down = check(m_values.m_nFastMoveDown, kFastMoveRange);
        return down.empty() ? check(m_values.m_nFastMoveUp, kFastMoveRange) : down;
    }
    case kColors:
        return check(m_nFontPoints, kFontPointsRange);
    default:
        return {};
    }
}

void COptionsPages::CopyPage(Page page, CSettings& record) const {
    const CSettings& v = m_values;
    switch (page) {
    case kGlobal:
        record.m_bNewFileAtStart = v.m_bNewFileAtStart;
        record.m_bLoadLastUsed = v.m_bLoadLastUsed;
        record.m_bAutoSaveOnExit = v.m_bAutoSaveOnExit;
        record.m_bMaximizeChild = v.m_bMaximizeChild;
        record.m_bRearrangeOnNew = v.m_bRearrangeOnNew;
        record.m_bMinimizeToTray = v.m_bMinimizeToTray;
        record.m_bStartWinamp = v.m_bStartWinamp;
        record.m_bCloseWinamp = v.m_bCloseWinamp;
        record.m_bUseWinamp = v.m_bUseWinamp == 1 ? 1 : 0;
        record.m_strFileExtensions = v.m_strFileExtensions;
        break;
    case kWinamp:
        record.m_strWinampPath = v.m_strWinampPath;
        break;
    case kInternal:
        record.m_bUseMixer = v.m_bUseMixer;
        record.m_nMixSeconds = v.m_nMixSeconds;
        record.m_nMixSpeed = v.m_nMixSpeed;
        record.m_nMixType = m_nMixTypeSelection;
        record.m_bFitFades = v.m_bFitFades;
        record.m_bAutoMixPoints = v.m_bAutoMixPoints;
        record.m_bNormalize = v.m_bNormalize;
        record.m_nTargetLufs = v.m_nTargetLufs;
        break;
    case kList:
        record.m_nCloseRandomized = v.m_nCloseRandomized;
        record.m_nFastMoveDown = v.m_nFastMoveDown;
        record.m_nFastMoveUp = v.m_nFastMoveUp;
        record.m_strId3Tags = v.m_strId3Tags;
        break;
    case kColors:
        record.m_crLoopBk = v.m_crLoopBk;
        record.m_crLoopFg = v.m_crLoopFg;
        record.m_crNextToPlayBk = v.m_crNextToPlayBk;
        record.m_crNextToPlayFg = v.m_crNextToPlayFg;
        record.m_crScheduleBk = v.m_crScheduleBk;
        record.m_crScheduleFg = v.m_crScheduleFg;
        record.m_crNextToScheduleBk = v.m_crNextToScheduleBk;
        record.m_crNextToScheduleFg = v.m_crNextToScheduleFg;
        record.m_strListViewFontName = v.m_strListViewFontName;
        record.m_nListViewFontSize = m_nFontPoints * 10;
        record.m_nListOfPlaylistsIcon = v.m_nListOfPlaylistsIcon;
        break;
    case kMisc:
        record.m_nAutoShowPlayNext = v.m_nAutoShowPlayNext;
        record.m_nAutoShowPlayNextOnSkip = v.m_nAutoShowPlayNextOnSkip;
        record.m_nShowAlertAfterSetNext = v.m_nShowAlertAfterSetNext;
        record.m_bNoPlaylistTooltips = v.m_bNoPlaylistTooltips;
        record.m_bStopLoopAtEnd = v.m_bStopLoopAtEnd;
        record.m_bAskShutdownPc = v.m_bAskShutdownPc;
        record.m_bNotifySongStart = v.m_bNotifySongStart;
        break;
    case kOnairix:
        record.m_bKeepOnairixLog = v.m_bKeepOnairixLog;
        record.m_strLogPath = v.m_strLogPath;
        break;
    default:
        break;
    }
}

bool COptionsPages::SavePage(Page page, SaveResult& result) const {
    result.strMessage = Validate(page);
    if (result.strMessage.empty()) {
        CSettings record(*m_pStore);
        if (record.Load()) {
            CopyPage(page, record);
            if (record.Save()) {
                return true;
            }
        }
    }
    result.bSaved = false;
    result.failedPage = page;
    return false;
}

COptionsPages::SaveResult COptionsPages::Save() {
    SaveResult result;
    for (Page page : {kWinamp, kGlobal, kList, kColors, kInternal, kMisc, kOnairix}) {
        if (!SavePage(page, result)) {
            return result;
        }
    }
    return result;
}
