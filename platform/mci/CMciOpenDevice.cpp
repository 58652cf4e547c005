#include "platform/mci/CMciOpenDevice.h"

#include "platform/mci/MciErrors.h"

#include <cstdio>
#include <utility>
#include <vector>

namespace {

constexpr int kMaxVolume = 1000;
// A trim beyond 60 dB either way is a mistake, not a gain.
constexpr std::int64_t kMaxTrimHundredths = 6000;
constexpr std::int64_t kCdFramesPerSecond = 75;

const char* ModeText(EAudioMode mode) {
    switch (mode) {
    case EAudioMode::kPlaying:
        return "playing";
    case EAudioMode::kPaused:
        return "paused";
    case EAudioMode::kStopped:
        break;
    }
    return "stopped";
}

// Splits "a:b:c" into numbers; false when a field is not a number.
bool SplitFields(const std::string& text, std::vector<std::int64_t>& fields) {
    fields.clear();
    std::size_t start = 0;
    while (true) {
        const std::size_t colon = text.find(':', start);
        std::int64_t value = 0;
        const std::string field = text.substr(start, colon - start);
        if (!CMciCommand::ParseNumber(field, value)) {
            return false;
        }
        fields.push_back(value);
        if (colon == std::string::npos) {
            return fields.size() <= 4;
        }
        start = colon + 1;
    }
}

} // namespace

CMciOpenDevice::CMciOpenDevice(std::unique_ptr<IAudioDevice> device,
                               std::shared_ptr<const IMciClock> clock)
    : m_pDevice(std::move(device)), m_length(std::move(clock)) {}

CMciOpenDevice::~CMciOpenDevice() {
    if (m_pDevice) {
        m_pDevice->Close();
    }
}

std::uint32_t CMciOpenDevice::OpenFile(const std::string& path) {
    m_strElement = path;
    const std::uint32_t error = m_pDevice->OpenFile(path);
    if (error == MciError::kNone) {
        m_length.Start(CMciLengthEstimate::FromFrames(path), m_pDevice->DurationMs());
    }
    return error;
}

std::uint32_t CMciOpenDevice::OpenCd() {
    m_bCd = true;
    m_strElement = "cdaudio";
    return m_pDevice->OpenCdDrive();
}

std::uint32_t CMciOpenDevice::Carry(CMciCommand& command, std::string& reply) {
    const std::string& verb = command.Verb();
    std::uint32_t error = MciError::kUnrecognizedCommand;
    if (verb == "play") {
        error = Play(command);
    } else if (verb == "pause") {
        error = m_pDevice->Pause();
    } else if (verb == "resume") {
        error = m_pDevice->Resume();
    } else if (verb == "stop") {
        error = StopVerb(command);
    } else if (verb == "set") {
        error = Set(command);
    } else if (verb == "setaudio") {
        error = SetAudio(command);
    } else if (verb == "status") {
        error = Status(command, reply);
    } else if (verb == "info") {
        error = Info(command, reply);
    }
    if (error == MciError::kNone && command.HasRest()) {
        reply.clear();
        return MciError::kUnrecognizedKeyword;
    }
    return error;
}

std::uint32_t CMciOpenDevice::Play(CMciCommand& command) {
    std::string fromText;
    std::string toText;
    std::string atText;
    const bool hasFrom = command.TakeValue("from", fromText);
    const bool hasTo = command.TakeValue("to", toText);
    const bool hasAt = command.TakeValue("at", atText);
    STime from;
    STime to;
    std::int64_t atMs = -1;
    if ((hasFrom && !ParseTime(fromText, from)) || (hasTo && !ParseTime(toText, to)) ||
        (hasAt && !CMciCommand::ParseNumber(atText, atMs))) {
        return MciError::kBadInteger;
    }
    if (command.HasRest()) {
        return MciError::kUnrecognizedKeyword;
    }
    if (m_bCd) {
        return PlayCd(hasFrom, from, hasTo, to);
    }
    if (hasFrom && hasTo && to.nOffsetMs < from.nOffsetMs) {
        return MciError::kOutOfRange;
    }
    const std::int64_t fromMs = hasFrom ? from.nOffsetMs : -1;
    const std::int64_t toMs = hasTo ? to.nOffsetMs : -1;
    return hasAt ? m_pDevice->PlayAt(fromMs, toMs, atMs) : m_pDevice->Play(fromMs, toMs);
}

