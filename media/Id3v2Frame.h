#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One frame of an ID3v2 tag as kept in memory. The identifier has 3 characters in
// version 2.2 and 4 in 2.3 and 2.4; the two flag bytes keep the layout of the tag's
// version (always 0 in 2.2). The data is stored with unsynchronisation undone, except
// for compressed or encrypted frames, whose bytes are kept exactly as read.
struct Id3v2Frame {
    std::string id;
    std::uint8_t statusFlags = 0;
    std::uint8_t formatFlags = 0;
    std::vector<std::uint8_t> data;
};
