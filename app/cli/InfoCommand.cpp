#include "cli/InfoCommand.h"

#include "cli/CsvWriter.h"
#include "media/GenreTable.h"
#include "media/Id3v2File.h"
#include "media/PosixFile.h"
#include "media/SongFileReader.h"

#include <algorithm>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

constexpr const char* kHeader = "path,result,bitrate_kbps,sample_rate,channel_mode,vbr,"
                                "xing_frames,file_size,audio_size,duration_s,has_id3v1,"
                                "id3v2_result,title,artist,album,year,track,genre,comment\n";

// The number at the start of a text, as atoi reads it ("3/12" gives 3).
long LeadingNumber(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9' && value < 100000000; ++i) {
        value = value * 10 + (text[i] - '0');
    }
    return negative ? -value : value;
}

// Playing time in whole seconds as the song record computes it from the audio size.
std::int64_t DurationSeconds(std::int64_t audioSize, std::int64_t bitsPerSecond) {
    if (bitsPerSecond < 8) {
        return 0;
    }
    return audioSize / (bitsPerSecond / 8);
}

// Title, artist, album, year, track, genre and comment of a tag's fields.
void WriteFieldColumns(CsvWriter& csv, const Id3v2Fields& f) {
    csv.Field(f.title);
    csv.Field(f.artist);
    csv.Field(f.album);
    csv.PositiveOrEmpty(LeadingNumber(f.year));
    csv.PositiveOrEmpty(LeadingNumber(f.track));
    csv.Field(GenreTable::NameForText(f.genre));
    csv.Field(f.comment);
}

void WriteTagColumns(CsvWriter& csv, const SongFileFacts& facts) {
    if (facts.id3v2Result == 0) {
        WriteFieldColumns(csv, facts.fields);
    } else if (facts.hasId3v1) {
        const Id3v1Tag& t = facts.id3v1;
        csv.Field(t.Title());
        csv.Field(t.Artist());
        csv.Field(t.Album());
        csv.PositiveOrEmpty(t.Year());
        csv.PositiveOrEmpty(t.Track());
        csv.Field(GenreTable::Name(t.Genre()));
        csv.Field(t.Comment());
    } else {
        for (int i = 0; i < 7; ++i) {
            csv.Field(std::string_view());
        }
    }
}

// The MPEG channel mode column for a channel count: one channel is mono (3), any other
// count stereo (0).
int ChannelModeFor(int channels) {
    return channels == 1 ? 3 : 0;
}

// Seconds with their milliseconds, as "183.042".
void DurationField(CsvWriter& csv, std::int64_t milliseconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%lld.%03lld", static_cast<long long>(milliseconds / 1000),
                  static_cast<long long>(milliseconds % 1000));
    csv.Field(std::string_view(text));
}

// The row of a file TagLib read: the same columns, without the MPEG-only facts (vbr 0,
// no Xing frames, no ID3 tags); the duration to the millisecond.
void WriteTagLibRow(CsvWriter& csv, const std::string& path, const SongFileFacts& facts) {
    const TagLibFacts& t = facts.tagLib;
    csv.Field(path);
    csv.Field(t.result);
    csv.Field(t.bitrateKbps);
    csv.Field(t.sampleRate);
    csv.Field(ChannelModeFor(t.channels));
    csv.Field(0);
    csv.Field(-1);
    csv.Field(facts.fileSize);
    csv.Field(facts.fileSize);
    DurationField(csv, t.durationMs);
    csv.Field(0);
    csv.Field(Id3v2::kNoHeader);
    WriteFieldColumns(csv, t.fields);
    csv.EndRow();
}

// One file's row; name is the file's entry in the folder open as folderFd, or its path
// with AT_FDCWD.
void WriteFacts(CsvWriter& csv, const std::string& path, const SongFileFacts& facts);

void WriteRow(CsvWriter& csv, int folderFd, const char* name, const std::string& path) {
    WriteFacts(csv, path, SongFileReader::ReadIn(folderFd, name, path));
}

void WriteFacts(CsvWriter& csv, const std::string& path, const SongFileFacts& facts) {
    if (facts.fromTagLib) {
        WriteTagLibRow(csv, path, facts);
        return;
    }
    const MpegFileInfo& info = facts.info;
    const bool read = facts.mpegResult == MpegFileInfo::kRead;
    const int bitrateKbps = read ? info.BitRate() : 0;
    csv.Field(path);
    csv.Field(facts.mpegResult);
    csv.Field(bitrateKbps);
    csv.Field(read ? info.SamplingRate() : 0);
    csv.Field(read ? info.ChannelMode() : 0);
    csv.Field(read && info.isVbr ? 1 : 0);
    csv.Field(read ? info.xingFrames : -1);
    csv.Field(info.fileSize);
    csv.Field(info.AudioSize());
    csv.Field(DurationSeconds(info.AudioSize(), static_cast<std::int64_t>(bitrateKbps) * 1000));
    csv.Field(facts.hasId3v1 ? 1 : 0);
    csv.Field(facts.id3v2Result);
    WriteTagColumns(csv, facts);
    csv.EndRow();
}

// Every entry below a folder, in name order, subfolders walked in place. Links to
// folders are not followed, so a link cycle cannot make the walk endless.
void WalkFolder(CsvWriter& csv, const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        std::fprintf(stderr, "mixorel-cli: cannot read the folder %s\n", folder.c_str());
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
    std::sort(entries.begin(), entries.end());
    // Files are opened by their name in the folder, which spares the kernel the walk
    // along the folder's path for each. The folder stays open for that until the first
    // subfolder is walked, so a deep tree holds no descriptor per level; files after a
    // subfolder are opened by their whole path.
    const std::string prefix = folder.ends_with('/') ? folder : folder + "/";
    for (const auto& [name, isFolder] : entries) {
        if (isFolder) {
            if (dir != nullptr) {
                ::closedir(dir);
                dir = nullptr;
            }
            WalkFolder(csv, prefix + name);
        } else {
            const std::string path = prefix + name;
            if (dir != nullptr) {
                WriteRow(csv, ::dirfd(dir), name.c_str(), path);
            } else {
                WriteRow(csv, AT_FDCWD, path.c_str(), path);
            }
        }
    }
    if (dir != nullptr) {
        ::closedir(dir);
    }
}

} // namespace

int RunInfoCommand(const std::vector<std::string>& args) {
    if (args.empty()) {
        std::fprintf(stderr, "usage: mixorel-cli info PATH...\n");
        return 2;
    }
    int status = 0;
    std::fputs(kHeader, stdout);
    CsvWriter csv(stdout);
    for (const std::string& path : args) {
        // The argument is opened at once: the descriptor's facts tell a folder from a
        // file, so a file costs no lookup of its path beyond the open.
        PosixFile file;
        if (file.OpenRead(path)) {
            const SongFileFacts facts = SongFileReader::ReadOpen(file, path);
            file.Close();
            if (facts.isFolder) {
                WalkFolder(csv, path);
            } else {
                WriteFacts(csv, path, facts);
            }
            continue;
        }
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0) {
            csv.Flush();
            std::fprintf(stderr, "mixorel-cli: %s: no such file or folder\n", path.c_str());
            status = 1;
            continue;
        }
        if (S_ISDIR(info.st_mode)) {
            WalkFolder(csv, path);
        } else {
            WriteRow(csv, AT_FDCWD, path.c_str(), path);
        }
    }
    return status;
}