// One track plays at a time: "from 3 to 4" plays track 3 to its end; a "to" inside the
// same track stops there, a later track ends the play at the end of the "from" track.
std::uint32_t CMciOpenDevice::PlayCd(bool hasFrom, const STime& from, bool hasTo, const STime& to) {
    int track = m_nTrack > 0 ? m_nTrack : 1;
    std::int64_t fromMs = -1;
    if (hasFrom) {
        track = from.nTrack > 0 ? from.nTrack : track;
        fromMs = from.nOffsetMs;
    }
    std::int64_t toMs = -1;
    if (hasTo) {
        const int toTrack = to.nTrack > 0 ? to.nTrack : track;
        if (toTrack < track || (toTrack == track && hasFrom && to.nOffsetMs < fromMs)) {
            return MciError::kOutOfRange;
        }
        if (toTrack == track) {
            toMs = to.nOffsetMs;
        }
    }
    if (track != m_nTrack) {
        const std::uint32_t error = LoadTrack(track);
        if (error != MciError::kNone) {
            return error;
        }
        fromMs = fromMs < 0 ? 0 : fromMs;
    }
    return m_pDevice->Play(fromMs, toMs);
}

std::uint32_t CMciOpenDevice::LoadTrack(int track) {
    m_nTrack = 0;
    const std::uint32_t error = m_pDevice->OpenCdTrack(track);
    if (error == MciError::kNone) {
        m_nTrack = track;
        m_length.Start(-1, m_pDevice->DurationMs());
    }
    return error;
}

std::uint32_t CMciOpenDevice::Set(CMciCommand& command) {
    if (!command.HasRest()) {
        return MciError::kMissingParameter;
    }
    std::string value;
    if (command.TakeWords({"time", "format"})) {
        const std::string format = CMciCommand::Lower(command.TakeNext());
        if (command.HasRest()) {
            return MciError::kUnrecognizedKeyword;
        }
        if (format == "ms" || format == "milliseconds") {
            m_eTimeFormat = ETimeFormat::kMilliseconds;
        } else if (format == "tmsf" && m_bCd) {
            m_eTimeFormat = ETimeFormat::kTmsf;
        } else {
            return format.empty() ? MciError::kMissingParameter : MciError::kBadTimeFormat;
        }
    } else if (command.TakeWords({"seek", "exactly"})) {
        const std::string onOff = CMciCommand::Lower(command.TakeNext());
        if (onOff != "on" && onOff != "off") {
            return MciError::kMissingParameter;
        }
        m_bSeekExactly = onOff == "on";
    } else if (command.TakeValue("speed", value)) {
        std::int64_t speed = 0;
        if (!CMciCommand::ParseNumber(value, speed)) {
            return MciError::kBadInteger;
        }
        if (speed != 1000) {
            return MciError::kUnsupportedFunction;
        }
    }
    return MciError::kNone;
}

// stop ALIAS [at T]: T in engine time (ms), for a device that plays through an engine.
std::uint32_t CMciOpenDevice::StopVerb(CMciCommand& command) {
    std::string atText;
    if (!command.TakeValue("at", atText)) {
        return m_pDevice->Stop();
    }
    std::int64_t atMs = 0;
    if (!CMciCommand::ParseNumber(atText, atMs)) {
        return MciError::kBadInteger;
    }
    return m_pDevice->StopAt(atMs);
}

// setaudio ALIAS trim to N: a fixed gain of N hundredths of a dB (signed).
std::uint32_t CMciOpenDevice::SetTrim(CMciCommand& command) {
    std::string text = command.TakeNext();
    const bool negative = !text.empty() && text[0] == '-';
    std::int64_t hundredths = 0;
    if (!CMciCommand::ParseNumber(negative ? text.substr(1) : text, hundredths)) {
        return MciError::kBadInteger;
    }
    if (hundredths > kMaxTrimHundredths) {
        return MciError::kOutOfRange;
    }
    if (command.HasRest()) {
        return MciError::kUnrecognizedKeyword;
    }
    m_pDevice->SetTrimDb((negative ? -1.0 : 1.0) * static_cast<double>(hundredths) / 100.0);
    return MciError::kNone;
}

