#pragma once

#include "ISleeper.h"
#include "platform/mci/MciContext.h"
#include "settings/CMixTypeList.h"

#include <chrono>
#include <memory>

// What the media-control player and its fader workers reach outside themselves: the
// factory of media-control contexts, the mix-type list, the sleeper of fade steps and the
// time limits of a command exchange. The program uses the defaults; tests put in a fake
// device, their own mix types and an accelerated sleeper.
//
// Threads: a copy travels with every worker; the objects it points to are shared and
// must be safe to use from several threads (the factory is called from each worker).
struct PlaybackEnvironment {
    // Null: the process's factory (GetMciContextFactory), looked up when a worker starts.
    std::shared_ptr<IMciContextFactory> pFactory;
    // Null: CMixTypeList::Shared().
    std::shared_ptr<CMixTypeList> pMixTypes;
    // Paces the fade steps. Null: real sleeping.
    std::shared_ptr<ISleeper> pSleeper;
    // How long a sender waits for a worker's reply.
    std::chrono::milliseconds replyTimeout{10000};
    // How long a caller waits for the player lock (held across a whole mixed start).
    std::chrono::milliseconds lockTimeout{60000};

    IMciContextFactory& Factory() const;
    CMixTypeList& MixTypes() const;
    ISleeper& Sleeper() const;
};
