#pragma once

#include "platform/mci/CManualMciClock.h"
#include "platform/mci/CSimulatedDeviceHost.h"
#include "platform/mci/CSimulatedMciContextFactory.h"
#include "platform/mci/MciContext.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// A context on simulated devices whose clock the test moves by hand.
class MciContextFixture : public ::testing::Test {
protected:
    std::uint32_t Send(std::string_view command) {
        return m_pContext->SendString(command, m_strReply);
    }
    // Sends a command that must succeed and answers its reply.
    std::string Ask(std::string_view command) {
        const std::uint32_t error = Send(command);
        EXPECT_EQ(error, 0u) << command;
        return m_strReply;
    }
    void Advance(std::int64_t ms) { m_pClock->Advance(ms); }

    // n frames of MPEG-1 Layer III, 128 kbit/s, 44.1 kHz: 417 bytes, 26.1 ms each; the
    // frame reader estimates 417 x n x 8 / 128 ms.
    std::string WriteMp3(const std::string& name, int frames) {
        const std::string path = m_dir.File(name);
        WriteAll(path, TestFiles::Frames(TestFiles::kMpeg1, TestFiles::kLayer3, 9, 0, 0, frames));
        return path;
    }
    static std::int64_t EstimateOf(int frames) { return 417LL * frames * 8 / 128; }

    TempDir m_dir;
    std::shared_ptr<CManualMciClock> m_pClock = std::make_shared<CManualMciClock>(10'000);
    std::shared_ptr<CSimulatedDeviceHost> m_pHost =
        std::make_shared<CSimulatedDeviceHost>(m_pClock);
    CSimulatedMciContextFactory m_factory{m_pHost};
    std::unique_ptr<IMciContext> m_pContext = m_factory.CreateContext();
    std::string m_strReply;
};
