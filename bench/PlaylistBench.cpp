// Speed and memory of the playlist file on a large list: 100,000 songs with realistic
// paths (~80 bytes), titles (~40 bytes) and filled tag blocks. Serialising to a buffer
// and parsing from one are measured apart from the flush to disk and the file read.
//
//   mixorel-playlist-bench [benchmark options]
//   mixorel-playlist-bench --write-playlist FILE.qmx   only write the list (start-up timing)
//
// MIXOREL_BENCH_SONGS sets the number of songs (default 100000). The counters of
// BM_ParseFromBuffer give the heap taken per loaded record, in all and beyond its texts.
#include "catalogue/CArchiveWriter.h"
#include "catalogue/CMediaWalkerModel.h"
#include "catalogue/CMemorySongClipboard.h"
#include "catalogue/CMixorel2001Doc.h"
#include "catalogue/CPlaylistFile.h"
#include "media/Id3v2Fields.h"

#include "BenchConfig.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <malloc.h>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kDefaultSongs = 100000;

const char* const kArtists[] = {
    "The Rolling Stones",  "Édith Piaf",  "Daft Punk", "Buena Vista Social Club", "Sigur Rós",
    "Miles Davis Quintet", "Nina Simone", "Kraftwerk", "Ennio Morricone",         "Björk"};
const char* const kWords[] = {"Midnight", "Summer", "Rain",  "Dancing", "Blue", "Heart",
                              "Road",     "Fire",   "Light", "Memory",  "Café", "Ocean"};

std::size_t SongCount() {
    const char* text = std::getenv("MIXOREL_BENCH_SONGS");
    const long value = text != nullptr ? std::atol(text) : 0;
    return value > 0 ? static_cast<std::size_t>(value) : kDefaultSongs;
}

CSong MakeSong(std::mt19937& random, std::size_t index) {
    const std::string artist = kArtists[random() % std::size(kArtists)];
    std::string title;
    for (int word = 0; word < 3; ++word) {
        title += std::string(word > 0 ? " " : "") + kWords[random() % std::size(kWords)];
    }
    const std::string album = "Greatest Recordings Vol. " + std::to_string(index % 40 + 1);
    Id3v2Fields fields;
    fields.title = title;
    fields.artist = artist;
    fields.album = album;
    fields.year = std::to_string(1960 + index % 60);
    fields.comment = "Ripped from the original CD";
    fields.track = std::to_string(index % 14 + 1);
    fields.genre = "Rock";

    CSong song;
    song.SetPathText("/home/listener/Music/" + artist + "/" + album + "/" +
                     std::to_string(index % 14 + 1) + " - " + title + ".mp3");
    song.SetTitle(artist + " - " + title);
    song.SetInfo(3000000 + static_cast<std::uint32_t>(random() % 5000000), 192000, 44100, 1);
    song.SetInfoFlag(true);
    song.SetTagFromFrames(fields);
    song.SetFileDate(CDateTime::FromCalendar(2015 + static_cast<int>(index % 9), 5, 17, 20, 4, 33));
    return song;
}

const CPlaylistContent& Library() {
    static const CPlaylistContent content = [] {
        CPlaylistContent made;
        std::mt19937 random(2001);
        const std::size_t count = SongCount();
        made.m_songs.reserve(count);
        for (std::size_t i = 0; i < count; ++i) {
            made.m_songs.push_back(MakeSong(random, i));
        }
        return made;
    }();
    return content;
}

const std::vector<std::uint8_t>& LibraryBytes() {
    static const std::vector<std::uint8_t> bytes = CPlaylistFile::Build(Library());
    return bytes;
}

std::string TempPath() {
    static const std::string path =
        (std::filesystem::temp_directory_path() / "mixorel-playlist-bench.qmx").string();
    return path;
}

void SetCounters(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(LibraryBytes().size()));
    state.counters["songs"] = static_cast<double>(Library().m_songs.size());
}

void BM_SerializeToBuffer(benchmark::State& state) {
    for (auto _ : state) {
        std::vector<std::uint8_t> bytes = CPlaylistFile::Build(Library());
        benchmark::DoNotOptimize(bytes.data());
    }
    SetCounters(state);
}

