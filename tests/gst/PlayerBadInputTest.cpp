// Unplayable input through the media-control player on the GStreamer back end: a missing
// file, a text file named .mp3, the first 300 bytes of an mp3 and a folder. The open gives
// the caller a media-control error quickly (well inside the 10000 ms exchange limit),
// nothing crashes or hangs, the player reports that nothing plays, and a good file plays
// afterwards, with mixing off and on.
//
// Threads: the test thread drives the player; the fader workers call the recording
// context below from their own threads, so its log is guarded by a mutex.
#include "platform/gst/CGstMciContextFactory.h"
#include "platform/mci/MciContext.h"
#include "platform/mci/MciErrors.h"
#include "playback/CMCIPlayer.h"
#include "settings/CMixTypeList.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A start of an unplayable file must answer within this; the exchange limit is 10000 ms.
constexpr auto kStartLimit = 5000ms;
// With mixing the fade-in ramp on the failed device runs 20 x 50 ms (speed 20), during
// which the worker counts as playing; after that the player must report stopped.
constexpr auto kSettleLimit = 4000ms;

// One command a worker sent to its device and the error code it got back.
struct SSent {
    std::string command;
    std::uint32_t nError = 0;
};

// Shared by all the contexts of one factory.
class CSentLog {
public:
    void Add(std::string_view command, std::uint32_t error) {
        std::lock_guard lock(m_mutex);
        m_sent.push_back({std::string(command), error});
    }
    std::vector<SSent> Take() {
        std::lock_guard lock(m_mutex);
        return std::exchange(m_sent, {});
    }

private:
    std::mutex m_mutex;
    std::vector<SSent> m_sent;
};

// Passes every command on to a GStreamer context and notes the error code it answered.
class CRecordingContext final : public IMciContext {
public:
    CRecordingContext(std::unique_ptr<IMciContext> inner, std::shared_ptr<CSentLog> log)
        : m_pInner(std::move(inner)), m_pLog(std::move(log)) {}
    std::uint32_t SendString(std::string_view command, std::string& reply) override {
        const std::uint32_t error = m_pInner->SendString(command, reply);
        m_pLog->Add(command, error);
        return error;
    }

private:
    std::unique_ptr<IMciContext> m_pInner;
    std::shared_ptr<CSentLog> m_pLog;
};

