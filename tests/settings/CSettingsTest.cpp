#include "settings/CSettings.h"
#include "settings/CDefaultSystemColours.h"
#include "settings/CMemorySettingsStore.h"
#include "settings/SystemColours.h"

#include "support/ScopedEnvironment.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace {

// A memory store that also logs every write in order: one line for each run of writes
// to a section, "[section] key=value key=value".
class RecordingStore : public CMemorySettingsStore {
public:
    bool WriteProfileInt(std::string_view section, std::string_view key,
                         std::int32_t nValue) override {
        Log(section, key, std::to_string(nValue));
        return CMemorySettingsStore::WriteProfileInt(section, key, nValue);
    }
    bool WriteProfileString(std::string_view section, std::string_view key,
                            std::string_view strValue) override {
        Log(section, key, strValue);
        return CMemorySettingsStore::WriteProfileString(section, key, strValue);
    }
    void Log(std::string_view section, std::string_view key, std::string_view value) {
        if (section != m_strSection) {
            m_strSection = section;
            m_log += (m_log.empty() ? "[" : "\n[") + m_strSection + "]";
        }
        m_log += " " + std::string(key) + "=" + std::string(value);
    }
    std::string m_strSection;
    std::string m_log;
};

// A store that refuses every write.
class RefusingStore : public CMemorySettingsStore {
public:
    bool WriteProfileInt(std::string_view, std::string_view, std::int32_t) override {
        return false;
    }
    bool WriteProfileString(std::string_view, std::string_view, std::string_view) override {
        return false;
    }
};

// Distinct colours per index, so a test sees which index a default came from.
class MarkedColours : public ISystemColours {
public:
    std::uint32_t GetSystemColour(int index) const override {
        return 0x00010000u * static_cast<std::uint32_t>(index) + 0x42;
    }
};

std::string ProgramFolderFromEnv() {
    return std::getenv("MIXOREL_HOME");
}

// Every key of the record in save order with the value an empty store loads, given the
// colour provider MarkedColours (colour 1 is 0x10042 = 65602, colour 20 is 0x140042 =
// 1310786), up to the log path.
const std::string kSavedDefaults =
    "[global] emptylastproject=1 fileextensions=mp3;mp2;wma;wav;flac;ogg;oga;opus;m4a "
    "loadlastused=1 maximizechild=1 "
    "startwinamp=1 newfileatstart=1 minimizetotray=0 usewinamp=0 autosaveonexit=0 "
    "rearrangeonnew=0 closewinamp=1\n"
    "[winamp] winamppath=\n"
    "[list] closerandomized=2 autobackup=1 autobackupminutes=5 id3tags=%3 - %4 fastmoveup=5 "
    "fastmovedown=5\n"
    "[colors] nexttoplayfg=16777215 nexttoplaybk=8421376 loopfg=0 loopbk=15793151 schedulefg=0 "
    "schedulebk=10529711 nexttoschedulefg=1310786 nexttoschedulebk=65602\n"
    "[fonts] listofplaylistsicon=1 listviewfontname=Microsoft Sans Serif listviewfontsize=90\n"
    "[internal] mixseconds=5 usemixer=1 mixspeed=10 mixtype=0 fitfades=1 automixpoints=1 "
    "normalize=1 targetlufs=-18\n"
    "[misc] autoshowplaynext=0 autoshowplaynextonskip=0 showalertaftersetnext=1 "
    "noplaylisttooltips=0 stoploopatend=0 askshutdownpc=1 notifysongstart=0\n"
    "[onairix] keeponairixlog=0 logpath=";

// Pointers to every flag field.
std::vector<CSettings::Flag*> FlagFields(CSettings& s) {
    return {&s.m_bEmptyLastProject,   &s.m_bLoadLastUsed,   &s.m_bMaximizeChild,
            &s.m_bStartWinamp,        &s.m_bNewFileAtStart, &s.m_bMinimizeToTray,
            &s.m_bUseWinamp,          &s.m_bAutoSaveOnExit, &s.m_bRearrangeOnNew,
            &s.m_bCloseWinamp,        &s.m_bAutoBackup,     &s.m_bUseMixer,
            &s.m_bNoPlaylistTooltips, &s.m_bStopLoopAtEnd,  &s.m_bAskShutdownPc,
            &s.m_bNotifySongStart,    &s.m_bKeepOnairixLog};
}

