// Throughput of reading music-file facts: the one-pass song reader, the frame reader
// alone and, when it is installed, TagLib as a yardstick. At start-up the program makes
// a library of small MP3 files (ID3v2.3 tag, MPEG-1 Layer III frames with zero bodies,
// ID3v1 tag) and one WAV file in a temporary folder, and removes it at the end.
//
//   mixorel-bench [benchmark options]        run the benchmarks
//   mixorel-bench --make-library DIR [N]     only write N song files below DIR
//   mixorel-bench --make-wav FILE            only write the WAV file
//
// MIXOREL_BENCH_FILES sets the number of song files (default 2000).
#include "catalogue/CMixorel2001Doc.h"
#include "catalogue/CPlaylistContent.h"
#include "media/MpegFileInfo.h"
#include "media/SongFileReader.h"

#include <benchmark/benchmark.h>

#ifdef MIXOREL_HAVE_TAGLIB
#include <taglib/audioproperties.h>
#include <taglib/fileref.h>
#include <taglib/tag.h>
#endif

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

constexpr int kDefaultFileCount = 2000;
constexpr int kSongsPerAlbum = 12;
constexpr std::size_t kWavPcmBytes = 300 * 1024;

// ---- byte builders -------------------------------------------------------------------

void PutBigEndian32(Bytes& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

void PutLittleEndian(Bytes& out, std::uint32_t value, int byteCount) {
    for (int i = 0; i < byteCount; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

// Byte by byte: a range insert into a just-made small vector trips a false alarm of
// g++ 12's buffer-overflow warnings.
void PutText(Bytes& out, std::string_view text) {
    for (const char c : text) {
        out.push_back(static_cast<std::uint8_t>(c));
    }
}

// Size field of the ID3v2 tag header: four 7-bit groups.
void PutSyncSafe32(Bytes& out, std::uint32_t value) {
    for (int shift = 21; shift >= 0; shift -= 7) {
        out.push_back(static_cast<std::uint8_t>((value >> shift) & 0x7F));
    }
}

// UTF-8 to UTF-16LE code units (the generator only uses characters of the BMP).
void PutUtf16Le(Bytes& out, std::string_view utf8) {
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        std::uint32_t code = c;
        int extra = 0;
        if (c >= 0xE0) {
            code = c & 0x0F;
            extra = 2;
        } else if (c >= 0xC0) {
            code = c & 0x1F;
            extra = 1;
        }
        for (int k = 1; k <= extra; ++k) {
            code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        }
        i += 1 + static_cast<std::size_t>(extra);
        PutLittleEndian(out, code, 2);
    }
}

// ---- ID3 tags ------------------------------------------------------------------------

struct SongText {
    std::string title;
    std::string artist;
    std::string album;
    std::string year;
    std::string track;
    std::string genre;
    std::string comment;
    bool unicodeTitle = false;
};

// An ID3v2.3 frame: identifier, plain 32-bit size, two flag bytes, body.
void PutFrame(Bytes& out, std::string_view id, const Bytes& body) {
    PutText(out, id);
    PutBigEndian32(out, static_cast<std::uint32_t>(body.size()));
    out.push_back(0);
    out.push_back(0);
    out.insert(out.end(), body.begin(), body.end());
}

Bytes Latin1TextBody(std::string_view latin1) {
    Bytes body{0};
    PutText(body, latin1);
    return body;
}

// Encoding 1: UTF-16 with a byte-order mark.
Bytes Utf16TextBody(std::string_view utf8) {
    Bytes body{1, 0xFF, 0xFE};
    PutUtf16Le(body, utf8);
    return body;
}

// Encoding, language, empty description with its terminator, text.
Bytes CommentBody(std::string_view latin1) {
    Bytes body{0};
    PutText(body, "eng");
    body.push_back(0);
    PutText(body, latin1);
    return body;
}

Bytes Id3v2Tag(const SongText& song, std::size_t padding) {
    Bytes frames;
    PutFrame(frames, "TIT2",
             song.unicodeTitle ? Utf16TextBody(song.title) : Latin1TextBody(song.title));
    PutFrame(frames, "TPE1", Latin1TextBody(song.artist));
    PutFrame(frames, "TALB", Latin1TextBody(song.album));
    PutFrame(frames, "TYER", Latin1TextBody(song.year));
    PutFrame(frames, "TRCK", Latin1TextBody(song.track));
    PutFrame(frames, "TCON", Latin1TextBody(song.genre));
    PutFrame(frames, "COMM", CommentBody(song.comment));
    frames.resize(frames.size() + padding, 0);

    Bytes tag;
    PutText(tag, "ID3");
    tag.push_back(3);
    tag.push_back(0);
    tag.push_back(0);
    PutSyncSafe32(tag, static_cast<std::uint32_t>(frames.size()));
    tag.insert(tag.end(), frames.begin(), frames.end());
    return tag;
}

// A text of an ID3v1 field: Latin-1, cut to its width, zero-filled.
void PutFixed(Bytes& out, std::string_view text, std::size_t width) {
    const std::size_t n = std::min(text.size(), width);
    out.insert(out.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n));
    out.resize(out.size() + width - n, 0);
}

// Version 1.1: 28 comment bytes, a zero byte, the track number.
Bytes Id3v1Block(const SongText& song, int track, int genre) {
    Bytes block;
    PutText(block, "TAG");
    PutFixed(block, song.unicodeTitle ? std::string_view("?") : song.title, 30);
    PutFixed(block, song.artist, 30);
    PutFixed(block, song.album, 30);
    PutFixed(block, song.year, 4);
    PutFixed(block, song.comment, 28);
    block.push_back(0);
    block.push_back(static_cast<std::uint8_t>(track));
    block.push_back(static_cast<std::uint8_t>(genre));
    return block;
}

// ---- MPEG-1 Layer III frames ----------------------------------------------------------

struct StreamShape {
    int bitrateKbps = 128;
    int sampleRateHz = 44100;
    bool mono = false;
    int frameCount = 10;
    bool xing = false;
};

int BitrateIndex(int kbps) {
    static constexpr int kTable[] = {0,   32,  40,  48,  56,  64,  80, 96,
                                     112, 128, 160, 192, 224, 256, 320};
    for (int i = 1; i < 15; ++i) {
        if (kTable[i] == kbps) {
            return i;
        }
    }
    return 9;
}

int SampleRateIndex(int hz) {
    return hz == 48000 ? 1 : hz == 32000 ? 2 : 0;
}

void PutFrameHeader(Bytes& out, const StreamShape& shape, bool padding) {
    out.push_back(0xFF);
    out.push_back(0xFB); // MPEG-1, Layer III, no CRC
    out.push_back(static_cast<std::uint8_t>((BitrateIndex(shape.bitrateKbps) << 4) |
                                            (SampleRateIndex(shape.sampleRateHz) << 2) |
                                            (padding ? 2 : 0)));
    out.push_back(shape.mono ? 0xC4 : 0x44); // single channel or joint stereo; original
}

// The Xing header an encoder puts in the first frame of a VBR file: frame count, byte
// count, a 100-entry seek table and a quality value.
void PutXing(Bytes& frame, const StreamShape& shape, std::uint32_t audioBytes) {
    std::size_t at = 4 + (shape.mono ? 17U : 32U);
    Bytes xing;
    PutText(xing, "Xing");
    PutBigEndian32(xing, 0x0F);
    PutBigEndian32(xing, static_cast<std::uint32_t>(shape.frameCount));
    PutBigEndian32(xing, audioBytes);
    for (int i = 0; i < 100; ++i) {
        xing.push_back(static_cast<std::uint8_t>(i * 256 / 100));
    }
    PutBigEndian32(xing, 57);
    std::copy(xing.begin(), xing.end(), frame.begin() + static_cast<std::ptrdiff_t>(at));
}

// Frames with zero bodies; the padding slot is spread as an encoder spreads it, so the
// average frame length matches the bit rate.
Bytes MpegFrames(const StreamShape& shape) {
    const int slotsPerFrame = 144 * shape.bitrateKbps * 1000;
    const int baseLength = slotsPerFrame / shape.sampleRateHz;
    const int remainder = slotsPerFrame % shape.sampleRateHz;
    Bytes out;
    int carried = 0;
    for (int i = 0; i < shape.frameCount; ++i) {
        carried += remainder;
        const bool padding = carried >= shape.sampleRateHz;
        if (padding) {
            carried -= shape.sampleRateHz;
        }
        const std::size_t start = out.size();
        PutFrameHeader(out, shape, padding);
        out.resize(start + static_cast<std::size_t>(baseLength + (padding ? 1 : 0)), 0);
    }
    if (shape.xing) {
        Bytes first(out.begin(), out.begin() + baseLength);
        PutXing(first, shape, static_cast<std::uint32_t>(out.size()));
        std::copy(first.begin(), first.end(), out.begin());
    }
    return out;
}

// ---- whole files ---------------------------------------------------------------------

constexpr const char* kArtists[] = {
    "The Lanterns", "Mara Velde",   "Kopf & Kragen", "Oskar Brandt", "Nightline Trio",
    "Bébé Soleil",  "Harbour Lane", "DJ Fennec",     "Ana Ferreira", "Quiet Machines",
    "Søren Lund",   "Blue Parade",  "Los Tejados",   "Meridian",     "Polar Static"};
constexpr const char* kGenres[] = {"Pop", "(17)", "Rock", "Jazz", "(13)", "Electronic", "Folk"};
constexpr const char* kUnicodeTitles[] = {"夜の街", "Живи", "Ωραία μέρα", "海辺のうた"};

// Latin-1 bytes of a UTF-8 text whose characters all lie in Latin-1.
std::string ToLatin1(std::string_view utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if ((c == 0xC2 || c == 0xC3) && i + 1 < utf8.size()) {
            out.push_back(static_cast<char>(((c & 0x03) << 6) | (utf8[++i] & 0x3F)));
        } else {
            out.push_back(static_cast<char>(c));
        }
    }
    return out;
}

