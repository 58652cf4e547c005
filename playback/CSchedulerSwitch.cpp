#include "CSchedulerSwitch.h"

CSchedulerSwitch::Step CSchedulerSwitch::Decide(bool scheduledHere, bool scheduledElsewhere,
                                                bool hasDatedRegion) {
    if (scheduledHere) {
        return kAskStop;
    }
    if (!hasDatedRegion) {
        return kTellNoRegion;
    }
    return scheduledElsewhere ? kAskReplace : kStart;
}
