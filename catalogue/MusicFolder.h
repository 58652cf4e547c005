#pragma once

#include <string>

// The user's music folder, ending in "/": $XDG_MUSIC_DIR when set (and absolute), else
// ~/Music. The hidden "Set source folder" command points songs there.
std::string GetMusicFolder();
