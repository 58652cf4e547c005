// mixorel-cli: the headless companion of Mixorel, for inspecting and tagging music
// files from a shell or a script.
#include "cli/AlbumCommand.h"
#include "cli/AnalyseCommand.h"
#include "cli/AutotagCommand.h"
#include "cli/InfoCommand.h"
#include "cli/LoopCommand.h"
#include "cli/PlayCommand.h"
#include "cli/PlaylistCommand.h"
#include "cli/TagCommand.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage =
    "usage: mixorel-cli COMMAND [ARGS]\n"
    "\n"
    "commands:\n"
    "  info PATH...      audio facts and tags of files (folders walked recursively), as CSV\n"
    "  tag FILE [opts]   write the ID3v1 and ID3v2 tags of a file; see 'mixorel-cli tag'\n"
    "  autotag --pattern P [opts] FILE...\n"
    "                    ID3v1 tags from file names, e.g. P = \"{TRACK}-{ARTIST}-{TITLE}\"\n"
    "  playlist dump FILE.qmx\n"
    "                    a playlist file as JSON\n"
    "  playlist create OUT.qmx [--template T] PATH...\n"
    "                    a playlist of the music files given (folders walked)\n"
    "  playlist sort IN.qmx --by title|duration|bitrate|date [--desc] -o OUT.qmx\n"
    "  playlist shuffle IN.qmx -o OUT.qmx\n"
    "                    sort or shuffle each section between region lines\n"
    "  playlist import DIR -o OUT.qmx [--single-folder]\n"
    "                    a playlist of a folder's music files (subfolders too), every song read\n"
    "  playlist filter IN.qmx PATTERN -o OUT.qmx\n"
    "                    the songs whose titles match a wildcard pattern (*, ?, [set])\n"
    "  playlist m3u IN.m3u -o OUT.qmx\n"
    "                    a playlist of the lines of an M3U list\n"
    "  playlist html IN.qmx OUT.html\n"
    "                    the HTML song list of a playlist\n"
    "  playlist print IN.qmx OUT.pdf [--page-size A4|Letter] [--pages FROM-TO]\n"
    "                    the printed playlist as a PDF file\n"
    "  playlist walk IN.qmx [--by ORGANISATION] [--songs]\n"
    "                    the Media Walker's tree of a playlist (default Artist/Album)\n"
    "  album dump FILE.qma\n"
    "                    an album file as JSON\n"
    "  play [--mix-seconds S] [--mix-type N] [--speed V] [--no-mix] FILE...\n"
    "                    play the files one after another, mixed as the loop mixes them\n"
    "  play --remote FILE...\n"
    "                    the same through a remote MPRIS player (mpv, VLC, ...)\n"
    "  analyse FILE... [--json]\n"
    "                    loudness, true peak, cue points and play gain of songs, as CSV or JSON\n"
    "  loop [--from N] [--no-mix] [--schedule] [--log FILE] PLAYLIST.qmx\n"
    "                    loop a playlist as the Loop command does, until Ctrl+C\n";

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::fputs(kUsage, argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "info") {
        return RunInfoCommand(args);
    }
    if (command == "tag") {
        return RunTagCommand(args);
    }
    if (command == "autotag") {
        return RunAutotagCommand(args);
    }
    if (command == "playlist") {
        return RunPlaylistCommand(args);
    }
    if (command == "loop") {
        return RunLoopCommand(args);
    }
    if (command == "album") {
        return RunAlbumCommand(args);
    }
    if (command == "analyse") {
        return RunAnalyseCommand(args);
    }
    if (command == "play") {
        return RunPlayCommand(args);
    }
    std::fprintf(stderr, "mixorel-cli: unknown command '%s'\n%s", command.c_str(), kUsage);
    return 2;
}
