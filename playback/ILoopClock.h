#pragma once

#include "catalogue/CDateTime.h"

#include <chrono>

// Time as the loop driver, the scheduler and the alarm see it: the local date and time
// to the second, and pauses. The program uses the system clock; tests run the same code
// in stepped or accelerated time.
//
// Threads: shared by the driver, the scheduler and the user-interface thread.
class ILoopClock {
public:
    virtual ~ILoopClock() = default;
    // The local date and time, in whole seconds.
    virtual CDateTime LocalNow() = 0;
    virtual void Sleep(std::chrono::milliseconds duration) = 0;
};
