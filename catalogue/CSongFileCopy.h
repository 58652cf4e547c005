#pragma once

#include <string>

// "Copy file..." of the playlist window: a song file copied to a path the user chose.
// The copy goes to a temporary file beside the target that is renamed into place, so a
// failed copy leaves the target as it was; a target that is the song itself (the same
// path, or a symbolic link or bind mount that reaches it) is refused before anything is
// touched.
class CSongFileCopy {
public:
    // Copies source to target, replacing target. On failure answers false with the
    // reason in error and both files unchanged.
    static bool Copy(const std::string& source, const std::string& target, std::string& error);

    static constexpr const char* kSameFileText = "The file cannot be copied onto itself.";
};
