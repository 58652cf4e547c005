#include "ProgramFolder.h"

#include "DefaultMixIni.h"
#include "media/AtomicFileWriter.h"

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <pwd.h>
#include <set>
#include <unistd.h>
#include <vector>

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

std::string HomeFolder() {
    std::string home = Environment("HOME");
    if (!home.empty()) {
        return home;
    }
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* result = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &result) == 0 &&
        result != nullptr && result->pw_dir != nullptr) {
        return result->pw_dir;
    }
    return ".";
}

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

std::string ChooseFolder() {
    const std::string own = Environment("MIXOREL_HOME");
    if (!own.empty()) {
        return WithoutTrailingSlash(own);
    }
    // A relative XDG_DATA_HOME is invalid and ignored.
    const std::string data = Environment("XDG_DATA_HOME");
    if (!data.empty() && data.front() == '/') {
        return WithoutTrailingSlash(data) + "/Mixorel";
    }
    return WithoutTrailingSlash(HomeFolder()) + "/.local/share/Mixorel";
}

// Creates the folder and installs mix.ini the first time the process uses it.
void PrepareOnce(const std::string& folder) {
    static std::mutex mutex;
    static std::set<std::string> prepared;
    std::lock_guard lock(mutex);
    if (prepared.count(folder) != 0) {
        return;
    }
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (std::filesystem::is_directory(folder, error) && EnsureMixIni(folder)) {
        prepared.insert(folder);
    }
}

} // namespace

std::string GetProgramFolder() {
    std::string folder = ChooseFolder();
    PrepareOnce(folder);
    return folder;
}

std::string GetMixIniPath() {
    return GetProgramFolder() + "/" + std::string(kMixIniFileName);
}

bool EnsureMixIni(const std::string& folder) {
    const std::string path = folder + "/" + std::string(kMixIniFileName);
    std::error_code error;
    if (std::filesystem::exists(path, error)) {
        return true;
    }
    AtomicFileWriter writer;
    return writer.Create(path) && writer.Write(GetDefaultMixIni()) && writer.Commit();
}
