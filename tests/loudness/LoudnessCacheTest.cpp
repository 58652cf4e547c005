#include "loudness/CLoudnessCache.h"
#include "loudness/ContentFingerprint.h"
#include "support/TempDir.h"

#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <limits>
#include <sqlite3.h>

namespace {

std::vector<std::uint8_t> Audio(std::uint8_t seed, std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(seed + i * 7 + (i >> 9));
    }
    return bytes;
}

SongAnalysis Result(double integrated) {
    SongAnalysis a;
    a.dIntegratedLufs = integrated;
    a.dLoudnessRangeLu = 6.5;
    a.dSamplePeakDbfs = -0.3;
    a.truePeakDbtp = 0.4;
    a.dDurationSeconds = 201.5;
    a.cues = {1.2, 190.4, 199.9};
    return a;
}

void StoreFor(CLoudnessCache& cache, const std::string& path, const SongAnalysis& a) {
    std::int64_t size = 0, mtime = 0;
    ASSERT_TRUE(ContentFingerprint::StampOf(path, size, mtime));
    cache.Store(path, size, mtime, *ContentFingerprint::OfFile(path), a);
}

// Results survive the program's restart; a moved file is found by its content, a changed
// one is not; a silent song keeps its minus infinity.
TEST(LoudnessCacheTest, SurvivesRestartFollowsMovesAndForgetsChanges) {
    TempDir dir;
    const std::string db = dir.File("cache/loudness.sqlite");
    const std::string a = dir.File("a.mp3"), b = dir.File("b.mp3"), quiet = dir.File("q.wav");
    WriteAll(a, Audio(1, 300000));
    WriteAll(b, Audio(2, 300000));
    WriteAll(quiet, Audio(3, 1000));
    {
        CLoudnessCache cache;
        ASSERT_TRUE(cache.Open(db));
        StoreFor(cache, a, Result(-9.0));
        StoreFor(cache, b, Result(-13.0));
        StoreFor(cache, quiet, Result(-std::numeric_limits<double>::infinity()));
    }
    std::filesystem::rename(a, dir.File("moved.mp3"));
    std::vector<std::uint8_t> changed = Audio(2, 300000);
    changed[200000] ^= 1; // outside the hashed blocks: the size still tells
    changed.push_back(0);
    WriteAll(b, changed);

    CLoudnessCache cache;
    ASSERT_TRUE(cache.Open(db));
    EXPECT_FALSE(cache.WasRebuilt());
    EXPECT_EQ(cache.Count(), 3);
    const auto moved = cache.Lookup(dir.File("moved.mp3"), /*mayHash=*/false);
    EXPECT_FALSE(moved.has_value()) << "a new path needs the fingerprint";
    const auto found = cache.Lookup(dir.File("moved.mp3"));
    ASSERT_TRUE(found.has_value());
    EXPECT_DOUBLE_EQ(found->dIntegratedLufs, -9.0);
    EXPECT_DOUBLE_EQ(found->dLoudnessRangeLu, 6.5);
    EXPECT_DOUBLE_EQ(*found->truePeakDbtp, 0.4);
    EXPECT_DOUBLE_EQ(found->cues.dStartNextSeconds, 190.4);
    EXPECT_TRUE(cache.Lookup(dir.File("moved.mp3"), false).has_value()) << "remembered";
    EXPECT_FALSE(cache.Lookup(b).has_value());
    EXPECT_FALSE(cache.Lookup(a).has_value()) << "gone";
    const auto silent = cache.Lookup(quiet, false);
    ASSERT_TRUE(silent.has_value());
    EXPECT_TRUE(std::isinf(silent->dIntegratedLufs) && silent->dIntegratedLufs < 0);
}

// A damaged database, a foreign SQLite database and a file of junk are each moved aside
// (kept for the user, byte for byte) and a working cache takes their place.
TEST(LoudnessCacheTest, DamagedOrForeignFileIsMovedAsideAndRebuilt) {
    TempDir dir;
    const std::string song = dir.File("song.mp3");
    WriteAll(song, Audio(5, 100000));
    const std::string db = dir.File("loudness.sqlite");
    {
        CLoudnessCache cache;
        ASSERT_TRUE(cache.Open(db));
        StoreFor(cache, song, Result(-11.0));
    }
    std::vector<std::uint8_t> damaged = ReadAll(db);
    ASSERT_GT(damaged.size(), 4096u);
    for (std::size_t i = 4096; i < damaged.size(); ++i) {
        damaged[i] = static_cast<std::uint8_t>(i * 31);
    }
    const std::vector<std::vector<std::uint8_t>> bads{
        damaged, std::vector<std::uint8_t>(5000, 0x41), {}};
    for (std::size_t n = 0; n < bads.size(); ++n) {
        std::vector<std::uint8_t> bad = bads[n];
        if (bad.empty()) {
            // Someone else's database.
            std::filesystem::remove(db);
            sqlite3* other = nullptr;
            ASSERT_EQ(sqlite3_open(db.c_str(), &other), SQLITE_OK);
            ASSERT_EQ(sqlite3_exec(other, "CREATE TABLE t(x); INSERT INTO t VALUES(1);", nullptr,
                                   nullptr, nullptr),
                      SQLITE_OK);
            sqlite3_close(other);
            bad = ReadAll(db);
        } else {
            WriteAll(db, bad);
        }
        std::filesystem::remove(db + ".damaged");
        CLoudnessCache cache;
        EXPECT_TRUE(cache.Open(db)) << n;
        EXPECT_TRUE(cache.WasRebuilt()) << n;
        EXPECT_EQ(ReadAll(db + ".damaged"), bad) << n;
        EXPECT_FALSE(cache.Lookup(song).has_value()) << n;
        StoreFor(cache, song, Result(-12.0));
        EXPECT_DOUBLE_EQ(cache.Lookup(song)->dIntegratedLufs, -12.0) << n;
    }
}

} // namespace
