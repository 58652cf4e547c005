#pragma once

#include "loudness/CAnalysisQueue.h"
#include "loudness/CLoudnessCache.h"
#include "loudness/IAudioAnalyser.h"

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

// The background analysis of the program: a queue of songs and one or two low-priority
// worker threads that take songs from it, skip those the cache already knows and
// analyse the others into the cache.
//
// Threads: the workers are this object's own (SCHED_IDLE); the decoder's streaming
// threads are the analyser's. Add, GetProgress and Stop may be called from any thread;
// Start and Stop from the thread that owns the service. Stop returns within about
// 200 ms: the workers poll the stop flag between blocks of audio.
class CLoudnessService {
public:
    // targetLufs is asked before each song (it decides whether the true peak is needed).
    CLoudnessService(std::shared_ptr<CLoudnessCache> pCache,
                     std::shared_ptr<IAudioAnalyser> pAnalyser, std::function<double()> targetLufs);
    ~CLoudnessService();
    CLoudnessService(const CLoudnessService&) = delete;
    CLoudnessService& operator=(const CLoudnessService&) = delete;

    void Start(int workers = 1);
    void Stop();

    void Add(std::vector<std::string> paths, CAnalysisQueue::Priority priority) {
        m_queue.Add(std::move(paths), priority);
    }
    CAnalysisQueue::Progress GetProgress() const { return m_queue.GetProgress(); }
    CLoudnessCache& Cache() { return *m_pCache; }

    // Set when a worker stored a new result; the user interface clears it when it has
    // redrawn (so the loudness column fills in as songs are analysed).
    std::atomic<bool> m_bResultsChanged{false};

private:
    void RunWorker();

    std::shared_ptr<CLoudnessCache> m_pCache;
    std::shared_ptr<IAudioAnalyser> m_pAnalyser;
    std::function<double()> m_targetLufs;
    CAnalysisQueue m_queue;
    std::atomic<bool> m_bStop{false};
    std::vector<std::thread> m_workers;
};
