#pragma once

#include <string>
#include <vector>

// mixorel-cli playlist import DIR -o OUT.qmx [--single-folder]: a playlist of the music
// files of a folder (with its subfolders unless --single-folder), every song read.
int RunPlaylistImport(const std::vector<std::string>& args);
// mixorel-cli playlist filter IN.qmx PATTERN -o OUT.qmx: the songs whose titles match.
int RunPlaylistFilter(const std::vector<std::string>& args);
