#pragma once

#include <cstdint>
#include <span>

// The bytes of the mix.ini shipped in resources/, built into the program so that a
// missing file never leaves the fades without curves. The build generates the
// definition from resources/mix.ini.
std::span<const std::uint8_t> GetDefaultMixIni();