SongText MakeSongText(int index, std::mt19937& random) {
    const int album = index / kSongsPerAlbum;
    const int track = index % kSongsPerAlbum + 1;
    SongText song;
    song.artist = ToLatin1(kArtists[album % std::size(kArtists)]);
    song.album = "Album " + std::to_string(album + 1);
    song.year = std::to_string(1965 + album % 58);
    song.track = std::to_string(track) + "/" + std::to_string(kSongsPerAlbum);
    song.genre = kGenres[album % std::size(kGenres)];
    song.comment = random() % 3 == 0 ? "Ripped from the original vinyl" : "";
    song.unicodeTitle = index % 10 == 7;
    song.title = song.unicodeTitle ? kUnicodeTitles[index % std::size(kUnicodeTitles)]
                                   : "Song number " + std::to_string(index + 1);
    return song;
}

StreamShape MakeShape(int index, std::mt19937& random) {
    static constexpr int kRates[] = {128, 160, 192, 256, 320};
    StreamShape shape;
    shape.bitrateKbps = kRates[random() % std::size(kRates)];
    shape.sampleRateHz = random() % 4 == 0 ? 48000 : 44100;
    shape.mono = index % 13 == 5;
    shape.frameCount = 6 + static_cast<int>(random() % 8);
    shape.xing = index % 5 == 2;
    return shape;
}

