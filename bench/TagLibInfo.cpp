// taglib-info: the whole-process yardstick for `mixorel-cli info`. Reads with TagLib the
// same facts of every file below the given folders (bit rate, sample rate, channels,
// length, title, artist, album, year, track, genre, comment), walked in name order, and
// prints one CSV row per file through a large buffer. Built with the bench preset only;
// never shipped.
#include <taglib/audioproperties.h>
#include <taglib/fileref.h>
#include <taglib/tag.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <dirent.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace {

std::string g_out;

void Flush() {
    std::fwrite(g_out.data(), 1, g_out.size(), stdout);
    g_out.clear();
}

void Text(std::string_view text) {
    g_out.push_back(',');
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        g_out.append(text);
        return;
    }
    g_out.push_back('"');
    for (const char c : text) {
        if (c == '"') {
            g_out.push_back('"');
        }
        g_out.push_back(c);
    }
    g_out.push_back('"');
}

void Number(long long number) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, number);
    g_out.push_back(',');
    g_out.append(digits, result.ptr);
}

void WriteRow(const std::string& path) {
    g_out.append(path);
    const TagLib::FileRef file(path.c_str(), true, TagLib::AudioProperties::Fast);
    const TagLib::AudioProperties* audio = file.isNull() ? nullptr : file.audioProperties();
    Number(audio != nullptr ? audio->bitrate() : 0);
    Number(audio != nullptr ? audio->sampleRate() : 0);
    Number(audio != nullptr ? audio->channels() : 0);
    Number(audio != nullptr ? audio->lengthInSeconds() : 0);
    const TagLib::Tag* tag = file.isNull() ? nullptr : file.tag();
    if (tag != nullptr) {
        Text(tag->title().to8Bit(true));
        Text(tag->artist().to8Bit(true));
        Text(tag->album().to8Bit(true));
        Number(tag->year());
        Number(tag->track());
        Text(tag->genre().to8Bit(true));
        Text(tag->comment().to8Bit(true));
    } else {
        g_out.append(",,,,0,0,,");
    }
    g_out.push_back('\n');
    if (g_out.size() >= 64 * 1024) {
        Flush();
    }
}

void WalkFolder(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        std::fprintf(stderr, "taglib-info: cannot read the folder %s\n", folder.c_str());
        return;
    }
    std::vector<std::pair<std::string, bool>> entries;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN) {
            struct stat info {};
            isFolder = ::lstat((folder + "/" + name).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
        }
        entries.emplace_back(name, isFolder);
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end());
    const std::string prefix = folder.ends_with('/') ? folder : folder + "/";
    for (const auto& [name, isFolder] : entries) {
        if (isFolder) {
            WalkFolder(prefix + name);
        } else {
            WriteRow(prefix + name);
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: taglib-info PATH...\n");
        return 2;
    }
    g_out.reserve(128 * 1024);
    g_out.append("path,bitrate_kbps,sample_rate,channels,duration_s,title,artist,album,year,"
                 "track,genre,comment\n");
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string path = argv[i];
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0) {
            Flush();
            std::fprintf(stderr, "taglib-info: %s: no such file or folder\n", path.c_str());
            status = 1;
            continue;
        }
        if (S_ISDIR(info.st_mode)) {
            WalkFolder(path);
        } else {
            WriteRow(path);
        }
    }
    Flush();
    return status;
}
