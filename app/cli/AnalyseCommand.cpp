#include "cli/AnalyseCommand.h"

#include "cli/AnalyserLoader.h"
#include "cli/CsvWriter.h"
#include "cli/JsonText.h"
#include "cli/SettingsStoreLoader.h"
#include "loudness/CLoudnessCache.h"
#include "loudness/CueFinder.h"
#include "loudness/GainRule.h"
#include "loudness/SongAnalyser.h"
#include "settings/CSettings.h"
#include "settings/SettingsKeys.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <optional>

namespace {

constexpr const char* kUsage =
    "usage: mixorel-cli analyse FILE... [--json]\n"
    "  the loudness and cue points of each file (analysed once, then read from the cache):\n"
    "  path, lufs (integrated), true_peak_dbtp (measured for songs the target would\n"
    "  raise), lra, cue_in_s, start_next_s, cue_out_s and gain_db (at \"targetlufs\").\n";

constexpr std::array<const char*, 8> kColumns{
    "path", "lufs", "true_peak_dbtp", "lra", "cue_in_s", "start_next_s", "cue_out_s", "gain_db"};

struct Row {
    std::string path;
    // The seven values after the path, as text; empty when unknown.
    std::array<std::string, 7> values;
};

std::string Number(double value) {
    if (std::isinf(value)) {
        return value < 0 ? "-inf" : "inf";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

Row MakeRow(const std::string& path, const std::optional<SongAnalysis>& a, double targetLufs,
            double mixSeconds) {
    Row row{path, {}};
    if (!a || !a->IsAnalysed()) {
        return row;
    }
    const SongCuePoints cues = CueFinder::FitOverlap(a->cues, mixSeconds);
    GainRule::SongFacts facts{true, a->dIntegratedLufs, a->dSamplePeakDbfs, a->truePeakDbtp, {}};
    row.values = {Number(a->dIntegratedLufs),
                  a->truePeakDbtp ? Number(*a->truePeakDbtp) : std::string(),
                  Number(a->dLoudnessRangeLu),
                  Number(static_cast<double>(cues.nCueInMs) / 1000.0),
                  Number(static_cast<double>(cues.nStartNextMs) / 1000.0),
                  Number(static_cast<double>(cues.nCueOutMs) / 1000.0),
                  Number(GainRule::PlayGainDb(facts, targetLufs))};
    return row;
}

void PrintCsv(const std::vector<Row>& rows) {
    CsvWriter csv(stdout);
    for (const char* column : kColumns) {
        csv.Field(column);
    }
    csv.EndRow();
    for (const Row& row : rows) {
        csv.Field(row.path);
        for (const std::string& value : row.values) {
            csv.Field(value);
        }
        csv.EndRow();
    }
}

void PrintJson(const std::vector<Row>& rows) {
    std::string out = "[";
    for (std::size_t r = 0; r < rows.size(); ++r) {
        out += r == 0 ? "\n  {" : ",\n  {";
        out += JsonText::Quote(kColumns[0]) + ": " + JsonText::Quote(rows[r].path);
        for (std::size_t i = 0; i < rows[r].values.size(); ++i) {
            const std::string& value = rows[r].values[i];
            const bool number = !value.empty() && value.find("inf") == std::string::npos;
            out += std::string(", ") + JsonText::Quote(kColumns[i + 1]) + ": " +
                   (number ? value : "null");
        }
        out += "}";
    }
    out += rows.empty() ? "]\n" : "\n]\n";
    std::fputs(out.c_str(), stdout);
}

} // namespace

int RunAnalyseCommand(const std::vector<std::string>& args) {
    bool json = false;
    std::vector<std::string> files;
    for (const std::string& arg : args) {
        if (arg == "--json") {
            json = true;
        } else if (arg.starts_with('-') && arg != "-") {
            std::fputs(kUsage, stderr);
            return 2;
        } else {
            files.push_back(arg);
        }
    }
    if (files.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    InstallSettingsStore();
    CSettings settings;
    settings.Load();
    const double target =
        std::clamp<double>(settings.m_nTargetLufs, SettingsDefaults::kTargetLufsLowest,
                           SettingsDefaults::kTargetLufsHighest);
    std::string error;
    const auto analyser = LoadLoudnessAnalyser(error);
    if (!analyser) {
        std::fprintf(stderr, "mixorel-cli: cannot load the loudness analyser (%s)\n",
                     error.c_str());
        return 1;
    }
    CLoudnessCache cache;
    const std::string cachePath = CLoudnessCache::DefaultPath();
    cache.Open(cachePath);
    if (cache.WasRebuilt()) {
        std::fprintf(stderr, "mixorel-cli: the analysis cache was damaged; moved to %s.damaged\n",
                     cachePath.c_str());
    }
    const std::atomic<bool> never{false};
    int status = 0;
    std::vector<Row> rows;
    for (const std::string& file : files) {
        std::optional<SongAnalysis> analysis = cache.Lookup(file);
        if (!analysis) {
            SongAnalysis fresh;
            if (SongAnalyser::AnalyseAndStore(*analyser, cache, file, target, never, fresh) ==
                SongAnalyser::Result::kStored) {
                analysis = fresh;
            }
        }
        if (!analysis || !analysis->IsAnalysed()) {
            std::fprintf(stderr, "mixorel-cli: %s: not analysed (cannot be read)\n", file.c_str());
            status = 1;
        }
        rows.push_back(MakeRow(file, analysis, target, settings.m_nMixSeconds));
    }
    if (json) {
        PrintJson(rows);
    } else {
        PrintCsv(rows);
    }
    return status;
}
