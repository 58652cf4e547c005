#include "catalogue/CArchiveWriter.h"
#include "catalogue/CPlaylistFile.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Bytes = std::vector<std::uint8_t>;

CPlaylistContent Sample(std::size_t count) {
    CPlaylistContent content;
    for (std::size_t i = 0; i < count; ++i) {
        CSong song;
        song.SetPathText("/music/artist " + std::to_string(i) + "/song.mp3");
        song.SetTitle("Song " + std::to_string(i));
        song.SetInfo(static_cast<std::uint32_t>(i * 1000), 128000, 44100, 1);
        song.SetInfoFlag(i % 2 == 0);
        song.SetFileDate(CDateTime::FromCalendar(2020, 1, 1 + static_cast<int>(i % 28), 8, 0, 0));
        content.m_songs.push_back(std::move(song));
    }
    CSong region;
    region.SetTitle("Evening");
    region.SetRegion(true);
    region.SetBackColor(0x00804020);
    region.SetStart(CDateTime::FromCalendar(2024, 12, 31, 22, 0, 0));
    content.m_songs.push_back(std::move(region));
    content.m_dtAlarm = CDateTime::FromCalendar(2024, 12, 31, 23, 59, 0);
    content.m_bLocked = true;
    return content;
}

// A file with the given signature, no records, a null alarm and the given 32-bit items.
Bytes Empty(std::string_view signature, std::initializer_list<std::int32_t> tail) {
    CArchiveWriter ar;
    ar.WriteText(signature);
    ar.WriteUInt32(0);
    ar.WriteDateTime(CDateTime::Null());
    for (const std::int32_t value : tail) {
        ar.WriteInt32(value);
    }
    return ar.TakeBytes();
}

TEST(PlaylistFileTest, EmptyPlaylistIs33Bytes) {
    const Bytes bytes = CPlaylistFile::Build(CPlaylistContent());
    EXPECT_EQ(bytes, Empty("qmx201-4", {0, 0}));
    EXPECT_EQ(bytes.size(), 33u);
}

TEST(PlaylistFileTest, RoundTripGivesFreshIdentities) {
    CPlaylistContent saved = Sample(5);
    CSong twice; // the same file twice loads as two lines
    twice.Assign(saved.m_songs[0], false);
    saved.m_songs.insert(saved.m_songs.begin(), std::move(twice));
    const Bytes bytes = CPlaylistFile::Build(saved);
    CPlaylistContent loaded;
    ASSERT_EQ(CPlaylistFile::Parse(bytes, loaded), CPlaylistFile::kOk);
    EXPECT_EQ(loaded.m_strSignature, "qmx201-4");
    // Every record and flag comes back: the file built again is the same, byte for byte.
    EXPECT_EQ(CPlaylistFile::Build(loaded), bytes);
    ASSERT_EQ(loaded.m_songs.size(), saved.m_songs.size());
    for (std::size_t i = 0; i < saved.m_songs.size(); ++i) {
        EXPECT_NE(loaded.m_songs[i].GetId(), saved.m_songs[i].GetId());
    }
}

TEST(PlaylistFileTest, SignatureDecidesWhichFlagsAreRead) {
    const struct {
        const char* signature;
        std::initializer_list<std::int32_t> tail;
        int result;
        bool locked, disabled;
    } cases[] = {
        {"qmx201-4", {1, 1}, CPlaylistFile::kOk, true, true},
        {"qmx201-4", {1, 0}, CPlaylistFile::kOk, true, false},
        {"qmx201-4", {0, 1}, CPlaylistFile::kOk, false, false}, // disabled only when locked
        {"qmx201-4", {2, 1}, CPlaylistFile::kOk, false, false},
        {"qmx201-4", {1}, CPlaylistFile::kTruncated, false, false},
        {"qmx201-2", {1}, CPlaylistFile::kOk, true, false},
        {"qmx201-2", {1, 1}, CPlaylistFile::kOk, true, false},
        {"QMX201-4", {1, 1}, CPlaylistFile::kOk, false, false}, // flags left unread
        {"QMX201-4", {}, CPlaylistFile::kOk, false, false},
        {"Qmx201", {}, CPlaylistFile::kOk, false, false},
        {"qmx201-3 beta", {1, 1}, CPlaylistFile::kOk, false, false},
        {"qmx20", {0, 0}, CPlaylistFile::kWrongSignature, false, false},
        {"qmx-p", {0, 0}, CPlaylistFile::kWrongSignature, false, false},
    };
    for (const auto& c : cases) {
        CPlaylistContent loaded;
        ASSERT_EQ(CPlaylistFile::Parse(Empty(c.signature, c.tail), loaded), c.result)
            << c.signature << " " << c.tail.size();
        EXPECT_EQ(loaded.m_bLocked, c.locked) << c.signature;
        EXPECT_EQ(loaded.m_bPlayerCommandsDisabled, c.disabled) << c.signature;
    }
}

