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

// GStreamer contexts that note the error code every open answers. The fader workers use
// theirs from their own threads.
class CRecordingFactory final : public IMciContextFactory {
public:
    std::unique_ptr<IMciContext> CreateContext() override {
        auto inner = m_gst.CreateContext();
        return inner ? std::make_unique<Context>(std::move(inner), *this) : nullptr;
    }
    // The error the first open of path answered (0 when none was sent); forgets all opens.
    std::uint32_t Take(const std::string& path) {
        std::lock_guard lock(m_mutex);
        std::uint32_t error = 0;
        for (auto it = m_opens.rbegin(); it != m_opens.rend(); ++it) {
            error = it->first.starts_with("open \"" + path + "\"") ? it->second : error;
        }
        m_opens.clear();
        return error;
    }

private:
    struct Context final : IMciContext {
        Context(std::unique_ptr<IMciContext> inner, CRecordingFactory& owner)
            : m_pInner(std::move(inner)), m_owner(owner) {}
        std::uint32_t SendString(std::string_view command, std::string& reply) override {
            const std::uint32_t error = m_pInner->SendString(command, reply);
            if (command.starts_with("open")) {
                std::lock_guard lock(m_owner.m_mutex);
                m_owner.m_opens.emplace_back(command, error);
            }
            return error;
        }
        std::unique_ptr<IMciContext> m_pInner;
        CRecordingFactory& m_owner;
    };

    CGstMciContextFactory m_gst;
    std::mutex m_mutex;
    std::vector<std::pair<std::string, std::uint32_t>> m_opens;
};

class PlayerBadInputTest : public ::testing::TestWithParam<bool> {};

// Starts each unplayable input, then the good file, on one player: plain, then mixed.
TEST_P(PlayerBadInputTest, StartsGiveAnErrorAndTheNextGoodFilePlays) {
    if (!GstTestMedia().Ready()) {
        GTEST_SKIP() << "sox, lame or ffmpeg missing";
    }
    ::setenv("MIXOREL_AUDIO_SINK", "fakesink sync=true", 1);
    TempDir dir;
    const std::vector<SBadInput> badInputs = MakeBadInputs(dir);
    const std::string good = GstTestMedia().Path("long.mp3");
    const auto log = std::make_shared<CRecordingFactory>(); // outlives the player's contexts
    CMCIPlayer player(MixingEnvironment(log));
    const auto comesToRest = [&] {
        return WaitFor([&] { return !player.IsActive(true); }, kSettleLimit, 20ms);
    };
    const bool bMix = GetParam();
    ConfigureMix(player, bMix, 2);
    ASSERT_TRUE(player.Connect(-1, true));
    for (const SBadInput& input : badInputs) {
        SCOPED_TRACE(input.path);
        log->Take(input.path);
        const auto start = Clock::now();
        player.Play(input.path); // answers true by design; the error is in the exchange
        EXPECT_LT(Clock::now() - start, kStartLimit) << (bMix ? "mixed" : "plain");
        EXPECT_EQ(log->Take(input.path), input.nError);
        EXPECT_TRUE(comesToRest()) << "the player still reports a song";
        EXPECT_EQ(player.GetMode(true), CPlayer::kModeStopped);

        // The caller of the exchange sees the media-control error, also quickly.
        std::string reply;
        const auto askStart = Clock::now();
        EXPECT_FALSE(player.SendCommand("open \"" + input.path + "\" alias mpeg wait", reply));
        EXPECT_LT(Clock::now() - askStart, kStartLimit);
        EXPECT_EQ(log->Take(input.path), input.nError);
    }

    ASSERT_TRUE(player.Play(good));
    EXPECT_TRUE(WaitFor(
        [&] {
            std::string reply;
            return player.GetMode(true) == CPlayer::kModePlaying &&
                   player.SendCommand("status mpeg position", reply) &&
                   std::atoll(reply.c_str()) > 300;
        },
        kSettleLimit, 20ms))
        << "the good file does not play after the bad ones";
    if (bMix) {
        // Mixed starts of bad files over a playing song: each answers in time and the player
        // comes to rest instead of hanging on the failed worker.
        for (const SBadInput& input : badInputs) {
            SCOPED_TRACE(input.path);
            const auto start = Clock::now();
            player.Play(input.path);
            EXPECT_LT(Clock::now() - start, kStartLimit);
            EXPECT_TRUE(comesToRest());
        }
        ASSERT_TRUE(player.Play(good));
        EXPECT_TRUE(
            WaitFor([&] { return player.GetMode(true) == CPlayer::kModePlaying; }, 3000ms, 20ms));
    }
    player.Stop();
    EXPECT_TRUE(comesToRest());
}

INSTANTIATE_TEST_SUITE_P(Mixing, PlayerBadInputTest, ::testing::Values(false, true),
                         [](const auto& test) { return test.param ? "Mixed" : "Plain"; });

} // namespace
