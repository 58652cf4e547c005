#pragma once

#include "platform/mci/IMciClock.h"

// The system's steady clock.
class CSteadyMciClock final : public IMciClock {
public:
    std::int64_t NowMs() const override;
};
