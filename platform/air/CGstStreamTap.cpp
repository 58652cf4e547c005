#include "CGstStreamTap.h"

#include "CIcecastTitle.h"
#include "playback/CReconnectBackoff.h"

#include <gst/gst.h>

#include <csignal>
#include <cstring>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kWatchPeriod = 100ms;
// How long shout2send waits for the server before it gives up on an attempt.
constexpr int kNetworkTimeoutMs = 5000;
constexpr auto kTitleRetry = 3s;

// libshout's words for a 401 from the server, found in the error's debug text.
bool IsPasswordRefused(GstMessage* fault) {
    GError* failure = nullptr;
    gchar* debug = nullptr;
    gst_message_parse_error(fault, &failure, &debug);
    const bool refused = debug != nullptr && std::strstr(debug, "Login failed") != nullptr;
    g_clear_error(&failure);
    g_free(debug);
    return refused;
}

GstPadProbeReturn CountSent(GstPad* /*pad*/, GstPadProbeInfo* /*info*/, gpointer counter) {
    static_cast<std::atomic<std::uint64_t>*>(counter)->fetch_add(1);
    return GST_PAD_PROBE_OK;
}

} // namespace

CGstStreamTap::CGstStreamTap(const CBroadcastSettings& settings) : m_settings(settings) {}

CGstStreamTap::~CGstStreamTap() {
    Stop();
}

std::string CGstStreamTap::Tail(const CBroadcastSettings& settings) {
    const std::string kbps = std::to_string(settings.m_nBitrateKbps);
    const std::string bps = kbps + "000";
    std::string encoder;
    switch (settings.m_nFormat) {
    case CBroadcastSettings::kVorbis:
        encoder = "vorbisenc bitrate=" + bps + " ! oggmux";
        break;
    case CBroadcastSettings::kOpus:
        encoder = "opusenc bitrate=" + bps + " ! oggmux";
        break;
    default:
        encoder = "lamemp3enc target=bitrate cbr=true bitrate=" + kbps;
        break;
    }
    return "audioconvert ! audioresample ! " + encoder + " ! shout2send name=shout sync=false";
}

bool CGstStreamTap::Start(std::string& error) {
    // libshout writes to its socket without MSG_NOSIGNAL: a server that goes away would
    // kill the whole program with SIGPIPE instead of failing the write.
    std::signal(SIGPIPE, SIG_IGN);
    if (!m_pipeline.Build(Tail(m_settings), error)) {
        return false;
    }
    GstElement* shout = m_pipeline.Element("shout");
    g_object_set(shout, "ip", m_settings.m_strHost.c_str(), "port", m_settings.m_nPort, "mount",
                 m_settings.m_strMount.c_str(), "username", m_settings.m_strUser.c_str(),
                 "password", m_settings.m_strPassword.c_str(), "streamname",
                 m_settings.m_strStreamName.c_str(), "genre", m_settings.m_strGenre.c_str(),
                 "timeout", kNetworkTimeoutMs, nullptr);
    GstPad* pad = gst_element_get_static_pad(shout, "sink");
    gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, &CountSent, &m_nSent, nullptr);
    gst_object_unref(pad);
    m_bStopping = false;
    m_state.store(CAirStatus::kConnecting);
    m_thread = std::thread([this] { Run(); });
    return true;
}

void CGstStreamTap::Stop() {
    if (!m_thread.joinable()) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bStopping = true;
    }
    m_wake.notify_all();
    m_thread.join();
    m_pipeline.Halt();
    m_state.store(CAirStatus::kStreamOff);
}

void CGstStreamTap::OnMixBlock(const float* samples, std::size_t frames) {
    if (m_thread.joinable()) {
        m_pipeline.Push(samples, frames);
    }
}

void CGstStreamTap::SetTitle(const std::string& title) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_strTitle = title;
    }
    m_wake.notify_all();
}

std::string CGstStreamTap::SentTitle() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_strSentTitle;
}

void CGstStreamTap::Attempt() {
    m_nSent.store(0);
    m_pipeline.Play();
}

// The tap's thread: one attempt at a time; a fault halts the pipeline and the next
// attempt waits its turn of the back-off; a connection that holds resets it.
void CGstStreamTap::Run() {
    CReconnectBackoff backoff;
    bool attempting = false;
    Clock::time_point nextAttempt = Clock::now();
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_bStopping) {
        if (!attempting) {
            const auto left = nextAttempt - Clock::now();
            if (left > 0s) {
                m_nRetrySeconds.store(
                    static_cast<int>(std::chrono::ceil<std::chrono::seconds>(left).count()));
                m_wake.wait_for(lock, std::min<Clock::duration>(left, kWatchPeriod));
                continue;
            }
            lock.unlock();
            Attempt();
            attempting = true;
            lock.lock();
            continue;
        }
        lock.unlock();
        GstMessage* fault = m_pipeline.PopFault(kWatchPeriod);
        if (fault != nullptr) {
            const bool refused = IsPasswordRefused(fault);
            gst_message_unref(fault);
            m_pipeline.Halt();
            attempting = false;
            const int wait = backoff.NextSeconds();
            nextAttempt = Clock::now() + std::chrono::seconds(wait);
            m_nRetrySeconds.store(wait);
            m_state.store(refused ? CAirStatus::kPasswordRefused : CAirStatus::kRetrying);
            if (refused && !m_bPasswordToldOnce.exchange(true)) {
                m_bPasswordNews.store(true);
            }
        } else if (m_nSent.load() >= 2) {
            if (m_state.load() != CAirStatus::kOnAir) {
                m_state.store(CAirStatus::kOnAir);
                backoff.Reset();
                std::lock_guard<std::mutex> guard(m_mutex);
                m_strSentTitle.clear(); // a new source connection starts without a title
            }
            SendTitleIfNew();
        }
        lock.lock();
    }
}

// Called without the lock; the admin call may take a moment. A server that refuses the
// call is asked again at most every few seconds.
void CGstStreamTap::SendTitleIfNew() {
    std::string title;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_strTitle.empty() || m_strTitle == m_strSentTitle) {
            return;
        }
        title = m_strTitle;
    }
    const auto now = Clock::now();
    if (title == m_strTriedTitle && now < m_nextTitleTry) {
        return;
    }
    m_strTriedTitle = title;
    m_nextTitleTry = now + kTitleRetry;
    if (CIcecastTitle::Send(m_settings.m_strHost, m_settings.m_nPort, m_settings.m_strMount,
                            m_settings.m_strUser, m_settings.m_strPassword, title)) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_strSentTitle = title;
    }
}
