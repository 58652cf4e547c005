#pragma once

#include <string>
#include <vector>

// `mixorel-cli tag FILE [options]`: writes the ID3v1 and ID3v2 tags of a music file.
// Fields not given keep the values the file has. Answers the exit status.
int RunTagCommand(const std::vector<std::string>& args);
