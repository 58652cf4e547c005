#pragma once

#include <string>
#include <vector>

// `mixorel-cli analyse FILE... [--json]`: the loudness and cue points of each file,
// analysed into the program's cache (or taken from it), as CSV or a JSON array. Answers
// the exit status: 1 when a file could not be analysed, 2 for bad arguments.
int RunAnalyseCommand(const std::vector<std::string>& args);
