#pragma once

#include <string>
#include <vector>

// `mixorel-cli info PATH...`: one CSV row of audio facts and tags per file; folders are
// walked recursively. Answers the exit status.
int RunInfoCommand(const std::vector<std::string>& args);
