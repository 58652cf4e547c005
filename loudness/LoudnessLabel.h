#pragma once

#include "loudness/SongAnalysis.h"

#include <cstdint>
#include <optional>
#include <string>

// The "Loudness" column's text: "-9.8 LUFS, -8.2 dB" (the integrated loudness and the
// gain the song plays with at the target), "silent, 0.0 dB", "not analysed" for a file
// that could not be decoded, and nothing while the song waits for its analysis.
std::string LoudnessLabel(const std::optional<SongAnalysis>& analysis, double targetLufs);

// The status pane's "Analysing 1,234 of 20,000"; empty when nothing waits.
std::string AnalysisProgressText(std::int64_t done, std::int64_t total);
