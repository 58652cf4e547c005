#pragma once

#include <memory>

class IMixTap;

// Hooks a tap into the mixing engine's output and off it again. While no engine runs
// in the process, the tap simply gets no blocks.
namespace MixTapHook {

void Attach(const std::shared_ptr<IMixTap>& tap);
void Detach(const std::shared_ptr<IMixTap>& tap);

} // namespace MixTapHook
