#pragma once

// "Sc&heduler on/off" on a playlist: what the command does and what it asks first. A
// running scheduler is stopped after a question; one can only start on a playlist with
// a region that has a start date/time; a scheduler running for another playlist is
// replaced after a question.
class CSchedulerSwitch {
public:
    enum Step : int { kAskStop = 0, kTellNoRegion, kAskReplace, kStart };

    static constexpr const char* kStopText = "Are you sure you want to stop the scheduler?";
    static constexpr const char* kReplaceText =
        "Do you want to stop existing scheduler and start the new one?";
    static constexpr const char* kNoRegionText =
        "Please specify at least one region with a start date/time to have scheduler playing "
        "music automatically.";

    static Step Decide(bool scheduledHere, bool scheduledElsewhere, bool hasDatedRegion);
};
