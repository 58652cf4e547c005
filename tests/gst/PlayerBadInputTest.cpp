// Unplayable input through the media-control player on the GStreamer back end. The open
// gives the caller a media-control error quickly (well inside the 10000 ms exchange
// limit), nothing hangs, the player reports that nothing plays, and a good file plays
// afterwards, with mixing off and on.
#include "GstTestSupport.h"

#include <mutex>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;

// A start of an unplayable file must answer within this.
constexpr auto kStartLimit = 5000ms;
// With mixing the fade-in ramp on the failed device runs 20 x 50 ms, during which the
// worker counts as playing; after that the player must report stopped.
constexpr auto kSettleLimit = 4000ms;

// The open commands of every context and the error codes they got. The fader workers
// call the recording context from their own threads.
struct SOpenLog {
    std::mutex mutex;
    std::vector<std::pair<std::string, std::uint32_t>> opens;

    // The error the device answered to the open of path (0 when none was sent); forgets all.
    std::uint32_t Take(const std::string& path) {
        std::lock_guard lock(mutex);
        std::uint32_t error = 0;
        for (auto it = opens.rbegin(); it != opens.rend(); ++it) {
            error = it->first.starts_with("open \"" + path + "\"") ? it->second : error;
        }
        opens.clear();
        return error;
    }
};

class CRecordingContext final : public IMciContext {
public:
    CRecordingContext(std::unique_ptr<IMciContext> inner, std::shared_ptr<SOpenLog> log)
        : m_pInner(std::move(inner)), m_pLog(std::move(log)) {}
    std::uint32_t SendString(std::string_view command, std::string& reply) override {
        const std::uint32_t error = m_pInner->SendString(command, reply);
        if (command.starts_with("open")) {
            std::lock_guard lock(m_pLog->mutex);
            m_pLog->opens.emplace_back(command, error);
        }
        return error;
    }

private:
    std::unique_ptr<IMciContext> m_pInner;
    std::shared_ptr<SOpenLog> m_pLog;
};

class CRecordingFactory final : public IMciContextFactory {
public:
    explicit CRecordingFactory(std::shared_ptr<SOpenLog> log) : m_pLog(std::move(log)) {}
    std::unique_ptr<IMciContext> CreateContext() override {
        auto inner = m_gst.CreateContext();
        return inner ? std::make_unique<CRecordingContext>(std::move(inner), m_pLog) : nullptr;
    }

private:
    CGstMciContextFactory m_gst;
    std::shared_ptr<SOpenLog> m_pLog;
};

class PlayerBadInputTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        if (!GstTestMedia().Ready()) {
            GTEST_SKIP() << "sox, lame or ffmpeg missing";
        }
        ::setenv("MIXOREL_AUDIO_SINK", "fakesink sync=true", 1);
        m_badInputs = MakeBadInputs(m_dir);
        m_player = std::make_unique<CMCIPlayer>(
            MixingEnvironment(std::make_shared<CRecordingFactory>(m_pLog)));
    }
    bool ComesToRest() {
        return WaitFor([&] { return !m_player->IsActive(true); }, kSettleLimit, 20ms);
    }

    TempDir m_dir;
    const std::string m_strGood = GstTestMedia().Path("long.mp3");
    std::vector<SBadInput> m_badInputs;
    std::shared_ptr<SOpenLog> m_pLog = std::make_shared<SOpenLog>();
    std::unique_ptr<CMCIPlayer> m_player;
};

// Starts each unplayable input, then the good file, on one player: plain, then mixed.
TEST_P(PlayerBadInputTest, StartsGiveAnErrorAndTheNextGoodFilePlays) {
    const bool bMix = GetParam();
    ConfigureMix(*m_player, bMix, 2);
    ASSERT_TRUE(m_player->Connect(-1, true));
    for (const SBadInput& input : m_badInputs) {
        SCOPED_TRACE(input.path);
        m_pLog->Take(input.path);
        const auto start = Clock::now();
        m_player->Play(input.path); // answers true by design; the error is in the exchange
        EXPECT_LT(Clock::now() - start, kStartLimit) << (bMix ? "mixed" : "plain");
        EXPECT_EQ(m_pLog->Take(input.path), input.nError);
        EXPECT_TRUE(ComesToRest()) << "the player still reports a song";
        EXPECT_EQ(m_player->GetMode(true), CPlayer::kModeStopped);

        // The caller of the exchange sees the media-control error, also quickly.
        std::string reply;
        const auto askStart = Clock::now();
        EXPECT_FALSE(m_player->SendCommand("open \"" + input.path + "\" alias mpeg wait", reply));
        EXPECT_LT(Clock::now() - askStart, kStartLimit);
        EXPECT_EQ(m_pLog->Take(input.path), input.nError);
    }

    ASSERT_TRUE(m_player->Play(m_strGood));
    EXPECT_TRUE(WaitFor(
        [&] {
            std::string reply;
            return m_player->GetMode(true) == CPlayer::kModePlaying &&
                   m_player->SendCommand("status mpeg position", reply) &&
                   std::atoll(reply.c_str()) > 300;
        },
        kSettleLimit, 20ms))
        << "the good file does not play after the bad ones";
    if (bMix) {
        // Mixed starts of bad files over a playing song: each answers in time and the player
        // comes to rest instead of hanging on the failed worker.
        for (const SBadInput& input : m_badInputs) {
            SCOPED_TRACE(input.path);
            const auto start = Clock::now();
            m_player->Play(input.path);
            EXPECT_LT(Clock::now() - start, kStartLimit);
            EXPECT_TRUE(ComesToRest());
        }
        ASSERT_TRUE(m_player->Play(m_strGood));
        EXPECT_TRUE(WaitFor([&] { return m_player->GetMode(true) == CPlayer::kModePlaying; },
                            3000ms, 20ms));
    }
    m_player->Stop();
    EXPECT_TRUE(ComesToRest());
}

INSTANTIATE_TEST_SUITE_P(Mixing, PlayerBadInputTest, ::testing::Values(false, true),
                         [](const auto& test) { return test.param ? "Mixed" : "Plain"; });

} // namespace
