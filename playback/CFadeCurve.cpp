#include "CFadeCurve.h"

#include <algorithm>

namespace {

std::string Point(std::int64_t atMs, std::int64_t level) {
    return " " + std::to_string(std::max<std::int64_t>(0, atMs)) + ":" +
           std::to_string(std::clamp<std::int64_t>(level, 0, 1000));
}

} // namespace

std::string CFadeCurve::Command(const std::string& alias, std::int64_t startMs,
                                std::int64_t lengthMs, const std::vector<std::int32_t>& table,
                                std::int32_t fromLevel, std::int32_t scale, std::int32_t endLevel) {
    std::string command = "setaudio " + alias + " curve" + Point(startMs, fromLevel);
    const auto steps = static_cast<std::int64_t>(table.size());
    for (std::int64_t step = 0; step < steps && lengthMs > 0; ++step) {
        const std::int64_t level =
            std::int64_t{table[static_cast<std::size_t>(step)]} * scale / 1000;
        command += Point(startMs + lengthMs * (step + 1) / steps, level);
    }
    if (endLevel >= 0) {
        command += Point(startMs + std::max<std::int64_t>(1, lengthMs), endLevel);
    }
    return command;
}

std::string CFadeCurve::FadeOutCommand(const std::string& alias, std::int64_t startMs,
                                       std::int64_t lengthMs,
                                       const std::vector<std::int32_t>& table) {
    std::string command = Command(alias, startMs, lengthMs, table, 1000, 1000, 0);
    command.insert(command.find(" curve") + 6, " scaled");
    return command;
}
