#include "media/MpegFrameCounter.h"

#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

using namespace TestFiles;

namespace {

std::int64_t DurationOf(const std::vector<std::uint8_t>& bytes) {
    TempDir dir;
    const std::string path = dir.File("song.mp3");
    WriteAll(path, bytes);
    MpegFileInfo info;
    EXPECT_EQ(info.Read(path), MpegFileInfo::kRead);
    return MpegFrameCounter::DurationMs(path, info);
}

TEST(MpegFrameCounterTest, VariableRateWithoutXingCountsItsFrames) {
    // A loud 320 kbit/s first frame, then 200 frames at 64 kbit/s: the first frame's rate
    // would make 5.2 s of audio look like 1.1 s.
    std::vector<std::uint8_t> bytes = Frames(kMpeg1, kLayer3, 14, 0, 1, 1);
    for (int i = 0; i < 200; ++i) {
        const auto frame = Frames(kMpeg1, kLayer3, i % 3 == 0 ? 5 : 4, 0, 1, 1);
        bytes.insert(bytes.end(), frame.begin(), frame.end());
    }
    EXPECT_EQ(DurationOf(bytes), 201 * 1152 * 1000 / 44100);
}

TEST(MpegFrameCounterTest, ConstantRateAndDamageUseTheSize) {
    // Constant rate: the audio size gives the length without walking on.
    EXPECT_EQ(DurationOf(Frames(kMpeg1, kLayer3, 9, 0, 1, 100)), 100 * 417 * 8 / 128);
    // Variable rate, then junk: the frames after the damage count at the walked average.
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < 40; ++i) {
        const auto frame = Frames(kMpeg1, kLayer3, i % 2 == 0 ? 9 : 5, 0, 1, 1);
        bytes.insert(bytes.end(), frame.begin(), frame.end());
    }
    const std::size_t walked = bytes.size();
    bytes.resize(walked * 2, 0x11);
    const std::int64_t counted = 40 * 1152 * 1000 / 44100;
    EXPECT_NEAR(static_cast<double>(DurationOf(bytes)), 2.0 * static_cast<double>(counted), 2.0);
}

} // namespace
