// `mixorel-cli loop`: a playlist looping on a machine without a display.
//
// Threads: the loop driver and the scheduler run their own threads and start songs
// through the printing link below; the main thread waits for the loop to end or for a
// stop signal, which only counts up an atomic.
#include "cli/LoopCommand.h"

#include "catalogue/CLoopState.h"
#include "catalogue/CMixorel2001Doc.h"
#include "catalogue/CPlaylistFile.h"
#include "cli/GstBackendLoader.h"
#include "cli/LoudnessSetup.h"
#include "cli/SettingsStoreLoader.h"
#include "playback/ApplyPlayerSettings.h"
#include "playback/CMCIPlayer.h"
#include "playback/CPlayListThreadFactory.h"
#include "playback/CPlayLog.h"
#include "playback/CPlayerLink.h"
#include "playback/CScheduleListThread.h"
#include "playback/CSystemLoopClock.h"
#include "settings/CSharedSettings.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <thread>

namespace {

using namespace std::chrono_literals;

constexpr const char* kUsage =
    "usage: mixorel-cli loop [--from N] [--no-mix] [--schedule] [--log FILE] PLAYLIST.qmx\n"
    "  loops the playlist from line N (0-based) with the settings of the program;\n"
    "  Ctrl+C stops the loop and fades the song out.\n";

constexpr auto kPollPeriod = 100ms;
constexpr auto kFadeOutLimit = 30s;
constexpr std::uint32_t kLoopToken = 1;

std::atomic<int> g_nLoopSignals{0};

extern "C" void OnLoopSignal(int) {
    g_nLoopSignals.fetch_add(1);
}

struct LoopOptions {
    int nFrom = 0;
    bool bNoMix = false;
    bool bSchedule = false;
    std::string log;
    std::string playlist;
};

std::optional<LoopOptions> ParseLoopOptions(const std::vector<std::string>& args) {
    LoopOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--no-mix") {
            options.bNoMix = true;
        } else if (arg == "--schedule") {
            options.bSchedule = true;
        } else if (arg == "--log" && i + 1 < args.size()) {
            options.log = args[++i];
        } else if (arg == "--from" && i + 1 < args.size()) {
            char* end = nullptr;
            const long value = std::strtol(args[++i].c_str(), &end, 10);
            if (args[i].empty() || *end != '\0' || value < 0 || value > 0x7FFFFFFF) {
                return std::nullopt;
            }
            options.nFrom = static_cast<int>(value);
        } else if (options.playlist.empty() && !arg.starts_with('-')) {
            options.playlist = arg;
        } else {
            return std::nullopt;
        }
    }
    if (options.playlist.empty()) {
        return std::nullopt;
    }
    return options;
}

// Messages of the document go to stderr; a failed start is remembered for the status.
class StderrPrompt : public IUserPrompt {
public:
    void Message(const std::string& text) override {
        std::fprintf(stderr, "mixorel-cli: %s\n", text.c_str());
        if (text == CMixorel2001Doc::kPlayerMissingText ||
            text == CMixorel2001Doc::kNothingPlayableText) {
            m_bStartFailed = true;
        }
    }
    Answer Question(const std::string& /*text*/, bool /*withCancel*/) override {
        return kAnswerYes;
    }
    DuplicateAnswer DuplicateQuestion(const std::string&, const std::string&) override {
        return kYesToAll;
    }
    bool SongData(std::string&, std::string&) override { return false; }

    std::atomic<bool> m_bStartFailed{false};
};

// The player link of the document, printing a line as each song starts: the time since
// the loop began, the song now playing and the one marked next.
class PrintingLink : public IPlayerLink {
public:
    PrintingLink(IPlayerLink& inner, CMixorel2001Doc& doc) : m_inner(inner), m_doc(doc) {}

    bool IsConnected() override { return m_inner.IsConnected(); }
    bool Connect() override { return m_inner.Connect(); }
    bool IsActive() override { return m_inner.IsActive(); }
    bool Stop() override { return m_inner.Stop(); }
    bool FadeStop() override { return m_inner.FadeStop(); }
    bool Skip() override { return m_inner.Skip(); }