Bytes MakeSongFile(int index, std::mt19937& random) {
    const SongText song = MakeSongText(index, random);
    const std::size_t padding = index % 4 == 0 ? 2048 : 256;
    Bytes file = Id3v2Tag(song, padding);
    const Bytes frames = MpegFrames(MakeShape(index, random));
    file.insert(file.end(), frames.begin(), frames.end());
    const Bytes v1 = Id3v1Block(song, index % kSongsPerAlbum + 1, 17);
    file.insert(file.end(), v1.begin(), v1.end());
    return file;
}

bool WriteFile(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// Folders per artist and album, as a music library is kept.
fs::path SongPath(const fs::path& root, int index) {
    const int album = index / kSongsPerAlbum;
    char folder[64];
    std::snprintf(folder, sizeof folder, "artist-%02zu/album-%04d",
                  static_cast<std::size_t>(album) % std::size(kArtists), album + 1);
    char name[32];
    std::snprintf(name, sizeof name, "%02d-song-%05d.mp3", index % kSongsPerAlbum + 1, index + 1);
    return root / folder / name;
}

std::vector<std::string> MakeLibrary(const fs::path& root, int count) {
    std::mt19937 random(20240611);
    std::vector<std::string> paths;
    paths.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const fs::path path = SongPath(root, i);
        fs::create_directories(path.parent_path());
        if (!WriteFile(path, MakeSongFile(i, random))) {
            std::fprintf(stderr, "mixorel-bench: cannot write %s\n", path.c_str());
            std::exit(1);
        }
        paths.push_back(path.string());
    }
    return paths;
}

