#pragma once

#include "CSong.h"

#include <cstdint>
#include <span>
#include <vector>

// The song data of the clipboard: a 32-bit count followed by that many song records, in
// the archive encodings of the playlist file. Other instances of the program put it
// there, so reading it is as careful as reading a file.
class CSongClipboardData {
public:
    static std::vector<std::uint8_t> Build(const std::vector<const CSong*>& songs);
    // A CPlaylistFile result code; songs is filled only on success. Bytes after the last
    // record are ignored (a clipboard block may be larger than its data).
    static int Parse(std::span<const std::uint8_t> bytes, std::vector<CSong>& songs);
};