// Heap in use after parsing into a fresh content, per record; and that less the heap
// blocks of the records' texts.
void CountMemory(benchmark::State& state) {
    const std::size_t before = mallinfo2().uordblks;
    std::size_t textHeap = 0;
    {
        CPlaylistContent content;
        CPlaylistFile::Parse(LibraryBytes(), content);
        const std::size_t after = mallinfo2().uordblks;
        for (const CSong& song : content.m_songs) {
            for (const std::string* text : {&song.GetId(), &song.GetTitle(), &song.GetPath()}) {
                textHeap += text->capacity() > 15
                                ? malloc_usable_size(const_cast<char*>(text->data())) + 8
                                : 0;
            }
        }
        const auto count = static_cast<double>(content.m_songs.size());
        state.counters["heap_per_record"] = static_cast<double>(after - before) / count;
        state.counters["beyond_texts_per_record"] =
            static_cast<double>(after - before - textHeap) / count;
        state.counters["sizeof_CSong"] = sizeof(CSong);
    }
}

void BM_ParseFromBuffer(benchmark::State& state) {
    for (auto _ : state) {
        CPlaylistContent content;
        if (CPlaylistFile::Parse(LibraryBytes(), content) != CPlaylistFile::kOk) {
            state.SkipWithError("parse failed");
            break;
        }
        benchmark::DoNotOptimize(content.m_songs.data());
        state.PauseTiming(); // freeing the records is not part of the parse
        content = CPlaylistContent();
        state.ResumeTiming();
    }
    SetCounters(state);
    CountMemory(state);
}

void BM_FlushToDisk(benchmark::State& state) {
    CArchiveWriter ar;
    ar.WriteBytes(LibraryBytes());
    for (auto _ : state) {
        if (CPlaylistFile::Save(TempPath(), ar) != CPlaylistFile::kOk) {
            state.SkipWithError("save failed");
            break;
        }
    }
    SetCounters(state);
}

void BM_ReadFile(benchmark::State& state) {
    if (CPlaylistFile::Write(TempPath(), Library()) != CPlaylistFile::kOk) {
        state.SkipWithError("write failed");
        return;
    }
    for (auto _ : state) {
        CPlaylistContent content;
        if (CPlaylistFile::Read(TempPath(), content) != CPlaylistFile::kOk) {
            state.SkipWithError("read failed");
            break;
        }
        benchmark::DoNotOptimize(content.m_songs.data());
    }
    SetCounters(state);
}

// ---- The document on the same list ----

// A document loaded from the library file (outside the timing).
std::unique_ptr<CMixorel2001Doc> LoadedDocument(CMemorySongClipboard* clipboard = nullptr) {
    auto doc = std::make_unique<CMixorel2001Doc>();
    doc->SetClipboard(clipboard);
    if (doc->OnOpenDocument(TempPath()) != CPlaylistFile::kOk) {
        return nullptr;
    }
    return doc;
}

// Opening the .qmx into a document with every index built; the counters give the heap
// of the open document per song, in all and beyond the songs' texts.
void BM_OpenDocument(benchmark::State& state) {
    if (CPlaylistFile::Write(TempPath(), Library()) != CPlaylistFile::kOk) {
        state.SkipWithError("write failed");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        auto doc = std::make_unique<CMixorel2001Doc>();
        state.ResumeTiming();
        if (doc->OnOpenDocument(TempPath()) != CPlaylistFile::kOk) {
            state.SkipWithError("open failed");
            break;
        }
        state.PauseTiming();
        doc.reset();
        state.ResumeTiming();
    }
    const std::size_t before = mallinfo2().uordblks;
    auto doc = LoadedDocument();
    const std::size_t after = mallinfo2().uordblks;
    std::size_t textHeap = 0;
    for (int line = 0; line < doc->GetCount(); ++line) {
        const CSong& song = *doc->GetSongAt(line);
        for (const std::string* text : {&song.GetId(), &song.GetTitle(), &song.GetPath()}) {
            textHeap +=
                text->capacity() > 15 ? malloc_usable_size(const_cast<char*>(text->data())) + 8 : 0;
        }
    }
    const auto count = static_cast<double>(doc->GetCount());
    state.counters["heap_per_song"] = static_cast<double>(after - before) / count;
    state.counters["beyond_texts_per_song"] =
        static_cast<double>(after - before - textHeap) / count;
    state.counters["songs"] = count;
}

// Runs one operation on a freshly loaded document per iteration.
template <typename Prepare, typename Operation>
void OnLoadedDocument(benchmark::State& state, Prepare prepare, Operation operation) {
    CMemorySongClipboard clipboard;
    for (auto _ : state) {
        state.PauseTiming();
        auto doc = LoadedDocument(&clipboard);
        if (doc == nullptr) {
            state.SkipWithError("open failed");
            break;
        }
        auto input = prepare(*doc);
        state.ResumeTiming();
        if (!operation(*doc, input)) {
            state.SkipWithError("the operation failed");
            break;
        }
        state.PauseTiming();
        doc.reset();
        state.ResumeTiming();
    }
    state.counters["songs"] = static_cast<double>(Library().m_songs.size());
}

