#include "ui/playlist/CPlaylistViewRules.h"

#include "catalogue/CSong.h"
#include "catalogue/CSongTagCache.h"
#include "media/Id3v1Tag.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <span>

namespace {

std::string Format(const char* format, long a, long b, long c, long d, const char* word) {
    char text[128];
    std::snprintf(text, sizeof text, format, word, a, b, c, d);
    return text;
}

bool StartsWithNoCase(const std::string& text, const std::string& start) {
    if (start.size() > text.size()) {
        return false;
    }
    for (std::size_t i = 0; i < start.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) !=
            std::tolower(static_cast<unsigned char>(start[i]))) {
            return false;
        }
    }
    return true;
}

} // namespace

bool CPlaylistViewRules::IsEnabled(Command command, const TransportFacts& facts) {
    if (facts.bCommandsDisabled || facts.bRegionPlaying) {
        return false;
    }
    switch (command) {
    case kPlay:
        return facts.bHasSelection;
    case kLoop:
        return !facts.bEmpty;
    case kPause:
    case kStop:
    case kFadeStop:
        return facts.bPlayerActive;
    case kSeek:
        return true;
    case kNext:
    case kFadeNext:
        return !facts.bLoopStopFlag || facts.bLoops || facts.bScheduled;
    case kLoopStop:
        return !facts.bLoopStopFlag;
    }
    return false;
}

std::string CPlaylistViewRules::PlayerPaneText(int mode, bool loops, int position, int length) {
    switch (mode) {
    case 1: {
        const int left = length > position ? length - position : 0;
        return Format("%s %ld:%.2ld/%ld:%.2ld", left / 60, left % 60, length / 60, length % 60,
                      loops ? "Looping" : "Playing");
    }
    case 3:
        return loops ? "Paused loop" : "Paused";
    case 0:
        return "Stopped";
    default:
        return {};
    }
}

std::string CPlaylistViewRules::CountPaneText(int selected, int lines, int regions) {
    return std::to_string(selected >= 2 ? selected : lines - regions) + " file(s)";
}

std::string CPlaylistViewRules::TotalPaneText(std::uint32_t seconds) {
    return std::to_string(seconds / 3600) + "h " + std::to_string(seconds / 60 % 60) + "m " +
           std::to_string(seconds % 60) + "s";
}

std::string CPlaylistViewRules::TitlePaneText(bool titleRead, const std::string& title, bool loops,
                                              bool showNext, const std::string& nextTitle) {
    if (!titleRead) {
        return {};
    }
    if (!loops) {
        return title;
    }
    return showNext ? "Next: " + nextTitle : "Now: " + title;
}

int CPlaylistViewRules::NowLine(const MarkedLines& marks, bool regionPlays) {
    const int first = regionPlays ? marks.schedulePlaying : marks.loopPlaying;
    return first >= 0 ? first : regionPlays ? marks.loopPlaying : marks.schedulePlaying;
}

int CPlaylistViewRules::NextLine(const MarkedLines& marks, bool regionPlays, int position,
                                 const std::function<bool(int)>& isHeader, int lines) {
    const int marked = regionPlays ? marks.scheduleNext : marks.loopNext;
    if (marked >= 0) {
        return marked;
    }
    if (lines <= 0) {
        return -1;
    }
    int line = position >= 0 && position < lines ? position : 0;
    if (isHeader(line)) {
        line = line + 1 < lines ? line + 1 : 0;
    }
    return isHeader(line) && lines == 1 ? -1 : line;
}

CPlaylistViewRules::LineLook CPlaylistViewRules::LookOf(std::int32_t mark, bool header,
                                                        bool insideRegion, int drawState) {
    const bool marked = mark == 2 || mark == 5 || header;
    if (marked && drawState == kHotDefaultState) {
        return kListLook;
    }
    if (mark == 2) {
        return kNextToPlay;
    }
    if (mark == 5) {
        return kNextToSchedule;
    }
    if (header) {
        return kRegionHeader;
    }
    return insideRegion ? kRegionLine : kListLook;
}

const void* CPlaylistViewRules::NextTarget(bool regionPlaying, const void* scheduled,
                                           const void* looping) {
    if (regionPlaying && scheduled != nullptr) {
        return scheduled;
    }
    return looping;
}

