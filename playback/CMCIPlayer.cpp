#include "CMCIPlayer.h"

#include "CCdTrackPath.h"
#include "CMixPlan.h"
#include "ISongCueSource.h"
#include "PlayerStrings.h"
#include "platform/mci/MciContext.h"

#include "CFadeCurve.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <utility>

namespace {

using std::chrono::milliseconds;

// EndWorker waits this long for the worker's thread per round, and gives up after so
// many rounds (a worker stuck in its device then ends by itself when it can).
constexpr milliseconds kEndWait{500};
constexpr int kEndRounds = 20;
// Pauses after making a worker for a mixed start and between the rounds of destruction;
// real time always (the injected sleeper paces the fade steps only).
constexpr milliseconds kAfterCreate{40};
constexpr milliseconds kBetweenEnds{50};
// The error text buffer holds at most this many characters.
constexpr std::size_t kErrorTextCapacity = 1023;

std::string Lower(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

std::string OpenCommand(const std::string& path) {
    return "open \"" + path + "\" alias mpeg wait";
}

std::string PlayTrackCommand(long nTrack) {
    return "play mpeg from " + std::to_string(nTrack) + " to " + std::to_string(nTrack + 1);
}

} // namespace

CMCIPlayer::CMCIPlayer(PlaybackEnvironment environment) : m_environment(std::move(environment)) {}

CMCIPlayer::~CMCIPlayer() {
    Stop();
    for (int round = 0; round < 3; ++round) {
        if (CMCIThread::LiveWorkers() < 1) {
            break;
        }
        EndWorker();
        std::this_thread::sleep_for(kBetweenEnds);
    }
    // Workers still fading out a song end with the player, not after it.
    EndFadingWorkers();
}

// ---- command exchange ----------------------------------------------------------------

bool CMCIPlayer::SendCommand(std::string_view command, std::string& reply,
                             const std::shared_ptr<CMCIThread>& pWorker, bool bForce) {
    reply.clear();
    const std::shared_ptr<CMCIThread> worker = pWorker ? pWorker : CurrentWorker();
    if (!worker) {
        return false;
    }
    // With fitted fades the engine fades; a worker is never too busy to serve at once.
    if (worker->IsBusy() && !bForce && !GetFitFades()) {
        return false;
    }
    std::unique_lock lock(m_playerLock, std::defer_lock);
    if (!lock.try_lock_for(m_environment.lockTimeout)) {
        return false;
    }
    if (!worker->BeginExchange()) {
        return false;
    }
    std::uint32_t error = 0;
    // A worker whose queue is closed is on its way out and will not answer.
    if (worker->PostCommand(command, GetMixSpeed(), GetMixType())) {
        worker->WaitReply(m_environment.replyTimeout, reply, error);
    } else {
        reply.clear();
    }
    worker->EndExchange();
    lock.unlock();
    if (error != 0) {
        std::string text = GetMciErrorString(error); // kept for a debugger; shown nowhere
        text.resize(std::min(text.size(), kErrorTextCapacity));
        return false;
    }
    return true;
}

void CMCIPlayer::SendAll(const std::vector<std::string>& commands,
                         const std::shared_ptr<CMCIThread>& pWorker) {
    std::string reply;
    for (const std::string& command : commands) {
        SendCommand(command, reply, pWorker);
    }
}

// ---- workers -------------------------------------------------------------------------

std::shared_ptr<CMCIThread> CMCIPlayer::CurrentWorker() const {
    std::lock_guard lock(m_stateMutex);
    return m_pWorker;
}

void CMCIPlayer::SetCurrentWorker(std::shared_ptr<CMCIThread> pWorker) {
    std::lock_guard lock(m_stateMutex);
    m_pWorker = std::move(pWorker);
}

bool CMCIPlayer::IsWorkerAlive() const {
    const std::shared_ptr<CMCIThread> worker = CurrentWorker();
    return worker && worker->IsAlive();
}

bool CMCIPlayer::EndWorker() {
    const std::shared_ptr<CMCIThread> worker = CurrentWorker();
    if (!worker) {
        return true;
    }
    const bool result = EndWorkerOf(worker);
    std::lock_guard lock(m_stateMutex);
    if (m_pWorker == worker) {
        m_pWorker.reset();
    }
    return result;
}

bool CMCIPlayer::EndWorkerOf(const std::shared_ptr<CMCIThread>& pWorker) {
    bool result = true;
    for (int round = 0; pWorker->IsAlive() && round < kEndRounds; ++round) {
        pWorker->PostQuit();
        if (pWorker->WaitEnded(kEndWait)) {
            break;
        }
        result = false;
    }
    if (pWorker->IsAlive()) {
        RememberFading(pWorker); // the destructor tries once more
    }
    return result;
}

void CMCIPlayer::RememberFading(const std::shared_ptr<CMCIThread>& pWorker) {
    std::lock_guard lock(m_stateMutex);
    std::erase_if(m_fadingWorkers, [](const std::weak_ptr<CMCIThread>& w) { return w.expired(); });
    m_fadingWorkers.push_back(pWorker);
}

void CMCIPlayer::EndFadingWorkers() {
    std::vector<std::weak_ptr<CMCIThread>> fading;
    {
        std::lock_guard lock(m_stateMutex);
        fading.swap(m_fadingWorkers);
    }
    for (const std::weak_ptr<CMCIThread>& weak : fading) {
        if (const std::shared_ptr<CMCIThread> worker = weak.lock()) {
            for (int round = 0; worker->IsAlive() && round < kEndRounds; ++round) {
                worker->PostQuit();
                worker->WaitEnded(kEndWait);
            }
        }
    }
}

bool CMCIPlayer::Connect(std::int32_t /*nIndex*/, bool /*bStart*/) {
    std::shared_ptr<CMCIThread> worker = CurrentWorker();
    if (!worker || !worker->IsAlive()) {
        worker = CMCIThread::Create(m_environment);
        if (!worker) {
            return false;
        }
        SetCurrentWorker(worker);
    }
    std::string reply;
    SendCommand("new alias mpeg type mpegvideo", reply, worker);
    return true;
}

bool CMCIPlayer::IsConnected(std::int32_t) {
    return true;
}

std::int32_t CMCIPlayer::Release() {
    const std::int32_t count = --m_nRefCount;
    if (count == 0) {
        return EndWorker() ? 1 : 0;
    }
    return count;
}

// ---- starting songs ------------------------------------------------------------------

std::string CMCIPlayer::CurrentPath() const {
    std::lock_guard lock(m_stateMutex);
    return m_strPath;
}

bool CMCIPlayer::IsCdTrack() const {
    return CCdTrackPath::IsCdTrack(CurrentPath());
}

bool CMCIPlayer::Play(const std::string& path, std::int32_t) {
    m_bStopPending.store(false);
    std::string previous;
    {
        std::lock_guard lock(m_stateMutex);
        previous = std::exchange(m_strPath, path);
    }
    bool started = false;
    {
        std::lock_guard lock(m_stateMutex);
        m_strFadingPath = previous;
    }
    if (IsMixEnabled() && GetFitFades() && !CCdTrackPath::IsCdTrack(path)) {
        started = FittedStart(path);
    } else {
        started = IsMixEnabled() ? MixedStart(path) : PlainStart(path);
    }
    if (!started) {
        // The song that plays on is still the current one.
        std::lock_guard lock(m_stateMutex);
        if (m_strPath == path) {
            m_strPath = previous;
        }
    }
    return started;
}

// The new song is opened before the old one is stopped, so a song that cannot be opened
// fails its start and leaves the song that plays alone. With a song playing (or a worker
// still fading one out, which would drop the commands of the start and fade the new song
// down with its ramp) the new song opens in a worker of its own, which then takes over.
// A CD track stops the old song first: one drive plays one track at a time.
bool CMCIPlayer::PlainStart(const std::string& path) {
    std::unique_lock lock(m_playerLock, std::defer_lock);
    if (!lock.try_lock_for(m_environment.lockTimeout)) {
        return false;
    }
    std::shared_ptr<CMCIThread> worker = CurrentWorker();
    if (!worker) {
        return false;
    }
    if (CCdTrackPath::IsCdTrack(path)) {
        Stop();
        if (worker->IsBusy()) {
            worker = TakeOverFrom(worker);
        }
        if (!worker || !SendOpen(path, worker)) {
            return false;
        }
    } else if (worker->IsBusy() || IsActive(true)) {
        worker = OpenBeside(path, worker);
        if (!worker) {
            return false;
        }
    } else {
        std::string reply;
        SendCommand("close mpeg wait", reply, worker);
        if (!SendOpen(path, worker)) {
            return false;
        }
    }
    SendPlainStart(path, worker);
    return true;
}

// Opens the song in a new worker while the old worker's song plays on. When it opened,
// the new worker becomes the current one and the old one is stopped and ends; null when
// the song could not be opened (or no worker made).
std::shared_ptr<CMCIThread> CMCIPlayer::OpenBeside(const std::string& path,
                                                   const std::shared_ptr<CMCIThread>& pOld) {
    std::shared_ptr<CMCIThread> fresh = CMCIThread::Create(m_environment);
    if (!fresh) {
        return nullptr;
    }
    if (!SendOpen(path, fresh)) {
        EndWorkerOf(fresh);
        return nullptr;
    }
    SetCurrentWorker(fresh);
    if (!pOld->IsBusy()) {
        std::string reply;
        SendCommand("stop mpeg wait", reply, pOld, true);
        SendCommand("close mpeg", reply, pOld, true);
    }
    // A ramp sees the quit at its next step; the worker's end stops and frees its song.
    pOld->PostQuit();
    RememberFading(pOld);
    return fresh;
}

// A fresh current worker in place of one that is still fading a song out; the old one
// ends at once. Null when no worker can be made.
std::shared_ptr<CMCIThread> CMCIPlayer::TakeOverFrom(const std::shared_ptr<CMCIThread>& pWorker) {
    std::shared_ptr<CMCIThread> fresh = CMCIThread::Create(m_environment);
    if (fresh) {
        EndWorkerOf(pWorker);
        SetCurrentWorker(fresh);
    }
    return fresh;
}

bool CMCIPlayer::SendOpen(const std::string& path, const std::shared_ptr<CMCIThread>& pWorker) {
    std::string reply;
    return SendCommand(CCdTrackPath::IsCdTrack(path) ? std::string("open cdaudio alias mpeg")
                                                     : OpenCommand(path),
                       reply, pWorker);
}

// The song's fixed play gain, when the cue source knows one; sent before the play and
// never changed while the song plays.
void CMCIPlayer::SendTrim(const std::string& path, const std::shared_ptr<CMCIThread>& pWorker) {
    const std::shared_ptr<ISongCueSource> source = GetSongCueSource();
    if (!source || CCdTrackPath::IsCdTrack(path)) {
        return;
    }
    if (const std::optional<double> gain = source->PlayGainDbOf(path)) {
        std::string reply;
        SendCommand("setaudio mpeg trim to " + std::to_string(std::lround(*gain * 100)), reply,
                    pWorker);
    }
}

void CMCIPlayer::SendPlainStart(const std::string& path,
                                const std::shared_ptr<CMCIThread>& pWorker) {
    SendTrim(path, pWorker);
    if (CCdTrackPath::IsCdTrack(path)) {
        const long track = CCdTrackPath::TrackNumber(path);
        SendAll({"Set mpeg time format TMSF", PlayTrackCommand(track)}, pWorker);
    } else {
        SendAll({"set mpeg seek exactly on wait", "set mpeg time format ms wait",
                 "set mpeg speed 1000 wait", "play mpeg from 0 notify"},
                pWorker);
    }
    // A song started without a fade plays at full volume, so a later fade-out has a
    // level to come down from.
    pWorker->SetLevel(1000);
}

void CMCIPlayer::SendSilentStart(const std::string& path,
                                 const std::shared_ptr<CMCIThread>& pWorker) {
    SendTrim(path, pWorker);
    if (CCdTrackPath::IsCdTrack(path)) {
        const long track = CCdTrackPath::TrackNumber(path);
        SendAll({"Set mpeg time format TMSF", "setaudio mpeg left volume to 0",
                 "setaudio mpeg right volume to 0", PlayTrackCommand(track)},
                pWorker);
    } else {
        SendAll({"set mpeg seek exactly on wait", "set mpeg time format ms wait",
                 "set mpeg speed 1000 wait", "setaudio mpeg left volume to 0",
                 "setaudio mpeg right volume to 0", "play mpeg from 0 notify"},
                pWorker);
    }
}

// The new song is opened in its new worker before the previous song is told to fade
// out, so a song that cannot be opened fails its start and the previous one plays on.
// A CD track is opened after the previous worker has ended (one drive, one track).
bool CMCIPlayer::MixedStart(const std::string& path) {
    std::unique_lock lock(m_playerLock, std::defer_lock);
    if (!lock.try_lock_for(m_environment.lockTimeout)) {
        return false;
    }
    std::shared_ptr<CMCIThread> fresh = CMCIThread::Create(m_environment);
    std::this_thread::sleep_for(kAfterCreate);
    if (!fresh) {
        return false;
    }
    const bool cd = CCdTrackPath::IsCdTrack(path);
    if (!cd && !SendOpen(path, fresh)) {
        EndWorkerOf(fresh);
        return false;
    }
    std::shared_ptr<CMCIThread> previous;
    {
        std::lock_guard stateLock(m_stateMutex);
        previous = std::exchange(m_pWorker, fresh);
    }
    if (previous && previous->IsAlive()) {
        if (cd) {
            EndWorkerOf(previous);
        } else {
            std::string reply;
            SendCommand("fadekill mpeg", reply, previous, true);
            RememberFading(previous);
        }
    }
    if (cd && !SendOpen(path, fresh)) {
        return false;
    }
    SendSilentStart(path, fresh);
    std::string reply;
    SendCommand("fadein mpeg", reply, fresh);
    return true;
}

// ---- fitted fades (the mixing engine fades) --------------------------------------------

// A number the worker answers; -1 when it answered none.
std::int64_t CMCIPlayer::AskNumber(const std::string& command,
                                   const std::shared_ptr<CMCIThread>& pWorker) {
    std::string reply;
    if (!SendCommand(command, reply, pWorker, true) || reply.empty()) {
        return -1;
    }
    return std::atoll(reply.c_str());
}

std::optional<SongCuePoints> CMCIPlayer::CuePointsOf(const std::string& path) {
    const std::shared_ptr<ISongCueSource> source = GetSongCueSource();
    return source ? source->CuePointsOf(path) : std::nullopt;
}

// Within the mix a little ahead of the mix point, so the next song is opened and placed
// at its mix point before it comes.
bool CMCIPlayer::WithinFittedMix(const std::shared_ptr<CMCIThread>& pWorker) {
    const std::int64_t length = AskNumber("status mpeg length", pWorker);
    const std::int64_t position = AskNumber("status mpeg position", pWorker);
    const std::int64_t mixPoint =
        CMixPlan::MixPointOf(length, CuePointsOf(CurrentPath()), GetMixSeconds() * 1000LL);
    return length > 0 && mixPoint >= 0 && position >= mixPoint - kMixLeadMs;
}

// The new song opens in a worker of its own; the engine starts it at the mix point in
// engine time and fades both songs by their curves; the old worker ends once its song
// has stopped. With nothing playing the song starts at once after a short ramp.
bool CMCIPlayer::FittedStart(const std::string& path) {
    std::unique_lock lock(m_playerLock, std::defer_lock);
    if (!lock.try_lock_for(m_environment.lockTimeout)) {
        return false;
    }
    std::shared_ptr<CMCIThread> fresh = CMCIThread::Create(m_environment);
    if (!fresh) {
        return false;
    }
    if (!SendOpen(path, fresh)) {
        EndWorkerOf(fresh);
        return false;
    }
    std::shared_ptr<CMCIThread> previous;
    {
        std::lock_guard stateLock(m_stateMutex);
        previous = std::exchange(m_pWorker, fresh);
    }
    std::string reply;
    SendCommand("set mpeg time format ms wait", reply, fresh);
    SendTrim(path, fresh);
    const bool oldPlaying = previous && previous->IsAlive() &&
                            SendCommand("status mpeg mode", reply, previous, true) &&
                            reply == "playing";
    if (!oldPlaying) {
        if (previous && previous->IsAlive()) {
            previous->PostQuit(); // its end stops and frees what it still holds
            RememberFading(previous);
        }
        FittedFirstStart(path, fresh);
    } else {
        FittedMix(path, previous, fresh);
    }
    fresh->SetLevel(1000);
    return true;
}

void CMCIPlayer::FittedFirstStart(const std::string& path,
                                  const std::shared_ptr<CMCIThread>& pWorker) {
    const std::optional<SongCuePoints> cue = CuePointsOf(path);
    const std::string from = std::to_string(cue ? cue->nCueInMs : 0);
    const std::int64_t clock = AskNumber("status mpeg clock", pWorker);
    std::string reply;
    if (clock < 0) {
        SendCommand("play mpeg from " + from + " notify", reply, pWorker);
        return;
    }
    SendCommand(CFadeCurve::Command("mpeg", clock, CMixPlan::kFirstStartRampMs, {1000}, 0), reply,
                pWorker);
    SendCommand("play mpeg from " + from + " at " + std::to_string(clock) + " notify", reply,
                pWorker);
}

void CMCIPlayer::FittedMix(const std::string& path, const std::shared_ptr<CMCIThread>& pOld,
                           const std::shared_ptr<CMCIThread>& pNew) {
    CMixPlan::SInput input;
    input.nOldLengthMs = AskNumber("status mpeg length", pOld);
    input.nOldPositionMs = std::max<std::int64_t>(0, AskNumber("status mpeg position", pOld));
    std::string oldPath;
    {
        std::lock_guard lock(m_stateMutex);
        oldPath = m_strFadingPath;
    }
    input.oldCue = CuePointsOf(oldPath);
    input.nNewLengthMs = AskNumber("status mpeg length", pNew);
    input.newCue = CuePointsOf(path);
    input.nMixMs = std::max<std::int64_t>(0, GetMixSeconds()) * 1000;
    const CMixPlan plan = CMixPlan::Make(input);
    std::int64_t at = AskNumber("status mpeg clock at " + std::to_string(plan.nStartAtOldMs), pOld);
    if (at < 0) {
        at = AskNumber("status mpeg clock", pNew);
    }
    const std::int64_t end = at + (plan.nOldEndMs - plan.nStartAtOldMs);
    std::vector<std::int32_t> in;
    std::vector<std::int32_t> out;
    m_environment.MixTypes().GetFadeInOrLinear(GetMixType(), in);
    m_environment.MixTypes().GetFadeOutOrLinear(GetMixType(), out);
    const bool full =
        plan.bNewAtFullVolume || plan.nFadeInMs <= 0 || in.empty() || in.front() >= 1000;
    std::string reply;
    SendCommand(full ? CFadeCurve::Command("mpeg", at, 0, {}, 1000)
                     : CFadeCurve::Command("mpeg", at, plan.nFadeInMs, in, 0, 1000, 1000),
                reply, pNew);
    SendCommand("play mpeg from " + std::to_string(plan.nNewFromMs) + " at " + std::to_string(at) +
                    " notify",
                reply, pNew);
    if (plan.nFadeOutMs > 0) {
        SendCommand(CFadeCurve::FadeOutCommand("mpeg", at, plan.nFadeOutMs, out), reply, pOld,
                    true);
    }
    SendCommand("stop mpeg at " + std::to_string(end), reply, pOld, true);
    SendCommand("endwhenstopped mpeg", reply, pOld, true);
    RememberFading(pOld);
}

// The worker's song fades out by the mix type's table over lengthMs and then stops.
void CMCIPlayer::FittedFadeOut(const std::shared_ptr<CMCIThread>& pWorker, std::int64_t lengthMs) {
    if (!pWorker || !pWorker->IsAlive()) {
        return;
    }
    const std::int64_t clock = AskNumber("status mpeg clock", pWorker);
    std::string reply;
    if (clock < 0 || lengthMs <= 0) {
        SendCommand("stop mpeg wait", reply, pWorker, true);
        return;
    }
    std::vector<std::int32_t> out;
    m_environment.MixTypes().GetFadeOutOrLinear(GetMixType(), out);
    SendCommand(CFadeCurve::FadeOutCommand("mpeg", clock, lengthMs, out), reply, pWorker, true);
    SendCommand("stop mpeg at " + std::to_string(clock + lengthMs), reply, pWorker, true);
}

// Stop: the current song and those still fading out all go within lengthMs.
void CMCIPlayer::FadeOutAll(std::int64_t lengthMs) {
    std::vector<std::shared_ptr<CMCIThread>> workers;
    {
        std::lock_guard lock(m_stateMutex);
        for (const std::weak_ptr<CMCIThread>& weak : m_fadingWorkers) {
            if (std::shared_ptr<CMCIThread> worker = weak.lock()) {
                workers.push_back(std::move(worker));
            }
        }
        if (m_pWorker) {
            workers.push_back(m_pWorker);
        }
    }
    for (const std::shared_ptr<CMCIThread>& worker : workers) {
        FittedFadeOut(worker, lengthMs);
    }
}

// ---- stopping ------------------------------------------------------------------------

bool CMCIPlayer::Stop(std::int32_t) {
    if (!IsActive(true)) {
        return true;
    }
    if (IsMixEnabled() && GetFitFades() && !IsCdTrack()) {
        FadeOutAll(kStopFadeMs);
        return true;
    }
    if (IsMixEnabled()) {
        return FadeStop();
    }
    std::string reply;
    SendCommand("stop mpeg wait", reply, nullptr, true);
    SendCommand("close mpeg", reply, nullptr, true);
    return true;
}

bool CMCIPlayer::FadeStop(std::int32_t) {
    if (!IsActive(true)) {
        return true;
    }
    if (GetFitFades() && !IsCdTrack()) {
        FittedFadeOut(CurrentWorker(), std::max<std::int64_t>(0, GetMixSeconds()) * 1000);
        return true;
    }
    std::string reply;
    SendCommand(IsCdTrack() ? "stop mpeg wait" : "fadestop mpeg", reply, nullptr, true);
    // Dropped while the worker still fades; the next start takes over from the worker,
    // which then ends and closes the device.
    SendCommand("close mpeg", reply, nullptr, false);
    return true;
}

bool CMCIPlayer::FadeStopWait(std::int32_t) {
    return true;
}

bool CMCIPlayer::Skip() {
    if (!IsActive(true)) {
        return true;
    }
    if (IsMixEnabled()) {
        // The song plays on; the loop driver sees it as ended and mixes the next one in.
        m_bStopPending.store(true);
        return true;
    }
    return Stop();
}

bool CMCIPlayer::FadeSkip() {
    if (!IsActive(true)) {
        return true;
    }
    if (IsMixEnabled()) {
        m_bStopPending.store(true);
        return true;
    }
    return FadeStop();
}

bool CMCIPlayer::PauseResume(std::int32_t) {
    if (IsCdTrack()) {
        ShowMessage(PlayerStrings::kIdsCdPauseUnavailable, PlayerStrings::kCdPauseUnavailable);
        return false;
    }
    std::string reply;
    SendCommand(GetMode(true) == kModePaused ? "resume mpeg" : "pause mpeg", reply);
    return true;
}

void CMCIPlayer::SetMessageSink(MessageSink sink) {
    std::lock_guard lock(m_stateMutex);
    m_messageSink = std::move(sink);
}

void CMCIPlayer::ShowMessage(int nId, std::string_view text) {
    MessageSink sink;
    {
        std::lock_guard lock(m_stateMutex);
        sink = m_messageSink;
    }
    if (sink) {
        sink(nId, text);
    }
}

// ---- state queries -------------------------------------------------------------------

bool CMCIPlayer::IsActive(bool bRaw, std::int32_t) {
    std::unique_lock lock(m_playerLock, std::defer_lock);
    if (!lock.try_lock_for(m_environment.lockTimeout)) {
        return false;
    }
    const std::int32_t mode = GetMode(bRaw);
    return mode == kModePlaying || mode == kModePaused;
}

std::int32_t CMCIPlayer::GetMode(bool bRaw, std::int32_t) {
    const std::shared_ptr<CMCIThread> worker = CurrentWorker();
    if ((!bRaw && m_bStopPending.load()) || !worker || !worker->IsAlive()) {
        return kModeStopped;
    }
    if (worker->IsBusy()) {
        return kModePlaying;
    }
    std::string reply;
    SendCommand("status mpeg mode", reply, worker);
    reply = Lower(reply);
    if (reply.find("playing") != std::string::npos) {
        if (!bRaw) {
            if (m_bStopPending.load()) {
                return kModeStopped;
            }
            if (IsMixEnabled() && GetFitFades() && !IsCdTrack()) {
                if (WithinFittedMix(worker)) {
                    return kModeStopped; // the next song starts soon at its mix point
                }
            } else if (IsMixEnabled()) {
                std::int32_t position = 0;
                std::int32_t length = 0;
                GetPosition(position);
                GetLength(length);
                if (length - position <= GetMixSeconds()) {
                    return kModeStopped; // within the mix: the next song may start
                }
            }
        }
        return kModePlaying;
    }
    if (reply.find("paused") != std::string::npos) {
        return kModePaused;
    }
    return kModeStopped;
}

std::int32_t CMCIPlayer::CdSeconds(const std::string& reply) {
    long minutes = 0;
    long seconds = 0;
    long frames = 0;
    std::sscanf(reply.c_str(), "%2ld:%2ld:%2ld", &minutes, &seconds, &frames);
    return static_cast<std::int32_t>(minutes * 60 + seconds);
}

// In the TMSF time format the position reads "tt:mm:ss:ff", the track first; a reply of
// three fields is a plain "mm:ss:ff".
std::int32_t CMCIPlayer::CdPositionSeconds(const std::string& reply) {
    long track = 0;
    long minutes = 0;
    long seconds = 0;
    long frames = 0;
    if (std::sscanf(reply.c_str(), "%2ld:%2ld:%2ld:%2ld", &track, &minutes, &seconds, &frames) ==
        4) {
        return static_cast<std::int32_t>(minutes * 60 + seconds);
    }
    return CdSeconds(reply);
}

bool CMCIPlayer::GetLength(std::int32_t& nSeconds, std::int32_t) {
    std::string reply;
    const std::string path = CurrentPath();
    if (CCdTrackPath::IsCdTrack(path)) {
        SendCommand("status mpeg length track " + CCdTrackPath::TrackText(path), reply);
        nSeconds = CdSeconds(reply);
    } else {
        SendCommand("status mpeg length", reply);
        nSeconds = static_cast<std::int32_t>(std::atol(reply.c_str()) / 1000);
    }
    return true;
}

bool CMCIPlayer::GetPosition(std::int32_t& nSeconds, std::int32_t) {
    std::string reply;
    SendCommand("status mpeg position wait", reply);
    if (IsCdTrack()) {
        nSeconds = CdPositionSeconds(reply);
    } else {
        nSeconds = static_cast<std::int32_t>(std::atol(reply.c_str()) / 1000);
    }
    return true;
}

bool CMCIPlayer::PlayFrom(std::int32_t nSeconds, std::int32_t) {
    std::string reply;
    SendCommand("play mpeg from " + std::to_string(static_cast<long>(nSeconds) * 1000) + " notify",
                reply);
    return true;
}

bool CMCIPlayer::SetVolume(std::int32_t, std::int32_t nAttenuation) {
    const std::string level = std::to_string(1000L - nAttenuation);
    std::string reply;
    SendCommand("setaudio mpeg left volume to " + level, reply);
    SendCommand("setaudio mpeg right volume to " + level, reply);
    return true;
}

bool CMCIPlayer::GetTitle(std::string& title) {
    title.clear();
    if (!IsActive(true)) {
        return false;
    }
    std::string reply;
    SendCommand("info mpeg file", reply);
    const std::size_t slash = reply.find_last_of('/');
    title = slash == std::string::npos ? reply : reply.substr(slash + 1);
    if (title.empty()) {
        title = CurrentPath();
    }
    return true;
}

bool CMCIPlayer::GetStatusText(std::string& text) {
    std::string reply;
    if (IsWorkerAlive() && SendCommand("status mpeg output", reply) && reply == "waiting") {
        text = PlayerStrings::kWaitingForOutput;
        return true;
    }
    return ComposeStatusText(text);
}

bool CMCIPlayer::Enqueue(const std::string&) {
    return true;
}

bool CMCIPlayer::IsAvailable(std::int32_t) {
    return true;
}

bool CMCIPlayer::VolumeDown(std::int32_t) {
    return true;
}

bool CMCIPlayer::VolumeUp(std::int32_t) {
    return true;
}

bool CMCIPlayer::GetVersion(std::int32_t&) {
    return true;
}
