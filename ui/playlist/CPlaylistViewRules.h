#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// What the playlist window decides, without the window: which commands are enabled, the
// status panes' texts, the look of a line, where Next goes, where pasted or dropped songs
// land and which line type-ahead picks. The window gathers the facts and shows the answer.
class CSong;

class CPlaylistViewRules {
public:
    enum Command : int {
        kPlay,
        kLoop,
        kPause,
        kStop,
        kFadeStop,
        kSeek,
        kNext,
        kFadeNext,
        kLoopStop,
    };
    // The facts the transport commands are enabled by.
    struct TransportFacts {
        bool bCommandsDisabled = false; // the lock dialog's "&Disable player commands"
        bool bRegionPlaying = false;
        bool bHasSelection = false;
        bool bEmpty = true;
        bool bPlayerActive = false; // the player's IsActive with raw true
        bool bLoopStopFlag = false;
        bool bLoops = false;     // this list's loop driver runs
        bool bScheduled = false; // this list plays a region
    };
    static bool IsEnabled(Command command, const TransportFacts& facts);

    // Pane 0 from the player's mode (1 playing, 3 paused, 0 stopped); seconds.
    static std::string PlayerPaneText(int mode, bool loops, int position, int length);
    // Pane 0 after the looping look is decided: "Idle" on the tick the look goes off
    // (the driver of this list stopped), the player's text otherwise.
    static std::string PaneTextAfterLoopLook(bool lookWasOn, bool driverRuns,
                                             const std::string& playerText);
    // The frame of the looping animation beside pane 0: seven places, a note moving
    // through them.
    static std::string LoopAnimationFrame(int frame);
    static constexpr int kLoopAnimationPlaces = 7;
    static constexpr int kLoopAnimationMs = 200;
    // Pane 3: the selected lines when two or more are, else the songs of the list.
    static std::string CountPaneText(int selected, int lines, int regions);
    // Pane 4: "%dh %dm %ds".
    static std::string TotalPaneText(std::uint32_t seconds);
    // Pane 1 on a title tick; showNext picks "Next:" on the looping list's ticks.
    static std::string TitlePaneText(bool titleRead, const std::string& title, bool loops,
                                     bool showNext, const std::string& nextTitle);

    // The lines whose titles "Now:" and "Next:" show, from the lines carrying the marks
    // (-1 where none does). While this list plays a region the scheduler's marks come
    // first, else the loop's. Without a next mark (a start is under way) the next line is
    // the one at the position, a region header there stepped over as the loop does; -1
    // when there is no such line.
    struct MarkedLines {
        int loopPlaying = -1;
        int loopNext = -1;
        int schedulePlaying = -1;
        int scheduleNext = -1;
    };
    static int NowLine(const MarkedLines& marks, bool regionPlays);
    static int NextLine(const MarkedLines& marks, bool regionPlays, int position,
                        const std::function<bool(int)>& isHeader, int lines);

    enum LineLook : int { kListLook, kNextToPlay, kNextToSchedule, kRegionHeader, kRegionLine };
    // Hot and default together: the marked line shows the default colours.
    static constexpr int kHotDefaultState = 96;
    static LineLook LookOf(std::int32_t mark, bool header, bool insideRegion, int drawState = 0);

    // Next and Fade next: the scheduled list's frame while a region plays, else the
    // looping list's frame; nullptr when neither.
    static const void* NextTarget(bool regionPlaying, const void* scheduled, const void* looping);

    // Position codes of InsertFromClipboard.
    static constexpr int kNextToPlayCode = -2;
    static constexpr int kAtEndCode = -3;
    static constexpr int kAfterLast = -2; // the document's "after the last line"
    // The line the songs go after (-1 the head, kAfterLast the end).
    static int InsertAfter(int code, int loopPosition, bool useSelection, int selectionMark);
    // A drop's target line: the line under the point, the line count below the last.
    static int DropTarget(int lineAtPoint, int lines);
    // The line dropped songs go after.
    static int DropAfter(int target, int lines);
    // A move within the list lands where removing the selected lines and then inserting
    // after line target - 1 of the shorter list puts it. The songs are inserted first and
    // the old lines removed after, so a failed insert loses nothing: this answers the
    // line of the full list to insert after (-1 the head, kAfterLast the end). selected
    // holds the selected lines in ascending order.
    static int SameListMoveAfter(const std::vector<int>& selected, int target, int lines);
    // A drop of songs is a move within one list unless Ctrl is held, and a copy between
    // lists unless Shift is held.
    static bool IsMoveDrop(bool sameList, bool shift, bool ctrl);

    // Fast moves: enabled rules and the line the selection lands after.
    static bool CanFastMoveDown(int current, int lines, int distance);
    static bool CanFastMoveUp(int current, int distance);
    static int FastMoveDownAfter(int current, int distance) { return current + distance; }
    static int FastMoveUpAfter(int current, int distance) { return current - distance - 1; }
    // The line selected after a delete: the former number, the last when shorter.
    static int LineAfterDelete(int former, int lines);

    // A song's tooltip: its tag's facts when the file has an ID3v1 tag, else its title.
    static std::string SongTooltip(const CSong& song);

    // Type-ahead: from start on, wrapping, the first line whose title begins with text
    // (letters without case); -1 when none.
    static int TypeAhead(const std::function<std::string(int)>& titleAt, int lines, int start,
                         const std::string& text);
};
