#pragma once

#include <cstdint>

// One MPEG audio frame header, the four bytes taken in file order, first byte most
// significant.
//
//   bits   field                values
//   31-21  frame sync           all set
//   20-19  version              00 MPEG 2.5, 01 reserved, 10 MPEG 2, 11 MPEG 1
//   18-17  layer                01 III, 10 II, 11 I, 00 reserved
//   16     protection           -
//   15-12  bit-rate index       0 (free format) and 15 rejected
//   11-10  sampling-rate index  3 rejected
//   9      padding              one more slot in this frame
//   8      private              -
//   7-6    channel mode         0 stereo, 1 joint stereo, 2 dual channel, 3 single channel
//   5-2    mode extension, copyright, original
//   1-0    emphasis             2 rejected
class MpegFrameHeader {
public:
    enum Version { kMpeg25 = 0, kReserved = 1, kMpeg2 = 2, kMpeg1 = 3 };

    MpegFrameHeader() = default;
    explicit MpegFrameHeader(std::uint32_t word) : m_word(word) {}
    static MpegFrameHeader FromBytes(const std::uint8_t* bytes);

    std::uint32_t Word() const { return m_word; }
    bool IsValid() const;

    int Version() const { return static_cast<int>((m_word >> 19) & 3); }
    // 1, 2 or 3 for Layers I, II and III; 0 for the reserved value.
    int Layer() const;
    int BitrateIndex() const { return static_cast<int>((m_word >> 12) & 15); }
    int SampleRateIndex() const { return static_cast<int>((m_word >> 10) & 3); }
    bool HasPadding() const { return ((m_word >> 9) & 1) != 0; }
    int ChannelMode() const { return static_cast<int>((m_word >> 6) & 3); }
    int Emphasis() const { return static_cast<int>(m_word & 3); }

    // Bit rate of the header's table entry in kbit/s (0 for indices 0 and 15). The row is
    // picked by bit 19 alone, so MPEG 2.5 uses the MPEG 2 rows.
    int BitrateKbps() const;
    int SampleRateHz() const;
    // Samples one frame carries: 384, 1152, or 576 for MPEG 2/2.5 Layer III.
    int SamplesPerFrame() const;
    // Bytes per frame for each bit/s per Hz: samples per frame / 8 (48, 144 or 72).
    int SlotFactor() const { return SamplesPerFrame() / 8; }
    // Length of the whole frame in bytes, header and padding included; 0 when invalid.
    int FrameLength() const;
    // Bytes of side information between the header and the Xing header.
    int SideInfoLength() const;
    // True when the other header has the same version, layer and sampling rate.
    bool SameStream(const MpegFrameHeader& other) const;

    // The largest frame any valid header describes (MPEG 2.5 Layer II, 160 kbit/s at 8 kHz,
    // with padding).
    static constexpr int kMaxFrameLength = 2881;

private:
    std::uint32_t m_word = 0;
};
