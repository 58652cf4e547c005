#include "PlayerTestFixture.h"

#include <algorithm>
#include <stdexcept>

namespace {

struct Exchanged {
    bool bAnswered = false;
    std::string reply;
    std::uint32_t nError = 0;
    bool operator==(const Exchanged&) const = default;
};

// The worker tests speak to a worker as the player does, one exchange at a time.
class FaderThreadTest : public PlayerTestFixture {
protected:
    void TearDown() override {
        m_pSleeper->Open();
        for (const auto& worker : m_workers) {
            worker->PostQuit();
            EXPECT_TRUE(worker->WaitEnded(5000ms));
        }
        PlayerTestFixture::TearDown();
    }

    // A new worker; the test fails (by the exception) when it cannot start.
    CMCIThread& StartWorker() {
        std::shared_ptr<CMCIThread> worker = CMCIThread::Create(m_environment);
        if (!worker) {
            throw std::runtime_error("the worker did not start");
        }
        m_workers.push_back(worker);
        return *worker;
    }

    Exchanged Exchange(CMCIThread& worker, const std::string& command, int nSpeed = 20,
                       int nType = kSteps, std::chrono::milliseconds timeout = 3000ms) {
        EXPECT_TRUE(worker.BeginExchange());
        EXPECT_TRUE(worker.PostCommand(command, nSpeed, nType));
        return Finish(worker, timeout);
    }

    // Opens an exchange and posts the command at once; Finish waits for the reply. Lets a
    // test place a command in the queue before it lets a held ramp go on.
    void Start(CMCIThread& worker, const std::string& command) {
        ASSERT_TRUE(worker.BeginExchange());
        ASSERT_TRUE(worker.PostCommand(command, 20, kSteps));
    }
    Exchanged Finish(CMCIThread& worker, std::chrono::milliseconds timeout = 3000ms) {
        Exchanged result;
        result.bAnswered = worker.WaitReply(timeout, result.reply, result.nError);
        worker.EndExchange();
        return result;
    }

    // Waits until context 0 has received count commands, then until the worker is idle.
    bool WaitForCommands(std::size_t nCount) {
        return m_pDevice->WaitUntil(
            [&](const std::vector<FakeMciDevice::Entry>& log) { return log.size() >= nCount; },
            3000ms);
    }
    bool WaitIdle(const CMCIThread& worker) {
        return WaitFor([&] { return !worker.IsBusy(); });
    }

    // Runs a whole fade-in of mix type kSteps and forgets what it sent (the command also
    // written in capitals is a fade and never reaches the device).
    void FadeInFully(CMCIThread& worker) {
        ASSERT_EQ(Exchange(worker, "FadeIn mpeg").reply, "fadingin");
        ASSERT_TRUE(WaitForCommands(12));
        ASSERT_TRUE(WaitIdle(worker));
        m_pDevice->ClearLog();
    }

    std::vector<std::shared_ptr<CMCIThread>> m_workers;
};

const Texts kCloseTwice = {"close mpeg wait", "stop mpeg wait", "close mpeg wait"};

} // namespace

// ---- exchanges -----------------------------------------------------------------------

TEST_F(FaderThreadTest, CarriesOutACommandAndHandsBackReplyAndError) {
    m_pDevice->SetReply("status mpeg mode", "playing");
    m_pDevice->SetReply("play mpeg from 99 notify", "", 282);
    CMCIThread& worker = StartWorker();
    EXPECT_EQ(Exchange(worker, "status mpeg mode"), (Exchanged{true, "playing", 0}));
    EXPECT_EQ(Exchange(worker, "play mpeg from 99 notify"), (Exchanged{true, "", 282}));
    // The device gets the text as it was written (paths are case-sensitive).
    EXPECT_EQ(Exchange(worker, "Set mpeg time format TMSF").nError, 0u);
    EXPECT_EQ(m_pDevice->Commands(0).back(), "Set mpeg time format TMSF");
}

TEST_F(FaderThreadTest, AReplyThatCameTooLateNeverAnswersTheNextExchange) {
    m_pDevice->SetReply("status mpeg length", "1000");
    m_pDevice->SetReply("status mpeg mode", "playing");
    m_pDevice->Block("status mpeg length");
    CMCIThread& worker = StartWorker();
    EXPECT_EQ(Exchange(worker, "status mpeg length", 20, kSteps, 50ms), Exchanged{});
    m_pDevice->Unblock();
    EXPECT_EQ(Exchange(worker, "status mpeg mode").reply, "playing");
    const auto commands = m_pDevice->Commands(0);
    EXPECT_EQ(std::count(commands.begin(), commands.end(), "status mpeg length"), 1);
}