class CRecordingFactory final : public IMciContextFactory {
public:
    explicit CRecordingFactory(std::shared_ptr<CSentLog> log) : m_pLog(std::move(log)) {}
    std::unique_ptr<IMciContext> CreateContext() override {
        std::unique_ptr<IMciContext> inner = m_gst.CreateContext();
        if (!inner) {
            return nullptr;
        }
        return std::make_unique<CRecordingContext>(std::move(inner), m_pLog);
    }

private:
    CGstMciContextFactory m_gst;
    std::shared_ptr<CSentLog> m_pLog;
};

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (!condition()) {
        if (Clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

class PlayerBadInputTest : public ::testing::Test {
protected:
    struct SBadInput {
        std::string path;
        std::uint32_t nExpected;
    };

    void SetUp() override {
        if (!TestFiles::HaveTool("sox") || !TestFiles::HaveTool("lame")) {
            GTEST_SKIP() << "sox or lame missing";
        }
        ::setenv("MIXOREL_AUDIO_SINK", "fakesink sync=true", 1);
        m_strGood = m_dir.File("good.mp3");
        ASSERT_EQ(TestFiles::Run("cd " + TestFiles::ShellQuote(m_dir.Path()) +
                                 " && sox -n -r 44100 -c 2 good.wav synth 4 sine 440 vol 0.5"
                                 " && lame --quiet -b 128 good.wav good.mp3"),
                  0);

        const std::string text = m_dir.File("notes.mp3");
        const std::string words = "These are words, not music.\n";
        WriteAll(text, std::vector<std::uint8_t>(words.begin(), words.end()));
        const std::string truncated = m_dir.File("truncated.mp3");
        std::vector<std::uint8_t> head = ReadAll(m_strGood);
        head.resize(std::min<std::size_t>(head.size(), 300));
        WriteAll(truncated, head);
        const std::string folder = m_dir.File("album.mp3");
        std::filesystem::create_directory(folder);
        m_badInputs = {{m_dir.File("missing.mp3"), MciError::kFileNotFound},
                       {text, MciError::kInvalidFile},
                       {truncated, MciError::kInvalidFile},
                       {folder, MciError::kInvalidFile}};

        auto mixTypes = std::make_shared<CMixTypeList>();
        mixTypes->SetMixTypes({CMixTypeList::GetLinearFade()});
        m_environment.pFactory = std::make_shared<CRecordingFactory>(m_pLog);
        m_environment.pMixTypes = mixTypes;
    }

    static void Configure(CMCIPlayer& player, bool bMix) {
        player.SetMixEnabled(bMix);
        player.SetMixSeconds(2);
        player.SetMixSpeed(20);
        player.SetMixType(0);
    }

    // The error the device answered to the open of path (0 when none was sent).
    std::uint32_t OpenError(const std::vector<SSent>& sent, const std::string& path) const {
        for (const SSent& entry : sent) {
            if (entry.command.starts_with("open \"" + path + "\"")) {
                return entry.nError;
            }
        }
        return 0;
    }

    // Starts each unplayable input, then the good file, on one player.
    void PlayBadThenGood(bool bMix) {
        CMCIPlayer player(m_environment);
        Configure(player, bMix);
        ASSERT_TRUE(player.Connect(-1, true));
        for (const SBadInput& input : m_badInputs) {
            SCOPED_TRACE(input.path);
            m_pLog->Take();
            const auto start = Clock::now();
            player.Play(input.path); // answers true by design; the error is in the exchange
            const auto took = Clock::now() - start;
            EXPECT_LT(took, kStartLimit);
            std::printf("%s start of %s answered in %lld ms\n", bMix ? "mixed" : "plain",
                        std::filesystem::path(input.path).filename().c_str(),
                        static_cast<long long>(
                            std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));
            EXPECT_EQ(OpenError(m_pLog->Take(), input.path), input.nExpected);
            EXPECT_TRUE(WaitUntil([&] { return !player.IsActive(true); }, kSettleLimit))
                << "the player still reports a song";
            EXPECT_EQ(player.GetMode(true), CPlayer::kModeStopped);

            // The caller of the exchange sees the media-control error, also quickly.
            std::string reply;
            const auto askStart = Clock::now();
            EXPECT_FALSE(
                player.SendCommand("open \"" + input.path + "\" alias mpeg wait", reply, nullptr));
            EXPECT_LT(Clock::now() - askStart, kStartLimit);
            EXPECT_EQ(OpenError(m_pLog->Take(), input.path), input.nExpected);
        }

        ASSERT_TRUE(player.Play(m_strGood));
        EXPECT_TRUE(WaitUntil(
            [&] {
                std::string reply;
                return player.GetMode(true) == CPlayer::kModePlaying &&
                       player.SendCommand("status mpeg position", reply) &&
                       std::atoll(reply.c_str()) > 300;
            },
            kSettleLimit))
            << "the good file does not play after the bad ones";
        player.Stop();
        EXPECT_TRUE(WaitUntil([&] { return !player.IsActive(true); }, kSettleLimit));
    }

    TempDir m_dir;
    std::string m_strGood;
    std::vector<SBadInput> m_badInputs;
    std::shared_ptr<CSentLog> m_pLog = std::make_shared<CSentLog>();
    PlaybackEnvironment m_environment;
};

TEST_F(PlayerBadInputTest, PlainStartsGiveAnErrorAndTheNextGoodFilePlays) {
    PlayBadThenGood(false);
}

TEST_F(PlayerBadInputTest, MixedStartsGiveAnErrorAndTheNextGoodFilePlays) {
    PlayBadThenGood(true);
}

// A bad file started while a good one plays with mixing on: the start answers in time and
// the player comes to rest instead of hanging on the failed worker.
TEST_F(PlayerBadInputTest, MixedStartOverAPlayingSongComesToRest) {
    CMCIPlayer player(m_environment);
    Configure(player, true);
    ASSERT_TRUE(player.Play(m_strGood));
    ASSERT_TRUE(WaitUntil([&] { return player.GetMode(true) == CPlayer::kModePlaying; }, 3000ms));
    for (const SBadInput& input : m_badInputs) {
        SCOPED_TRACE(input.path);
        const auto start = Clock::now();
        player.Play(input.path);
        EXPECT_LT(Clock::now() - start, kStartLimit);
        EXPECT_TRUE(WaitUntil([&] { return !player.IsActive(true); }, kSettleLimit));
    }
    ASSERT_TRUE(player.Play(m_strGood));
    EXPECT_TRUE(WaitUntil([&] { return player.GetMode(true) == CPlayer::kModePlaying; }, 3000ms));
}

} // namespace
