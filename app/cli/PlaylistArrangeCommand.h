#pragma once

#include <string>
#include <vector>

// `mixorel-cli playlist sort IN.qmx --by title|duration|bitrate|date [--desc] -o OUT.qmx`
// and `mixorel-cli playlist shuffle IN.qmx -o OUT.qmx`: the playlist is loaded into a
// document, songs without audio information are read first, every section between region
// lines is sorted or shuffled on its own, and the result is saved. Answer the exit status.
int RunPlaylistSort(const std::vector<std::string>& args);
int RunPlaylistShuffle(const std::vector<std::string>& args);
