#pragma once

#include "catalogue/CDateTime.h"

#include <string>

class QWidget;

// The dialog "Alarm": "Looping start time" with "On", "Off" and "Cancel".
class CAlarmDialog {
public:
    enum Result : int { kCancel = 0, kOn, kOff };

    // alarm: the playlist's alarm (null: none; the time shown is then now); on "On" it
    // receives today's date at the chosen time.
    static Result Ask(QWidget* parent, const std::string& playlistTitle, CDateTime& alarm);
};
