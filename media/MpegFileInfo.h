#pragma once

#include "Id3v1Tag.h"
#include "MpegFrameHeader.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>

class PosixFile;

// What the program knows of a music file's audio: the first MPEG audio frame header,
// an optional Xing header behind it, the file size, the sizes of its ID3 tags and the
// 128 bytes at its end with the ID3v1 tag parsed from them.
//
// The frame scan starts after a leading ID3v2 tag and tries every offset of a window of
// 256,001 bytes from there. A candidate counts only when a second header of the same
// version, layer and sampling rate follows at the length it implies (or the audio data
// ends there), so tag bytes or PCM samples that look like a header are not taken. The
// window is read in at most two reads that cover at most 256 KiB together.
class MpegFileInfo {
public:
    enum Result : int { kRead = 0, kNoStream = 2, kNoFrame = 4 };

    // Bytes the scan tries beyond the first offset of its window.
    static constexpr std::int64_t kScanWindow = 256000;

    // The caller may preset tag (for instance from a template) before the read.
    MpegFileInfo() = default;

    int Read(const std::string& path);
    // The same, on a file already open: head holds the first bytes of the file (any
    // length, possibly empty) so that a caller that read them already saves a read.
    int ReadFrom(const PosixFile& file, std::int64_t fileSize, std::span<const std::uint8_t> head);

    // kbit/s; for a Xing file the average over the audio data.
    int BitRate() const;
    int SamplingRate() const { return header.SampleRateHz(); }
    int ChannelMode() const { return header.ChannelMode(); }
    // The file less its ID3v2 tag (header, frames, padding, footer) and ID3v1 tag; known
    // also when no frame was found.
    std::int64_t AudioSize() const;
    // Copies rawTag and answers true only when the file has an ID3v1 tag.
    bool CopyRawTag(std::span<std::uint8_t, Id3v1Tag::kSize> destination) const;

    MpegFrameHeader header;
    std::int32_t xingFrames = -1;
    Id3v1Tag tag;
    bool isVbr = false;
    bool hasId3v1 = false;
    std::string fileName;
    std::int64_t fileSize = 0;
    std::array<std::uint8_t, Id3v1Tag::kSize> rawTag{};
    // The last 128 bytes begin "TAG"; known also when no frame was found.
    bool tailIsTag = false;
    // Where the audio data starts (after a leading ID3v2 tag) and ends (before an ID3v1
    // tag), set whenever the file could be read; where the first frame is.
    std::int64_t audioStart = 0;
    std::int64_t audioEnd = 0;
    std::int64_t frameOffset = -1;

private:
    void ReadXing(std::span<const std::uint8_t> frame);
};
