#pragma once

#include <string>
#include <vector>

// mixorel-cli autotag --pattern P [defaults] [--dont-overwrite] FILE...: ID3v1 tags from
// the files' names by the auto-tagger's rules.
int RunAutotagCommand(const std::vector<std::string>& args);
