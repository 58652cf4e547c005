#pragma once

#include "platform/mci/IAudioDevice.h"
#include "platform/mci/IMciClock.h"
#include "platform/mci/MciContext.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

class CMciCommand;
class CMciOpenDevice;

// A media-control context: reads command strings and carries them out on audio devices
// it makes with its device maker, one per "open". Aliases are private to the context,
// so two contexts may each hold a device called "mpeg". Keywords and aliases compare
// without case. Destroying the context closes every device it still holds.
//
// Used by one thread at a time (the fader worker that owns it).
class CMciInterpreter final : public IMciContext {
public:
    // Sees every command with its result, after it was carried out.
    using Observer =
        std::function<void(std::string_view command, std::uint32_t error, std::string_view reply)>;

    CMciInterpreter(AudioDeviceMaker maker, std::shared_ptr<const IMciClock> clock);
    ~CMciInterpreter() override;
    CMciInterpreter(const CMciInterpreter&) = delete;
    CMciInterpreter& operator=(const CMciInterpreter&) = delete;

    std::uint32_t SendString(std::string_view command, std::string& reply) override;

    void SetObserver(Observer observer) { m_observer = std::move(observer); }
    // Number of devices open in this context.
    std::size_t OpenCount() const { return m_devices.size(); }

private:
    std::uint32_t Carry(CMciCommand& command, std::string& reply);
    std::uint32_t Open(CMciCommand& command);
    std::uint32_t Close(CMciCommand& command);
    std::uint32_t New(CMciCommand& command);
    CMciOpenDevice* Find(const std::string& alias);

    AudioDeviceMaker m_maker;
    std::shared_ptr<const IMciClock> m_pClock;
    // By lower-cased alias.
    std::map<std::string, std::unique_ptr<CMciOpenDevice>> m_devices;
    Observer m_observer;
};
