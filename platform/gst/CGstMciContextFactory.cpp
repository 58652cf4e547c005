#include "platform/gst/CGstMciContextFactory.h"

#include "platform/gst/CGstAudioDevice.h"
#include "platform/mci/CMciInterpreter.h"
#include "platform/mci/CSteadyMciClock.h"

CGstMciContextFactory::CGstMciContextFactory() : m_pClock(std::make_shared<CSteadyMciClock>()) {}

std::unique_ptr<IMciContext> CGstMciContextFactory::CreateContext() {
    return std::make_unique<CMciInterpreter>([] { return std::make_unique<CGstAudioDevice>(); },
                                             m_pClock);
}
