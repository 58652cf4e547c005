#include "loudness/CLoudnessService.h"

#include "loudness/SongAnalyser.h"

#include <pthread.h>
#include <sched.h>

CLoudnessService::CLoudnessService(std::shared_ptr<CLoudnessCache> pCache,
                                   std::shared_ptr<IAudioAnalyser> pAnalyser,
                                   std::function<double()> targetLufs)
    : m_pCache(std::move(pCache)), m_pAnalyser(std::move(pAnalyser)),
      m_targetLufs(std::move(targetLufs)) {}

CLoudnessService::~CLoudnessService() {
    Stop();
}

void CLoudnessService::Start(int workers) {
    if (!m_workers.empty()) {
        return;
    }
    m_bStop = false;
    for (int i = 0; i < std::max(1, std::min(workers, 2)); ++i) {
        m_workers.emplace_back([this] { RunWorker(); });
    }
}

void CLoudnessService::Stop() {
    m_bStop = true;
    m_queue.Close();
    for (std::thread& worker : m_workers) {
        worker.join();
    }
    m_workers.clear();
}

void CLoudnessService::RunWorker() {
    // The lowest priority there is: analysis never takes time from playback or the
    // user interface.
    sched_param param{};
    pthread_setschedparam(pthread_self(), SCHED_IDLE, &param);
    while (!m_bStop) {
        const auto path = m_queue.Take();
        if (!path) {
            break;
        }
        if (m_pCache->Lookup(*path)) {
            m_queue.Finish(*path);
            continue;
        }
        SongAnalysis analysis;
        const auto result = SongAnalyser::AnalyseAndStore(*m_pAnalyser, *m_pCache, *path,
                                                          m_targetLufs(), m_bStop, analysis);
        if (result == SongAnalyser::Result::kStored) {
            m_queue.Finish(*path);
            m_bResultsChanged = true;
        } else {
            m_queue.Forget(*path);
        }
    }
}
