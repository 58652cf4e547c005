#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

// The process-wide state of looping, shared by the documents, the loop driver and the
// scheduler. Only one loop runs in the process: a driver registers its token here, and a
// new driver asks the old one to stop and waits until the token is free. The scheduler
// holds the driver before its next start while it plays a region.
class CLoopState {
public:
    static std::atomic<std::uint32_t> s_nCurrentToken;
    // Asks the running driver to end.
    static std::atomic<bool> s_bStop;
    // Holds the driver before it starts its next song.
    static std::atomic<bool> s_bHold;
    // Set while the scheduler plays a region.
    static std::atomic<bool> s_bRegionPlaying;
    // "Shut down PC at the end of looping".
    static std::atomic<bool> s_bShutdownAtEnd;
    // Registration and the driver's end take these, in this order.
    static std::mutex s_registrationMutex;
    static std::mutex s_tokenMutex;
};
