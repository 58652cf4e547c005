#pragma once

#include "ISystemColours.h"

#include <cstdint>
#include <memory>

// The process-wide system colour provider. Until one is set (and in core tests) the
// defaults of CDefaultSystemColours answer.
std::uint32_t GetSystemColour(int index);

// Makes provider the process provider; a null pointer goes back to the defaults. A call
// to GetSystemColour that is under way finishes with the provider it started with.
void SetSystemColours(std::shared_ptr<ISystemColours> provider);
