#pragma once

// A clock that runs faster than real time for every thread alike, and a player whose songs
// end by that clock; for the loop driver and scheduler tests.

#include "catalogue/CDateTime.h"
#include "catalogue/ILoopRunner.h"
#include "catalogue/IPlayerLink.h"
#include "playback/ILoopClock.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

// Simulated time = real time since construction times the factor.
class AcceleratedClock : public ILoopClock {
public:
    AcceleratedClock(int factor, const CDateTime& start)
        : m_nFactor(factor), m_start(start), m_origin(std::chrono::steady_clock::now()) {}

    std::int64_t NowMs() const {
        const auto real = std::chrono::steady_clock::now() - m_origin;
        return std::chrono::duration_cast<std::chrono::milliseconds>(real).count() * m_nFactor;
    }
    CDateTime LocalNow() override {
        const double seconds = static_cast<double>(NowMs() / 1000);
        return CDateTime(m_start.GetValue() + seconds / 86400.0, CDateTime::kValid);
    }
    void Sleep(std::chrono::milliseconds duration) override {
        std::this_thread::sleep_for(std::chrono::microseconds(duration.count() * 1000 / m_nFactor));
    }
    // Waits (in real time) until the simulated clock reaches ms.
    void WaitUntil(std::int64_t ms) const {
        while (NowMs() < ms) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

private:
    int m_nFactor;
    CDateTime m_start;
    std::chrono::steady_clock::time_point m_origin;
};

// A player whose songs last lengthMs by the clock and report their end mixMs early.
class ClockedPlayer : public IPlayerLink {
public:
    struct Start {
        std::string path;
        std::int64_t atMs;
    };

    ClockedPlayer(AcceleratedClock& clock, std::int64_t lengthMs, std::int64_t mixMs)
        : m_clock(clock), m_nLengthMs(lengthMs), m_nMixMs(mixMs) {}

    bool IsConnected() override { return true; }
    bool Connect() override { return true; }
    bool PlayLogged(const std::string& path) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_refused.count(path) != 0) {
            return false;
        }
        const std::int64_t now = m_clock.NowMs();
        m_starts.push_back({path, now});
        m_nEndMs = now + m_nLengthMs;
        return true;
    }
    bool IsActive() override {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_clock.NowMs() < m_nEndMs - m_nMixMs;
    }
    bool Stop() override { return EndNow(); }
    bool FadeStop() override { return EndNow(); }
    bool Skip() override {
        ++m_nSkips;
        return EndNow();
    }

    std::vector<Start> Starts() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_starts;
    }
    std::vector<std::string> Paths() const {
        std::vector<std::string> paths;
        for (const Start& start : Starts()) {
            paths.push_back(start.path);
        }
        return paths;
    }
    std::size_t Count() const { return Starts().size(); }
    // The player cannot open these (the start fails).
    void Refuse(const std::string& path) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_refused.insert(path);
    }
    int Skips() const { return m_nSkips; }

private:
    bool EndNow() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_nEndMs = m_clock.NowMs();
        return true;
    }

    AcceleratedClock& m_clock;
    std::int64_t m_nLengthMs;
    std::int64_t m_nMixMs;
    mutable std::mutex m_mutex;
    std::vector<Start> m_starts;
    std::int64_t m_nEndMs = 0;
    std::set<std::string> m_refused;
    std::atomic<int> m_nSkips{0};
};

class FakeShutdown : public IShutdownRequest {
public:
    void RequestShutdown() override { ++m_nRequests; }
    std::atomic<int> m_nRequests{0};
};
