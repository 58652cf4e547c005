#include "CProcessListThread.h"

#include "CMixorel2001Doc.h"
#include "IUserPrompt.h"

#include <pthread.h>
#include <sched.h>

#include <algorithm>
#include <cstdint>
#include <new>
#include <thread>

CProcessListThread::CProcessListThread(CMixorel2001Doc& doc, IUserPrompt* prompt, bool idlePriority)
    : m_pDoc(&doc), m_pPrompt(prompt), m_bIdlePriority(idlePriority) {}

bool CProcessListThread::CreateEvents() {
    try {
        m_pStartProcessing = std::make_unique<CDocEvent>();
    } catch (const std::bad_alloc&) {
        Report("CProcessListThread::Run() - Can't create StartProcessingEvent");
        return false;
    }
    try {
        m_pDie = std::make_unique<CDocEvent>();
    } catch (const std::bad_alloc&) {
        m_pStartProcessing.reset();
        Report("CProcessListThread::Run() - Can't create DieEvent");
        return false;
    }
    return true;
}

bool CProcessListThread::SetRange(int first, int last) {
    std::unique_lock lock(m_mtxRange, std::defer_lock);
    if (!LockWithin(lock, kRangeLockWait)) {
        return false;
    }
    m_nFirst = first;
    m_nLast = last;
    return true;
}

void CProcessListThread::SetStartProcessing(bool set) {
    std::unique_lock lock(m_mtxStart, std::defer_lock);
    if (!LockWithin(lock, kEventLockWait)) {
        Report("CProcessListThread::SetStartProcessing( bool bSet ) - lock failed");
        return;
    }
    if (m_pStartProcessing != nullptr) {
        set ? m_pStartProcessing->Set() : m_pStartProcessing->Reset();
    }
}

// Setting the die event also sets the start event afterwards: the thread clears the start
// event when it finds the queue empty, and a clear that came after this set is followed
// by the thread's look at the die event, so it can never sleep through the stop.
void CProcessListThread::SetDie(bool set) {
    {
        std::unique_lock lock(m_mtxDie, std::defer_lock);
        if (!LockWithin(lock, kEventLockWait)) {
            Report("CProcessListThread::SetDie( bool bSet ) - lock failed");
            return;
        }
        if (m_pDie != nullptr) {
            set ? m_pDie->Set() : m_pDie->Reset();
        }
    }
    if (set) {
        SetStartProcessing(true);
    }
}

// Each pass serves a changed visible range first, then one queued song, so that a new
// range is taken up after at most one song. The start event stays set while songs wait.
void CProcessListThread::Run() {
    if (m_pStartProcessing != nullptr && m_pDie != nullptr) {
        if (m_bIdlePriority) {
            LowerPriority();
        }
        int previousFirst = -1;
        int previousLast = -1;
        for (;;) {
            if (!IsDying()) {
                m_pStartProcessing->Wait();
            }
            if (IsDying()) {
                break;
            }
            int first = -1;
            int last = -1;
            if (ReadRange(first, last) && (first != previousFirst || last != previousLast)) {
                previousFirst = first;
                previousLast = last;
                if (!ProcessRange(first, last)) {
                    break;
                }
            }
            m_pDoc->ProcessNextQueued();
        }
    }
    ReleaseEvents();
    m_evEnded.Set();
}

bool CProcessListThread::WaitEnded(std::chrono::milliseconds timeout) const {
    return m_evEnded.Wait(timeout);
}

// The idle class runs the thread only when nothing else wants the processor; a system
// that refuses it leaves the thread at its priority.
void CProcessListThread::LowerPriority() {
    sched_param param{};
    param.sched_priority = 0;
    pthread_setschedparam(pthread_self(), SCHED_IDLE, &param);
}

// Only the processing thread changes the event pointers, so it reads them unlocked.
bool CProcessListThread::IsDying() const {
    return m_pDie == nullptr || m_pDie->IsSet();
}

bool CProcessListThread::ReadRange(int& first, int& last) {
    std::unique_lock lock(m_mtxRange, std::defer_lock);
    if (!LockWithin(lock, kRangeLockWait)) {
        return false;
    }
    first = m_nFirst;
    last = m_nLast;
    return true;
}

// Indices from the end of the list on are skipped; the short pause after each song lets
// the user-interface thread have the document lock.
bool CProcessListThread::ProcessRange(int first, int last) {
    for (std::int64_t index = std::max(first, 0); index <= last; ++index) {
        if (index >= m_pDoc->GetCount()) {
            break;
        }
        m_pDoc->ProcessSongAt(static_cast<int>(index));
        std::this_thread::sleep_for(kRangePause);
        if (IsDying()) {
            return false;
        }
    }
    return true;
}

void CProcessListThread::ReleaseEvents() {
    {
        std::lock_guard lock(m_mtxStart);
        m_pStartProcessing.reset();
    }
    std::lock_guard lock(m_mtxDie);
    m_pDie.reset();
}

void CProcessListThread::Report(const char* text) const {
    if (m_pPrompt != nullptr) {
        m_pPrompt->Message(text);
    }
}
