#include "CSystemLoopClock.h"

#include <ctime>
#include <thread>

CSystemLoopClock& CSystemLoopClock::Shared() {
    static CSystemLoopClock clock;
    return clock;
}

CDateTime CSystemLoopClock::LocalNow() {
    return CDateTime::FromTime(std::time(nullptr));
}

void CSystemLoopClock::Sleep(std::chrono::milliseconds duration) {
    std::this_thread::sleep_for(duration);
}
