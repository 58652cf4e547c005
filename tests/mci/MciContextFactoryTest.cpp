// Threads: one test runs four threads, each making and using its own contexts on one
// shared simulated host; the main thread joins them before it checks the host.

#include "MciTestSupport.h"

#include "platform/mci/MciErrors.h"

#include <atomic>
#include <thread>

namespace {

TEST(MciErrorStringTest, KnownCodesHaveTheirTexts) {
    EXPECT_EQ(GetMciErrorString(MciError::kDeviceNotOpen),
              "The specified device is not open or is not recognized by MCI.");
    EXPECT_EQ(
        GetMciErrorString(MciError::kDuplicateAlias).rfind("The specified alias is already", 0),
        0u);
    EXPECT_EQ(GetMciErrorString(MciError::kFileNotFound).rfind("Cannot find the specified file", 0),
              0u);
    for (std::uint32_t code : {MciError::kUnrecognizedCommand, MciError::kDriverError,
                               MciError::kInvalidFile, MciError::kOutOfRange}) {
        EXPECT_FALSE(GetMciErrorString(code).empty()) << code;
        EXPECT_EQ(GetMciErrorString(code).find("Unknown"), std::string::npos) << code;
    }
    EXPECT_NE(GetMciErrorString(12345).find("12345"), std::string::npos);
}

// The process-wide factory: simulated until a program sets its own.
TEST(MciContextFactoryTest, DefaultIsSimulatedAndCanBeReplaced) {
    std::string reply;
    auto context = GetMciContextFactory().CreateContext();
    ASSERT_NE(context, nullptr);
    EXPECT_EQ(context->SendString("new alias mpeg type mpegvideo", reply), 0u);
    EXPECT_EQ(context->SendString("status mpeg mode", reply), MciError::kDeviceNotOpen);

    auto host = std::make_shared<CSimulatedDeviceHost>(std::make_shared<CManualMciClock>());
    host->AddFile("/music/a.mp3", 1000);
    IMciContextFactory& before = GetMciContextFactory();
    SetMciContextFactory(std::make_shared<CSimulatedMciContextFactory>(host));
    auto mine = GetMciContextFactory().CreateContext();
    EXPECT_EQ(mine->SendString("open \"/music/a.mp3\" alias mpeg wait", reply), 0u);
    EXPECT_EQ(host->Commands().size(), 1u);
    // A reference taken before the change stays usable.
    EXPECT_NE(before.CreateContext(), nullptr);
    SetMciContextFactory(nullptr);
    EXPECT_NE(GetMciContextFactory().CreateContext(), nullptr);
}

// Each fader worker owns its context on its own thread; one host serves them all.
TEST(MciContextFactoryTest, ContextsOnSeveralThreads) {
    auto host = std::make_shared<CSimulatedDeviceHost>(std::make_shared<CManualMciClock>());
    host->AddFile("/music/a.mp3", 1000);
    CSimulatedMciContextFactory factory(host);
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 50; ++i) {
                auto context = factory.CreateContext();
                std::string reply;
                failures +=
                    context->SendString("open \"/music/a.mp3\" alias mpeg wait", reply) != 0;
                failures += context->SendString("play mpeg from 0 notify", reply) != 0;
                failures += context->SendString("setaudio mpeg left volume to 500", reply) != 0;
                failures += context->SendString("status mpeg mode", reply) != 0;
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(host->OpenDevices(), 0);
    EXPECT_EQ(host->Commands().size(), 800u);
}

} // namespace
