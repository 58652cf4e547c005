// The song analysis in figures, each the min and median of 3 runs:
//  - analysis speed in times real time per core (audio seconds / CPU seconds of the whole
//    process, GStreamer's threads included) on a 60 s MP3 and the same as WAV;
//  - cache lookups per second over 100,000 known songs (stat + one indexed query each);
//  - how long a stop waits for the worker in the middle of a long song;
//  - opening a 100,000-song playlist to its first screen painted with a warm cache, with
//    the Loudness column shown and hidden (the view's budget is 300 ms).
//
//   QT_QPA_PLATFORM=offscreen mixorel-loudness-bench
//
// Needs sox and lame. MIXOREL_BENCH_SONGS sets the number of songs (default 100000).
#include "catalogue/CPlaylistFile.h"
#include "loudness/CLoudnessCache.h"
#include "loudness/CLoudnessService.h"
#include "loudness/ContentFingerprint.h"
#include "platform/analysis/CGstLoudnessAnalyser.h"
#include "settings/CMemorySettingsStore.h"
#include "settings/SettingsKeys.h"
#include "ui/playlist/CChildFrame.h"
#include "ui/playlist/CMixorel2001View.h"
#include "ui/prompts/IShellPrompt.h"
#include "ui/shell/CMainFrame.h"
#include "ui/shell/CMixorelApp.h"
#include "ui/shell/COpenPlaylist.h"

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

class NoPrompt : public IShellPrompt {
public:
    void Message(const std::string&) override {}
    Answer Question(const std::string&, bool) override { return kAnswerNo; }
    DuplicateAnswer DuplicateQuestion(const std::string&, const std::string&) override {
        return kYesToAll;
    }
    bool SongData(std::string&, std::string&) override { return false; }
    Answer Ask(const std::string&, Buttons, Icon) override { return kAnswerNo; }
    bool ChooseOpenFile(const std::string&, const std::string&, std::string&) override {
        return false;
    }
    bool ChooseSaveFile(const std::string&, const std::string&, const std::string&, std::string&,
                        const std::string&) override {
        return false;
    }
};

double Ms(Clock::time_point from) {
    return std::chrono::duration<double, std::milli>(Clock::now() - from).count();
}

double CpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void Report(const char* what, std::vector<double> runs, const char* unit) {
    std::sort(runs.begin(), runs.end());
    std::printf("%-44s min %10.1f %s   median %10.1f %s   max %10.1f %s\n", what, runs.front(),
                unit, runs[runs.size() / 2], unit, runs.back(), unit);
    std::fflush(stdout);
}

// Times real time per core: the smallest CPU time is the best run.
void AnalysisSpeed(const char* what, const std::string& path, double seconds) {
    CGstLoudnessAnalyser analyser;
    const std::atomic<bool> never{false};
    std::vector<double> speed;
    // One run first, not counted: GStreamer loads its plugins on the first song.
    LoudnessMeasurement warm;
    analyser.Analyse(path, false, never, warm);
    for (int run = 0; run < 3; ++run) {
        LoudnessMeasurement m;
        const double before = CpuSeconds();
        if (analyser.Analyse(path, false, never, m) != IAudioAnalyser::Outcome::kMeasured) {
            std::fprintf(stderr, "%s did not analyse\n", path.c_str());
            return;
        }
        speed.push_back(seconds / (CpuSeconds() - before));
    }
    Report(what, speed, "x");
}

// How long the program's close waits for the worker: a 10-minute song is being analysed
// when the service is stopped.
void StopLatency(const std::string& longSong, const std::string& folder) {
    std::vector<double> waits;
    for (int run = 0; run < 3; ++run) {
        auto cache = std::make_shared<CLoudnessCache>();
        cache->Open(folder + "/stop-" + std::to_string(run) + ".sqlite");
        CLoudnessService service(cache, std::make_shared<CGstLoudnessAnalyser>(),
                                 [] { return -18.0; });
        service.Add({longSong}, CAnalysisQueue::kRest);
        service.Start(1);
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        const auto start = Clock::now();
        service.Stop();
        waits.push_back(Ms(start));
    }
    Report("worker stop during a 10-minute song", waits, "ms");
}

std::vector<std::string> MakeSongs(const std::string& folder, std::size_t songs) {
    std::vector<std::string> paths;
    std::vector<char> bytes(4096);
    for (std::size_t i = 0; i < songs; ++i) {
        const std::string dir = folder + "/" + std::to_string(i / 1000);
        if (i % 1000 == 0) {
            std::filesystem::create_directories(dir);
        }
        paths.push_back(dir + "/" + std::to_string(i) + " Some song.mp3");
        for (std::size_t b = 0; b < bytes.size(); ++b) {
            bytes[b] = static_cast<char>((i * 2654435761u + b * 40503u) >> 7);
        }
        std::ofstream(paths.back(), std::ios::binary).write(bytes.data(), 4096);
    }
    return paths;
}