// setaudio ALIAS curve [scaled] T1:L1 T2:L2 ...: the gain along engine time (ms), levels
// 0 to 1000, straight lines between the points; "scaled": levels are shares of the gain
// the song has at T1.
std::uint32_t CMciOpenDevice::SetCurve(CMciCommand& command) {
    const bool scaled = command.TakeFlag("scaled");
    std::vector<IAudioDevice::SGainPoint> points;
    std::vector<std::int64_t> fields;
    for (std::string word = command.TakeNext(); !word.empty(); word = command.TakeNext()) {
        if (CMciCommand::SameWord(word, "wait")) {
            continue;
        }
        if (!SplitFields(word, fields) || fields.size() != 2) {
            return MciError::kBadInteger;
        }
        if (fields[1] > kMaxVolume) {
            return MciError::kOutOfRange;
        }
        points.push_back({fields[0], static_cast<double>(fields[1]) / kMaxVolume});
    }
    if (points.empty()) {
        return MciError::kMissingParameter;
    }
    return m_pDevice->SetGainCurve(points, scaled) ? MciError::kNone
                                                   : MciError::kUnsupportedFunction;
}

std::uint32_t CMciOpenDevice::SetAudio(CMciCommand& command) {
    if (command.TakeWords({"trim", "to"})) {
        return SetTrim(command);
    }
    if (command.TakeFlag("curve")) {
        return SetCurve(command);
    }
    const bool left = command.TakeFlag("left");
    const bool right = command.TakeFlag("right");
    command.TakeFlag("all");
    if (!command.TakeWords({"volume", "to"})) {
        return MciError::kMissingParameter;
    }
    std::int64_t level = 0;
    if (!CMciCommand::ParseNumber(command.TakeNext(), level)) {
        return MciError::kBadInteger;
    }
    if (level > kMaxVolume) {
        return MciError::kOutOfRange;
    }
    if (command.HasRest()) {
        return MciError::kUnrecognizedKeyword;
    }
    const int volume = static_cast<int>(level);
    // Neither side named means both.
    if (left || !right) {
        m_nLeftVolume = volume;
    }
    if (right || !left) {
        m_nRightVolume = volume;
    }
    // One gain for both sides: the mean of the two.
    m_pDevice->SetGain((m_nLeftVolume + m_nRightVolume) / (2.0 * kMaxVolume));
    return MciError::kNone;
}

std::uint32_t CMciOpenDevice::Status(CMciCommand& command, std::string& reply) {
    reply.clear();
    if (command.TakeFlag("mode")) {
        reply = (m_bCd && m_nTrack == 0) ? "stopped" : ModeText(m_pDevice->Mode());
    } else if (command.TakeFlag("length")) {
        return StatusLength(command, reply);
    } else if (command.TakeFlag("position")) {
        return StatusPosition(reply);
    } else if (command.TakeWords({"time", "format"})) {
        reply = m_eTimeFormat == ETimeFormat::kTmsf ? "tmsf" : "milliseconds";
    } else if (command.TakeFlag("ready")) {
        reply = "true";
    } else if (command.TakeFlag("clock")) {
        return StatusClock(command, reply);
    } else if (command.TakeFlag("output")) {
        reply = m_pDevice->OutputWaiting() ? "waiting" : "ready";
    } else if (command.TakeWords({"current", "track"})) {
        if (!m_bCd) {
            return MciError::kUnsupportedFunction;
        }
        reply = std::to_string(m_nTrack > 0 ? m_nTrack : 1);
    } else {
        return command.HasRest() ? MciError::kUnrecognizedKeyword : MciError::kMissingParameter;
    }
    return MciError::kNone;
}

