#pragma once

#include <string>
#include <vector>

// mixorel-cli album dump IN.qma: an album file as JSON.
int RunAlbumCommand(const std::vector<std::string>& args);
