#include "MusicFolder.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <vector>

std::string GetMusicFolder() {
    std::string folder;
    if (const char* music = std::getenv("XDG_MUSIC_DIR"); music != nullptr && music[0] == '/') {
        folder = music;
    } else {
        std::string home;
        if (const char* value = std::getenv("HOME"); value != nullptr && value[0] != '\0') {
            home = value;
        } else {
            std::vector<char> buffer(16384);
            passwd entry{};
            passwd* result = nullptr;
            if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &result) == 0 &&
                result != nullptr && result->pw_dir != nullptr) {
                home = result->pw_dir;
            }
        }
        folder = home + "/Music";
    }
    if (folder.back() != '/') {
        folder.push_back('/');
    }
    return folder;
}
