#pragma once

#include "CMessageQueue.h"
#include "ILoopClock.h"

#include <chrono>
#include <cstdint>
#include <thread>

class CMixorel2001Doc;

// The scheduler of one playlist: it watches the start times of the playlist's regions and,
// in the second a region names, plays that region's songs one after the other, holding
// the loop driver meanwhile; when the region ends it gives the music back to the loop. At
// most one playlist is scheduled in the process.
//
// Threads: StartScheduler and StopScheduler are called by the user-interface thread (or
// the headless player); the body runs on its own thread.
class CScheduleListThread {
public:
    static constexpr std::chrono::milliseconds kDuePoll{30};
    static constexpr std::chrono::milliseconds kAfterRegionStart{1000};
    static constexpr std::chrono::milliseconds kPlayingPoll{20};

    // Stops any running scheduler and starts one for the document; false for none.
    static bool StartScheduler(CMixorel2001Doc* doc, std::uint32_t token, ILoopClock& clock);
    // Stops the running scheduler and waits for it without limit. Always true.
    static bool StopScheduler();
    static bool IsScheduled(const CMixorel2001Doc* doc);
    static bool IsRegionPlaying();
    // True when two times name the same second.
    static bool SameSecond(const CDateTime& a, const CDateTime& b);

    CScheduleListThread(CMixorel2001Doc* doc, ILoopClock& clock);
    CScheduleListThread(const CScheduleListThread&) = delete;
    CScheduleListThread& operator=(const CScheduleListThread&) = delete;

    // One due test: index is the header line of the first region due now, or -1. False
    // ends the scheduler (no document, or the quit message).
    bool FindDueRegion(int& index);

private:
    void Run();
    bool PlayRegionFrom(int header);
    bool QuitArrived();
    bool Playing();

    CMixorel2001Doc* m_pDoc;
    ILoopClock& m_clock;
    CMessageQueue m_queue;
    std::thread m_thread;
};
