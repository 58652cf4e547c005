#include "catalogue/CSongFileCopy.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

const std::vector<std::uint8_t> kSong = {'I', 'D', '3', 0x03, 0x00, 0xff, 0xfb, 0x90, 0x44, 0x00};
const std::vector<std::uint8_t> kOldTarget = {'o', 'l', 'd'};

struct CopyCase {
    const char* name;
    // Makes the target path (and whatever it needs) in the folder; answers it.
    std::function<std::string(const TempDir&)> makeTarget;
    // The source path in the folder (the song unless the case says otherwise).
    std::function<std::string(const TempDir&)> source;
    bool ok;
    // What the target holds afterwards.
    std::vector<std::uint8_t> targetAfter;
};

std::string Song(const TempDir& dir) {
    return dir.File("song.mp3");
}

const CopyCase kCases[] = {
    {"the same path", [](const TempDir& dir) { return Song(dir); }, Song, false, kSong},
    {"a symbolic link to the song",
     [](const TempDir& dir) {
         std::filesystem::create_directory(dir.File("other"));
         std::filesystem::create_directory_symlink(dir.Path(), dir.File("other/linked"));
         return dir.File("other/linked/song.mp3");
     },
     Song, false, kSong},
    {"a source that cannot be read",
     [](const TempDir& dir) {
         WriteAll(dir.File("copy.mp3"), kOldTarget);
         return dir.File("copy.mp3");
     },
     [](const TempDir& dir) { return dir.Path(); }, false, kOldTarget},
    {"a missing source",
     [](const TempDir& dir) {
         WriteAll(dir.File("copy.mp3"), kOldTarget);
         return dir.File("copy.mp3");
     },
     [](const TempDir& dir) { return dir.File("gone.mp3"); }, false, kOldTarget},
    {"an existing file replaced",
     [](const TempDir& dir) {
         WriteAll(dir.File("copy.mp3"), kOldTarget);
         return dir.File("copy.mp3");
     },
     Song, true, kSong},
    {"a new file", [](const TempDir& dir) { return dir.File("new.mp3"); }, Song, true, kSong},
};

TEST(SongFileCopyTest, CopiesWholeOrLeavesBothFilesAsTheyWere) {
    for (const CopyCase& item : kCases) {
        SCOPED_TRACE(item.name);
        TempDir dir;
        WriteAll(Song(dir), kSong);
        const std::string target = item.makeTarget(dir);
        std::string error;
        EXPECT_EQ(CSongFileCopy::Copy(item.source(dir), target, error), item.ok);
        EXPECT_EQ(error.empty(), item.ok);
        EXPECT_EQ(ReadAll(Song(dir)), kSong);
        EXPECT_EQ(ReadAll(target), item.targetAfter);
        // No temporary file is left beside the target.
        std::size_t files = 0;
        for (const auto& entry :
             std::filesystem::directory_iterator(std::filesystem::path(target).parent_path())) {
            files += entry.is_regular_file() ? 1 : 0;
        }
        EXPECT_LE(files, 2u);
    }
}

} // namespace
