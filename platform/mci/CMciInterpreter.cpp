#include "platform/mci/CMciInterpreter.h"

#include "platform/mci/CMciCommand.h"
#include "platform/mci/CMciOpenDevice.h"
#include "platform/mci/MciErrors.h"

#include <array>
#include <utility>

namespace {

// Device types a file may be opened as; all play through the same device.
constexpr std::array<std::string_view, 5> kFileTypes = {"mpegvideo", "mpegvideo2", "mpegaudio",
                                                        "waveaudio", "avivideo"};

bool IsFileType(const std::string& type) {
    for (std::string_view known : kFileTypes) {
        if (CMciCommand::SameWord(known, type)) {
            return true;
        }
    }
    return false;
}

bool IsDeviceVerb(const std::string& verb) {
    static constexpr std::array<std::string_view, 8> kVerbs = {
        "play", "pause", "resume", "stop", "set", "setaudio", "status", "info"};
    for (std::string_view known : kVerbs) {
        if (verb == known) {
            return true;
        }
    }
    return false;
}

} // namespace

CMciInterpreter::CMciInterpreter(AudioDeviceMaker maker, std::shared_ptr<const IMciClock> clock)
    : m_maker(std::move(maker)), m_pClock(std::move(clock)) {}

CMciInterpreter::~CMciInterpreter() = default;

std::uint32_t CMciInterpreter::SendString(std::string_view text, std::string& reply) {
    reply.clear();
    CMciCommand command;
    std::uint32_t error = MciError::kNoClosingQuote;
    if (command.Parse(text)) {
        error = Carry(command, reply);
    }
    if (error != MciError::kNone) {
        reply.clear();
    }
    if (m_observer) {
        m_observer(text, error, reply);
    }
    return error;
}

std::uint32_t CMciInterpreter::Carry(CMciCommand& command, std::string& reply) {
    const std::string& verb = command.Verb();
    if (verb.empty()) {
        return MciError::kMissingCommand;
    }
    const bool known = verb == "open" || verb == "close" || verb == "new" || IsDeviceVerb(verb);
    if (!known) {
        return MciError::kUnrecognizedCommand;
    }
    if (command.Device().empty()) {
        return MciError::kMissingDeviceName;
    }
    // Every command here completes before it returns; a notification has no window to
    // go to.
    command.TakeFlag("wait");
    command.TakeFlag("notify");
    if (verb == "open") {
        return Open(command);
    }
    if (verb == "close") {
        return Close(command);
    }
    if (verb == "new") {
        return New(command);
    }
    CMciOpenDevice* device = Find(command.Device());
    if (device == nullptr) {
        return MciError::kDeviceNotOpen;
    }
    return device->Carry(command, reply);
}

// open ELEMENT [type TYPE] [alias ALIAS] [shareable]; ELEMENT "cdaudio" opens the CD
// drive. Without an alias the element names the device.
std::uint32_t CMciInterpreter::Open(CMciCommand& command) {
    std::string type;
    std::string alias;
    const bool hasType = command.TakeValue("type", type);
    const bool hasAlias = command.TakeValue("alias", alias);
    command.TakeFlag("shareable");
    if ((hasType && type.empty()) || (hasAlias && alias.empty())) {
        return MciError::kMissingParameter;
    }
    if (command.HasRest()) {
        return MciError::kUnrecognizedKeyword;
    }
    const std::string& element = command.Device();
    const bool cd = CMciCommand::SameWord(element, "cdaudio") ||
                    (hasType && CMciCommand::SameWord(type, "cdaudio"));
    if (hasType && !cd && !IsFileType(type)) {
        return MciError::kDeviceNotOpen;
    }
    const std::string key = CMciCommand::Lower(hasAlias ? alias : element);
    if (m_devices.count(key) != 0) {
        return MciError::kDuplicateAlias;
    }
    std::unique_ptr<IAudioDevice> audio = m_maker ? m_maker() : nullptr;
    if (!audio) {
        return MciError::kDriverError;
    }
    auto device = std::make_unique<CMciOpenDevice>(std::move(audio), m_pClock);
    const std::uint32_t error = cd ? device->OpenCd() : device->OpenFile(element);
    if (error != MciError::kNone) {
        return error;
    }
    m_devices.emplace(key, std::move(device));
    return MciError::kNone;
}

std::uint32_t CMciInterpreter::Close(CMciCommand& command) {
    if (command.HasRest()) {
        return MciError::kUnrecognizedKeyword;
    }
    if (CMciCommand::SameWord(command.Device(), "all")) {
        m_devices.clear();
        return MciError::kNone;
    }
    const auto found = m_devices.find(CMciCommand::Lower(command.Device()));
    if (found == m_devices.end()) {
        return MciError::kDeviceNotOpen;
    }
    m_devices.erase(found);
    return MciError::kNone;
}

// "new alias mpeg type mpegvideo" is how a fresh worker greets its context; it opens
// nothing and reserves nothing, so the open that follows may use the alias.
std::uint32_t CMciInterpreter::New(CMciCommand& command) {
    std::string type;
    command.TakeValue("type", type);
    if (CMciCommand::SameWord(command.Device(), "alias")) {
        command.TakeNext();
    }
    if (command.HasRest()) {
        return MciError::kUnrecognizedKeyword;
    }
    return MciError::kNone;
}

CMciOpenDevice* CMciInterpreter::Find(const std::string& alias) {
    const auto found = m_devices.find(CMciCommand::Lower(alias));
    return found == m_devices.end() ? nullptr : found->second.get();
}
