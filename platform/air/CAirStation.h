#pragma once

#include "IAirStation.h"
#include "settings/CBroadcastSettings.h"

#include <chrono>
#include <memory>

class CGstStreamTap;
class CGstRecorderTap;
class IMixTap;

// The stream tap and the recorder tap of one broadcast, hooked into the mixing engine
// between Start and Stop. The recording folder defaults to the user's music folder.
class CAirStation final : public IAirStation {
public:
    // fromEngine: the taps hook into the mixing engine; false when the caller feeds them
    // itself (through StreamTap and RecorderTap), as a stand-in for the engine.
    explicit CAirStation(const CBroadcastSettings& settings, bool fromEngine = true);
    ~CAirStation() override;

    bool Start(std::string& error) override;
    void Stop() override;
    bool IsStarted() const override { return m_bStarted; }
    void SetTitle(const std::string& title) override;
    CAirStatus Status() const override;
    bool TakePasswordRefused() override;

    // The taps, for a test that feeds them itself; null when not started.
    IMixTap* StreamTap() const;
    IMixTap* RecorderTap() const;

private:
    const CBroadcastSettings m_settings;
    const bool m_bFromEngine;
    std::shared_ptr<CGstStreamTap> m_stream;
    std::shared_ptr<CGstRecorderTap> m_recorder;
    std::chrono::steady_clock::time_point m_start;
    bool m_bStarted = false;
};