// ---- ramps ---------------------------------------------------------------------------

// Of a song never faded in it stops at once.
TEST_F(FaderThreadTest, FadeOutAfterAFullFadeInAppliesEveryStepBelowFullVolume) {
    CMCIThread& worker = StartWorker();
    EXPECT_EQ(Exchange(worker, "fadestop mpeg").reply, "fadingout");
    ASSERT_TRUE(WaitForCommands(3));
    ASSERT_TRUE(WaitIdle(worker));
    EXPECT_EQ(m_pDevice->Commands(0), kStopAndSilence);
    EXPECT_TRUE(m_pSleeper->Sleeps().empty());
    m_pDevice->ClearLog();
    FadeInFully(worker);
    EXPECT_EQ(Exchange(worker, "fadestop mpeg").reply, "fadingout");
    ASSERT_TRUE(WaitForCommands(13));
    ASSERT_TRUE(WaitIdle(worker));
    EXPECT_EQ(m_pDevice->Commands(0), Join({RampSteps({800, 600, 400, 200, 0}), kStopAndSilence}));
    EXPECT_EQ(m_pSleeper->Sleeps(), std::vector<std::chrono::milliseconds>(10, 50ms));
    EXPECT_TRUE(worker.IsAlive()) << "fadestop keeps the worker";
    EXPECT_EQ(worker.GetLevel(), 1000) << "a fade-out never lowers the level";
}

TEST_F(FaderThreadTest, FadeOutAfterAFadeInLeftEarlyOnlyAppliesTheStepsBelowItsLevel) {
    CMCIThread& worker = StartWorker();
    m_pSleeper->Close();
    EXPECT_EQ(Exchange(worker, "fadein mpeg").reply, "fadingin");
    ASSERT_TRUE(m_pSleeper->WaitForSleeps(1, 3000ms)); // after the step to 200
    Start(worker, "fadestop mpeg");
    m_pSleeper->Open(); // the step to 400 sees the command and leaves the ramp
    EXPECT_EQ(Finish(worker).reply, "fadingout");
    ASSERT_TRUE(WaitForCommands(11));
    ASSERT_TRUE(WaitIdle(worker));
    EXPECT_EQ(worker.GetLevel(), 400);
    EXPECT_EQ(m_pDevice->Commands(0),
              Join({RampSteps({200, 400}), RampSteps({200, 0}), kStopAndSilence}));
}

TEST_F(FaderThreadTest, StepPeriodFollowsTheMixSpeed) {
    // Speeds outside 1 to 20 are held to it.
    for (const auto& [speed, period] :
         {std::pair{1, 1000ms}, {10, 550ms}, {20, 50ms}, {0, 1000ms}, {35, 50ms}}) {
        EXPECT_EQ(CMCIThread::StepPeriod(speed), period) << speed;
    }
    CMCIThread& worker = StartWorker();
    EXPECT_EQ(Exchange(worker, "fadein mpeg", 10, kQuick).reply, "fadingin");
    ASSERT_TRUE(WaitForCommands(6));
    ASSERT_TRUE(WaitIdle(worker));
    EXPECT_EQ(m_pSleeper->Sleeps(), (std::vector<std::chrono::milliseconds>{550ms, 550ms}));
}

// ---- commands and messages inside a ramp -------------------------------------------

TEST_F(FaderThreadTest, ARampServesACommandBetweenTwoSteps) {
    m_pDevice->SetReply("status mpeg position wait", "1234");
    CMCIThread& worker = StartWorker();
    m_pSleeper->Close();
    EXPECT_EQ(Exchange(worker, "fadein mpeg").reply, "fadingin");
    ASSERT_TRUE(m_pSleeper->WaitForSleeps(1, 3000ms)); // held after the step to 200
    EXPECT_TRUE(worker.IsBusy());

    Start(worker, "status mpeg position wait");
    m_pSleeper->Release(1); // the step to 400, then the command
    EXPECT_EQ(Finish(worker), (Exchanged{true, "1234", 0}));
    ASSERT_TRUE(m_pSleeper->WaitForSleeps(2, 3000ms));
    EXPECT_EQ(m_pDevice->Commands(0), Join({RampSteps({200, 400}), {"status mpeg position wait"}}));
    EXPECT_TRUE(worker.IsBusy()) << "the ramp goes on after the command";
    m_pSleeper->Open();
    ASSERT_TRUE(WaitIdle(worker));
    EXPECT_EQ(worker.GetLevel(), 1000);
}

