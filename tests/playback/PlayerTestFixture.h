#pragma once

#include "FakeMciDevice.h"
#include "TestSleeper.h"
#include "playback/CMCIPlayer.h"
#include "playback/CMCIThread.h"
#include "playback/PlaybackEnvironment.h"
#include "settings/CMixTypeList.h"

#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>
#include <initializer_list>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
using Texts = std::vector<std::string>;

// What a worker sends when a fade-out ends, and when it ends itself.
inline const Texts kStopAndSilence = {"stop mpeg wait", "setaudio mpeg left volume to 0 wait",
                                      "setaudio mpeg right volume to 0 wait"};
inline const Texts kStopClose = {"stop mpeg wait", "close mpeg wait"};

// A player over the fake device, with mix types of the test's own and an accelerated
// sleeper. Every test ends with all its workers gone.
class PlayerTestFixture : public ::testing::Test {
protected:
    // Mix type 0 climbs to full volume in five steps and comes down in six; type 1 is a
    // two-step cut.
    static constexpr int kSteps = 0;
    static constexpr int kQuick = 1;

    PlayerTestFixture() {
        m_pMixTypes->SetMixTypes({
            MixType{"Steps", {200, 400, 600, 800, 1000}, {1000, 800, 600, 400, 200, 0}},
            MixType{"Quick", {500, 1000}, {500, 0}},
        });
        m_environment.pFactory = m_pFactory;
        m_environment.pMixTypes = m_pMixTypes;
        m_environment.pSleeper = m_pSleeper;
        m_environment.replyTimeout = 3000ms;
        m_environment.lockTimeout = 10000ms;
    }

    void SetUp() override { m_nLiveBefore = CMCIThread::LiveWorkers(); }

    void TearDown() override {
        m_pSleeper->Open();
        m_pDevice->Unblock();
        m_pPlayer.reset();
        EXPECT_TRUE(WaitForLiveWorkers(m_nLiveBefore, 5000ms)) << "workers left running";
        EXPECT_EQ(m_pDevice->ContextsAlive(), 0) << "a device was not freed";
    }

    CMCIPlayer& Player() {
        if (!m_pPlayer) {
            m_pPlayer = std::make_unique<CMCIPlayer>(m_environment);
            m_pPlayer->SetMixSpeed(20);
            m_pPlayer->SetMixType(kSteps);
        }
        return *m_pPlayer;
    }

    // A player connected to its first worker (context 0), its log cleared.
    CMCIPlayer& ConnectedPlayer() {
        EXPECT_TRUE(Player().Connect(-1, true));
        EXPECT_TRUE(m_pDevice->WaitForCommand(0, "new alias mpeg type mpegvideo", 2000ms));
        m_pDevice->ClearLog();
        return Player();
    }

    // Waits until context nContext has received at least nCount commands.
    bool WaitForCount(int nContext, std::size_t nCount) const {
        return m_pDevice->WaitUntil(
            [&](const std::vector<FakeMciDevice::Entry>& log) {
                return static_cast<std::size_t>(std::count_if(
                           log.begin(), log.end(), [&](const FakeMciDevice::Entry& entry) {
                               return entry.nContext == nContext;
                           })) >= nCount;
            },
            3000ms);
    }

    // Polls condition every millisecond until it holds or timeout has passed.
    template <typename Condition>
    static bool WaitFor(Condition condition, std::chrono::milliseconds timeout = 3000ms) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!condition()) {
            if (std::chrono::steady_clock::now() >= deadline) {
                return condition();
            }
            std::this_thread::sleep_for(1ms);
        }
        return true;
    }
    static bool WaitForLiveWorkers(std::int32_t nCount, std::chrono::milliseconds timeout) {
        return WaitFor([&] { return CMCIThread::LiveWorkers() <= nCount; }, timeout);
    }

    // The two commands of one volume step of a ramp.
    static Texts RampSteps(std::initializer_list<int> levels) {
        Texts commands;
        for (const int level : levels) {
            commands.push_back("setaudio mpeg left volume to " + std::to_string(level) + " wait");
            commands.push_back("setaudio mpeg right volume to " + std::to_string(level) + " wait");
        }
        return commands;
    }

    static Texts Join(std::initializer_list<Texts> parts) {
        Texts all;
        for (const auto& part : parts) {
            all.insert(all.end(), part.begin(), part.end());
        }
        return all;
    }

    std::shared_ptr<FakeMciDevice> m_pDevice = std::make_shared<FakeMciDevice>();
    std::shared_ptr<FakeMciContextFactory> m_pFactory =
        std::make_shared<FakeMciContextFactory>(m_pDevice);
    std::shared_ptr<TestSleeper> m_pSleeper = std::make_shared<TestSleeper>();
    std::shared_ptr<CMixTypeList> m_pMixTypes = std::make_shared<CMixTypeList>();
    PlaybackEnvironment m_environment;
    std::unique_ptr<CMCIPlayer> m_pPlayer;
    std::int32_t m_nLiveBefore = 0;
};
