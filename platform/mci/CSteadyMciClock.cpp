#include "platform/mci/CSteadyMciClock.h"

#include <chrono>

std::int64_t CSteadyMciClock::NowMs() const {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
