#include "platform/QtSettingsStore.h"
#include "settings/CMemorySettingsStore.h"
#include "settings/CSettings.h"

#include "support/ScopedEnvironment.h"
#include "support/TempDir.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <tuple>
#include <vector>

namespace {

std::string FileText(const std::string& path) {
    const auto bytes = ReadAll(path);
    return std::string(bytes.begin(), bytes.end());
}

ino_t Inode(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

// Each test works in its own XDG_CONFIG_HOME.
class QtSettingsStoreTest : public ::testing::Test {
protected:
    std::string IniPath() const { return m_dir.File("config/Mixorel/Mixorel.ini"); }
    // Puts a hand-made file where the store looks.
    void WriteIni(const std::string& text) {
        std::filesystem::create_directories(m_dir.File("config/Mixorel"));
        WriteAll(IniPath(), std::vector<std::uint8_t>(text.begin(), text.end()));
    }

    TempDir m_dir;
    ScopedEnvironment m_config{{{"XDG_CONFIG_HOME", m_dir.File("config")}}};
};

TEST_F(QtSettingsStoreTest, FileLiesUnderTheConfigHome) {
    EXPECT_EQ(QtSettingsStore::DefaultFilePath().toStdString(), IniPath());
    ScopedEnvironment relative({{"XDG_CONFIG_HOME", "not/absolute"}, {"HOME", m_dir.Path()}});
    EXPECT_EQ(QtSettingsStore::DefaultFilePath().toStdString(),
              m_dir.File(".config/Mixorel/Mixorel.ini"));
}

TEST_F(QtSettingsStoreTest, WritesAreOnDiskInLowerCaseThroughARenameBeforeTheyReturn) {
    {
        QtSettingsStore store;
        ASSERT_TRUE(store.WriteProfileInt("Internal", "UseMixer", 0));
        const ino_t first = Inode(IniPath());
        ASSERT_TRUE(store.WriteProfileString("list", "id3tags", "%4 (%3)"));
        // Every write replaces the file through a rename, leaving nothing else behind.
        EXPECT_NE(first, 0u);
        EXPECT_NE(Inode(IniPath()), first);
        for (const auto& entry :
             std::filesystem::directory_iterator(m_dir.File("config/Mixorel"))) {
            const std::string name = entry.path().filename().string();
            EXPECT_TRUE(name == "Mixorel.ini" || name == "Mixorel.ini.lock") << name;
        }
        ASSERT_TRUE(
            store.WriteProfileBinary("ColorData", "ColorTable", std::vector<std::uint8_t>{1}));
        const std::string text = FileText(IniPath());
        EXPECT_NE(text.find("[internal]\nusemixer=0"), std::string::npos) << text;
        EXPECT_NE(text.find("[colordata]\ncolortable="), std::string::npos) << text;
        EXPECT_EQ(text.find("UseMixer"), std::string::npos) << text;
    }
    QtSettingsStore fresh;
    EXPECT_EQ(fresh.GetProfileInt("INTERNAL", "usemixer", 1), 0);
    EXPECT_EQ(fresh.GetProfileString("list", "id3tags", ""), "%4 (%3)");
}

TEST_F(QtSettingsStoreTest, HandEditedFileIsReadWhateverItsCase) {
    WriteIni("[Global]\nFileExtensions=mp3,ogg,flac\nUseWinamp=1\n"
             "[internal]\nmixspeed=fast\nmixseconds = 7 \n");
    QtSettingsStore store;
    EXPECT_EQ(store.GetProfileInt("global", "usewinamp", 0), 1);
    // Unquoted commas read as one text, not a list.
    EXPECT_EQ(store.GetProfileString("GLOBAL", "fileextensions", ""), "mp3,ogg,flac");
    EXPECT_EQ(store.GetProfileInt("global", "fileextensions", 3), 3);
    EXPECT_EQ(store.GetProfileInt("internal", "mixspeed", 10), 10);
    EXPECT_EQ(store.GetProfileInt("internal", "mixseconds", 5), 7);
    // A write (always lower-case) is what later reads see.
    ASSERT_TRUE(store.WriteProfileInt("Global", "UseWinamp", 0));
    EXPECT_EQ(store.GetProfileInt("global", "usewinamp", 1), 0);
    EXPECT_EQ(QtSettingsStore().GetProfileInt("GLOBAL", "USEWINAMP", 1), 0);
}

TEST_F(QtSettingsStoreTest, DamagedFileIsKeptAsideAndReadableValuesCarryOn) {
    const std::string damaged = std::string("[internal]\nmixspeed=3\n[\x01\x02\n\0\xff=", 30);
    const std::vector<std::uint8_t> bytes(damaged.begin(), damaged.end());
    WriteIni(damaged);
    QtSettingsStore store;
    ASSERT_FALSE(store.DamagedFilePath().isEmpty());
    EXPECT_EQ(ReadAll(store.DamagedFilePath().toStdString()), bytes);
    EXPECT_EQ(store.GetProfileInt("internal", "mixspeed", 10), 3);
    ASSERT_TRUE(store.WriteProfileInt("internal", "mixtype", 2));
    QtSettingsStore fresh;
    EXPECT_TRUE(fresh.DamagedFilePath().isEmpty());
    EXPECT_EQ(fresh.GetProfileInt("internal", "mixspeed", 10), 3);
    EXPECT_EQ(fresh.GetProfileInt("internal", "mixtype", 0), 2);
}

TEST_F(QtSettingsStoreTest, WritesThatCannotReachTheDiskFailUntilTheFolderIsUsable) {
    const std::string folder = m_dir.File("later");
    WriteAll(folder, {'x'});
    QtSettingsStore store(QString::fromStdString(folder + "/Mixorel.ini"));
    EXPECT_FALSE(store.WriteProfileInt("a", "b", 1));
    EXPECT_FALSE(store.WriteProfileString("a", "c", "x"));
    EXPECT_EQ(store.GetProfileInt("a", "b", 9), 9);
    std::filesystem::remove(folder);
    std::filesystem::create_directories(folder);
    EXPECT_TRUE(store.WriteProfileInt("a", "b", 2));
    EXPECT_EQ(store.GetProfileInt("a", "b", 0), 2);
}

TEST_F(QtSettingsStoreTest, TwoThreadsHammeringKeepEveryValue) {
    QtSettingsStore store;
    constexpr int kRounds = 40; // each write syncs the file; 40 rounds still interleave
    auto work = [&store](const std::string& section) {
        for (int i = 0; i < kRounds; ++i) {
            EXPECT_TRUE(store.WriteProfileInt(section, "counter", i));
            EXPECT_EQ(store.GetProfileInt(section, "counter", -1), i);
            EXPECT_TRUE(
                store.WriteProfileString(section, "k" + std::to_string(i % 5), std::to_string(i)));
            (void)store.GetProfileString(section == "a" ? "b" : "a", "k0", "");
        }
    };
    std::thread first(work, "a");
    std::thread second(work, "b");
    first.join();
    second.join();
    QtSettingsStore fresh;
    EXPECT_EQ(fresh.GetProfileInt("a", "counter", -1), kRounds - 1);
    EXPECT_EQ(fresh.GetProfileInt("b", "counter", -1), kRounds - 1);
    EXPECT_EQ(fresh.GetProfileString("a", "k4", ""), std::to_string(kRounds - 1));
}

TEST_F(QtSettingsStoreTest, SettingsRecordRoundTripsThroughTheFile) {
    {
        QtSettingsStore store;
        CSettings settings(store);
        settings.Load();
        settings.m_nMixSeconds = 8;
        settings.m_crLoopBk = 0x00010203;
        const auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(settings.Save());
        // A whole save (every key synced) stays quick enough for the options dialog.
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    }
    QtSettingsStore fresh;
    EXPECT_FALSE(CSettings::IsFirstRun(fresh));
    CSettings loaded(fresh);
    loaded.Load();
    EXPECT_EQ(std::tuple(loaded.m_nMixSeconds, loaded.m_crLoopBk, loaded.m_strFileExtensions),
              std::tuple(8, 0x00010203u, "mp3;mp2;wma;wav;flac;ogg;oga;opus;m4a"));
}

} // namespace
