#pragma once

#include "platform/mci/IMciClock.h"
#include "platform/mci/MciContext.h"

#include <memory>

// Contexts whose devices play through GStreamer (CGstAudioDevice). Install it with
// SetMciContextFactory(std::make_shared<CGstMciContextFactory>()), or load the module
// mixorel-gst-backend.so and call its MixorelCreateGstFactory().
class CGstMciContextFactory final : public IMciContextFactory {
public:
    CGstMciContextFactory();

    std::unique_ptr<IMciContext> CreateContext() override;

private:
    std::shared_ptr<const IMciClock> m_pClock;
};
