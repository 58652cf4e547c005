#include "CPlaylistColumns.h"

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

std::shared_ptr<const CPlaylistColumns::LoudnessText>& LoudnessSource() {
    static std::shared_ptr<const CPlaylistColumns::LoudnessText> source;
    return source;
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
        return song.HasInfo() ? song.GetDurationText() : std::string();
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
        std::shared_ptr<const LoudnessText> text;
        {
            std::lock_guard lock(LoudnessMutex());
            text = LoudnessSource();
        }
        return text && *text ? (*text)(song.GetPath()) : std::string();
    }
    default:
        return {};
    }
}

void CPlaylistColumns::SetLoudnessText(LoudnessText text) {
    auto shared = std::make_shared<const LoudnessText>(std::move(text));
    std::lock_guard lock(LoudnessMutex());
    LoudnessSource() = std::move(shared);
}
