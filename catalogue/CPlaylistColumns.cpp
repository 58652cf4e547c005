#include "CPlaylistColumns.h"

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
}};

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
    default:
        return {};
    }
}
