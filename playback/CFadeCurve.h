#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The gain-curve command of a fade: a mix type's table (levels 0 to 1000, one per step)
// stretched over a fade's length from a start in engine time, as "setaudio ALIAS curve
// T:L T:L ...". The engine draws straight lines between the points, so the table is
// heard smoothly whatever its length. Pure functions; any thread.
class CFadeCurve {
public:
    // From level fromLevel at startMs, the table's steps evenly up to startMs + lengthMs,
    // each scaled by scale/1000; endLevel (when not negative) is held from the end on.
    static std::string Command(const std::string& alias, std::int64_t startMs,
                               std::int64_t lengthMs, const std::vector<std::int32_t>& table,
                               std::int32_t fromLevel, std::int32_t scale = 1000,
                               std::int32_t endLevel = -1);
    // A fade-out from the level the song has at startMs: the table as shares of it.
    static std::string FadeOutCommand(const std::string& alias, std::int64_t startMs,
                                      std::int64_t lengthMs,
                                      const std::vector<std::int32_t>& table);
};
