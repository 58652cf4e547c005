#pragma once

#include <string>
#include <vector>

// mixorel-cli playlist walk IN.qmx [--by ORGANISATION] [--songs]: the Media Walker's
// tree of a playlist, one line per node.
int RunPlaylistWalk(const std::vector<std::string>& args);
