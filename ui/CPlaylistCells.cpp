#include "ui/CPlaylistCells.h"

#include "catalogue/CSong.h"

#include <array>

namespace {

struct ColumnInfo {
    const char* heading;
    int width;
    bool right;
};

constexpr std::array<ColumnInfo, CPlaylistCells::kColumnCount> kColumns = {{
    {"Song", 350, false},
    {"Duration", 74, true},
    {"Info", 73, true},
    {"Date/time", 0, false},
}};

} // namespace

const char* CPlaylistCells::Heading(int column) {
    return column >= 0 && column < kColumnCount ? kColumns[column].heading : "";
}

int CPlaylistCells::Width(int column) {
    return column >= 0 && column < kColumnCount ? kColumns[column].width : 0;
}

bool CPlaylistCells::IsRightAligned(int column) {
    return column >= 0 && column < kColumnCount && kColumns[column].right;
}

std::string CPlaylistCells::Text(const CSong& song, int column) {
    switch (column) {
    case kSong:
        return song.GetTitleWithDate(true);
    case kDuration:
        return song.IsRegion() ? kRegionText : song.HasInfo() ? song.GetDurationText() : "";
    case kInfo:
        return song.IsRegion() ? kRegionText : song.HasInfo() ? song.GetFormatText() : "";
    case kDateTime:
        return song.GetFileDate().Format("%x %X");
    default:
        return {};
    }
}