std::vector<std::string> EverySecondId(CMixorel2001Doc& doc) {
    std::vector<std::string> ids;
    for (int line = 0; line < doc.GetCount(); line += 2) {
        ids.push_back(doc.GetSongAt(line)->GetId());
    }
    return ids;
}

void BM_RemoveHalf(benchmark::State& state) {
    OnLoadedDocument(state, EverySecondId, [](CMixorel2001Doc& doc, const auto& ids) {
        return doc.RemoveSongs(ids) && doc.GetCount() == static_cast<int>(ids.size());
    });
}

void BM_SortByTitle(benchmark::State& state) {
    OnLoadedDocument(
        state, [](CMixorel2001Doc&) { return 0; },
        [](CMixorel2001Doc& doc, int) { return doc.Sort(0, true); });
}

void BM_Shuffle(benchmark::State& state) {
    OnLoadedDocument(
        state, [](CMixorel2001Doc&) { return 0; },
        [](CMixorel2001Doc& doc, int) { return doc.ShuffleInPlace(false); });
}

// A tenth of the list (10,000 songs of 100,000) copied and pasted into the middle; the
// copies are duplicates, answered "yes to all".
void BM_PasteTenth(benchmark::State& state) {
    OnLoadedDocument(
        state,
        [](CMixorel2001Doc& doc) {
            std::vector<std::string> ids = EverySecondId(doc);
            ids.resize(static_cast<std::size_t>(doc.GetCount() / 10));
            doc.CopySongs(ids, false, false);
            return ids.size();
        },
        [](CMixorel2001Doc& doc, std::size_t pasted) {
            IUserPrompt::DuplicateAnswer answer = IUserPrompt::kYesToAll;
            const int before = doc.GetCount();
            return doc.PasteSongs(before / 2, nullptr, false, answer) &&
                   doc.GetCount() == before + static_cast<int>(pasted);
        });
}

// The Media Walker opening on the playlist: snapshot, tree and the first node's list.
std::unique_ptr<CMixorel2001Doc> WalkerDocument(benchmark::State& state) {
    auto doc = CPlaylistFile::Write(TempPath(), Library()) == CPlaylistFile::kOk ? LoadedDocument()
                                                                                 : nullptr;
    if (doc == nullptr) {
        state.SkipWithError("the playlist could not be written and opened");
    }
    return doc;
}

void BM_WalkerOpen(benchmark::State& state) {
    auto doc = WalkerDocument(state);
    if (doc == nullptr) {
        return;
    }
    for (auto _ : state) {
        CMediaWalkerModel model;
        model.TakeSnapshot(*doc);
        model.BuildTree("Artist/Album");
        model.FillList(*doc, model.GetFirstNode());
        benchmark::DoNotOptimize(model.GetNodes().size());
    }
    state.counters["songs"] = static_cast<double>(doc->GetCount());
}

// Switching the organisation of an open walker: the tree anew and the first list.
void BM_WalkerSwitch(benchmark::State& state) {
    auto doc = WalkerDocument(state);
    if (doc == nullptr) {
        return;
    }
    CMediaWalkerModel model;
    model.TakeSnapshot(*doc);
    for (auto _ : state) {
        model.BuildTree("YearGenreArtistAlbum");
        model.FillList(*doc, model.GetFirstNode());
        benchmark::DoNotOptimize(model.GetNodes().size());
    }
    state.counters["nodes"] = static_cast<double>(model.GetNodes().size());
}

BENCHMARK(BM_WalkerOpen)->Apply(ConfigureThreeRuns);
BENCHMARK(BM_WalkerSwitch)->Apply(ConfigureThreeRuns);
BENCHMARK(BM_SerializeToBuffer)->Apply(ConfigureThreeRuns);
BENCHMARK(BM_ParseFromBuffer)->Apply(ConfigureThreeRuns);
BENCHMARK(BM_FlushToDisk)->Apply(ConfigureThreeRuns);
BENCHMARK(BM_ReadFile)->Apply(ConfigureThreeRuns);
BENCHMARK(BM_OpenDocument)->Apply(ConfigureThreeRuns);
BENCHMARK(BM_RemoveHalf)->Apply(ConfigureThreeRuns);
BENCHMARK(BM_SortByTitle)->Apply(ConfigureThreeRuns);
BENCHMARK(BM_Shuffle)->Apply(ConfigureThreeRuns);
BENCHMARK(BM_PasteTenth)->Apply(ConfigureThreeRuns);

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--write-playlist") {
        return CPlaylistFile::Write(argv[2], Library()) == CPlaylistFile::kOk ? 0 : 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    Library();
    LibraryBytes();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::remove(TempPath().c_str());
    return 0;
}
