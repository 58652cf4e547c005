#include "platform/mci/CSimulatedDeviceHost.h"

#include "platform/mci/CMciLengthEstimate.h"
#include "platform/mci/CSteadyMciClock.h"
#include "platform/mci/MciErrors.h"

#include <filesystem>
#include <system_error>
#include <utility>

CSimulatedDeviceHost::CSimulatedDeviceHost(std::shared_ptr<const IMciClock> clock)
    : m_pClock(clock ? std::move(clock) : std::make_shared<CSteadyMciClock>()) {}

void CSimulatedDeviceHost::AddFile(const std::string& path, std::int64_t lengthMs,
                                   bool deviceKnowsLength) {
    std::lock_guard lock(m_mutex);
    m_files[path] = SFile{lengthMs, deviceKnowsLength};
}

void CSimulatedDeviceHost::SetCdTracks(std::vector<std::int64_t> lengthsMs) {
    std::lock_guard lock(m_mutex);
    m_cdTracks = std::move(lengthsMs);
}

std::uint32_t CSimulatedDeviceHost::LookUpFile(const std::string& path, std::int64_t& lengthMs,
                                               bool& deviceKnowsLength) const {
    {
        std::lock_guard lock(m_mutex);
        const auto found = m_files.find(path);
        if (found != m_files.end()) {
            lengthMs = found->second.nLengthMs;
            deviceKnowsLength = found->second.bDeviceKnowsLength;
            return MciError::kNone;
        }
    }
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (error || !std::filesystem::exists(status)) {
        return MciError::kFileNotFound;
    }
    if (!std::filesystem::is_regular_file(status)) {
        return MciError::kInvalidFile;
    }
    lengthMs = CMciLengthEstimate::FromFrames(path);
    deviceKnowsLength = true;
    return lengthMs > 0 ? MciError::kNone : MciError::kInvalidFile;
}

std::int64_t CSimulatedDeviceHost::CdTrackLengthMs(int track) const {
    std::lock_guard lock(m_mutex);
    if (track < 1 || track > static_cast<int>(m_cdTracks.size())) {
        return -1;
    }
    return m_cdTracks[static_cast<std::size_t>(track - 1)];
}

bool CSimulatedDeviceHost::HasDisc() const {
    std::lock_guard lock(m_mutex);
    return !m_cdTracks.empty();
}

int CSimulatedDeviceHost::NewDevice() {
    std::lock_guard lock(m_mutex);
    return ++m_nDevices;
}

int CSimulatedDeviceHost::NewContext() {
    std::lock_guard lock(m_mutex);
    return ++m_nContexts;
}

void CSimulatedDeviceHost::Record(int device, std::string text) {
    std::lock_guard lock(m_mutex);
    m_events.push_back(SEvent{device, std::move(text)});
}

void CSimulatedDeviceHost::RecordGain(int device, double gain) {
    const std::int64_t now = m_pClock->NowMs();
    std::lock_guard lock(m_mutex);
    m_gains.push_back(SGain{device, gain, now});
}

void CSimulatedDeviceHost::RecordCommand(int context, std::string command, std::uint32_t error,
                                         std::string reply) {
    std::lock_guard lock(m_mutex);
    m_commands.push_back(SCommand{context, std::move(command), error, std::move(reply)});
}

void CSimulatedDeviceHost::NoteOpen(bool open) {
    std::lock_guard lock(m_mutex);
    m_nOpenDevices += open ? 1 : -1;
}

std::vector<CSimulatedDeviceHost::SEvent> CSimulatedDeviceHost::Events() const {
    std::lock_guard lock(m_mutex);
    return m_events;
}

std::vector<CSimulatedDeviceHost::SGain> CSimulatedDeviceHost::Gains() const {
    std::lock_guard lock(m_mutex);
    return m_gains;
}

std::vector<CSimulatedDeviceHost::SCommand> CSimulatedDeviceHost::Commands() const {
    std::lock_guard lock(m_mutex);
    return m_commands;
}

int CSimulatedDeviceHost::OpenDevices() const {
    std::lock_guard lock(m_mutex);
    return m_nOpenDevices;
}

void CSimulatedDeviceHost::ClearJournal() {
    std::lock_guard lock(m_mutex);
    m_events.clear();
    m_gains.clear();
    m_commands.clear();
}
