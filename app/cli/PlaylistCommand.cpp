#include "cli/PlaylistCommand.h"

#include "catalogue/CPlaylistFile.h"
#include "catalogue/CSong.h"
#include "cli/JsonText.h"
#include "cli/PlaylistArrangeCommand.h"
#include "cli/PlaylistExchangeCommand.h"
#include "cli/PlaylistImportCommand.h"
#include "cli/PlaylistWalkCommand.h"
#include "cli/SettingsStoreLoader.h"
#include "media/SongFileReader.h"
#include "settings/CSettings.h"

#include <algorithm>
#include <cstdio>
#include <dirent.h>
#include <filesystem>
#include <sys/stat.h>

namespace {

constexpr const char* kUsage =
    "usage: mixorel-cli playlist dump FILE.qmx\n"
    "       mixorel-cli playlist create OUT.qmx [--template T] PATH...\n"
    "       mixorel-cli playlist sort IN.qmx --by title|duration|bitrate|date [--desc] -o OUT.qmx\n"
    "       mixorel-cli playlist shuffle IN.qmx -o OUT.qmx\n"
    "       mixorel-cli playlist import DIR -o OUT.qmx [--single-folder]\n"
    "       mixorel-cli playlist filter IN.qmx PATTERN -o OUT.qmx\n"
    "       mixorel-cli playlist m3u IN.m3u -o OUT.qmx\n"
    "       mixorel-cli playlist html IN.qmx OUT.html\n"
    "       mixorel-cli playlist print IN.qmx OUT.pdf [--page-size A4|Letter] [--pages FROM-TO]\n"
    "       mixorel-cli playlist walk IN.qmx [--by ORGANISATION] [--songs]\n";

std::string DateJson(const CDateTime& date) {
    return "{\"status\": " + std::to_string(static_cast<int>(date.GetStatus())) +
           ", \"days\": " + JsonText::Number(date.GetValue()) + "}";
}

std::string TagHex(const CSong::TagBlock& tag) {
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(tag.size() * 2);
    for (const std::uint8_t b : tag) {
        hex.push_back(kDigits[b >> 4]);
        hex.push_back(kDigits[b & 15]);
    }
    return hex;
}

void PrintSong(std::string& out, const CSong& song) {
    out += "{\"path\": " + JsonText::Quote(song.GetPath());
    out += ", \"title\": " + JsonText::Quote(song.GetTitle());
    out += ", \"start\": " + DateJson(song.GetStart());
    out += ", \"reserved1\": " + std::to_string(song.GetReserved1());
    out += ", \"reserved2\": " + std::to_string(song.GetReserved2());
    out += ", \"sample_rate\": " + std::to_string(song.GetSampleRate());
    out += ", \"channel_mode\": " + std::to_string(song.GetChannelMode());
    out += ", \"bitrate\": " + std::to_string(song.GetBitrate());
    out += ", \"size\": " + std::to_string(song.GetSize());
    out += ", \"info\": " + std::to_string(song.GetInfoValue());
    out += ", \"region\": " + std::to_string(song.GetRegionValue());
    out += ", \"back\": " + std::to_string(song.GetBackColor());
    out += ", \"text\": " + std::to_string(song.GetTextColor());
    out += ", \"tag\": \"" + TagHex(song.GetTag()) + "\"";
    out += ", \"file_date\": " + DateJson(song.GetFileDate()) + "}";
}

int Dump(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    CPlaylistContent content;
    const int result = CPlaylistFile::Read(args[0], content);
    if (result != CPlaylistFile::kOk) {
        std::fprintf(stderr, "mixorel-cli: %s: %s\n", args[0].c_str(),
                     CPlaylistFile::ResultText(result));
        return 1;
    }
    std::string out =
        "{\"signature\": " + JsonText::Quote(content.m_strSignature) + ", \"songs\": [";
    for (std::size_t i = 0; i < content.m_songs.size(); ++i) {
        out += i == 0 ? "\n  " : ",\n  ";
        PrintSong(out, content.m_songs[i]);
    }
    out += content.m_songs.empty() ? "]" : "\n]";
    out += ", \"alarm\": " + DateJson(content.m_dtAlarm);
    out += ", \"locked\": ";
    out += content.m_bLocked ? "true" : "false";
    out += ", \"player_commands_disabled\": ";
    out += content.m_bPlayerCommandsDisabled ? "true" : "false";
    out += "}\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}

std::string Extension(const std::string& name) {
    const auto dot = name.find_last_of('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

// The music files below a folder, in name order, subfolders walked in place; only the
// extensions of the settings count here.
void CollectFolder(const std::string& folder, const CSettings& settings,
                   std::vector<std::string>& paths) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        std::fprintf(stderr, "mixorel-cli: cannot read the folder %s\n", folder.c_str());
        return;
    }
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        const std::string path = folder + "/" + name;
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0) {
            continue;
        }
        if (S_ISDIR(info.st_mode)) {
            CollectFolder(path, settings, paths);
        } else if (settings.HasFileExtension(Extension(name))) {
            paths.push_back(path);
        }
    }
}

