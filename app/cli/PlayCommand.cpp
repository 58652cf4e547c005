// `mixorel-cli play`: the loop driver's way of playing, for a shell, through the
// media-control player or (--remote) a remote player driven over MPRIS.
//
// Threads: the main thread drives the player and polls it every 100 ms; the media-control
// player's fader workers run on their own threads (see playback/CMCIPlayer.h). SIGINT and
// SIGTERM only count up an atomic that the main thread polls.
#include "cli/PlayCommand.h"

#include "cli/GstBackendLoader.h"
#include "cli/LoudnessSetup.h"
#include "cli/MprisLinkLoader.h"
#include "cli/SettingsStoreLoader.h"
#include "playback/ApplyPlayerSettings.h"
#include "playback/CMCIPlayer.h"
#include "playback/CWinampPlayer.h"
#include "playback/PlayerStrings.h"
#include "settings/CSettings.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <thread>

namespace {

using namespace std::chrono_literals;

constexpr const char* kUsage =
    "usage: mixorel-cli play [--mix-seconds S] [--mix-type N] [--speed V] [--no-mix] FILE...\n"
    "       mixorel-cli play --remote FILE...\n"
    "  plays the files one after another; with mixing each next file fades in while the\n"
    "  previous one fades out, S seconds before its end. Ctrl+C fades out and stops.\n"
    "  --remote plays them through a remote MPRIS player (mpv, VLC, ...) instead, started\n"
    "  from the \"winamppath\" setting when none runs and closed at the end when\n"
    "  \"closewinamp\" is 1.\n";

// How often the player is asked whether its song has ended, and how long a start is
// given to settle before the first look, as the loop driver does.
constexpr auto kPollPeriod = 100ms;
constexpr auto kStartSettle = 250ms;
// A fade-out after Ctrl+C is waited for at most this long (a second Ctrl+C cuts it).
constexpr auto kFadeOutLimit = 30s;

std::atomic<int> g_nSignals{0};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler writes it");

extern "C" void OnStopSignal(int) {
    g_nSignals.fetch_add(1);
}

void InstallSignalHandlers() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

struct PlayOptions {
    std::optional<int> nMixSeconds;
    std::optional<int> nMixType;
    std::optional<int> nSpeed;
    bool bNoMix = false;
    bool bRemote = false;
    std::vector<std::string> files;
};

bool ParseNumber(const std::string& text, int nMin, int nMax, int& nValue) {
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < nMin || value > nMax) {
        return false;
    }
    nValue = static_cast<int>(value);
    return true;
}

// False, with the reason on stderr, for a usage error.
bool ParseOptions(const std::vector<std::string>& args, PlayOptions& options) {
    bool bFilesOnly = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (bFilesOnly || arg.empty() || arg[0] != '-') {
            options.files.push_back(arg);
            continue;
        }
        if (arg == "--") {
            bFilesOnly = true;
            continue;
        }
        if (arg == "--no-mix") {
            options.bNoMix = true;
            continue;
        }
        if (arg == "--remote") {
            options.bRemote = true;
            continue;
        }
        struct Numeric {
            const char* name;
            int nMin;
            int nMax;
            std::optional<int>* pValue;
        };
        const Numeric numerics[] = {{"--mix-seconds", 0, 3600, &options.nMixSeconds},
                                    {"--mix-type", 0, 9999, &options.nMixType},
                                    {"--speed", 1, 20, &options.nSpeed}};
        bool bKnown = false;
        for (const Numeric& numeric : numerics) {
            if (arg != numeric.name) {
                continue;
            }
            bKnown = true;
            int value = 0;
            if (i + 1 >= args.size() ||
                !ParseNumber(args[i + 1], numeric.nMin, numeric.nMax, value)) {
                std::fprintf(stderr, "mixorel-cli: %s needs a number from %d to %d\n", numeric.name,
                             numeric.nMin, numeric.nMax);
                return false;
            }
            *numeric.pValue = value;
            ++i;
        }
        if (!bKnown) {
            std::fprintf(stderr, "mixorel-cli: unknown option '%s'\n", arg.c_str());
            return false;
        }
    }
    if (options.files.empty()) {
        std::fputs("mixorel-cli: no file to play\n", stderr);
        return false;
    }
    return true;
}

// Absolute paths of the files; false, with the reason on stderr, when one is missing.
bool ResolveFiles(std::vector<std::string>& files) {
    for (std::string& file : files) {
        std::error_code error;
        if (!std::filesystem::is_regular_file(file, error)) {
            std::fprintf(stderr, "mixorel-cli: %s: no such file\n", file.c_str());
            return false;
        }
        file = std::filesystem::absolute(file, error).lexically_normal().string();
    }
    return true;
}

