#pragma once

#include "ILoopClock.h"

// The real clock: local time from the system, pauses on the monotonic clock.
class CSystemLoopClock final : public ILoopClock {
public:
    static CSystemLoopClock& Shared();
    CDateTime LocalNow() override;
    void Sleep(std::chrono::milliseconds duration) override;
};
