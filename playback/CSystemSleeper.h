#pragma once

#include "ISleeper.h"

// Sleeps on the calling thread for the whole duration. Any thread.
class CSystemSleeper : public ISleeper {
public:
    void Sleep(std::chrono::milliseconds duration) override;
};
