#pragma once

#include <string_view>

// Texts of the string table that the players show or answer, under their numbers.
namespace PlayerStrings {

inline constexpr int kIdsCdPauseUnavailable = 132;
inline constexpr std::string_view kCdPauseUnavailable =
    "Pause option not available for Audio CD while using the Internal player.";
inline constexpr int kIdsWinampNotRunning = 155;
inline constexpr std::string_view kWinampNotRunning =
    "WinAmp is not running. Did you specify the WinAmp path in the configuration?\n\nUse "
    "tools->options to setup the WinAmp path.";
inline constexpr int kIdsPlaying = 159;
inline constexpr std::string_view kPlaying = "Playing";
inline constexpr int kIdsPaused = 161;
inline constexpr std::string_view kPaused = "Paused";
inline constexpr int kIdsStopped = 165;
inline constexpr std::string_view kStopped = "Stopped";
// While the sound output is gone and the engine waits for it (no string-table number).
inline constexpr std::string_view kWaitingForOutput = "Waiting for the sound output";

} // namespace PlayerStrings
