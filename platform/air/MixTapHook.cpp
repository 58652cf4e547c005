#include "MixTapHook.h"

#if __has_include("platform/gst/CGstMixEngine.h")
#include "platform/gst/CGstMixEngine.h"
#define MIXOREL_HAVE_MIX_ENGINE 1
#endif

namespace MixTapHook {

#ifdef MIXOREL_HAVE_MIX_ENGINE
void Attach(const std::shared_ptr<IMixTap>& tap) {
    CGstMixEngine::AddTap(tap);
}

void Detach(const std::shared_ptr<IMixTap>& tap) {
    CGstMixEngine::RemoveTap(tap);
}
#else
void Attach(const std::shared_ptr<IMixTap>& /*tap*/) {}
void Detach(const std::shared_ptr<IMixTap>& /*tap*/) {}
#endif

} // namespace MixTapHook
