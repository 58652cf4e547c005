#include "CAirStatus.h"

#include <cstdio>

std::string CAirStatus::Clock(std::int64_t seconds) {
    if (seconds < 0) {
        seconds = 0;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    return text;
}

std::string CAirStatus::Text() const {
    const std::string clock = Clock(nShowSeconds);
    switch (stream) {
    case kOnAir:
        return "On air " + clock;
    case kConnecting:
        return "Connecting to the stream server...";
    case kRetrying:
        return "Stream lost; trying again in " + std::to_string(nRetrySeconds) + " s";
    case kPasswordRefused:
        return "Stream password refused; trying again in " + std::to_string(nRetrySeconds) + " s";
    case kStreamOff:
        break;
    }
    return bRecording ? "Recording " + clock : std::string();
}

const char* CAirStatus::PasswordRefusedText() {
    return "The stream server refused the user name and password. Check them in "
           "Options > Broadcast; the stream keeps trying and the recording goes on.";
}
