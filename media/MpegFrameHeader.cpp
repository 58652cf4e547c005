#include "MpegFrameHeader.h"

namespace {

// kbit/s by [row][index]; rows: MPEG 1 Layer I, II, III, then MPEG 2 Layer I, II/III.
constexpr int kBitrates[5][16] = {
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}};

constexpr int kSampleRates[4][3] = {{11025, 12000, 8000}, // MPEG 2.5
                                    {0, 0, 0},            // reserved
                                    {22050, 24000, 16000},
                                    {44100, 48000, 32000}};

} // namespace

MpegFrameHeader MpegFrameHeader::FromBytes(const std::uint8_t* bytes) {
    return MpegFrameHeader((static_cast<std::uint32_t>(bytes[0]) << 24) |
                           (static_cast<std::uint32_t>(bytes[1]) << 16) |
                           (static_cast<std::uint32_t>(bytes[2]) << 8) | bytes[3]);
}

bool MpegFrameHeader::IsValid() const {
    return (m_word & 0xFFE00000u) == 0xFFE00000u && Version() != kReserved && Layer() != 0 &&
           BitrateIndex() != 0 && BitrateIndex() != 15 && SampleRateIndex() != 3 && Emphasis() != 2;
}

int MpegFrameHeader::Layer() const {
    const int bits = static_cast<int>((m_word >> 17) & 3);
    return bits == 0 ? 0 : 4 - bits;
}

int MpegFrameHeader::BitrateKbps() const {
    const int layer = Layer();
    if (layer == 0) {
        return 0;
    }
    const bool mpeg1 = ((m_word >> 19) & 1) != 0;
    const int row = mpeg1 ? layer - 1 : (layer == 1 ? 3 : 4);
    return kBitrates[row][BitrateIndex()];
}

int MpegFrameHeader::SampleRateHz() const {
    const int index = SampleRateIndex();
    return index == 3 ? 0 : kSampleRates[Version()][index];
}

int MpegFrameHeader::SamplesPerFrame() const {
    switch (Layer()) {
    case 1:
        return 384;
    case 2:
        return 1152;
    case 3:
        return Version() == kMpeg1 ? 1152 : 576;
    default:
        return 0;
    }
}

int MpegFrameHeader::FrameLength() const {
    const int rate = SampleRateHz();
    if (!IsValid() || rate == 0) {
        return 0;
    }
    const int bitsPerSecond = BitrateKbps() * 1000;
    const int pad = HasPadding() ? 1 : 0;
    if (Layer() == 1) {
        return (12 * bitsPerSecond / rate + pad) * 4;
    }
    return SlotFactor() * bitsPerSecond / rate + pad;
}

int MpegFrameHeader::SideInfoLength() const {
    const bool mono = ChannelMode() == 3;
    if (Version() == kMpeg1) {
        return mono ? 17 : 32;
    }
    return mono ? 9 : 17;
}

bool MpegFrameHeader::SameStream(const MpegFrameHeader& other) const {
    return Version() == other.Version() && Layer() == other.Layer() &&
           SampleRateIndex() == other.SampleRateIndex();
}
