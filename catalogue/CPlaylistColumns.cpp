#include "CPlaylistColumns.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <mutex>

namespace {

struct ColumnFacts {
    const char* heading;
    int width;
    bool rightAligned;
};

constexpr std::array<ColumnFacts, CPlaylistColumns::kCount> kColumns{{
    {"Song", 350, false},
    {"Duration", 74, true},
    {"Info", 73, true},
    {"Date/time", 0, false},
    {"Loudness", 0, true},
}};

std::mutex& LoudnessMutex() {
    static std::mutex mutex;
    return mutex;
}

std::shared_ptr<const CPlaylistColumns::AnalysisSource>& Source() {
    static std::shared_ptr<const CPlaylistColumns::AnalysisSource> source;
    return source;
}

std::optional<CPlaylistColumns::AnalysedFacts> AnalysedFactsOf(const CSong& song) {
    std::shared_ptr<const CPlaylistColumns::AnalysisSource> source;
    {
        std::lock_guard lock(LoudnessMutex());
        source = Source();
    }
    return source && *source ? (*source)(song.GetPath()) : std::nullopt;
}

// The header's duration unless the decoded one differs from it by more than 3 % (and
// 2 s): then the header lies. A file without an MPEG header (WAV) shows the decoded one.
std::string DurationText(const CSong& song) {
    const std::string header = song.GetDurationText();
    const auto facts = AnalysedFactsOf(song);
    if (!facts || !facts->durationSeconds) {
        return header;
    }
    const double decoded = *facts->durationSeconds;
    const double estimate = song.GetDuration();
    if (!header.empty() && std::abs(decoded - estimate) <= std::max(2.0, 0.03 * decoded)) {
        return header;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%u:%02u", *facts->durationSeconds / 60,
                  *facts->durationSeconds % 60);
    return text;
}

bool IsColumn(int column) {
    return column >= 0 && column < CPlaylistColumns::kCount;
}

} // namespace

const char* CPlaylistColumns::Heading(int column) {
    return IsColumn(column) ? kColumns[static_cast<std::size_t>(column)].heading : "";
}

int CPlaylistColumns::DefaultWidth(int column) {
    return IsColumn(column) ? kColumns[static_cast<std::size_t>(column)].width : 0;
}

bool CPlaylistColumns::IsRightAligned(int column) {
    return IsColumn(column) && kColumns[static_cast<std::size_t>(column)].rightAligned;
}

std::string CPlaylistColumns::CellText(const CSong& song, int column) {
    switch (column) {
    case kSong:
        return song.GetTitleWithDate(true);
    case kDuration:
        if (song.IsRegion()) {
            return kRegionText;
        }
        return song.HasInfo() ? DurationText(song) : std::string();
    case kInfo:
        if (song.IsRegion()) {
            return kRegionText;
        }
        return song.HasInfo() ? song.GetFormatText() : std::string();
    case kDateTime:
        return song.GetFileDate().Format();
    case kLoudness: {
        if (song.IsRegion()) {
            return {};
        }
        const auto facts = AnalysedFactsOf(song);
        return facts ? facts->strLoudness : std::string();
    }
    default:
        return {};
    }
}

void CPlaylistColumns::SetAnalysisSource(AnalysisSource source) {
    auto shared = std::make_shared<const AnalysisSource>(std::move(source));
    std::lock_guard lock(LoudnessMutex());
    Source() = std::move(shared);
}
