#pragma once

#include "Id3v2Frame.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// An ID3v2 tag of version 2.2, 2.3 or 2.4: parsed from the bytes that begin with its
// header, edited as a list of frames, and serialised as version 2.3 or 2.4.
//
// Tag header (10 bytes):
//   0  3  "ID3"
//   3  1  major version 2, 3 or 4        4  1  revision (0xFF is not allowed)
//   5  1  flags: 0x80 unsynchronisation, 0x40 extended header (2.2: compression),
//         0x20 experimental, 0x10 footer (2.4 only); the other bits must be 0
//   6  4  body size in four 7-bit groups, most significant first
// A 2.4 footer repeats the header with "3DI" after the body.
class Id3v2Tag {
public:
    static constexpr std::size_t kHeaderLength = 10;
    static constexpr std::uint8_t kFlagUnsync = 0x80;
    static constexpr std::uint8_t kFlagExtended = 0x40;
    static constexpr std::uint8_t kFlagFooter = 0x10;
    // Largest body a header can describe.
    static constexpr std::int64_t kMaxBodySize = 0x0FFFFFFF;

    // Length of the tag that starts the buffer (header, body and footer), 0 when the
    // buffer does not start with a valid header.
    static std::size_t LengthAt(std::span<const std::uint8_t> head);

    // Parses the tag at the start of bytes; answers an Id3v2::ReadResult code. The
    // version stays known whenever LengthAt accepted the header, and after a damaged
    // frame the frames read before it stay in Frames().
    int Parse(std::span<const std::uint8_t> bytes);

    int Version() const { return m_nVersion; }
    std::int32_t HeaderSize() const { return m_nHeaderSize; }
    // Length of the tag as found in the bytes parsed: header, body and footer.
    std::size_t TotalLength() const { return m_nTotalLength; }

    std::vector<Id3v2Frame>& Frames() { return m_frames; }
    const std::vector<Id3v2Frame>& Frames() const { return m_frames; }

    // Writing: the version to write (3 or 4), the body size and the zero bytes after the
    // frames that the body keeps free.
    void SetVersion(int version) { m_nVersion = version; }
    std::int64_t BodySize() const { return m_nBodySize; }
    std::int64_t Padding() const { return m_nPadding; }
    void SetSpace(std::int64_t bodySize, std::int64_t padding);
    // Bytes the frames with data take in this version, frame headers included.
    std::int64_t UsedBytes() const;
    std::size_t FrameHeaderLength() const { return m_nVersion == 2 ? 6 : 10; }

    // The tag as written: header with flags 0, every frame with data, zero padding to
    // the body size. Empty when the body cannot be described by a header.
    std::vector<std::uint8_t> Serialize() const;

private:
    int ParseBody(std::span<const std::uint8_t> body);

    int m_nVersion = 0;
    std::uint8_t m_nFlags = 0;
    std::int32_t m_nHeaderSize = 0;
    std::size_t m_nTotalLength = 0;
    std::int64_t m_nBodySize = 0;
    std::int64_t m_nPadding = 0;
    std::vector<Id3v2Frame> m_frames;
};