    // Called by the document with its lock held, at the position of the starting mode
    // (the scheduler holds the loop while it starts a region's song).
    bool PlayLogged(const std::string& path) override {
        if (!m_inner.PlayLogged(path)) {
            return false;
        }
        const bool region = CLoopState::s_bHold;
        const int mode = region ? CMixorel2001Doc::kScheduleMode : CMixorel2001Doc::kLoopMode;
        const std::chrono::duration<double> at = std::chrono::steady_clock::now() - m_start;
        std::printf("%7.1f s  %s%s | next: %s\n", at.count(),
                    region ? "region: " : "now: ", path.c_str(), NextPath(mode).c_str());
        std::fflush(stdout);
        return true;
    }

private:
    // The song after the position, stepping over one region header as the loop does.
    std::string NextPath(int mode) {
        const int count = m_doc.GetCount();
        if (count == 0) {
            return {};
        }
        int index =
            (mode == CMixorel2001Doc::kLoopMode ? m_doc.GetLoopPos() : m_doc.GetSchedulePos()) + 1;
        for (int step = 0; step < 2; ++step, ++index) {
            const CSong* song = m_doc.GetSongAt(index % count);
            if (song != nullptr && !song->IsRegion()) {
                return song->GetPath();
            }
        }
        return "-";
    }

    IPlayerLink& m_inner;
    CMixorel2001Doc& m_doc;
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

// Waits while the song plays (raw: to its very end) or until a new signal or the limit.
void WaitForSong(CPlayer& player, int signalsBefore, std::chrono::steady_clock::duration limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (player.IsActive(true) && g_nLoopSignals.load() == signalsBefore &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(kPollPeriod);
    }
}

int Loop(const LoopOptions& options, CSharedSettings& settings) {
    StderrPrompt prompt;
    CMixorel2001Doc doc(&prompt);
    doc.SetSharedSettings(&settings);
    const int result = doc.OnOpenDocument(options.playlist);
    if (result != CPlaylistFile::kOk) {
        std::fprintf(stderr, "mixorel-cli: %s: %s\n", options.playlist.c_str(),
                     CPlaylistFile::ResultText(result));
        return 1;
    }
    if (options.nFrom >= doc.GetCount()) {
        std::fprintf(stderr, "mixorel-cli: %s: the list has no line %d\n", options.playlist.c_str(),
                     options.nFrom);
        return 1;
    }
    std::vector<std::string> songs;
    for (int i = 0; i < doc.GetCount(); ++i) {
        const CSong* song = doc.GetSongAt((options.nFrom + i) % doc.GetCount());
        if (song != nullptr && !song->IsRegion()) {
            songs.push_back(song->GetPath());
        }
    }
    const LoudnessSetup loudness(songs);
    CMCIPlayer player;
    ApplyPlayerSettings(player, settings.Get());
    if (options.bNoMix) {
        player.SetMixEnabled(false);
    }
    if (!player.Connect(-1, true)) {
        std::fputs("mixorel-cli: cannot start the player\n", stderr);
        return 1;
    }
    player.AddRef();
    ILoopClock& clock = CSystemLoopClock::Shared();
    CPlayLog log(player, clock, &settings);
    log.SetFixedPath(options.log);
    log.LogProgramStarted();
    CPlayerLink link(player, log);
    PrintingLink printing(link, doc);
    CPlayListThreadFactory factory(clock, &settings);
    doc.SetPlayerLink(&printing);
    doc.SetLoopFactory(&factory);

    int status = doc.StartLoopAt(options.nFrom, kLoopToken) ? 0 : 1;
    if (status == 0 && options.bSchedule) {
        CScheduleListThread::StartScheduler(&doc, kLoopToken, clock);
    }
    while (status == 0 && g_nLoopSignals.load() == 0 && doc.IsLooping()) {
        std::this_thread::sleep_for(kPollPeriod);
    }
    CScheduleListThread::StopScheduler();
    doc.StopLoop();
    if (g_nLoopSignals.load() > 0) {
        player.FadeStop();
        WaitForSong(player, g_nLoopSignals.load(), kFadeOutLimit);
    } else {
        // The loop ended by itself: the last song plays out.
        WaitForSong(player, 0, std::chrono::hours(24));
        if (g_nLoopSignals.load() > 0) {
            player.FadeStop();
            WaitForSong(player, g_nLoopSignals.load(), kFadeOutLimit);
        }
    }
    player.Stop();
    log.LogProgramEnded();
    doc.OnCloseDocument();
    player.Release();
    return status == 0 && !prompt.m_bStartFailed ? 0 : 1;
}

} // namespace

int RunLoopCommand(const std::vector<std::string>& args) {
    const auto options = ParseLoopOptions(args);
    if (!options) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    InstallSettingsStore();
    CSharedSettings settings;
    settings.Reload();
    std::string error;
    if (!InstallGstBackend(error)) {
        std::fprintf(stderr, "mixorel-cli: cannot load the GStreamer back end (%s)\n",
                     error.c_str());
        return 1;
    }
    struct sigaction action {};
    action.sa_handler = OnLoopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    return Loop(*options, settings);
}
