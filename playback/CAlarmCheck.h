#pragma once

#include "catalogue/CDateTime.h"

// The alarm test of the view's one-second timer: the alarm fires when its time of day
// lies after the previous check and no later than now, so a timer that drifts past the
// exact second does not miss it. The first check fires only in the alarm's own second.
// It fires again at the same time on later days.
class CAlarmCheck {
public:
    // now: the current local date and time.
    bool IsDue(const CDateTime& alarm, const CDateTime& now);
    void Reset();

private:
    static long SecondOfDay(const CDateTime& time);

    bool m_bChecked = false;
    double m_dPrevious = 0.0;
};
