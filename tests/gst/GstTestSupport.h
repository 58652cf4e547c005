#pragma once

#include "platform/gst/CGstMciContextFactory.h"
#include "platform/mci/MciContext.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <unistd.h>

// Songs made once per test program with sox, lame and ffmpeg: 3 s of 440 Hz as WAV, CBR
// mp3, MP2, VBR mp3 with and without the Xing frame, and a 4 s mp3 for transport tests.
class GstTestMedia {
public:
    static const GstTestMedia& Get() {
        static GstTestMedia media;
        return media;
    }
    bool Ready() const { return m_bReady; }
    std::string Path(const std::string& name) const { return m_dir.File(name); }

private:
    GstTestMedia() {
        using TestFiles::HaveTool;
        if (!HaveTool("sox") || !HaveTool("lame") || !HaveTool("ffmpeg")) {
            return;
        }
        const std::string dir = TestFiles::ShellQuote(m_dir.Path());
        const std::string commands =
            "cd " + dir + " && " +
            "sox -n -r 44100 -c 2 tone.wav synth 3 sine 440 vol 0.5 && "
            "sox -n -r 44100 -c 2 long.wav synth 4 sine 440 vol 0.5 && "
            "sox -n -r 44100 -c 2 sine.wav synth 1.5 sine 440 vol 0.5 && "
            "sox -n -r 44100 -c 2 noise.wav synth 1.5 pinknoise vol 0.5 && "
            "sox sine.wav noise.wav mixed.wav && "
            "lame --quiet -b 128 tone.wav cbr.mp3 && lame --quiet -b 128 long.wav long.mp3 && "
            "lame --quiet -V 4 -t mixed.wav vbr-no-xing.mp3 && "
            "lame --quiet -V 4 mixed.wav vbr-xing.mp3 && "
            "ffmpeg -nostdin -loglevel error -y -i tone.wav -c:a mp2 -b:a 192k tone.mp2";
        m_bReady = TestFiles::Run(commands) == 0;
    }

    TempDir m_dir;
    bool m_bReady = false;
};

// A GStreamer context playing into a sink that keeps real time without a sound card.
class GstContextFixture : public ::testing::Test {
protected:
    static constexpr const char* kRealTimeSink = "fakesink sync=true";

    void SetUp() override {
        if (!GstTestMedia::Get().Ready()) {
            GTEST_SKIP() << "sox, lame or ffmpeg missing";
        }
        ::setenv("MIXOREL_AUDIO_SINK", kRealTimeSink, 1);
        m_pContext = m_factory.CreateContext();
    }

    static std::string Media(const std::string& name) { return GstTestMedia::Get().Path(name); }

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

    // Asks until the condition holds or the time is up; true when it held.
    static bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            if (condition()) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return condition();
    }

    // Descriptors of this process open on the file: 0 once a device let go of it.
    static int OpenDescriptors(const std::string& path) {
        int count = 0;
        std::error_code error;
        const auto target = std::filesystem::weakly_canonical(path, error);
        for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", error)) {
            std::error_code linkError;
            const auto link = std::filesystem::read_symlink(entry.path(), linkError);
            count += !linkError && link == target;
        }
        return count;
    }

    CGstMciContextFactory m_factory;
    std::unique_ptr<IMciContext> m_pContext;
    std::string m_strReply;
};
