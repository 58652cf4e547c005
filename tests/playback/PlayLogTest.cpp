#include "LoopFakes.h"
#include "PlayerTestFixture.h"

#include "playback/CAlarmCheck.h"
#include "playback/CPlayLog.h"
#include "settings/CMemorySettingsStore.h"
#include "settings/CSharedSettings.h"
#include "settings/SettingsKeys.h"

#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

// A clock standing still at a fixed local time.
class FixedClock : public ILoopClock {
public:
    CDateTime LocalNow() override { return CDateTime::FromCalendar(2003, 5, 17, 21, 4, 9); }
    void Sleep(std::chrono::milliseconds /*duration*/) override {}
};

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class PlayLogTest : public PlayerTestFixture {
protected:
    PlayLogTest() { m_settings.Reload(); }
    void Keep(int keep, const std::string& path) {
        m_store.WriteProfileInt(SettingsKeys::kSectionOnairix, SettingsKeys::kKeepOnairixLog, keep);
        m_store.WriteProfileString(SettingsKeys::kSectionOnairix, SettingsKeys::kLogPath, path);
        m_settings.Reload();
    }

    TempDir m_dir;
    CMemorySettingsStore m_store;
    CSharedSettings m_settings{m_store};
    FixedClock m_clock;
};

TEST_F(PlayLogTest, WritesTheProgramAndSongLinesOnlyWhenKept) {
    const std::string log = m_dir.File("onairix.log");
    CPlayLog playLog(ConnectedPlayer(), m_clock, &m_settings);
    Keep(0, log);
    playLog.LogProgramStarted();
    playLog.LogAndPlay("/music/song.mp3");
    playLog.LogProgramEnded();
    EXPECT_FALSE(std::filesystem::exists(log));

    Keep(1, log);
    playLog.LogProgramStarted();
    EXPECT_TRUE(playLog.LogAndPlay("/music/song.mp3"));
    m_pDevice->SetReply("open \"/music/broken.mp3\" alias mpeg wait", "", 275);
    EXPECT_FALSE(playLog.LogAndPlay("/music/broken.mp3")) << "a song that did not start";
    playLog.LogProgramEnded();
    EXPECT_EQ(ReadText(log), "\n2003-05-17 21:04:09 -> PROGRAM STARTED\n"
                             "2003-05-17 21:04:09 -> /music/song.mp3\n"
                             "2003-05-17 21:04:09 -> PROGRAM ENDED\n");
    Player().Stop();
}

TEST_F(PlayLogTest, AFixedFileIsWrittenWhateverTheSettingsAndAnUnwritableOneIsSkipped) {
    const std::string log = m_dir.File("fixed.log");
    CPlayLog playLog(ConnectedPlayer(), m_clock, &m_settings);
    Keep(0, m_dir.File("settings.log"));
    playLog.SetFixedPath(log);
    playLog.LogAndPlay("/music/a.mp3");
    EXPECT_EQ(ReadText(log), "2003-05-17 21:04:09 -> /music/a.mp3\n");
    EXPECT_FALSE(std::filesystem::exists(m_dir.File("settings.log")));
    playLog.SetFixedPath(m_dir.File("no/such/folder.log"));
    EXPECT_TRUE(playLog.LogAndPlay("/music/b.mp3"));
    Player().Stop();
}

TEST(AlarmCheckTest, FiresInItsSecondOrWhenTheTimerDriftedPastIt) {
    const CDateTime alarm = CDateTime::FromCalendar(1999, 1, 1, 7, 30, 0);
    const auto at = [](int day, int h, int m, int s) {
        return CDateTime::FromCalendar(2026, 12, day, h, m, s);
    };
    // The first check fires only in the alarm's second.
    EXPECT_FALSE(CAlarmCheck().IsDue(alarm, at(6, 7, 30, 1)));
    EXPECT_TRUE(CAlarmCheck().IsDue(alarm, at(6, 7, 30, 0)));
    CAlarmCheck check;
    EXPECT_FALSE(check.IsDue(alarm, at(6, 7, 29, 58)));
    EXPECT_FALSE(check.IsDue(alarm, at(6, 7, 29, 59)));
    // The timer skipped 07:30:00.
    EXPECT_TRUE(check.IsDue(alarm, at(6, 7, 30, 1)));
    EXPECT_FALSE(check.IsDue(alarm, at(6, 7, 30, 2)));
    // Again on a later day, exactly in its second.
    EXPECT_FALSE(check.IsDue(alarm, at(7, 7, 29, 59)));
    EXPECT_TRUE(check.IsDue(alarm, at(7, 7, 30, 0)));
    EXPECT_FALSE(check.IsDue(alarm, at(7, 7, 30, 0)));
    // Across midnight.
    const CDateTime midnight = CDateTime::FromCalendar(1999, 1, 1, 0, 0, 0);
    CAlarmCheck late;
    EXPECT_FALSE(late.IsDue(midnight, at(7, 23, 59, 59)));
    EXPECT_TRUE(late.IsDue(midnight, at(8, 0, 0, 1)));
    EXPECT_FALSE(late.IsDue(CDateTime::Null(), at(8, 0, 0, 2)));
}

} // namespace