int Create(const std::vector<std::string>& args) {
    std::string out;
    std::string titleTemplate;
    bool haveTemplate = false;
    std::vector<std::string> inputs;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--template" && i + 1 < args.size()) {
            titleTemplate = args[++i];
            haveTemplate = true;
        } else if (out.empty()) {
            out = args[i];
        } else {
            inputs.push_back(args[i]);
        }
    }
    if (out.empty() || inputs.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    InstallSettingsStore();
    CSettings settings;
    settings.Load();
    if (!haveTemplate) {
        titleTemplate = settings.m_strId3Tags;
    }
    std::vector<std::string> paths;
    for (const std::string& input : inputs) {
        std::error_code ec;
        const std::string absolute =
            std::filesystem::absolute(input, ec).lexically_normal().string();
        struct stat info {};
        if (ec || ::stat(absolute.c_str(), &info) != 0) {
            std::fprintf(stderr, "mixorel-cli: %s: no such file or folder\n", input.c_str());
            return 1;
        }
        if (S_ISDIR(info.st_mode)) {
            CollectFolder(absolute.ends_with('/') ? absolute.substr(0, absolute.size() - 1)
                                                  : absolute,
                          settings, paths);
        } else {
            paths.push_back(absolute);
        }
    }
    CPlaylistContent content;
    content.m_songs.reserve(paths.size());
    for (const std::string& path : paths) {
        CSong& song = content.m_songs.emplace_back();
        song.SetPath(path, titleTemplate, true);
        song.ProcessFromFacts(SongFileReader::Read(path), titleTemplate);
    }
    const int result = CPlaylistFile::Write(out, content);
    if (result != CPlaylistFile::kOk) {
        std::fprintf(stderr, "mixorel-cli: %s: %s\n", out.c_str(),
                     CPlaylistFile::ResultText(result));
        return 1;
    }
    return 0;
}

} // namespace

int RunPlaylistCommand(const std::vector<std::string>& args) {
    if (args.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (args[0] == "dump") {
        return Dump(rest);
    }
    if (args[0] == "create") {
        return Create(rest);
    }
    if (args[0] == "sort") {
        return RunPlaylistSort(rest);
    }
    if (args[0] == "shuffle") {
        return RunPlaylistShuffle(rest);
    }
    if (args[0] == "import") {
        return RunPlaylistImport(rest);
    }
    if (args[0] == "filter") {
        return RunPlaylistFilter(rest);
    }
    if (args[0] == "m3u") {
        return RunPlaylistM3u(rest);
    }
    if (args[0] == "html") {
        return RunPlaylistHtml(rest);
    }
    if (args[0] == "walk") {
        return RunPlaylistWalk(rest);
    }
    if (args[0] == "print") {
        return RunPlaylistPrint(rest);
    }
    std::fprintf(stderr, "mixorel-cli playlist: unknown command '%s'\n%s", args[0].c_str(), kUsage);
    return 2;
}
