#include "CSystemSleeper.h"

#include <thread>

void CSystemSleeper::Sleep(std::chrono::milliseconds duration) {
    if (duration.count() <= 0) {
        std::this_thread::yield();
        return;
    }
    std::this_thread::sleep_for(duration);
}
