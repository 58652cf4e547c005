// How late the loop driver starts the next song: the time from the moment the player
// first reports the song as ended (the mix look-ahead point) to the next start, over 50
// transitions on an accelerated clock (20x) and over 5 in real time. Prints median and
// worst in milliseconds of the loop's own clock.
//
//   mixorel-loop-bench
#include "playback/LoopFakes.h" // the accelerated clock and clocked player of the tests

#include "catalogue/CMixorel2001Doc.h"
#include "playback/CPlayListThreadFactory.h"
#include "settings/CMemorySettingsStore.h"
#include "settings/CSharedSettings.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

void Measure(const char* name, int factor, std::int64_t lengthMs, std::size_t transitions) {
    CMemorySettingsStore store;
    CSharedSettings settings(store);
    settings.Reload();
    AcceleratedClock clock(factor, CDateTime::FromCalendar(2026, 12, 6, 12, 0, 0));
    const std::int64_t mixMs = 1000;
    ClockedPlayer player(clock, lengthMs, mixMs);
    CPlayListThreadFactory factory(clock, &settings);
    CMixorel2001Doc doc;
    doc.SetSharedSettings(&settings);
    doc.SetPlayerLink(&player);
    doc.SetLoopFactory(&factory);
    IUserPrompt::DuplicateAnswer answer = IUserPrompt::kYesToAll;
    for (int n = 0; n < 10; ++n) {
        CSong song;
        song.SetPathText("/music/" + std::to_string(n) + ".mp3");
        song.SetInfoFlag(true);
        doc.InsertSongAt(CMixorel2001Doc::kAfterLast, song, answer);
    }
    doc.StartLoopAt(0, 1);
    while (player.Count() < transitions + 1) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    doc.StopLoop();
    const auto starts = player.Starts();
    std::vector<std::int64_t> delays;
    for (std::size_t n = 1; n <= transitions; ++n) {
        delays.push_back(starts[n].atMs - (starts[n - 1].atMs + lengthMs - mixMs));
    }
    std::sort(delays.begin(), delays.end());
    std::printf("%-10s %3zu transitions: median %lld ms, worst %lld ms (loop clock)\n", name,
                delays.size(), static_cast<long long>(delays[delays.size() / 2]),
                static_cast<long long>(delays.back()));
}

} // namespace

int main() {
    Measure("simulated", 20, 4000, 50);
    Measure("real time", 1, 2500, 5);
    return 0;
}
