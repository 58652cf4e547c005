#pragma once

#include "Id3v2Frame.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// Walks the frames of a tag body (unsynchronisation of a 2.2/2.3 tag already undone).
//
// Frame header, 2.3 and 2.4 (10 bytes)        2.2 (6 bytes)
//   0  4  identifier, A-Z and 0-9              0  3  identifier
//   4  4  data size                            3  3  data size, plain big-endian
//   8  1  status flags
//   9  1  format flags
// 2.3 sizes are plain big-endian numbers and 2.4 sizes are 7-bit groups, but writers get
// this wrong both ways (among them an older version of this program, which wrote 7-bit
// sizes in 2.3). When the two readings differ, the one whose frame is followed by the
// end of the tag or a sound frame header wins, the version's own reading first; padding
// after the frame counts only when neither does.
//
// Status flags: 2.3 0x80/0x40/0x20 (tag-alter, file-alter, read-only);
//               2.4 0x40/0x20/0x10. Other bits are reserved and must be 0.
// Format flags: 2.3 0x80 compression, 0x40 encryption, 0x20 grouping;
//               2.4 0x40 grouping, 0x08 compression, 0x04 encryption,
//               0x02 unsynchronisation, 0x01 data-length indicator.
class Id3v2FrameScanner {
public:
    Id3v2FrameScanner(std::span<const std::uint8_t> body, int version, bool tagUnsync);

    // Appends the frames from offset start until padding or the end of the body; false
    // on a damaged frame (frames before it stay appended).
    bool Scan(std::size_t start, std::vector<Id3v2Frame>& frames) const;

    // Removes the zero byte that unsynchronisation put after every 0xFF.
    static std::vector<std::uint8_t> UndoUnsync(std::span<const std::uint8_t> bytes);

private:
    enum class Landing { kNone, kPadding, kFrame };

    bool IsId(std::size_t pos) const;
    bool FlagsValid(std::uint8_t status, std::uint8_t format) const;
    std::uint64_t ChooseSize(std::size_t pos) const;
    Landing LandingAt(std::uint64_t end) const;
    bool SomeSizeFits(std::size_t pos) const;
    Id3v2Frame MakeFrame(std::size_t pos, std::size_t size) const;

    std::span<const std::uint8_t> m_body;
    int m_nVersion;
    bool m_bTagUnsync;
    std::size_t m_nIdLength;
    std::size_t m_nHeaderLength;
    std::size_t m_nZeroTail; // every byte from here to the end is zero
};
