#pragma once

// The message codes, button identifiers, version numbers and window classes of the
// remote player's published message interface, shared by the back end that sends them
// and the links that carry them.

#include <cstdint>
#include <string_view>

namespace RemoteMessages {

// Carriers.
inline constexpr std::uint32_t kWmUser = 1024;   // an IPC code in the last parameter
inline constexpr std::uint32_t kWmCommand = 273; // a button identifier in the first
inline constexpr std::uint32_t kWmCopyData = 74; // a data type and a block of bytes
inline constexpr std::uint32_t kWmClose = 16;    // asks the player to close

// IPC codes carried by WM_USER.
inline constexpr std::int64_t kIpcGetVersion = 0;        // version; 0 when no answer
inline constexpr std::int64_t kIpcPlayFile = 100;        // add a file (one byte per message)
inline constexpr std::int64_t kIpcDelete = 101;          // empty the player's playlist
inline constexpr std::int64_t kIpcStartPlay = 102;       // start playing
inline constexpr std::int64_t kIpcIsPlaying = 104;       // 1 playing, 3 paused, 0 stopped
inline constexpr std::int64_t kIpcGetOutputTime = 105;   // 0: position ms, 1: length s
inline constexpr std::int64_t kIpcJumpToTime = 106;      // seek to the ms given
inline constexpr std::int64_t kIpcSetVolume = 122;       // volume 0..255
inline constexpr std::int64_t kIpcGetPlaylistFile = 211; // name of a playlist entry

// Button identifiers carried by WM_COMMAND.
inline constexpr std::int64_t kButtonPause = 40046;
inline constexpr std::int64_t kButtonStop = 40047;
inline constexpr std::int64_t kButtonNext = 40048;
inline constexpr std::int64_t kButtonVolumeUp = 40058;
inline constexpr std::int64_t kButtonVolumeDown = 40059;
inline constexpr std::int64_t kButtonFadeOutStop = 40147;

// IPC_ISPLAYING answers.
inline constexpr std::int64_t kIsPlayingStopped = 0;
inline constexpr std::int64_t kIsPlayingPlaying = 1;
inline constexpr std::int64_t kIsPlayingPaused = 3;

// Versions: 0x3000 and above is the newer class of player; 5807 and above answers well
// enough that a held window needs no new search.
inline constexpr std::int32_t kVersionNewClass = 0x3000;
inline constexpr std::int32_t kVersionTrusted = 5807;

// Window classes: the message window, and the root window of the newer class.
inline constexpr std::string_view kClassIpcWindow = "Winamp v1.x";
inline constexpr std::string_view kClassNewRoot = "BaseWindow_RootWnd";

} // namespace RemoteMessages
