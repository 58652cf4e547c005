// Speed of the whole-list catalogue work of import and filter:
//
//   BM_WildcardTwoStars     a compiled pattern with two stars over 100,000 titles
//   BM_WildcardMatchEach    the same through WildcardMatch, the pattern read per title
//   BM_FilterToNewPlaylist  the filter of a 100,000-song playlist ("*rain*", about a
//                           quarter of the titles) into a new playlist
//   BM_ImportFolderTree     a folder import of 20,000 files (no tags read), into a fresh
//                           playlist, with a progress window that is asked before each
//                           entry as the desktop one is
//
//   mixorel-import-bench [benchmark options]
//
// The folder tree (100 folders of 200 files, a few bytes each) is made in the temporary
// folder at start and removed at the end.
#include "catalogue/CListFilter.h"
#include "catalogue/CLocationList.h"
#include "catalogue/CMixorel2001Doc.h"
#include "catalogue/CMusicImporter.h"
#include "catalogue/CWildcard.h"

#include "BenchConfig.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::size_t kTitles = 100000;
constexpr int kFolders = 100;
constexpr int kFilesPerFolder = 200;

const char* const kArtists[] = {
    "The Rolling Stones",  "Édith Piaf",  "Daft Punk", "Buena Vista Social Club", "Sigur Rós",
    "Miles Davis Quintet", "Nina Simone", "Kraftwerk", "Ennio Morricone",         "Björk"};
const char* const kWords[] = {"Midnight", "Summer", "Rain",  "Dancing", "Blue", "Heart",
                              "Road",     "Fire",   "Light", "Memory",  "Café", "Ocean"};

const std::vector<std::string>& Titles() {
    static const std::vector<std::string> titles = [] {
        std::mt19937 random(2001);
        std::vector<std::string> made;
        made.reserve(kTitles);
        for (std::size_t i = 0; i < kTitles; ++i) {
            std::string title = std::string(kArtists[random() % std::size(kArtists)]) + " -";
            for (int word = 0; word < 3; ++word) {
                title += std::string(" ") + kWords[random() % std::size(kWords)];
            }
            made.push_back(std::move(title));
        }
        return made;
    }();
    return titles;
}

void BM_WildcardTwoStars(benchmark::State& state) {
    std::size_t matches = 0;
    for (auto _ : state) {
        const CWildcard pattern("*mid*rain*");
        matches = 0;
        for (const std::string& title : Titles()) {
            matches += pattern.Match(title) ? 1 : 0;
        }
        benchmark::DoNotOptimize(matches);
    }
    state.counters["titles"] = static_cast<double>(Titles().size());
    state.counters["matches"] = static_cast<double>(matches);
}

void BM_WildcardMatchEach(benchmark::State& state) {
    std::size_t matches = 0;
    for (auto _ : state) {
        matches = 0;
        for (const std::string& title : Titles()) {
            matches += WildcardMatch("*mid*rain*", title) ? 1 : 0;
        }
        benchmark::DoNotOptimize(matches);
    }
    state.counters["matches"] = static_cast<double>(matches);
}

// The titles as a playlist, each song with a path and audio information.
const CMixorel2001Doc& Playlist() {
    static const std::unique_ptr<CMixorel2001Doc> doc = [] {
        auto made = std::make_unique<CMixorel2001Doc>();
        IUserPrompt::DuplicateAnswer answer = IUserPrompt::kYesToAll;
        std::size_t index = 0;
        for (const std::string& title : Titles()) {
            CSong song;
            song.SetPathText("/home/listener/Music/" + std::to_string(index++) + " " + title +
                             ".mp3");
            song.SetTitle(title);
            song.SetInfo(4000000, 192000, 44100, 1);
            song.SetInfoFlag(true);
            made->InsertSongAt(CMixorel2001Doc::kAfterLast, song, answer);
        }
        return made;
    }();
    return *doc;
}

void BM_FilterToNewPlaylist(benchmark::State& state) {
    std::size_t copied = 0;
    for (auto _ : state) {
        auto target = std::make_unique<CMixorel2001Doc>();
        copied =
            CListFilter::FilterInto(Playlist(), CListFilter::EffectivePattern("rain"), *target);
        state.PauseTiming(); // closing the new playlist is not part of the filter
        target.reset();
        state.ResumeTiming();
    }
    state.counters["copied"] = static_cast<double>(copied);
}

// ---- Folder import ------------------------------------------------------------------

class BenchProgress : public IImportProgress {
public:
    void SetFolder(const std::string& folder) override { benchmark::DoNotOptimize(folder.data()); }
    bool IsCancelled() override { return false; }
    void BringToFront() override {}
};

class BenchUi : public IImportUi {
public:
    std::unique_ptr<IImportProgress> CreateProgress(const std::string& /*title*/) override {
        return std::make_unique<BenchProgress>();
    }
    bool ChooseFolder(const std::string&, const std::string&, std::string&) override {
        return false;
    }
    bool ChooseFiles(std::vector<std::string>&) override { return false; }
    LocationsMode ChooseLocations(CLocationList&, std::vector<int>&, int&) override {
        return kLocationsCancel;
    }
};

class SilentPrompt : public IUserPrompt {
public:
    void Message(const std::string&) override {}
    Answer Question(const std::string&, bool) override { return kAnswerNo; }
    DuplicateAnswer DuplicateQuestion(const std::string&, const std::string&) override {
        return kYesToAll;
    }
    bool SongData(std::string&, std::string&) override { return false; }
};

const std::string& Tree() {
    static const std::string root = [] {
        const std::string folder = (std::filesystem::temp_directory_path() /
                                    ("mixorel-import-bench-" + std::to_string(::getpid())))
                                       .string();
        for (int f = 0; f < kFolders; ++f) {
            const std::string sub = folder + "/Artist " + std::to_string(f) + "/Album";
            std::filesystem::create_directories(sub);
            for (int n = 0; n < kFilesPerFolder; ++n) {
                const std::string path = sub + "/" + std::to_string(n) + " - Song title.mp3";
                if (FILE* file = std::fopen(path.c_str(), "wb")) {
                    std::fputs("ID3", file);
                    std::fclose(file);
                }
            }
        }
        return folder + "/";
    }();
    return root;
}

void BM_ImportFolderTree(benchmark::State& state) {
    long count = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto doc = std::make_unique<CMixorel2001Doc>();
        SilentPrompt prompt;
        BenchUi ui;
        CLocationList locations;
        CMusicImporter importer(*doc, prompt, ui, locations);
        state.ResumeTiming();
        count = 0;
        IUserPrompt::DuplicateAnswer answer = IUserPrompt::kNone;
        importer.ScanFolder(Tree(), true, answer, count);
        state.PauseTiming();
        doc.reset();
        state.ResumeTiming();
    }
    state.counters["files"] = static_cast<double>(count);
}

BENCHMARK(BM_WildcardTwoStars)->Apply(ConfigureThreeRuns);
BENCHMARK(BM_WildcardMatchEach)->Apply(ConfigureThreeRuns);
BENCHMARK(BM_FilterToNewPlaylist)->Apply(ConfigureThreeRuns);
BENCHMARK(BM_ImportFolderTree)->Apply(ConfigureThreeRuns);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    Titles();
    Playlist();
    Tree();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code error;
    std::filesystem::remove_all(Tree(), error);
    return 0;
}