TEST(PlaylistFileTest, LongTextsAndLegacyBytes) {
    CPlaylistContent content;
    CSong song;
    song.SetTitle(std::string(255, 'a'));
    song.SetPathText("/x/Caf\xE9.mp3"); // written on Windows: not UTF-8
    content.m_songs.push_back(std::move(song));
    const Bytes bytes = CPlaylistFile::Build(content);
    // signature 9, count 4, marker 7, path 12 bytes: the title prefix follows.
    EXPECT_EQ(Bytes(bytes.begin() + 32, bytes.begin() + 35), (Bytes{0xFF, 0xFF, 0x00}));
    CPlaylistContent loaded;
    ASSERT_EQ(CPlaylistFile::Parse(bytes, loaded), CPlaylistFile::kOk);
    EXPECT_EQ(loaded.m_songs[0].GetPath(), "/x/Caf\u00e9.mp3");
    EXPECT_EQ(loaded.m_songs[0].GetTitle().size(), 255u);
}

TEST(PlaylistFileTest, DamagedInputFailsFastAndLeavesContentAlone) {
    const Bytes good = CPlaylistFile::Build(Sample(3));
    CPlaylistContent kept = Sample(1);
    for (std::size_t cut = 0; cut + 8 < good.size(); cut += 7) {
        const int result = CPlaylistFile::Parse(std::span(good.data(), cut), kept);
        EXPECT_TRUE(result == CPlaylistFile::kTruncated || result == CPlaylistFile::kWrongSignature)
            << cut;
    }
    EXPECT_EQ(kept.m_songs.size(), 2u);
    // A count of 2^31-1 in a 20-byte file.
    Bytes huge{8, 'q', 'm', 'x', '2', '0', '1', '-', '4', 0xFF, 0xFF, 0xFF, 0x7F};
    huge.resize(20);
    EXPECT_EQ(CPlaylistFile::Parse(huge, kept), CPlaylistFile::kTruncated);
    // A record whose path claims 4 GB.
    Bytes longText = Empty("qmx201-4", {});
    longText[9] = 1;
    longText.insert(longText.begin() + 13,
                    {6, 'q', 'm', 'x', 'v', '5', '0', 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    longText.resize(longText.size() + 200);
    EXPECT_EQ(CPlaylistFile::Parse(longText, kept), CPlaylistFile::kTruncated);
    Bytes badStatus = Empty("qmx201-4", {0, 0});
    badStatus[13] = 9; // alarm status
    EXPECT_EQ(CPlaylistFile::Parse(badStatus, kept), CPlaylistFile::kDamaged);
    EXPECT_EQ(kept.m_songs.size(), 2u);
}

class PlaylistDiskTest : public ::testing::Test {
protected:
    TempDir m_dir;
    std::string m_strPath = m_dir.File("list.qmx");
};

TEST_F(PlaylistDiskTest, WriteAndReadFile) {
    ASSERT_EQ(CPlaylistFile::Write(m_strPath, Sample(4)), CPlaylistFile::kOk);
    CPlaylistContent loaded;
    ASSERT_EQ(CPlaylistFile::Read(m_strPath, loaded), CPlaylistFile::kOk);
    EXPECT_EQ(loaded.m_songs.size(), 5u);
    EXPECT_EQ(CPlaylistFile::Read(m_dir.File("none.qmx"), loaded), CPlaylistFile::kCannotOpen);
    EXPECT_EQ(CPlaylistFile::Write(m_dir.File("no/such/folder.qmx"), loaded),
              CPlaylistFile::kCannotWrite);
    // Larger than any playlist: refused before it is read (a sparse file).
    const std::string big = m_dir.File("big.qmx");
    WriteAll(big, {});
    std::filesystem::resize_file(big, CPlaylistFile::kMaxFileSize + 1);
    EXPECT_EQ(CPlaylistFile::Read(big, loaded), CPlaylistFile::kTooLarge);
    EXPECT_EQ(loaded.m_songs.size(), 5u);
}

// A write that fails half-way (file size limit) leaves the old file as it was and no
// temporary file behind.
TEST_F(PlaylistDiskTest, FailedSaveKeepsTheOldFile) {
    ASSERT_EQ(CPlaylistFile::Write(m_strPath, Sample(1)), CPlaylistFile::kOk);
    const Bytes before = ReadAll(m_strPath);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::_exit(CPlaylistFile::Write(m_strPath, Sample(200)));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), CPlaylistFile::kCannotWrite);
    EXPECT_EQ(ReadAll(m_strPath), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir.Path()), {}), 1);
}

} // namespace