int CPlaylistViewRules::InsertAfter(int code, int loopPosition, bool useSelection,
                                    int selectionMark) {
    if (code == kNextToPlayCode) {
        return loopPosition > 0 ? loopPosition - 1 : -1;
    }
    if (code == kAtEndCode) {
        return kAfterLast;
    }
    return useSelection ? selectionMark : code;
}

int CPlaylistViewRules::DropTarget(int lineAtPoint, int lines) {
    return lineAtPoint < 0 || lineAtPoint > lines ? lines : lineAtPoint;
}

int CPlaylistViewRules::DropAfter(int target, int lines) {
    if (lines == 0 || target <= 0) {
        return -1;
    }
    return target >= lines ? kAfterLast : target - 1;
}

int CPlaylistViewRules::SameListMoveAfter(const std::vector<int>& selected, int target, int lines) {
    const int anchor = target - 1; // a line of the list without the selected lines
    if (anchor < 0) {
        return -1;
    }
    if (anchor >= lines - static_cast<int>(selected.size())) {
        return kAfterLast;
    }
    // The anchor-th unselected line of the full list: each selected line at or before it
    // pushes it one further down.
    int line = anchor;
    for (const int row : selected) {
        if (row > line) {
            break;
        }
        ++line;
    }
    return line;
}

bool CPlaylistViewRules::IsMoveDrop(bool sameList, bool shift, bool ctrl) {
    return sameList ? !ctrl : shift;
}

bool CPlaylistViewRules::CanFastMoveDown(int current, int lines, int distance) {
    return current >= 0 && current < lines - distance;
}

bool CPlaylistViewRules::CanFastMoveUp(int current, int distance) {
    return current >= 0 && current >= distance;
}

int CPlaylistViewRules::LineAfterDelete(int former, int lines) {
    if (lines <= 0) {
        return -1;
    }
    return former >= lines ? lines - 1 : (former < 0 ? 0 : former);
}

int CPlaylistViewRules::TypeAhead(const std::function<std::string(int)>& titleAt, int lines,
                                  int start, const std::string& text) {
    if (lines <= 0 || text.empty()) {
        return -1;
    }
    const int first = start < 0 || start >= lines ? 0 : start;
    for (int step = 0; step < lines; ++step) {
        const int line = (first + step) % lines;
        if (StartsWithNoCase(titleAt(line), text)) {
            return line;
        }
    }
    return -1;
}

std::string CPlaylistViewRules::SongTooltip(const CSong& song) {
    Id3v1Tag tag;
    if (song.IsRegion()) {
        return song.GetTitle();
    }
    // A file with its own tags (FLAC, Ogg, ...) shows them from the tag cache.
    const CSong::TagBlock block = CSongTagCache::Shared().BlockFor(song);
    if (!tag.Parse(block)) {
        return song.GetTitle();
    }
    const int track = tag.Version() > 1.05f ? tag.Track() : -1;
    std::string text(song.GetLocation().size() + 512, '\0');
    const int length = std::snprintf(
        text.data(), text.size(),
        "%s (%.2f Mb)\r\n\r\nArtist:  %s\r\nAlbum: %s\r\nSong:   %s  \r\nYear:   %ld\r\nGenre: "
        "%s\r\nTrack:  %ld\r\n\r\n%s",
        song.GetLocation().c_str(), song.GetSize() * 9.536743e-7, tag.Artist().c_str(),
        tag.Album().c_str(), tag.Title().c_str(), static_cast<long>(tag.Year()),
        tag.GenreName().c_str(), static_cast<long>(track), tag.Comment().c_str());
    text.resize(length > 0 ? std::min<std::size_t>(length, text.size() - 1) : 0);
    return text;
}

std::string CPlaylistViewRules::LoopAnimationFrame(int frame) {
    const int place =
        ((frame % kLoopAnimationPlaces) + kLoopAnimationPlaces) % kLoopAnimationPlaces;
    std::string text;
    for (int i = 0; i < kLoopAnimationPlaces; ++i) {
        text += i == place ? "\u266A" : " ";
    }
    return text;
}

std::string CPlaylistViewRules::PaneTextAfterLoopLook(bool lookWasOn, bool driverRuns,
                                                      const std::string& playerText) {
    return lookWasOn && !driverRuns ? std::string("Idle") : playerText;
}