class CSettingsTest : public ::testing::Test {
protected:
    void SetUp() override { SetSystemColours(std::make_shared<MarkedColours>()); }
    void TearDown() override { SetSystemColours(nullptr); }

    std::string LogPath() const { return ProgramFolderFromEnv() + "/onairix.log"; }

    RecordingStore m_store;
};

TEST_F(CSettingsTest, EmptyStoreLoadsEveryDefaultAndSavesInSectionOrder) {
    CSettings settings(m_store);
    // Before a load the record differs in the order of its extension list.
    EXPECT_EQ(settings.m_strFileExtensions, "mp3;mp2;wav;wma;flac;ogg;oga;opus;m4a");
    ASSERT_TRUE(settings.Load());
    EXPECT_TRUE(CSettings::IsFirstRun(m_store)); // until the first save
    ASSERT_TRUE(settings.Save());
    EXPECT_FALSE(CSettings::IsFirstRun(m_store));
    EXPECT_EQ(m_store.m_log, kSavedDefaults + LogPath());
}

TEST_F(CSettingsTest, FlagsAreWrittenAsOneOrZero) {
    for (const int value : {5, 2, -1, 0, 1}) {
        CSettings settings(m_store);
        for (CSettings::Flag* flag : FlagFields(settings)) {
            *flag = value;
        }
        settings.Save();
        CSettings loaded(m_store);
        loaded.Load();
        for (CSettings::Flag* flag : FlagFields(loaded)) {
            EXPECT_EQ(*flag, value == 1 ? 1 : 0) << "value " << value;
        }
    }
}

// The fields other than flags, as one value to compare.
auto OtherFields(const CSettings& s) {
    return std::tuple(s.m_nCloseRandomized, s.m_nMixSeconds, s.m_nMixSpeed, s.m_nMixType,
                      s.m_nAutoShowPlayNext, s.m_nShowAlertAfterSetNext, s.m_crLoopFg,
                      s.m_crScheduleBk, s.m_strId3Tags, s.m_strWinampPath, s.m_strLogPath);
}

TEST_F(CSettingsTest, OtherFieldsAreWrittenAsTheyAre) {
    CSettings settings(m_store);
    settings.m_nCloseRandomized = 7;
    settings.m_nMixSeconds = -3;
    settings.m_nMixSpeed = 5000;
    settings.m_nMixType = 99;
    settings.m_nAutoShowPlayNext = 5;
    settings.m_nShowAlertAfterSetNext = 2;
    settings.m_crLoopFg = 0x00123456;
    settings.m_crScheduleBk = 0xFF000000; // top byte is kept too
    settings.m_strId3Tags = "%1";
    settings.m_strWinampPath = "/usr/bin/audacious";
    settings.m_strLogPath = "/var/log/x.log";
    settings.Save();
    CSettings loaded(m_store);
    loaded.Load();
    EXPECT_EQ(OtherFields(loaded), OtherFields(settings));
}

TEST_F(CSettingsTest, SaveReportsARefusedWrite) {
    RefusingStore refusing;
    CSettings settings(refusing);
    EXPECT_TRUE(settings.Load());
    EXPECT_FALSE(settings.Save());
}

TEST_F(CSettingsTest, DefaultLogPathFollowsTheProgramFolderAtEachLoad) {
    const std::string base = ProgramFolderFromEnv();
    ScopedEnvironment first({{"MIXOREL_HOME", base + "/first/"}});
    CSettings settings(m_store);
    EXPECT_EQ(settings.m_strLogPath, base + "/first/onairix.log");
    {
        ScopedEnvironment second({{"MIXOREL_HOME", base + "/second"}});
        settings.Load();
        EXPECT_EQ(settings.m_strLogPath, base + "/second/onairix.log");
    }
    m_store.WriteProfileString("onairix", "logpath", "/srv/air.log");
    settings.Load();
    EXPECT_EQ(settings.m_strLogPath, "/srv/air.log");
}