// status ALIAS clock: the engine time (ms) of the next sample mixed; "clock at X": the
// engine time at which the playing song reaches X of its own time.
std::uint32_t CMciOpenDevice::StatusClock(CMciCommand& command, std::string& reply) {
    std::string atText;
    std::int64_t ms = 0;
    if (command.TakeValue("at", atText)) {
        std::int64_t atMs = 0;
        if (!CMciCommand::ParseNumber(atText, atMs)) {
            return MciError::kBadInteger;
        }
        ms = m_pDevice->EngineTimeOfPositionMs(atMs);
    } else {
        ms = m_pDevice->EngineClockMs();
    }
    if (ms < 0) {
        return MciError::kUnsupportedFunction;
    }
    reply = std::to_string(ms);
    return MciError::kNone;
}

std::uint32_t CMciOpenDevice::StatusLength(CMciCommand& command, std::string& reply) {
    std::string trackText;
    if (command.TakeValue("track", trackText)) {
        std::int64_t track = 0;
        if (!CMciCommand::ParseNumber(trackText, track)) {
            return MciError::kBadInteger;
        }
        if (!m_bCd) {
            return MciError::kUnsupportedFunction;
        }
        const std::int64_t ms = m_pDevice->CdTrackLengthMs(static_cast<int>(track));
        if (ms < 0) {
            return MciError::kOutOfRange;
        }
        reply = m_eTimeFormat == ETimeFormat::kTmsf ? FormatMsf(ms) : std::to_string(ms);
        return MciError::kNone;
    }
    if (m_bCd && m_nTrack == 0) {
        return MciError::kDeviceNotReady;
    }
    const std::int64_t ms =
        m_length.Answer(m_pDevice->DurationMs(), m_pDevice->PositionMs(), m_pDevice->ReachedEnd());
    reply = m_eTimeFormat == ETimeFormat::kTmsf ? FormatMsf(ms) : std::to_string(ms);
    return MciError::kNone;
}

std::uint32_t CMciOpenDevice::StatusPosition(std::string& reply) {
    const std::int64_t ms = (m_bCd && m_nTrack == 0) ? 0 : m_pDevice->PositionMs();
    if (m_eTimeFormat == ETimeFormat::kTmsf) {
        char track[16];
        std::snprintf(track, sizeof track, "%02d:", m_nTrack > 0 ? m_nTrack : 1);
        reply = track + FormatMsf(ms);
    } else {
        reply = std::to_string(ms);
    }
    return MciError::kNone;
}

std::uint32_t CMciOpenDevice::Info(CMciCommand& command, std::string& reply) {
    reply.clear();
    if (command.TakeFlag("file")) {
        if (m_bCd) {
            return MciError::kUnsupportedFunction;
        }
        reply = m_strElement;
    } else if (command.TakeFlag("product")) {
        reply = m_pDevice->ProductName();
    } else {
        return command.HasRest() ? MciError::kUnrecognizedKeyword : MciError::kMissingParameter;
    }
    return MciError::kNone;
}

bool CMciOpenDevice::ParseTime(const std::string& text, STime& time) const {
    time = STime();
    if (m_eTimeFormat == ETimeFormat::kMilliseconds) {
        time.nTrack = 0;
        return CMciCommand::ParseNumber(text, time.nOffsetMs);
    }
    // tt[:mm[:ss[:ff]]]
    std::vector<std::int64_t> fields;
    if (!SplitFields(text, fields) || fields[0] < 1 || fields[0] > 99) {
        return false;
    }
    fields.resize(4, 0);
    time.nTrack = static_cast<int>(fields[0]);
    time.nOffsetMs = (fields[1] * 60 + fields[2]) * 1000 + fields[3] * 1000 / kCdFramesPerSecond;
    return true;
}

std::string CMciOpenDevice::FormatMsf(std::int64_t ms) {
    const std::int64_t seconds = ms / 1000;
    const std::int64_t frames = (ms % 1000) * kCdFramesPerSecond / 1000;
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", static_cast<long long>(seconds / 60),
                  static_cast<long long>(seconds % 60), static_cast<long long>(frames));
    return text;
}
