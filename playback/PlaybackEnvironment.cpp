#include "PlaybackEnvironment.h"

#include "CSystemSleeper.h"

IMciContextFactory& PlaybackEnvironment::Factory() const {
    return pFactory ? *pFactory : GetMciContextFactory();
}

CMixTypeList& PlaybackEnvironment::MixTypes() const {
    return pMixTypes ? *pMixTypes : CMixTypeList::Shared();
}

ISleeper& PlaybackEnvironment::Sleeper() const {
    if (pSleeper) {
        return *pSleeper;
    }
    static CSystemSleeper sleeper;
    return sleeper;
}
