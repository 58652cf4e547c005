#pragma once

#include <cstdint>

// Milliseconds from an arbitrary origin that never go backwards. Devices and the length
// estimate read time through this, so tests can drive it by hand.
class IMciClock {
public:
    virtual ~IMciClock() = default;
    virtual std::int64_t NowMs() const = 0;
};