void CacheLookups(CLoudnessCache& cache, const std::vector<std::string>& paths) {
    std::vector<double> rates;
    for (int run = 0; run < 3; ++run) {
        std::size_t found = 0;
        const auto start = Clock::now();
        for (const std::string& path : paths) {
            found += cache.Lookup(path).has_value() ? 1 : 0;
        }
        rates.push_back(static_cast<double>(paths.size()) / (Ms(start) / 1000.0));
        if (found != paths.size()) {
            std::fprintf(stderr, "only %zu of %zu found\n", found, paths.size());
        }
    }
    Report("cache lookups (known songs)", rates, "/s");
}

void OpenTimes(const char* what, const std::string& playlist, int loudnessWidth) {
    NoPrompt prompt;
    auto store = std::make_shared<CMemorySettingsStore>();
    store->WriteProfileInt(SettingsKeys::kSectionPlaylistView,
                           SettingsKeys::Indexed(SettingsKeys::kColumnSize, 4), loudnessWidth);
    CMixorelApp::Options options;
    options.pStore = store;
    options.pPrompt = &prompt;
    options.bHandleSignals = false;
    CMixorelApp app(options);
    if (!app.InitInstance({})) {
        return;
    }
    CMainFrame& frame = *app.GetMainFrame();
    frame.resize(1280, 900);
    frame.show();
    QApplication::processEvents();
    std::vector<double> times;
    for (int run = 0; run < 3; ++run) {
        for (COpenPlaylist* open : frame.GetPlaylists()) {
            frame.ClosePlaylist(*open);
        }
        QApplication::processEvents();
        const auto start = Clock::now();
        frame.OpenFile(playlist);
        COpenPlaylist* open = frame.GetActivePlaylist();
        CChildFrame* child = open != nullptr ? frame.FindFrame(*open) : nullptr;
        if (child == nullptr) {
            std::fprintf(stderr, "the playlist did not open\n");
            return;
        }
        child->GetView()->viewport()->repaint();
        times.push_back(Ms(start));
    }
    Report(what, times, "ms");
    app.ExitInstance();
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const char* count = std::getenv("MIXOREL_BENCH_SONGS");
    const std::size_t songs = count != nullptr ? std::strtoul(count, nullptr, 10) : 100000;
    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         ("mixorel-loudness-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    ::setenv("MIXOREL_HOME", (folder / "home").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (folder / "cache").c_str(), 1);
    const std::string wav = (folder / "song.wav").string();
    const std::string mp3 = (folder / "song.mp3").string();
    const std::string make = "sox -n -r 44100 -c 2 '" + wav +
                             "' synth 60 pinknoise sine 220 tremolo 2 60 vol 0.4 && lame --quiet "
                             "-b 192 '" +
                             wav + "' '" + mp3 + "'";
    if (std::system(make.c_str()) != 0) {
        std::fprintf(stderr, "sox and lame are needed\n");
        return 1;
    }
    AnalysisSpeed("analysis, 60 s MP3 192 kbit/s (x real time)", mp3, 60.0);
    AnalysisSpeed("analysis, 60 s WAV 44.1 kHz (x real time)", wav, 60.0);
    const std::string tenMinutes = (folder / "long.wav").string();
    if (std::system(("sox '" + wav + "' '" + tenMinutes + "' repeat 9").c_str()) == 0) {
        StopLatency(tenMinutes, folder.string());
    }

    std::printf("%zu songs\n", songs);
    const auto paths = MakeSongs((folder / "music").string(), songs);
    {
        CLoudnessCache cache;
        cache.Open(CLoudnessCache::DefaultPath());
        SongAnalysis a;
        a.dIntegratedLufs = -11.5;
        a.dSamplePeakDbfs = -0.5;
        a.dDurationSeconds = 200;
        a.cues = {0.5, 190.0, 199.0};
        const auto start = Clock::now();
        for (const std::string& path : paths) {
            std::int64_t size = 0, mtime = 0;
            ContentFingerprint::StampOf(path, size, mtime);
            cache.Store(path, size, mtime, *ContentFingerprint::OfFile(path), a);
        }
        std::printf("%-44s %10.1f /s (once)\n", "cache stores",
                    static_cast<double>(paths.size()) / (Ms(start) / 1000.0));
        CacheLookups(cache, paths);
    }
    CPlaylistContent content;
    content.m_songs.resize(paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        content.m_songs[i].SetPathText(paths[i]);
        content.m_songs[i].SetTitle("Artist " + std::to_string(i % 500) + " - Song " +
                                    std::to_string(i));
        content.m_songs[i].SetInfoFlag(true);
        content.m_songs[i].SetInfo(4096, 128, 44100, 0);
    }
    const std::string playlist = (folder / "big.qmx").string();
    CPlaylistFile::Write(playlist, content);
    OpenTimes("open 100k list, warm cache, Loudness shown", playlist, 140);
    OpenTimes("open 100k list, Loudness hidden", playlist, 0);
    std::filesystem::remove_all(folder);
    return 0;
}
