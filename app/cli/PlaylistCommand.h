#pragma once

#include <string>
#include <vector>

// `mixorel-cli playlist dump FILE.qmx` and `mixorel-cli playlist create OUT.qmx PATH...`.
// Answers the exit status.
int RunPlaylistCommand(const std::vector<std::string>& args);
