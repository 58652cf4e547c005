#pragma once

#include <chrono>

// How the fader and the player pause between steps. The program sleeps for real; tests
// put in a sleeper that records the pauses and runs them in accelerated time.
//
// Threads: an implementation is shared by the player and all its workers, so Sleep may be
// called from any thread at the same time.
class ISleeper {
public:
    virtual ~ISleeper() = default;
    virtual void Sleep(std::chrono::milliseconds duration) = 0;
};