TEST_F(CSettingsTest, HasFileExtensionIsACaseBlindSubstringTest) {
    CSettings settings(m_store);
    settings.Load();
    for (const char* found : {"mp3", "MP3", "p3", "3;m", "flac", "opus", "m4a", "oga"}) {
        EXPECT_TRUE(settings.HasFileExtension(found)) << found;
    }
    for (const char* missing : {"", "aiff", "mp3;mp2;wma;wav;flac;ogg;oga;opus;m4a;"}) {
        EXPECT_FALSE(settings.HasFileExtension(missing)) << missing;
    }

    // A list the user stored stays as it is: no new format joins it.
    m_store.WriteProfileString("global", "fileextensions", "mp3;wav");
    settings.Load();
    EXPECT_EQ(settings.m_strFileExtensions, "mp3;wav");
    EXPECT_FALSE(settings.HasFileExtension("flac"));

    settings.m_strFileExtensions = "MP3;FLAC";
    EXPECT_TRUE(settings.HasFileExtension("mp3"));
    EXPECT_TRUE(settings.HasFileExtension("Flac"));
    settings.m_strFileExtensions.clear();
    EXPECT_FALSE(settings.HasFileExtension("mp3"));
}

class RegionTest : public CSettingsTest {
protected:
    bool Read(CSettings& settings, int index) {
        return settings.ReadRegion(index, m_name, m_text, m_back);
    }
    std::string m_name;
    CSettings::ColorRef m_text = 0;
    CSettings::ColorRef m_back = 0;
};

TEST_F(RegionTest, RoundTripKeepsNameAndColoursAndBlankNamesAreNotWritten) {
    CSettings settings(m_store);
    EXPECT_FALSE(settings.WriteRegion(0, "  \t ", 1, 2));
    EXPECT_FALSE(settings.WriteRegion(1, "", 1, 2));
    EXPECT_EQ(m_store.GetValueCount(), 0u);
    ASSERT_TRUE(settings.WriteRegion(0, "  Opening set \t", 0x00112233, 0x00445566));
    ASSERT_TRUE(Read(settings, 0));
    EXPECT_EQ(std::tuple(m_name, m_text, m_back),
              std::tuple("Opening set", 0x00112233u, 0x00445566u));
    // Missing colours read as window text and window.
    m_store.WriteProfileString("regions", "name1", "Late night");
    ASSERT_TRUE(Read(settings, 1));
    EXPECT_EQ(std::tuple(m_text, m_back),
              std::tuple(MarkedColours().GetSystemColour(8), MarkedColours().GetSystemColour(5)));
}

TEST_F(RegionTest, ReadersStopAtTheFirstGapAndIndicesEndAtTwenty) {
    CSettings settings(m_store);
    settings.WriteRegion(0, "a", 1, 1);
    settings.WriteRegion(1, "b", 2, 2);
    settings.WriteRegion(3, "d", 4, 4);
    std::vector<std::string> names;
    for (int i = 0; Read(settings, i); ++i) {
        names.push_back(m_name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"a", "b"}));
    // Indices run from 0 to 19.
    EXPECT_TRUE(settings.WriteRegion(19, "last", 1, 1));
    EXPECT_FALSE(settings.WriteRegion(20, "one too many", 1, 1));
    EXPECT_FALSE(settings.WriteRegion(-1, "negative", 1, 1));
    m_store.WriteProfileString("regions", "name20", "hand-made");
    EXPECT_TRUE(Read(settings, 19));
    EXPECT_FALSE(Read(settings, 20));
    EXPECT_FALSE(Read(settings, -1));
}

TEST_F(CSettingsTest, ProcessWideStoreAndColourProvider) {
    EXPECT_NE(dynamic_cast<CMemorySettingsStore*>(&GetSettingsStore()), nullptr);
    auto store = std::make_shared<CMemorySettingsStore>();
    SetSettingsStore(store);
    CSettings settings;
    settings.m_nMixType = 4;
    settings.Save();
    EXPECT_EQ(store->GetProfileInt("internal", "mixtype", -1), 4);
    SetSettingsStore(nullptr);
    EXPECT_EQ(GetSettingsStore().GetProfileInt("internal", "mixtype", -1), -1);

    // Colours come from the provider in force; without one, from the built-in table.
    EXPECT_EQ(GetSystemColour(ISystemColours::kDesktop),
              MarkedColours().GetSystemColour(ISystemColours::kDesktop));
    SetSystemColours(nullptr);
    EXPECT_EQ((std::vector<std::uint32_t>{GetSystemColour(ISystemColours::kButtonHighlight),
                                          GetSystemColour(ISystemColours::kDesktop),
                                          GetSystemColour(ISystemColours::kWindowText),
                                          GetSystemColour(ISystemColours::kWindow),
                                          GetSystemColour(-3), GetSystemColour(1000)}),
              (std::vector<std::uint32_t>{0x00FFFFFF, 0x00808000, 0, 0x00FFFFFF, 0, 0}));
}

} // namespace
