#include "CScheduleListThread.h"

#include "catalogue/CLoopState.h"
#include "catalogue/CMixorel2001Doc.h"

#include <atomic>
#include <ctime>
#include <memory>
#include <mutex>
#include <system_error>

namespace {

constexpr int kSchedule = CMixorel2001Doc::kScheduleMode;

// The process-wide scheduler: the running thread object, its document and token.
std::mutex g_schedulerMutex;
std::unique_ptr<CScheduleListThread> g_pScheduler;
std::atomic<const CMixorel2001Doc*> g_pScheduledDoc{nullptr};
std::atomic<std::uint32_t> g_nSchedulerToken{0};
std::atomic<bool> g_bSchedulerStop{false};

} // namespace

bool CScheduleListThread::StartScheduler(CMixorel2001Doc* doc, std::uint32_t token,
                                         ILoopClock& clock) {
    if (doc == nullptr) {
        return false;
    }
    StopScheduler();
    std::lock_guard<std::mutex> lock(g_schedulerMutex);
    auto scheduler = std::make_unique<CScheduleListThread>(doc, clock);
    g_bSchedulerStop = false;
    try {
        scheduler->m_thread = std::thread([worker = scheduler.get()] { worker->Run(); });
    } catch (const std::system_error&) {
        return false;
    }
    g_pScheduler = std::move(scheduler);
    g_nSchedulerToken = token;
    g_pScheduledDoc = doc;
    doc->SetScheduled(true);
    return true;
}

bool CScheduleListThread::StopScheduler() {
    std::lock_guard<std::mutex> lock(g_schedulerMutex);
    if (g_pScheduler != nullptr) {
        g_bSchedulerStop = true;
        g_pScheduler->m_queue.PostQuit();
        if (g_pScheduler->m_thread.joinable()) {
            g_pScheduler->m_thread.join();
        }
        if (g_pScheduler->m_pDoc != nullptr) {
            g_pScheduler->m_pDoc->SetScheduled(false);
        }
        g_pScheduler.reset();
    }
    g_pScheduledDoc = nullptr;
    g_nSchedulerToken = 0;
    return true;
}

bool CScheduleListThread::IsScheduled(const CMixorel2001Doc* doc) {
    return doc != nullptr && g_pScheduledDoc == doc;
}

bool CScheduleListThread::IsRegionPlaying() {
    return CLoopState::s_bRegionPlaying;
}

// Both are rounded to the nearest second in their calendar fields, so a start time
// stored as a day number a hair below its second still matches it.
bool CScheduleListThread::SameSecond(const CDateTime& a, const CDateTime& b) {
    std::tm x{};
    std::tm y{};
    if (!a.IsValid() || !b.IsValid() || !a.GetCalendar(x) || !b.GetCalendar(y)) {
        return false;
    }
    return x.tm_year == y.tm_year && x.tm_mon == y.tm_mon && x.tm_mday == y.tm_mday &&
           x.tm_hour == y.tm_hour && x.tm_min == y.tm_min && x.tm_sec == y.tm_sec;
}

CScheduleListThread::CScheduleListThread(CMixorel2001Doc* doc, ILoopClock& clock)
    : m_pDoc(doc), m_clock(clock) {}

bool CScheduleListThread::QuitArrived() {
    ThreadMessage message;
    return m_queue.Take(message) && message.nId == CMessageQueue::kQuit;
}

bool CScheduleListThread::Playing() {
    IPlayerLink* player = m_pDoc->GetPlayerLink();
    return player != nullptr && player->IsActive();
}

bool CScheduleListThread::FindDueRegion(int& index) {
    index = -1;
    if (m_pDoc == nullptr || QuitArrived()) {
        return false;
    }
    m_clock.Sleep(kDuePoll);
    const CDateTime now = m_clock.LocalNow();
    for (const auto& [line, start] : m_pDoc->GetRegionStarts()) {
        if (g_bSchedulerStop) {
            break;
        }
        if (SameSecond(start, now)) {
            index = line;
            break;
        }
    }
    return true;
}

void CScheduleListThread::Run() {
    if (m_pDoc == nullptr) {
        return;
    }
    while (!g_bSchedulerStop) {
        CLoopState::s_bHold = false;
        CLoopState::s_bRegionPlaying = false;
        int header = -1;
        if (!FindDueRegion(header)) {
            break;
        }
        if (header >= 0 && !PlayRegionFrom(header)) {
            break;
        }
    }
    CLoopState::s_bRegionPlaying = false;
    CLoopState::s_bHold = false;
}

// Plays the region after the header line; another region falling due cuts in. False
// when the scheduler is to end.
bool CScheduleListThread::PlayRegionFrom(int header) {
    bool ok = m_pDoc->SetPlayPosition(header + 1, kSchedule);
    int unplayable = 0;
    while (ok) {
        if (g_bSchedulerStop) {
            return false;
        }
        CLoopState::s_bHold = true;
        // PlayNext's answer only says whether a next song could be marked (with "Rem
        // Played" the last song of a region has none): what matters here is the start.
        CMixorel2001Doc::StartResult result = CMixorel2001Doc::kStartNothing;
        m_pDoc->PlayNext(kSchedule, &result);
        if (result == CMixorel2001Doc::kStartNoPlayer) {
            return true; // the region ends
        }
        if (result == CMixorel2001Doc::kStartUnplayable) {
            // Stepped over; the region goes on with its next song, if it has one.
            ok = ++unplayable < m_pDoc->GetCount() && m_pDoc->MarkNext(kSchedule);
            continue;
        }
        unplayable = 0;
        m_clock.Sleep(kAfterRegionStart);
        int due = -1;
        while (Playing()) {
            if (g_bSchedulerStop) {
                return false;
            }
            CLoopState::s_bRegionPlaying = true;
            if (!FindDueRegion(due)) {
                due = -1;
                break;
            }
            m_clock.Sleep(kPlayingPoll);
            if (!g_bSchedulerStop) {
                m_pDoc->MarkNext(kSchedule);
            }
            if (QuitArrived()) {
                return false;
            }
            if (!m_pDoc->HasPlayableSongs()) {
                break; // the region is over; later regions may still fall due
            }
            m_clock.Sleep(kPlayingPoll);
            if (due >= 0) {
                break;
            }
        }
        if (due >= 0) {
            ok = m_pDoc->SetPlayPosition(due + 1, kSchedule);
            continue;
        }
        if (g_bSchedulerStop) {
            return false;
        }
        ok = m_pDoc->MarkNext(kSchedule);
    }
    return true;
}
