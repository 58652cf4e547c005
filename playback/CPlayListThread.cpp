#include "CPlayListThread.h"

#include "catalogue/CLoopState.h"
#include "catalogue/CMixorel2001Doc.h"

#include <system_error>
#include <utility>

namespace {
constexpr int kLoop = CMixorel2001Doc::kLoopMode;
} // namespace

CPlayListThread::CPlayListThread(CMixorel2001Doc& doc, std::uint32_t token, ILoopClock& clock,
                                 CSettings settings)
    : m_doc(doc), m_nToken(token != 0 ? token : 1), m_clock(clock),
      m_settings(std::move(settings)) {}

CPlayListThread::~CPlayListThread() {
    if (m_thread.joinable()) {
        RequestStop();
        m_thread.join();
    }
    Unregister();
}

bool CPlayListThread::Start() {
    try {
        m_thread = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

// The stop flag is process-wide: a driver that has ended long ago (another list loops
// now) must not raise it, or it would end the other list's loop.
void CPlayListThread::RequestStop() {
    if (m_evEnded.IsSet()) {
        return;
    }
    CLoopState::s_bStop = true;
    m_queue.PostQuit();
}

bool CPlayListThread::WaitEnded(std::chrono::milliseconds timeout) {
    return m_evEnded.Wait(timeout);
}

// Setting the stop flag ends any other driver at its next check; its end frees the token.
void CPlayListThread::Register() {
    std::lock_guard<std::mutex> registration(CLoopState::s_registrationMutex);
    CLoopState::s_bStop = true;
    while (CLoopState::s_nCurrentToken != 0) {
        m_clock.Sleep(kRegisterPoll);
    }
    std::lock_guard<std::mutex> token(CLoopState::s_tokenMutex);
    CLoopState::s_nCurrentToken = m_nToken;
    m_nRegisteredToken = m_nToken;
    CLoopState::s_bStop = false;
}

// The token is given back when the body ends, not only when the object goes: a driver
// that ended by itself must not keep the next loop of another playlist waiting.
void CPlayListThread::Unregister() {
    std::lock_guard<std::mutex> token(CLoopState::s_tokenMutex);
    if (m_nRegisteredToken != 0 && CLoopState::s_nCurrentToken == m_nRegisteredToken) {
        CLoopState::s_nCurrentToken = 0;
    }
    m_nRegisteredToken = 0;
}

CPlayListThread::HoldResult CPlayListThread::WaitWhileHeld() {
    while (CLoopState::s_bHold) {
        if (CLoopState::s_bStop || QuitArrived()) {
            return kStopped;
        }
        m_clock.Sleep(kHeldPoll);
    }
    return kGoOn;
}

// A stop that came while the driver was on its way here starts nothing. A song that
// cannot be played is stepped over at once; after a whole pass over the list in which
// nothing could be played the loop ends and says so.
bool CPlayListThread::PlayNextThroughHold() {
    if (WaitWhileHeld() != kGoOn) {
        return false;
    }
    for (;;) {
        if (CLoopState::s_bStop) {
            return false;
        }
        CMixorel2001Doc::StartResult result = CMixorel2001Doc::kStartNothing;
        const bool ok = m_doc.PlayNext(kLoop, &result);
        if (result == CMixorel2001Doc::kStartPlayed) {
            m_nMisses = 0;
            return ok;
        }
        const bool wholePass = ++m_nMisses >= m_doc.GetCount();
        if (result != CMixorel2001Doc::kStartUnplayable) {
            return ok;
        }
        if (wholePass) {
            m_doc.ShowNothingPlayable();
            return false;
        }
        if (!ok) {
            return false;
        }
    }
}

bool CPlayListThread::QuitArrived() {
    ThreadMessage message;
    return m_queue.Take(message) && message.nId == CMessageQueue::kQuit;
}

bool CPlayListThread::Playing() {
    IPlayerLink* player = m_doc.GetPlayerLink();
    return player != nullptr && player->IsActive();
}

void CPlayListThread::Run() {
    Register();
    bool go = WaitWhileHeld() == kGoOn;
    if (go) {
        go = WaitForEarlierSong();
    }
    if (go && !CLoopState::s_bStop) {
        go = PlayNextThroughHold();
        m_clock.Sleep(kAfterStart);
    }
    if (go) {
        PlayUntilTheEnd();
    }
    EndSteps();
}

// A song that was already playing when the loop started plays on; the next mark follows
// the position meanwhile.
bool CPlayListThread::WaitForEarlierSong() {
    bool go = true;
    for (int pass = 0; pass < 2 && go; ++pass) {
        while (Playing()) {
            if (CLoopState::s_bStop || !go) {
                break;
            }
            if (QuitArrived()) {
                go = false;
                break;
            }
            if (!CLoopState::s_bStop) {
                go = m_doc.MarkNext(kLoop);
            }
            if (!m_doc.HasPlayableSongs()) {
                go = false;
                break;
            }
            m_clock.Sleep(kPlayingPoll);
        }
        m_clock.Sleep(kInitialPass);
    }
    return go;
}

void CPlayListThread::PlayUntilTheEnd() {
    for (;;) {
        if (CLoopState::s_bStop) {
            return;
        }
        bool quit = false;
        while (Playing()) {
            if (CLoopState::s_bStop) {
                break;
            }
            if (QuitArrived()) {
                quit = true;
                break;
            }
            if (!m_doc.MarkNext(kLoop) || !m_doc.HasPlayableSongs()) {
                break;
            }
            m_clock.Sleep(kPlayingPoll);
        }
        if (quit || !m_doc.HasPlayableSongs()) {
            return;
        }
        bool ok = m_doc.MarkNext(kLoop);
        m_clock.Sleep(kPlayingPoll);
        if (ok && !CLoopState::s_bStop && !Playing()) {
            ok = PlayNextThroughHold();
            m_clock.Sleep(kAfterStart);
        }
        if (QuitArrived() || !ok) {
            return;
        }
    }
}

// The song that plays is not stopped.
void CPlayListThread::EndSteps() {
    for (const std::int32_t mark :
         {CMixorel2001Doc::kMarkLoopPlaying, CMixorel2001Doc::kMarkLoopNext,
          CMixorel2001Doc::kMarkSchedulePlaying, CMixorel2001Doc::kMarkScheduleNext}) {
        m_doc.ClearMark(mark);
    }
    Unregister();
    m_evEnded.Set();
}
