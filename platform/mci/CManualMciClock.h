#pragma once

#include "platform/mci/IMciClock.h"

#include <atomic>

// A clock that moves only when told to; any thread may read or advance it.
class CManualMciClock final : public IMciClock {
public:
    explicit CManualMciClock(std::int64_t startMs = 0) : m_nNowMs(startMs) {}

    std::int64_t NowMs() const override { return m_nNowMs.load(); }
    void Advance(std::int64_t ms) { m_nNowMs.fetch_add(ms > 0 ? ms : 0); }

private:
    std::atomic<std::int64_t> m_nNowMs;
};
