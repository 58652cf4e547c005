#pragma once

// Threads: each fader worker's thread drives its own simulated devices, which all write
// into this one host; test threads read the journal. The host's mutex guards all of it.

#include "platform/mci/IMciClock.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// What the simulated devices of one factory share: the clock their positions follow,
// the media they can play, and a journal of everything done to them for tests to read.
// Devices run on the fader workers' threads and tests read from theirs, so every
// operation takes the host's lock.
//
// A device plays a file added with AddFile, or else a readable MPEG file at the length
// the frame reader gives. An audio CD is a list of track lengths (none: no disc).
class CSimulatedDeviceHost {
public:
    struct SEvent {
        int nDevice = 0;
        std::string strText; // "open PATH", "play 0 -1", "pause", "gain 0.5", "close", ...
    };
    struct SGain {
        int nDevice = 0;
        double dGain = 0.0;
        std::int64_t nAtMs = 0; // host clock
    };
    struct SCommand {
        int nContext = 0;
        std::string strCommand;
        std::uint32_t nError = 0;
        std::string strReply;
    };

    // Without a clock, the steady clock.
    explicit CSimulatedDeviceHost(std::shared_ptr<const IMciClock> clock = nullptr);

    const std::shared_ptr<const IMciClock>& Clock() const { return m_pClock; }

    // A file to play at lengthMs, existing or not. With deviceKnowsLength false the
    // device reports its length as unknown, as GStreamer does for MP2 files.
    void AddFile(const std::string& path, std::int64_t lengthMs, bool deviceKnowsLength = true);
    void SetCdTracks(std::vector<std::int64_t> lengthsMs);

    // 0 and the length of a playable file, or the error opening it gives.
    std::uint32_t LookUpFile(const std::string& path, std::int64_t& lengthMs,
                             bool& deviceKnowsLength) const;
    // -1 when there is no such track (or no disc).
    std::int64_t CdTrackLengthMs(int track) const;
    bool HasDisc() const;

    int NewDevice();
    int NewContext();
    void Record(int device, std::string text);
    void RecordGain(int device, double gain);
    void RecordCommand(int context, std::string command, std::uint32_t error, std::string reply);
    void NoteOpen(bool open);

    std::vector<SEvent> Events() const;
    std::vector<SGain> Gains() const;
    std::vector<SCommand> Commands() const;
    // Devices that hold media now: 0 once every song was closed.
    int OpenDevices() const;
    void ClearJournal();

private:
    struct SFile {
        std::int64_t nLengthMs = 0;
        bool bDeviceKnowsLength = true;
    };

    std::shared_ptr<const IMciClock> m_pClock;
    mutable std::mutex m_mutex;
    std::map<std::string, SFile> m_files;
    std::vector<std::int64_t> m_cdTracks;
    std::vector<SEvent> m_events;
    std::vector<SGain> m_gains;
    std::vector<SCommand> m_commands;
    int m_nDevices = 0;
    int m_nContexts = 0;
    int m_nOpenDevices = 0;
};
