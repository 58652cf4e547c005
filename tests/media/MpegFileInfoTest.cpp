#include "media/MpegFileInfo.h"

#include "support/Id3v2Bytes.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <cmath>
#include <gtest/gtest.h>
#include <tuple>

using namespace TestFiles;
using Id3v2Bytes::Bytes;
using Id3v2Bytes::Cat;

namespace {

// An ID3v2.3 tag of the given body size, all padding.
Bytes PaddingOnlyTag(std::size_t bodySize) {
    return Id3v2Bytes::Tag(3, 0, {}, bodySize);
}

// A Layer III frame carrying a Xing header with the given frame count (or none).
Bytes XingFrame(int version, int channelMode, int sideInfo, std::int64_t frames) {
    auto frame = Frames(version, kLayer3, 9, 0, channelMode, 1);
    const std::size_t at = 4 + static_cast<std::size_t>(sideInfo);
    const std::uint8_t id[4] = {'X', 'i', 'n', 'g'};
    std::copy(id, id + 4, frame.begin() + static_cast<long>(at));
    if (frames >= 0) {
        frame[at + 7] = 1;
        frame[at + 8] = static_cast<std::uint8_t>(frames >> 24);
        frame[at + 9] = static_cast<std::uint8_t>(frames >> 16);
        frame[at + 10] = static_cast<std::uint8_t>(frames >> 8);
        frame[at + 11] = static_cast<std::uint8_t>(frames);
    }
    return frame;
}

class MpegFileInfoTest : public ::testing::Test {
protected:
    int ReadBytes(const Bytes& bytes) {
        const std::string path = m_dir.File("song.mp3");
        WriteAll(path, bytes);
        m_info = MpegFileInfo();
        return m_info.Read(path);
    }

