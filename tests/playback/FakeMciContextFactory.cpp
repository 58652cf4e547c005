#include "FakeMciContextFactory.h"

namespace {

class FakeMciContext : public IMciContext {
public:
    explicit FakeMciContext(std::shared_ptr<FakeMciDevice> pDevice)
        : m_pDevice(std::move(pDevice)), m_nContext(m_pDevice->OpenContext()) {}
    ~FakeMciContext() override { m_pDevice->CloseContext(); }

    std::uint32_t SendString(std::string_view command, std::string& reply) override {
        return m_pDevice->Receive(m_nContext, std::string(command), reply);
    }

private:
    std::shared_ptr<FakeMciDevice> m_pDevice;
    int m_nContext;
};

} // namespace

FakeMciContextFactory::FakeMciContextFactory(std::shared_ptr<FakeMciDevice> pDevice)
    : m_pDevice(std::move(pDevice)) {}

std::unique_ptr<IMciContext> FakeMciContextFactory::CreateContext() {
    if (m_bFailing.load()) {
        return nullptr;
    }
    return std::make_unique<FakeMciContext>(m_pDevice);
}
