#include "platform/mci/CSimulatedMciContextFactory.h"

#include "platform/mci/CMciInterpreter.h"
#include "platform/mci/CSimulatedAudioDevice.h"

#include <string>
#include <utility>

CSimulatedMciContextFactory::CSimulatedMciContextFactory(std::shared_ptr<CSimulatedDeviceHost> host)
    : m_pHost(host ? std::move(host) : std::make_shared<CSimulatedDeviceHost>()) {}

std::unique_ptr<IMciContext> CSimulatedMciContextFactory::CreateContext() {
    std::shared_ptr<CSimulatedDeviceHost> host = m_pHost;
    auto context = std::make_unique<CMciInterpreter>(
        [host] { return std::make_unique<CSimulatedAudioDevice>(host); }, host->Clock());
    const int id = host->NewContext();
    context->SetObserver(
        [host, id](std::string_view command, std::uint32_t error, std::string_view reply) {
            host->RecordCommand(id, std::string(command), error, std::string(reply));
        });
    return context;
}