    TempDir m_dir;
    MpegFileInfo m_info;
};

TEST_F(MpegFileInfoTest, DecodesEveryVersionAndLayer) {
    struct Case {
        int version, layer, bitrateIndex, rateIndex, kbps, hz, mode;
    };
    const Case cases[] = {
        {kMpeg1, kLayer3, 9, 0, 128, 44100, 1}, // FF FB 90 64 (byte 3 set below)
        {kMpeg1, kLayer1, 4, 0, 128, 44100, 3},  {kMpeg1, kLayer2, 10, 1, 192, 48000, 3},
        {kMpeg1, kLayer3, 14, 2, 320, 32000, 3}, {kMpeg2, kLayer1, 1, 0, 32, 22050, 3},
        {kMpeg2, kLayer2, 8, 1, 64, 24000, 3},   {kMpeg2, kLayer3, 14, 2, 160, 16000, 3},
        {kMpeg25, kLayer3, 1, 0, 8, 11025, 3},   {kMpeg25, kLayer2, 14, 2, 160, 8000, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "version " << c.version << " layer " << c.layer);
        Bytes bytes = Frames(c.version, c.layer, c.bitrateIndex, c.rateIndex, c.mode, 4);
        if (&c == cases) {
            bytes[3] = 0x64; // joint stereo with mode extension and the original bit
        }
        ASSERT_EQ(ReadBytes(bytes), MpegFileInfo::kRead);
        EXPECT_EQ(std::tuple(m_info.frameOffset, m_info.BitRate(), m_info.SamplingRate(),
                             m_info.ChannelMode(), m_info.isVbr, m_info.xingFrames,
                             m_info.hasId3v1),
                  std::tuple(0, c.kbps, c.hz, c.mode, false, -1, false));
    }
}

TEST_F(MpegFileInfoTest, SkipsRejectedHeadersAndLoneLookalikes) {
    // Emphasis 10 and bit-rate index 15 are never headers; a valid-looking header with
    // no second frame behind it is not taken either.
    Bytes bytes = {0xFF, 0xFB, 0x90, 0x66, 0xFF, 0xFB, 0xF0,
                   0x64, 0xFF, 0xFB, 0x90, 0x64, 0x00, 0x00};
    const auto frames = Frames(kMpeg1, kLayer3, 5, 0, 0, 3);
    bytes.insert(bytes.end(), frames.begin(), frames.end());
    ASSERT_EQ(ReadBytes(bytes), MpegFileInfo::kRead);
    EXPECT_EQ(m_info.frameOffset, 14);
    EXPECT_EQ(m_info.BitRate(), 64);
}

TEST_F(MpegFileInfoTest, ScanWindowEndsAt256000BytesAfterTheTag) {
    const auto frames = Frames(kMpeg1, kLayer3, 9, 0, 0, 2);
    Bytes at256000(256000, 0);
    at256000.insert(at256000.end(), frames.begin(), frames.end());
    ASSERT_EQ(ReadBytes(at256000), MpegFileInfo::kRead);
    EXPECT_EQ(m_info.frameOffset, 256000);

    Bytes at256001(256001, 0);
    at256001.insert(at256001.end(), frames.begin(), frames.end());
    EXPECT_EQ(ReadBytes(at256001), MpegFileInfo::kNoFrame);

    // The window counts from the end of a leading ID3v2 tag: a 300 KB cover does not
    // push the audio out of reach.
    const auto tagged = Cat({PaddingOnlyTag(300000), Bytes(256000, 0), frames});
    ASSERT_EQ(ReadBytes(tagged), MpegFileInfo::kRead);
    EXPECT_EQ(m_info.audioStart, 300010);
    EXPECT_EQ(m_info.frameOffset, 300010 + 256000);
}

TEST_F(MpegFileInfoTest, HeaderLookalikesInsideTheTagAreSkipped) {
    // A UTF-16 byte-order mark FF FE followed by text passes the header test as MPEG 1
    // Layer I; inside the tag it must not be taken.
    auto tag = PaddingOnlyTag(4000);
    const std::uint8_t lookalike[] = {0xFF, 0xFE, 0x54, 0x00, 0xFF, 0xFE, 0x54, 0x00};
    std::copy(std::begin(lookalike), std::end(lookalike), tag.begin() + 100);
    const auto bytes = Cat({tag, Frames(kMpeg2, kLayer3, 8, 1, 0, 3)});
    ASSERT_EQ(ReadBytes(bytes), MpegFileInfo::kRead);
    EXPECT_EQ(std::tuple(m_info.frameOffset, m_info.BitRate(), m_info.SamplingRate()),
              std::tuple(4010, 64, 24000));
}

TEST_F(MpegFileInfoTest, PcmDataYieldsNoFrame) {
    // 16-bit stereo PCM of a quiet tone with noise: small negative samples put FF bytes
    // everywhere, and some of them pass the header test, but never two frames in a row.
    Bytes pcm;
    std::uint32_t noise = 12345;
    for (int i = 0; i < 150000; ++i) {
        noise = noise * 1103515245u + 12345u;
        const int sample = static_cast<int>(300.0 * std::sin(i * 0.05)) +
                           static_cast<int>((noise >> 16) % 64) - 32;
        pcm.push_back(static_cast<std::uint8_t>(sample & 0xFF));
        pcm.push_back(static_cast<std::uint8_t>((sample >> 8) & 0xFF));
    }
    EXPECT_EQ(ReadBytes(pcm), MpegFileInfo::kNoFrame);
    EXPECT_EQ(m_info.fileSize, 300000);
    EXPECT_EQ(m_info.AudioSize(), 300000);
}

TEST_F(MpegFileInfoTest, XingVariantsGiveTheirRates) {
    Bytes info = XingFrame(kMpeg1, 1, 32, 50);
    std::copy_n("Info", 4, info.begin() + 36);
    // MPEG 1 Layer III stereo: Xing at frame offset + 36. 4,180,000 audio bytes over
    // 10,000 frames is 418 bytes a frame: trunc(44100 * 418 / 144000) = 128.
    Bytes counted = XingFrame(kMpeg1, 0, 32, 10000);
    const Bytes rest = Frames(kMpeg1, kLayer3, 9, 0, 0, 1);
    while (counted.size() + rest.size() <= 4180000) {
        counted.insert(counted.end(), rest.begin(), rest.end());
    }
    counted.resize(4180000, 0);
    struct Case {
        const char* name;
        Bytes bytes;
        bool vbr;
        std::int64_t xingFrames;
        int kbps;
    };
    const Case cases[] = {
        {"frame count gives the average rate", counted, true, 10000, 128},
        // MPEG 2 Layer III mono: Xing at + 13, 576 samples a frame (factor 72). 100 frames
        // of 261 bytes at 22050 Hz: 22050 * 261 / 72000 = 79.9 -> 79 (factor 144 gave 39).
        {"factor of MPEG 2 Layer III",
         Cat({XingFrame(kMpeg2, 3, 9, 100), Frames(kMpeg2, kLayer3, 9, 0, 3, 99)}), true, 100, 79},
        {"Xing without a count: the header rate",
         Cat({XingFrame(kMpeg1, 1, 32, -1), Frames(kMpeg1, kLayer3, 9, 0, 1, 3)}), true, -1, 128},
        {"Info is constant bit rate", Cat({info, Frames(kMpeg1, kLayer3, 9, 0, 1, 3)}), false, -1,
         128},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(ReadBytes(c.bytes), MpegFileInfo::kRead);
        EXPECT_EQ(std::tuple(m_info.isVbr, m_info.xingFrames, m_info.BitRate()),
                  std::tuple(c.vbr, c.xingFrames, c.kbps));
    }
}

TEST_F(MpegFileInfoTest, AudioSizeLeavesOutBothTags) {
    const auto tag = PaddingOnlyTag(5000);
    const auto frames = Frames(kMpeg1, kLayer3, 9, 0, 1, 10);
    const auto v1 = Id3v1Block("Title", "Artist", "Album", "1999", "Note", 3, 17);
    ASSERT_EQ(ReadBytes(Cat({tag, frames, v1})), MpegFileInfo::kRead);
    EXPECT_EQ(std::tuple(m_info.hasId3v1, m_info.fileSize, m_info.AudioSize(), m_info.tag.Title(),
                         m_info.tag.Track()),
              std::tuple(true, static_cast<std::int64_t>(tag.size() + frames.size() + 128),
                         static_cast<std::int64_t>(frames.size()), "Title", 3));
    std::array<std::uint8_t, 128> raw{};
    EXPECT_TRUE(m_info.CopyRawTag(raw));
    EXPECT_TRUE(std::equal(raw.begin(), raw.end(), v1.begin()));
}

TEST_F(MpegFileInfoTest, ShortMissingAndEmptyFilesGiveNoFrame) {
    EXPECT_EQ(ReadBytes({}), MpegFileInfo::kNoFrame);
    EXPECT_EQ(ReadBytes({0xFF, 0xFB, 0x90}), MpegFileInfo::kNoFrame);
    MpegFileInfo missing;
    EXPECT_EQ(missing.Read(m_dir.File("nothing-here.mp3")), MpegFileInfo::kNoFrame);
    MpegFileInfo folder;
    EXPECT_EQ(folder.Read(m_dir.Path()), MpegFileInfo::kNoFrame);
    // A tag whose size runs past the end of the file.
    EXPECT_EQ(ReadBytes({'I', 'D', '3', 3, 0, 0, 0x7F, 0x7F, 0x7F, 0x7F, 0xFF, 0xFB}),
              MpegFileInfo::kNoFrame);
    // A single whole frame that ends the file counts.
    EXPECT_EQ(ReadBytes(Frames(kMpeg1, kLayer3, 9, 0, 1, 1)), MpegFileInfo::kRead);
}

} // namespace