// 16-bit stereo PCM at 44.1 kHz: a 440 Hz sine with a little noise, so its bytes include
// 0xFF now and then as real recordings do.
Bytes MakeWav() {
    Bytes pcm;
    pcm.reserve(kWavPcmBytes);
    std::mt19937 random(7);
    std::uniform_int_distribution<int> noise(-300, 300);
    for (std::size_t frame = 0; pcm.size() < kWavPcmBytes; ++frame) {
        const double phase = 2.0 * 3.14159265358979 * 440.0 * static_cast<double>(frame) / 44100.0;
        for (int channel = 0; channel < 2; ++channel) {
            const int sample = static_cast<int>(12000.0 * std::sin(phase)) + noise(random);
            PutLittleEndian(pcm, static_cast<std::uint32_t>(sample), 2);
        }
    }
    Bytes wav;
    PutText(wav, "RIFF");
    PutLittleEndian(wav, static_cast<std::uint32_t>(36 + pcm.size()), 4);
    PutText(wav, "WAVEfmt ");
    PutLittleEndian(wav, 16, 4);
    PutLittleEndian(wav, 1, 2);         // PCM
    PutLittleEndian(wav, 2, 2);         // channels
    PutLittleEndian(wav, 44100, 4);     // sampling rate
    PutLittleEndian(wav, 44100 * 4, 4); // bytes per second
    PutLittleEndian(wav, 4, 2);         // block alignment
    PutLittleEndian(wav, 16, 2);        // bits per sample
    PutText(wav, "data");
    PutLittleEndian(wav, static_cast<std::uint32_t>(pcm.size()), 4);
    wav.insert(wav.end(), pcm.begin(), pcm.end());
    return wav;
}

// ---- the benchmark library -----------------------------------------------------------

int FileCountFromEnvironment() {
    const char* text = std::getenv("MIXOREL_BENCH_FILES");
    const int count = text != nullptr ? std::atoi(text) : kDefaultFileCount;
    return count > 0 ? count : kDefaultFileCount;
}

// Reads every file once so the timed runs find them in the page cache.
void WarmCache(const std::vector<std::string>& paths) {
    std::vector<char> buffer(1 << 20);
    for (const std::string& path : paths) {
        std::ifstream in(path, std::ios::binary);
        while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()))) {
        }
    }
}

class BenchLibrary {
public:
    BenchLibrary() {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern =
            std::string(tmp != nullptr && *tmp != 0 ? tmp : "/tmp") + "/mixorel-bench-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("mixorel-bench: mkdtemp");
            std::exit(1);
        }
        m_root = pattern;
        songs = MakeLibrary(m_root / "songs", FileCountFromEnvironment());
        wav = (m_root / "noise.wav").string();
        WriteFile(wav, MakeWav());
        WarmCache(songs);
        WarmCache({wav});
    }
    ~BenchLibrary() {
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }
    BenchLibrary(const BenchLibrary&) = delete;
    BenchLibrary& operator=(const BenchLibrary&) = delete;

    std::vector<std::string> songs;
    std::string wav;

private:
    fs::path m_root;
};

BenchLibrary* g_library = nullptr;

// Read system calls and bytes read by this process so far (from /proc/self/io).
struct IoCount {
    std::int64_t reads = 0;
    std::int64_t bytes = 0;
};

