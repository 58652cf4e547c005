#include "playback/CSchedulerSwitch.h"

#include <gtest/gtest.h>

TEST(SchedulerSwitchTest, WhatTheCommandDoes) {
    struct Case {
        bool here, elsewhere, dated;
        CSchedulerSwitch::Step step;
    };
    for (const Case& c : {Case{true, false, true, CSchedulerSwitch::kAskStop},
                          Case{true, false, false, CSchedulerSwitch::kAskStop},
                          Case{false, false, false, CSchedulerSwitch::kTellNoRegion},
                          Case{false, true, false, CSchedulerSwitch::kTellNoRegion},
                          Case{false, true, true, CSchedulerSwitch::kAskReplace},
                          Case{false, false, true, CSchedulerSwitch::kStart}}) {
        EXPECT_EQ(CSchedulerSwitch::Decide(c.here, c.elsewhere, c.dated), c.step)
            << c.here << c.elsewhere << c.dated;
    }
}