TEST_F(FaderThreadTest, AQuitMessageDuringARampStopsAndFreesTheDevice) {
    for (const bool fadeOut : {false, true}) {
        SCOPED_TRACE(fadeOut ? "fade-out" : "fade-in");
        m_pDevice->ClearLog();
        const int context = m_pDevice->ContextsMade();
        CMCIThread& worker = StartWorker();
        if (fadeOut) {
            FadeInFully(worker);
        }
        const std::size_t sleeps = m_pSleeper->Sleeps().size();
        m_pSleeper->Close();
        EXPECT_EQ(Exchange(worker, fadeOut ? "fadestop mpeg" : "fadein mpeg").reply,
                  fadeOut ? "fadingout" : "fadingin");
        ASSERT_TRUE(m_pSleeper->WaitForSleeps(sleeps + 1, 3000ms));
        ASSERT_TRUE(worker.PostQuit());
        m_pSleeper->Release(1);
        ASSERT_TRUE(worker.WaitEnded(3000ms));
        EXPECT_EQ(m_pDevice->Commands(context),
                  Join({fadeOut ? RampSteps({800}) : RampSteps({200, 400}), kStopClose}));
        EXPECT_EQ(m_pDevice->ContextsAlive(), 0);
        m_pSleeper->Open();
    }
}

// A kill fades out, then closes the device and ends the worker; one arriving during a
// fade stop closes at the end of it.
TEST_F(FaderThreadTest, FadeKillClosesTheDeviceAndEndsTheWorker) {
    for (const bool duringStop : {false, true}) {
        m_pDevice->ClearLog();
        const int context = m_pDevice->ContextsMade();
        CMCIThread& worker = StartWorker();
        FadeInFully(worker);
        if (duringStop) {
            const std::size_t sleeps = m_pSleeper->Sleeps().size();
            m_pSleeper->Close();
            EXPECT_EQ(Exchange(worker, "fadestop mpeg").reply, "fadingout");
            ASSERT_TRUE(m_pSleeper->WaitForSleeps(sleeps + 1, 3000ms));
            Start(worker, "fadekill mpeg");
            m_pSleeper->Open();
            EXPECT_EQ(Finish(worker).reply, "fadingout");
        } else {
            EXPECT_EQ(Exchange(worker, "fadekill mpeg", 20, kQuick).reply, "fadingout");
        }
        ASSERT_TRUE(worker.WaitEnded(3000ms));
        EXPECT_FALSE(worker.IsAlive() || worker.BeginExchange()) << "an ended worker";
        EXPECT_EQ(m_pDevice->Commands(context),
                  Join({duringStop ? RampSteps({800, 600, 400, 200, 0}) : RampSteps({500, 0}),
                        kStopAndSilence, kCloseTwice}));
        EXPECT_EQ(m_pDevice->ContextsAlive(), 0);
    }
}

// A fade-out that arrives between the ramp's look at the queue and its taking a message
// out must still end the fade-in and fade the song out, never reach the device as a
// plain command. The stop is sent at many points of a fast ramp to meet that moment.
TEST_F(FaderThreadTest, AFadeStopArrivingAnywhereInAFadeInEndsItAndFadesOut) {
    std::vector<std::int32_t> climb;
    for (int level = 1; level <= 1000; ++level) {
        climb.push_back(level);
    }
    m_pMixTypes->SetMixTypes({MixType{"Climb", climb, {0}}});
    m_environment.pSleeper = std::make_shared<TestSleeper>(1'000'000);
    CMCIThread& worker = StartWorker();
    for (int round = 0; round < 200; ++round) {
        m_pDevice->ClearLog();
        ASSERT_EQ(Exchange(worker, "fadein mpeg", 20, 0).reply, "fadingin");
        ASSERT_TRUE(WaitForCommands(static_cast<std::size_t>(2 + round % 40)));
        ASSERT_EQ(Exchange(worker, "fadestop mpeg", 20, 0).reply, "fadingout");
        ASSERT_TRUE(WaitIdle(worker));
        const auto commands = m_pDevice->Commands(0);
        ASSERT_EQ(std::count(commands.begin(), commands.end(), "fadestop mpeg"), 0)
            << "round " << round;
        ASSERT_GE(commands.size(), kStopAndSilence.size());
        ASSERT_EQ(Texts(commands.end() - 3, commands.end()), kStopAndSilence) << "round " << round;
    }
}
