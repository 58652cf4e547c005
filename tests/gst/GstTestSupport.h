#pragma once

#include "platform/gst/CGstMciContextFactory.h"
#include "platform/mci/MciContext.h"
#include "platform/mci/MciErrors.h"
#include "playback/CMCIPlayer.h"
#include "settings/CMixTypeList.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

// Asks until the condition holds or the time is up; true when it held.
inline bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit,
                    std::chrono::milliseconds period = 10ms) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        std::this_thread::sleep_for(period);
    }
    return true;
}

// Songs made with sox, lame and ffmpeg in a folder of their own, once per test program.
class MadeMedia {
public:
    explicit MadeMedia(const std::string& commands) {
        using TestFiles::HaveTool;
        m_bReady =
            HaveTool("sox") && HaveTool("lame") && HaveTool("ffmpeg") &&
            TestFiles::Run("cd " + TestFiles::ShellQuote(m_dir.Path()) + " && " + commands) == 0;
    }
    bool Ready() const { return m_bReady; }
    std::string Path(const std::string& name) const { return m_dir.File(name); }

private:
    TempDir m_dir;
    bool m_bReady = false;
};

// 3 s of 440 Hz as WAV, CBR mp3, MP2, VBR mp3 with and without the Xing frame, and 4 s
// of it as WAV and mp3 for the transport tests.
inline const MadeMedia& GstTestMedia() {
    static const MadeMedia media(
        "sox -n -r 44100 -c 2 tone.wav synth 3 sine 440 vol 0.5 && "
        "sox -n -r 44100 -c 2 long.wav synth 4 sine 440 vol 0.5 && "
        "sox -n -r 44100 -c 2 sine.wav synth 1.5 sine 440 vol 0.5 && "
        "sox -n -r 44100 -c 2 noise.wav synth 1.5 pinknoise vol 0.5 && "
        "sox sine.wav noise.wav mixed.wav && "
        "lame --quiet -b 128 tone.wav cbr.mp3 && lame --quiet -b 128 long.wav long.mp3 && "
        "lame --quiet -V 4 -t mixed.wav vbr-no-xing.mp3 && "
        "lame --quiet -V 4 mixed.wav vbr-xing.mp3 && "
        "ffmpeg -nostdin -loglevel error -y -i tone.wav -c:a mp2 -b:a 192k tone.mp2");
    return media;
}

// Unplayable files made in dir and the error their open answers.
struct SBadInput {
    std::string path;
    std::uint32_t nError;
};
inline std::vector<SBadInput> MakeBadInputs(const TempDir& dir) {
    std::ofstream(dir.File("notes.mp3")) << "These are words, not music.\n";
    WriteAll(dir.File("empty.mp3"), {});
    auto head = ReadAll(GstTestMedia().Path("cbr.mp3"));
    head.resize(300); // inside the first frame
    WriteAll(dir.File("truncated.mp3"), head);
    std::filesystem::create_directory(dir.File("album.mp3"));
    return {{dir.File("missing.mp3"), MciError::kFileNotFound},
            {dir.File("notes.mp3"), MciError::kInvalidFile},
            {dir.File("empty.mp3"), MciError::kInvalidFile},
            {dir.File("truncated.mp3"), MciError::kInvalidFile},
            {dir.File("album.mp3"), MciError::kInvalidFile}};
}

// What a media-control player needs to mix with the linear fade.
inline PlaybackEnvironment MixingEnvironment(std::shared_ptr<IMciContextFactory> factory) {
    auto mixTypes = std::make_shared<CMixTypeList>();
    mixTypes->SetMixTypes({CMixTypeList::GetLinearFade()});
    PlaybackEnvironment environment;
    environment.pFactory = std::move(factory);
    environment.pMixTypes = mixTypes;
    return environment;
}
inline void ConfigureMix(CMCIPlayer& player, bool bMix, std::int32_t nSeconds) {
    player.SetMixEnabled(bMix);
    player.SetMixSeconds(nSeconds);
    player.SetMixSpeed(20); // 50 ms steps
    player.SetMixType(0);
}

// Polls the player as the loop driver does and starts the next song when it says the
// playing one is within its mix; false when that did not come within limit.
inline bool StartWhenWithinMix(CMCIPlayer& player, const std::string& next,
                               std::chrono::milliseconds limit) {
    const bool turned =
        WaitFor([&] { return player.GetMode(false) == CPlayer::kModeStopped; }, limit, 100ms);
    return turned && player.Play(next);
}

// The real GStreamer device with the program's own mix types after the plain linear fade
// (index 1 "Equal power", 2 "Radio (next at full volume)"), whatever mix.ini holds.
inline PlaybackEnvironment BuiltInMixEnvironment() {
    PlaybackEnvironment environment = MixingEnvironment(std::make_shared<CGstMciContextFactory>());
    std::vector<MixType> types = {CMixTypeList::GetLinearFade()};
    for (MixType& type : CMixTypeList::GetBuiltInMixTypes()) {
        types.push_back(std::move(type));
    }
    environment.pMixTypes->SetMixTypes(types);
    return environment;
}

// A GStreamer context playing into a sink that keeps real time without a sound card.
class GstContextFixture : public ::testing::Test {
protected:
    void SetUp() override {
        if (!GstTestMedia().Ready()) {
            GTEST_SKIP() << "sox, lame or ffmpeg missing";
        }
        ::setenv("MIXOREL_AUDIO_SINK", "fakesink sync=true", 1);
        m_pContext = m_factory.CreateContext();
    }

    static std::string Media(const std::string& name) { return GstTestMedia().Path(name); }

    std::uint32_t Send(std::string_view command) {
        return m_pContext->SendString(command, m_strReply);
    }
    std::string Ask(std::string_view command) {
        const std::uint32_t error = Send(command);
        EXPECT_EQ(error, 0u) << command;
        return m_strReply;
    }
    std::int64_t AskNumber(std::string_view command) {
        const std::string reply = Ask(command);
        return reply.empty() ? -1 : std::stoll(reply);
    }
    std::uint32_t Open(const std::string& path) {
        return Send("open \"" + path + "\" alias mpeg wait");
    }
    bool StopsWithin(std::chrono::milliseconds limit) {
        return WaitFor([&] { return Ask("status mpeg mode") == "stopped"; }, limit);
    }

    // Descriptors of this process open on the file (0 once a device let go of it), or all.
    static int OpenDescriptors(const std::string& path = {}) {
        int count = 0;
        std::error_code error;
        const auto target = std::filesystem::weakly_canonical(path, error);
        for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", error)) {
            std::error_code linkError;
            const auto link = std::filesystem::read_symlink(entry.path(), linkError);
            count += path.empty() || (!linkError && link == target);
        }
        return count;
    }

    TempDir m_dir;
    CGstMciContextFactory m_factory;
    std::unique_ptr<IMciContext> m_pContext;
    std::string m_strReply;
};
