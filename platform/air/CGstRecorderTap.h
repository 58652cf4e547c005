#pragma once

#include "CGstTapPipeline.h"
#include "platform/gst/IMixTap.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

// Records the mix to files in a folder: Ogg Vorbis, FLAC or MP3, each a format whose
// file still plays when the program dies while writing it (Ogg pages and MP3 frames
// stand alone; FLAC frames follow a header written first), so a crash loses at most the
// last second. A new file starts every hour (or one file for the whole show), named by
// the local date and time it starts at.
//
// Threads: OnMixBlock on the mixer thread pushes into the current file's pipeline; the
// tap's own thread opens the next file, swaps it in between two blocks (no sample is lost
// or doubled) and closes the old one. Start, Stop and Status from the control thread.
class CGstRecorderTap final : public IMixTap {
public:
    // folder: where the files go (created when missing); recordFormat and split as in
    // CBroadcastSettings.
    CGstRecorderTap(std::string folder, int recordFormat, int split);
    ~CGstRecorderTap() override;

    bool Start(std::string& error);
    // Closes the file; it is complete when this returns.
    void Stop();
    void OnMixBlock(const float* samples, std::size_t frames) override;
    std::string CurrentPath() const;
    std::string LastError() const;
    // Test hook: frames per file instead of an hour.
    void SetSplitFrames(std::uint64_t frames) { m_nSplitFrames = frames; }

private:
    std::unique_ptr<CGstTapPipeline> OpenFile(std::string& path, std::string& error);
    std::string NewFilePath() const;
    void Run();
    void SwapIn(std::unique_ptr<CGstTapPipeline> next, const std::string& path);
    void Close(std::unique_ptr<CGstTapPipeline> done);

    const std::string m_strFolder;
    const int m_nFormat;
    const int m_nSplit;
    std::uint64_t m_nSplitFrames;

    // The pipeline the mixer pushes into, and how many pushes are under way.
    std::atomic<CGstTapPipeline*> m_pCurrent{nullptr};
    std::atomic<int> m_nPushing{0};
    std::atomic<bool> m_bSplitWanted{false};
    // Mixer thread only.
    std::uint64_t m_nFileFrames = 0;

    std::unique_ptr<CGstTapPipeline> m_current; // owned by the control/tap thread
    mutable std::mutex m_mutex;                 // guards the texts and m_bStopping
    std::condition_variable m_wake;
    bool m_bStopping = false;
    std::string m_strPath;
    std::string m_strError;
    std::thread m_thread;
};
