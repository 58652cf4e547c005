#pragma once

#include <cstdint>
#include <string>

// What the broadcast is doing, as the status pane and the command line show it.
struct CAirStatus {
    enum Stream : int {
        kStreamOff = 0,   // not streaming
        kConnecting,      // first attempt under way
        kOnAir,           // the server takes the stream
        kRetrying,        // lost or refused; the next attempt waits nRetrySeconds
        kPasswordRefused, // the server said no to the user and password; retrying
    };

    Stream stream = kStreamOff;
    bool bRecording = false;
    // Seconds since the broadcast was started (the show's clock, kept through reconnects).
    std::int64_t nShowSeconds = 0;
    int nRetrySeconds = 0;
    std::string strRecordingPath; // the file being written, when recording
    std::string strError;         // the last fault of the recorder, if any

    // "On air 1:23:45", "Connecting...", "Stream lost; again in 8 s", "Recording 0:05:00"...
    std::string Text() const;
    // "1:23:45" (hours not padded).
    static std::string Clock(std::int64_t seconds);
    // The message shown once when the server refuses the password.
    static const char* PasswordRefusedText();
};
