#pragma once

#include <string>
#include <vector>

// `mixorel-cli play [--mix-seconds S] [--mix-type N] [--speed V] [--no-mix] FILE...`:
// plays the files one after another through the media-control player, as the loop does
// (with mixing, each next song fades in while the previous one fades out), and prints one
// line per start. Answers the exit status: 0 when the last song has played to its end or
// after Ctrl+C, 1 when playing failed, 2 for a usage error.
int RunPlayCommand(const std::vector<std::string>& args);