IoCount ReadIoCount() {
    IoCount count;
    std::FILE* file = std::fopen("/proc/self/io", "r");
    if (file == nullptr) {
        return count;
    }
    char line[128];
    while (std::fgets(line, sizeof line, file) != nullptr) {
        long long value = 0;
        if (std::sscanf(line, "rchar: %lld", &value) == 1) {
            count.bytes = value;
        } else if (std::sscanf(line, "syscr: %lld", &value) == 1) {
            count.reads = value;
        }
    }
    std::fclose(file);
    return count;
}

// Reads and bytes that one call of the work costs, less what asking /proc costs.
template <typename Work> IoCount MeasureIo(Work&& work) {
    const IoCount a = ReadIoCount();
    const IoCount b = ReadIoCount();
    work();
    const IoCount c = ReadIoCount();
    return {(c.reads - b.reads) - (b.reads - a.reads), (c.bytes - b.bytes) - (b.bytes - a.bytes)};
}

void ReportIo(benchmark::State& state, const IoCount& io, double files) {
    state.counters["reads/file"] = static_cast<double>(io.reads) / files;
    state.counters["bytes/file"] = static_cast<double>(io.bytes) / files;
}

// ---- benchmarks ----------------------------------------------------------------------

void ReadAllSongs(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        SongFileFacts facts = SongFileReader::Read(path);
        benchmark::DoNotOptimize(facts);
    }
}

void BM_SongFileReader(benchmark::State& state) {
    const auto& songs = g_library->songs;
    const SongFileFacts probe = SongFileReader::Read(songs.front());
    if (probe.mpegResult != MpegFileInfo::kRead || probe.id3v2Result != 0 || !probe.hasId3v1) {
        state.SkipWithError("the first generated song does not read back");
        return;
    }
    const IoCount io = MeasureIo([&] { ReadAllSongs(songs); });
    for (auto _ : state) {
        ReadAllSongs(songs);
    }
    ReportIo(state, io, static_cast<double>(songs.size()));
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(songs.size()));
}

void ReadAllFrames(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        MpegFileInfo info;
        benchmark::DoNotOptimize(info.Read(path));
        benchmark::DoNotOptimize(info.BitRate());
    }
}

void BM_MpegFileInfo(benchmark::State& state) {
    const auto& songs = g_library->songs;
    const IoCount io = MeasureIo([&] { ReadAllFrames(songs); });
    for (auto _ : state) {
        ReadAllFrames(songs);
    }
    ReportIo(state, io, static_cast<double>(songs.size()));
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(songs.size()));
}

#ifdef MIXOREL_HAVE_TAGLIB
void ReadAllWithTagLib(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        const TagLib::FileRef file(path.c_str(), true, TagLib::AudioProperties::Fast);
        if (file.isNull() || file.tag() == nullptr) {
            continue;
        }
        const TagLib::Tag* tag = file.tag();
        benchmark::DoNotOptimize(tag->title().to8Bit(true));
        benchmark::DoNotOptimize(tag->artist().to8Bit(true));
        benchmark::DoNotOptimize(tag->album().to8Bit(true));
        if (file.audioProperties() != nullptr) {
            benchmark::DoNotOptimize(file.audioProperties()->bitrate());
        }
    }
}

void BM_TagLib(benchmark::State& state) {
    const auto& songs = g_library->songs;
    const IoCount io = MeasureIo([&] { ReadAllWithTagLib(songs); });
    for (auto _ : state) {
        ReadAllWithTagLib(songs);
    }
    ReportIo(state, io, static_cast<double>(songs.size()));
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(songs.size()));
}
#endif

// A WAV file has no MPEG frame: the reader must say so after reading the scan window
// once, in at most two reads of the window (plus the 128-byte tail).
void BM_WavNoFrame(benchmark::State& state) {
    const std::string& wav = g_library->wav;
    SongFileFacts facts;
    const IoCount io = MeasureIo([&] { facts = SongFileReader::Read(wav); });
    if (facts.mpegResult != MpegFileInfo::kNoFrame) {
        state.SkipWithError("a frame was found in the WAV file");
        return;
    }
    for (auto _ : state) {
        SongFileFacts again = SongFileReader::Read(wav);
        benchmark::DoNotOptimize(again);
    }
    ReportIo(state, io, 1.0);
    state.SetItemsProcessed(state.iterations());
}

