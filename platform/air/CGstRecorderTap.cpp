#include "CGstRecorderTap.h"

#include "settings/CBroadcastSettings.h"

#include <gst/gst.h>

#include <ctime>
#include <filesystem>

namespace {

using namespace std::chrono_literals;

constexpr std::uint64_t kHourFrames = 3600ULL * IMixTap::kRate;
constexpr auto kCloseLimit = 10s;

// The encoder and container of each format, up to the file sink named "out".
std::string Tail(int recordFormat) {
    switch (recordFormat) {
    case CBroadcastSettings::kRecordFlac:
        return "audioconvert ! audio/x-raw,format=S16LE ! flacenc ! filesink name=out";
    case CBroadcastSettings::kRecordMp3:
        return "audioconvert ! lamemp3enc target=bitrate bitrate=192 cbr=true ! "
               "filesink name=out";
    default:
        // Pages flushed at least every half second, so a cut file ends near the cut.
        return "audioconvert ! vorbisenc quality=0.5 ! oggmux max-delay=500000000 "
               "max-page-delay=500000000 ! filesink name=out";
    }
}

} // namespace

CGstRecorderTap::CGstRecorderTap(std::string folder, int recordFormat, int split)
    : m_strFolder(std::move(folder)), m_nFormat(recordFormat), m_nSplit(split),
      m_nSplitFrames(kHourFrames) {}

CGstRecorderTap::~CGstRecorderTap() {
    Stop();
}

bool CGstRecorderTap::Start(std::string& error) {
    std::error_code failure;
    std::filesystem::create_directories(m_strFolder, failure);
    std::string path;
    std::unique_ptr<CGstTapPipeline> first = OpenFile(path, error);
    if (!first) {
        return false;
    }
    m_bStopping = false;
    SwapIn(std::move(first), path);
    m_thread = std::thread([this] { Run(); });
    return true;
}

void CGstRecorderTap::Stop() {
    if (!m_thread.joinable()) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bStopping = true;
    }
    m_wake.notify_all();
    m_thread.join();
    SwapIn(nullptr, {});
}

void CGstRecorderTap::OnMixBlock(const float* samples, std::size_t frames) {
    m_nPushing.fetch_add(1);
    if (CGstTapPipeline* current = m_pCurrent.load()) {
        current->Push(samples, frames);
    }
    m_nPushing.fetch_sub(1);
    m_nFileFrames += frames;
    if (m_nSplit == CBroadcastSettings::kSplitHour && m_nFileFrames >= m_nSplitFrames &&
        !m_bSplitWanted.exchange(true)) {
        m_nFileFrames = 0;
        m_wake.notify_one();
    }
}

std::string CGstRecorderTap::CurrentPath() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_strPath;
}

std::string CGstRecorderTap::LastError() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_strError;
}

// "<folder>/Mixorel 2026-12-07 21-00-00.ogg", with " 2", " 3"... when that name is taken.
std::string CGstRecorderTap::NewFilePath() const {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H-%M-%S", &local);
    const std::string stem = m_strFolder + "/Mixorel " + stamp;
    const std::string extension = std::string(".") + CBroadcastSettings::RecordExtension(m_nFormat);
    std::string path = stem + extension;
    for (int n = 2; std::filesystem::exists(path); ++n) {
        path = stem + " " + std::to_string(n) + extension;
    }
    return path;
}

std::unique_ptr<CGstTapPipeline> CGstRecorderTap::OpenFile(std::string& path, std::string& error) {
    auto pipeline = std::make_unique<CGstTapPipeline>();
    if (!pipeline->Build(Tail(m_nFormat), error)) {
        return nullptr;
    }
    path = NewFilePath();
    // Unbuffered: what was encoded is in the file (the system's cache) at once, so a crash
    // of the program loses only what the encoder still holds.
    g_object_set(pipeline->Element("out"), "location", path.c_str(), nullptr);
    gst_util_set_object_arg(G_OBJECT(pipeline->Element("out")), "buffer-mode", "unbuffered");
    if (!pipeline->Play()) {
        error = "cannot write " + path;
        return nullptr;
    }
    return pipeline;
}

// Makes next the pipeline the mixer pushes into and closes the one before, once no push
// into it is under way.
void CGstRecorderTap::SwapIn(std::unique_ptr<CGstTapPipeline> next, const std::string& path) {
    m_pCurrent.store(next.get());
    while (m_nPushing.load() != 0) {
        std::this_thread::yield();
    }
    std::unique_ptr<CGstTapPipeline> done = std::move(m_current);
    m_current = std::move(next);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_strPath = path;
    }
    if (done) {
        Close(std::move(done));
    }
}

void CGstRecorderTap::Close(std::unique_ptr<CGstTapPipeline> done) {
    if (!done->Finish(kCloseLimit)) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_strError = "the recording did not close cleanly";
    }
    done->Halt();
}

// The tap's thread: opens the next file when the mixer asks for one, and watches the
// current file for write errors (a full disk).
void CGstRecorderTap::Run() {
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_bStopping) {
        m_wake.wait_for(lock, 200ms);
        if (m_bStopping) {
            break;
        }
        lock.unlock();
        if (m_bSplitWanted.load()) {
            std::string path;
            std::string error;
            if (std::unique_ptr<CGstTapPipeline> next = OpenFile(path, error)) {
                SwapIn(std::move(next), path);
            } else {
                std::lock_guard<std::mutex> guard(m_mutex);
                m_strError = error;
            }
            m_bSplitWanted.store(false);
        }
        if (GstMessage* fault = m_current ? m_current->PopFault(0ms) : nullptr) {
            if (GST_MESSAGE_TYPE(fault) == GST_MESSAGE_ERROR) {
                GError* failure = nullptr;
                gst_message_parse_error(fault, &failure, nullptr);
                std::lock_guard<std::mutex> guard(m_mutex);
                m_strError = failure != nullptr ? failure->message : "write error";
                g_clear_error(&failure);
            }
            gst_message_unref(fault);
        }
        lock.lock();
    }
}
