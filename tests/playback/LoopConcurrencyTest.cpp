// The loop driver, the scheduler, the song processing thread and list edits from the
// test body all at once, on the media-control player over simulated devices whose songs
// run on the accelerated clock. Built for ThreadSanitizer as well.
#include "LoopFakes.h"
#include "PlayerTestFixture.h"

#include "catalogue/CMixorel2001Doc.h"
#include "platform/mci/CSimulatedDeviceHost.h"
#include "platform/mci/CSimulatedMciContextFactory.h"
#include "playback/CPlayListThreadFactory.h"
#include "playback/CPlayLog.h"
#include "playback/CPlayerLink.h"
#include "playback/CScheduleListThread.h"
#include "settings/CMemorySettingsStore.h"
#include "settings/CSharedSettings.h"

namespace {

// The devices' clock is the accelerated clock of the loop.
class DeviceClock : public IMciClock {
public:
    explicit DeviceClock(const AcceleratedClock& clock) : m_clock(clock) {}
    std::int64_t NowMs() const override { return m_clock.NowMs(); }

private:
    const AcceleratedClock& m_clock;
};

class LoopConcurrencyTest : public PlayerTestFixture {
protected:
    LoopConcurrencyTest() {
        m_environment.pFactory = std::make_shared<CSimulatedMciContextFactory>(m_pHost);
        m_settings.Reload();
    }

    AcceleratedClock m_clock{20, CDateTime::FromCalendar(2026, 12, 6, 20, 59, 58)};
    std::shared_ptr<CSimulatedDeviceHost> m_pHost =
        std::make_shared<CSimulatedDeviceHost>(std::make_shared<DeviceClock>(m_clock));
    CMemorySettingsStore m_store;
    CSharedSettings m_settings{m_store};
};

TEST_F(LoopConcurrencyTest, DriverSchedulerProcessingAndEditsRunTogether) {
    CMixorel2001Doc doc;
    doc.SetSharedSettings(&m_settings);
    IUserPrompt::DuplicateAnswer answer = IUserPrompt::kYesToAll;
    for (int n = 0; n < 200; ++n) {
        const std::string path = "/music/" + std::to_string(n) + ".mp3";
        m_pHost->AddFile(path, 3000 + (n % 5) * 500);
        CSong song;
        song.SetPathText(path);
        if (n % 50 == 10) {
            song.SetRegion(true);
            song.SetInfoFlag(true);
            song.SetTitle("Region " + std::to_string(n));
            song.SetStart(CDateTime::FromCalendar(2026, 12, 6, 21, 0, n / 50));
        }
        doc.InsertSongAt(CMixorel2001Doc::kAfterLast, song, answer);
    }
    Player().SetMixSeconds(1);
    Player().SetMixEnabled(true);
    ASSERT_TRUE(Player().Connect(-1, true));
    CPlayLog log(Player(), m_clock, &m_settings);
    CPlayerLink link(Player(), log);
    CPlayListThreadFactory factory(m_clock, &m_settings);
    doc.SetPlayerLink(&link);
    doc.SetLoopFactory(&factory);
    ASSERT_TRUE(doc.CreateProcessThread(false));
    ASSERT_TRUE(doc.StartLoopAt(3, 1));
    ASSERT_TRUE(CScheduleListThread::StartScheduler(&doc, 1, m_clock));

    // The user edits the list while all of that runs, for 20 simulated seconds.
    int round = 0;
    while (m_clock.NowMs() < 20000) {
        const int count = doc.GetCount();
        doc.MoveUp(1 + round % (count - 1));
        doc.MoveDown(round % (count - 1));
        CSong song;
        song.SetPathText("/music/" + std::to_string(round % 200) + ".mp3");
        doc.InsertSongAt(round % count, song, answer);
        std::string id;
        {
            std::lock_guard lock(doc.GetMutex());
            id = doc.GetSongAt((round * 7) % doc.GetCount())->GetId();
        }
        doc.RemoveSongs({id});
        doc.SetProcessRange(round % count, round % count + 10);
        ++round;
        std::this_thread::sleep_for(2ms);
    }
    CScheduleListThread::StopScheduler();
    doc.StopLoop();
    Player().Stop();
    doc.OnCloseDocument();
    const auto events = m_pHost->Events();
    const auto opens = std::count_if(events.begin(), events.end(), [](const auto& event) {
        return event.strText.rfind("open", 0) == 0;
    });
    EXPECT_GE(opens, 3);
    EXPECT_FALSE(doc.IsLooping());
    EXPECT_FALSE(doc.IsScheduled());
}

} // namespace