// The playlist's processing thread on the same files: a loaded list of unread songs, the
// thread started, the time until the queue is empty. Its files/s are to be compared with
// BM_SongFileReader's, which is what `mixorel-cli info` does. The idle variant runs the
// thread as the program does (SCHED_IDLE), so it only gets a processor nobody else
// wants: measure it on a quiet machine.
// A view that counts the lines redrawn after their song was read, so the benchmark waits
// for the last one without polling the document.
class DoneCounter : public IDocumentView {
public:
    explicit DoneCounter(std::size_t expected) : m_nExpected(expected) {}
    void RedrawLine(int line) override {
        if (line >= 0) {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (++m_nDone == m_nExpected) {
                m_done.notify_all();
            }
        }
    }
    void ScrollToLine(int /*line*/) override {}
    void Wait() {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_done.wait(lock, [this] { return m_nDone >= m_nExpected; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_done;
    std::size_t m_nDone = 0;
    std::size_t m_nExpected;
};

void ProcessingThread(benchmark::State& state, bool idle) {
    const auto& songs = g_library->songs;
    CPlaylistContent content;
    for (const std::string& path : songs) {
        CSong song;
        song.SetPathText(path);
        content.m_songs.push_back(std::move(song));
    }
    for (auto _ : state) {
        state.PauseTiming();
        CMixorel2001Doc doc;
        doc.Serialize(content);
        DoneCounter counter(songs.size());
        doc.AddView(&counter);
        state.ResumeTiming();
        doc.CreateProcessThread(idle);
        counter.Wait();
        state.PauseTiming();
        doc.RemoveView(&counter);
        doc.StopProcessThread();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(songs.size()));
}

void BM_ProcessingThread(benchmark::State& state) {
    ProcessingThread(state, false);
}

void BM_ProcessingThreadIdle(benchmark::State& state) {
    ProcessingThread(state, true);
}

double Smallest(const std::vector<double>& values) {
    return values.empty() ? 0.0 : *std::min_element(values.begin(), values.end());
}

// Wall-clock time, since reading files waits on the kernel as much as it computes; with
// --benchmark_repetitions the smallest value of each figure is reported beside the median
// (for items_per_second that is the slowest run).
void RegisterAll() {
    const auto add = [](const char* name, void (*function)(benchmark::State&),
                        benchmark::TimeUnit unit) {
        benchmark::RegisterBenchmark(name, function)
            ->Unit(unit)
            ->UseRealTime()
            ->ComputeStatistics("min", Smallest);
    };
    add("BM_SongFileReader", BM_SongFileReader, benchmark::kMillisecond);
    add("BM_MpegFileInfo", BM_MpegFileInfo, benchmark::kMillisecond);
#ifdef MIXOREL_HAVE_TAGLIB
    add("BM_TagLib", BM_TagLib, benchmark::kMillisecond);
#endif
    add("BM_WavNoFrame", BM_WavNoFrame, benchmark::kMicrosecond);
    add("BM_ProcessingThread", BM_ProcessingThread, benchmark::kMillisecond);
    add("BM_ProcessingThreadIdle", BM_ProcessingThreadIdle, benchmark::kMillisecond);
}

// The generator on its own, for timing whole processes on the same kind of library.
int RunGeneratorCommand(int argc, char** argv) {
    const std::string command = argv[1];
    if (command == "--make-library" && argc >= 3) {
        const int count = argc >= 4 ? std::atoi(argv[3]) : FileCountFromEnvironment();
        MakeLibrary(argv[2], count > 0 ? count : kDefaultFileCount);
        return 0;
    }
    if (command == "--make-wav" && argc >= 3) {
        return WriteFile(argv[2], MakeWav()) ? 0 : 1;
    }
    std::fprintf(stderr, "usage: mixorel-bench --make-library DIR [N] | --make-wav FILE\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strncmp(argv[1], "--make-", 7) == 0) {
        return RunGeneratorCommand(argc, argv);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    BenchLibrary library;
    g_library = &library;
    RegisterAll();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_library = nullptr;
    return 0;
}
