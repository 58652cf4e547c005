#pragma once

#include <string>
#include <vector>

// `mixorel-cli play [--mix-seconds S] [--mix-type N] [--speed V] [--no-mix] FILE...`:
// plays the files one after another through the media-control player, as the loop does
// (with mixing, each next song fades in while the previous one fades out), and prints one
// line per start. With --remote the files play through a remote MPRIS player instead
// (settings "winamppath", "startwinamp", "closewinamp"). Answers the exit status: 0 when
// the last song has played to its end or after Ctrl+C, 1 when playing failed (message
// 155 when no remote player runs or can be started), 2 for a usage error.
int RunPlayCommand(const std::vector<std::string>& args);
