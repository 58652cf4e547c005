#pragma once

#include <string>
#include <vector>

// mixorel-cli playlist m3u IN.m3u -o OUT.qmx: a playlist of the lines of an M3U list.
int RunPlaylistM3u(const std::vector<std::string>& args);
// mixorel-cli playlist html IN.qmx OUT.html: the HTML song list of a playlist.
int RunPlaylistHtml(const std::vector<std::string>& args);
// mixorel-cli playlist print IN.qmx OUT.pdf [--page-size A4|Letter] [--pages FROM-TO]:
// the printed list as a PDF file, in the column layout of the playlist view; only the
// pages FROM to TO when given.
int RunPlaylistPrint(const std::vector<std::string>& args);
