#pragma once

#include "CGstTapPipeline.h"
#include "platform/gst/IMixTap.h"

#include <array>
#include <atomic>
#include <cstdint>

typedef struct _GstBus GstBus;

// The mix's level for the meter: GStreamer's `level` measures peak and RMS of each
// channel every 50 ms (20 readings a second) of the mix.
//
// Threads: OnMixBlock on the mixer thread; the readings are stored by GStreamer's
// streaming thread in atomics; Read from any thread (the window's timer).
class CGstLevelTap final : public IMixTap {
public:
    static constexpr int kIntervalMs = 50;

    struct Reading {
        std::array<float, kChannels> peakDb{};
        std::array<float, kChannels> rmsDb{};
        // Counts the readings taken; a reading that does not change means the mix stopped.
        std::uint64_t nCount = 0;
    };

    CGstLevelTap();
    ~CGstLevelTap() override;

    bool Start();
    void OnMixBlock(const float* samples, std::size_t frames) override;
    Reading Read() const;

private:
    static int OnBusMessage(GstBus* bus, struct _GstMessage* message, void* self);
    void Store(const struct _GstStructure* levels);

    CGstTapPipeline m_pipeline;
    bool m_bBuilt = false;
    std::array<std::atomic<float>, kChannels> m_peakDb;
    std::array<std::atomic<float>, kChannels> m_rmsDb;
    std::atomic<std::uint64_t> m_nCount{0};
};
