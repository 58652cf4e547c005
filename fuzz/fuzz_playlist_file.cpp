// Fuzz target of the playlist file reader, on the input as the whole file. A file that
// reads must write back as a file that reads again and then writes the very same bytes:
// loading and saving a playlist never drifts, whatever its texts or record forms were.
#include "catalogue/CPlaylistFile.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace {

// The display accessors must cope with any stored value.
void UseAccessors(const CPlaylistContent& content) {
    volatile std::size_t sink = content.m_dtAlarm.Format().size();
    for (const CSong& song : content.m_songs) {
        sink = sink + song.GetDurationText().size() + song.GetFormatText().size();
        sink = sink + song.GetTitleWithDate(true).size() + song.GetFileName(true).size();
        sink = sink + song.GetFileName(false).size() + song.GetDuration();
        sink = sink + CSong::ToTitleCase(song.GetTitle()).size();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CPlaylistContent content;
    if (CPlaylistFile::Parse(std::span<const std::uint8_t>(data, size), content) !=
        CPlaylistFile::kOk) {
        return 0;
    }
    UseAccessors(content);
    const std::vector<std::uint8_t> first = CPlaylistFile::Build(content);
    CPlaylistContent again;
    if (CPlaylistFile::Parse(first, again) != CPlaylistFile::kOk ||
        again.m_songs.size() != content.m_songs.size() || again.m_bLocked != content.m_bLocked) {
        __builtin_trap();
    }
    if (CPlaylistFile::Build(again) != first) {
        __builtin_trap();
    }
    return 0;
}
