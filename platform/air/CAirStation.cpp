#include "CAirStation.h"

#include "CGstRecorderTap.h"
#include "CGstStreamTap.h"
#include "MixTapHook.h"
#include "catalogue/MusicFolder.h"

CAirStation::CAirStation(const CBroadcastSettings& settings, bool fromEngine)
    : m_settings(settings), m_bFromEngine(fromEngine) {}

CAirStation::~CAirStation() {
    Stop();
}

bool CAirStation::Start(std::string& error) {
    if (m_bStarted) {
        return true;
    }
    if (!m_settings.m_bStream && !m_settings.m_bRecord) {
        error = "Neither streaming nor recording is chosen.";
        return false;
    }
    if (m_settings.m_bRecord) {
        std::string folder = m_settings.m_strRecordFolder;
        if (folder.empty()) {
            folder = GetMusicFolder();
        }
        while (folder.size() > 1 && folder.ends_with('/')) {
            folder.pop_back();
        }
        auto recorder = std::make_shared<CGstRecorderTap>(folder, m_settings.m_nRecordFormat,
                                                          m_settings.m_nRecordSplit);
        if (!recorder->Start(error)) {
            return false;
        }
        m_recorder = recorder;
        if (m_bFromEngine) {
            MixTapHook::Attach(m_recorder);
        }
    }
    if (m_settings.m_bStream) {
        auto stream = std::make_shared<CGstStreamTap>(m_settings);
        if (!stream->Start(error)) {
            Stop();
            return false;
        }
        m_stream = stream;
        if (m_bFromEngine) {
            MixTapHook::Attach(m_stream);
        }
    }
    m_start = std::chrono::steady_clock::now();
    m_bStarted = true;
    return true;
}

void CAirStation::Stop() {
    if (m_stream) {
        MixTapHook::Detach(m_stream);
        m_stream->Stop();
        m_stream.reset();
    }
    if (m_recorder) {
        MixTapHook::Detach(m_recorder);
        m_recorder->Stop();
        m_recorder.reset();
    }
    m_bStarted = false;
}

void CAirStation::SetTitle(const std::string& title) {
    if (m_stream) {
        m_stream->SetTitle(title);
    }
}

CAirStatus CAirStation::Status() const {
    CAirStatus status;
    if (!m_bStarted) {
        return status;
    }
    status.nShowSeconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - m_start)
            .count();
    if (m_stream) {
        status.stream = m_stream->State();
        status.nRetrySeconds = m_stream->RetrySeconds();
    }
    if (m_recorder) {
        status.bRecording = true;
        status.strRecordingPath = m_recorder->CurrentPath();
        status.strError = m_recorder->LastError();
    }
    return status;
}

bool CAirStation::TakePasswordRefused() {
    return m_stream && m_stream->TakePasswordRefused();
}

IMixTap* CAirStation::StreamTap() const {
    return m_stream.get();
}

IMixTap* CAirStation::RecorderTap() const {
    return m_recorder.get();
}
