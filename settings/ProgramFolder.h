#pragma once

#include <string>
#include <string_view>

// Name of the mix-type file in the program folder.
inline constexpr std::string_view kMixIniFileName = "mix.ini";

// The folder of the program's own files (mix.ini, locations.dat, default.qms, the play
// log): $MIXOREL_HOME when set, else $XDG_DATA_HOME/Mixorel, else ~/.local/share/Mixorel.
// The first use of a folder in the process creates it and installs the built-in mix.ini
// there when it has none. Answered without a trailing "/".
std::string GetProgramFolder();

// Program folder + "/mix.ini".
std::string GetMixIniPath();

// Writes the built-in mix.ini into folder when no mix.ini is there (through a temporary
// file renamed into place). True when the folder holds a mix.ini afterwards.
bool EnsureMixIni(const std::string& folder);