void ApplyOptions(CPlayer& player, const PlayOptions& options) {
    CSettings settings;
    settings.Load();
    ApplyPlayerSettings(player, settings);
    if (options.bNoMix) {
        player.SetMixEnabled(false);
    }
    if (options.nMixSeconds) {
        player.SetMixSeconds(*options.nMixSeconds);
    }
    if (options.nMixType) {
        player.SetMixType(*options.nMixType);
    }
    if (options.nSpeed) {
        player.SetMixSpeed(*options.nSpeed);
    }
}

// Polls until the player no longer counts as active (raw as given), a stop signal came
// or the limit passed; true when the player ended.
bool WaitWhileActive(CPlayer& player, bool bRaw, int nSignalsBefore,
                     std::chrono::steady_clock::duration limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (player.IsActive(bRaw)) {
        if (g_nSignals.load() > nSignalsBefore || std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(kPollPeriod);
    }
    return true;
}

// Stops after Ctrl+C: a fade-out while mixing (a second Ctrl+C cuts it short), then the
// worker ends with its device stopped and freed.
void StopOnSignal(CPlayer& player) {
    const int signals = g_nSignals.load();
    std::puts("stopping");
    std::fflush(stdout);
    player.Stop();
    WaitWhileActive(player, true, signals, kFadeOutLimit);
}

int PlayFiles(CPlayer& player, bool bRemote, const std::vector<std::string>& files) {
    const auto start = std::chrono::steady_clock::now();
    const auto forever = std::chrono::hours(24 * 365);
    for (std::size_t i = 0; i < files.size(); ++i) {
        // The loop driver's rule: the next song starts once the player reports the song
        // as ended, which with mixing is mix seconds before its real end.
        if (!WaitWhileActive(player, false, 0, forever)) {
            StopOnSignal(player);
            return 0;
        }
        // A remote player that went away is looked for (and started) again.
        if (!player.IsConnected() && !player.Connect(-1, true)) {
            std::fprintf(stderr, "mixorel-cli: %s\n", PlayerStrings::kWinampNotRunning.data());
            return 1;
        }
        const char* how = bRemote ? "remote" : player.IsMixEnabled() ? "mixed" : "plain";
        if (!player.Play(files[i])) {
            std::fprintf(stderr, "mixorel-cli: %s: cannot start playing\n", files[i].c_str());
            return 1;
        }
        const std::chrono::duration<double> at = std::chrono::steady_clock::now() - start;
        std::printf("%7.1f s  start %zu/%zu (%s): %s\n", at.count(), i + 1, files.size(), how,
                    files[i].c_str());
        std::fflush(stdout);
        std::this_thread::sleep_for(kStartSettle);
    }
    if (!WaitWhileActive(player, true, 0, forever)) {
        StopOnSignal(player);
    }
    return 0;
}

// Plays through a remote player; Release at the end closes it as a closing playlist
// does (when "closewinamp" is 1).
int PlayRemote(const PlayOptions& options) {
    std::string error;
    const std::shared_ptr<IRemotePlayerLink> pLink = LoadMprisLink(error);
    if (!pLink) {
        std::fprintf(stderr, "mixorel-cli: cannot load the MPRIS link (%s)\n", error.c_str());
        return 1;
    }
    InstallSignalHandlers();
    CWinampPlayer player(pLink);
    ApplyOptions(player, options); // stored only: the remote player does its own mixing
    if (!player.Connect(-1, true)) {
        std::fprintf(stderr, "mixorel-cli: %s\n", PlayerStrings::kWinampNotRunning.data());
        return 1;
    }
    player.AddRef();
    const int status = PlayFiles(player, true, options.files);
    player.Release();
    return status;
}

} // namespace

int RunPlayCommand(const std::vector<std::string>& args) {
    PlayOptions options;
    if (!ParseOptions(args, options)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (!ResolveFiles(options.files)) {
        return 1;
    }
    InstallSettingsStore();
    if (options.bRemote) {
        return PlayRemote(options);
    }
    std::string error;
    if (!InstallGstBackend(error)) {
        std::fprintf(stderr, "mixorel-cli: cannot load the GStreamer back end (%s)\n",
                     error.c_str());
        return 1;
    }
    InstallSignalHandlers();
    const LoudnessSetup loudness(options.files);
    CMCIPlayer player;
    ApplyOptions(player, options);
    if (!player.Connect(-1, true)) {
        std::fputs("mixorel-cli: cannot start the player\n", stderr);
        return 1;
    }
    player.AddRef();
    const int status = PlayFiles(player, false, options.files);
    player.Release();
    return status;
}
