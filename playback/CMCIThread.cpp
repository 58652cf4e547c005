#include "CMCIThread.h"

#include "platform/mci/MciContext.h"

#include <algorithm>
#include <cctype>
#include <system_error>
#include <thread>

namespace {

using std::chrono::milliseconds;

// The reply buffer of a command holds at most this many characters.
constexpr std::size_t kReplyCapacity = 1023;
// How long Create waits for the worker's start steps.
constexpr milliseconds kStartWait{5000};
// While an exchange is open at the end, the worker looks again after this long.
constexpr milliseconds kEndLook{500};
// A worker waiting for its song to stop looks this often.
constexpr milliseconds kStoppedLook{50};

std::mutex& LiveMutex() {
    static std::mutex mutex;
    return mutex;
}

std::int32_t& LiveCount() {
    static std::int32_t count = 0;
    return count;
}

void AddLive(std::int32_t delta) {
    std::lock_guard lock(LiveMutex());
    LiveCount() += delta;
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lower;
}

// The alias a ramp acts on: the text after the first blank, trimmed of blanks.
std::string RampAlias(const std::string& command) {
    const std::size_t blank = command.find(' ');
    if (blank == std::string::npos) {
        return {};
    }
    const auto isBlank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    auto first = command.begin() + static_cast<std::ptrdiff_t>(blank);
    auto last = command.end();
    while (first != last && isBlank(*first)) {
        ++first;
    }
    while (last != first && isBlank(*(last - 1))) {
        --last;
    }
    return std::string(first, last);
}

} // namespace

std::chrono::milliseconds CMCIThread::StepPeriod(std::int32_t nMixSpeed) {
    // The options page keeps the speed within 1 to 20, the store does not; outside that
    // range the period would be negative or grow without bound.
    const std::int32_t speed = std::clamp<std::int32_t>(nMixSpeed, 1, 20);
    return milliseconds(1050 - 50 * speed);
}

std::int32_t CMCIThread::LiveWorkers() {
    std::lock_guard lock(LiveMutex());
    return LiveCount();
}

CMCIThread::CMCIThread(const PlaybackEnvironment& environment) : m_environment(environment) {}

CMCIThread::~CMCIThread() = default;

std::shared_ptr<CMCIThread> CMCIThread::Create(const PlaybackEnvironment& environment) {
    std::shared_ptr<CMCIThread> worker(new CMCIThread(environment));
    try {
        std::thread(&CMCIThread::ThreadEntry, worker).detach();
    } catch (const std::system_error&) {
        return nullptr;
    }
    if (!worker->m_evStarted.Wait(kStartWait)) {
        // Too slow to be of use: let it end by itself when it gets going.
        worker->m_queue.PostQuit();
        return nullptr;
    }
    return worker->m_bStartOk.load() ? worker : nullptr;
}

// ---- sender side -------------------------------------------------------------------

bool CMCIThread::BeginExchange() {
    {
        std::lock_guard lock(m_dataMutex);
        if (!m_bEventReady || m_bClosing) {
            return false;
        }
    }
    if (!m_exchangeLock.try_lock_for(m_environment.lockTimeout)) {
        return false;
    }
    std::lock_guard lock(m_dataMutex);
    if (!m_bEventReady || m_bClosing) {
        m_exchangeLock.unlock();
        return false;
    }
    m_evReply.Reset();
    m_nError = 0;
    m_strCommand.clear();
    m_bExchangeOpen = true;
    ++m_nSerial;
    return true;
}

bool CMCIThread::PostCommand(std::string_view command, std::int32_t nMixSpeed,
                             std::int32_t nMixType) {
    std::uint64_t serial = 0;
    {
        std::lock_guard lock(m_dataMutex);
        m_nMixSpeed.store(nMixSpeed);
        m_nMixType.store(nMixType);
        m_strCommand.assign(command);
        serial = m_nSerial;
    }
    return m_queue.Post(kMciCommand, serial);
}

bool CMCIThread::WaitReply(std::chrono::milliseconds timeout, std::string& reply,
                           std::uint32_t& nError) {
    if (!m_evReply.Wait(timeout)) {
        reply.clear();
        nError = 0;
        return false;
    }
    std::lock_guard lock(m_dataMutex);
    reply = m_strReply;
    nError = m_nError;
    return true;
}

void CMCIThread::EndExchange() {
    bool bWakeWorker = false;
    {
        std::lock_guard lock(m_dataMutex);
        m_evReply.Reset();
        m_bExchangeOpen = false;
        m_exchangeLock.unlock();
        bWakeWorker = m_bClosing;
    }
    if (bWakeWorker) {
        m_queue.Post(kExchangeClosed); // the worker waits for this exchange to end
    }
}

// ---- worker thread -------------------------------------------------------------------

void CMCIThread::ThreadEntry(std::shared_ptr<CMCIThread> self) {
    const bool started = self->InitInstance();
    self->m_bStartOk.store(started);
    self->m_evStarted.Set();
    if (started) {
        self->Run();
    }
    self->ExitInstance();
    self->m_evEnded.Set();
}

bool CMCIThread::InitInstance() {
    AddLive(1);
    // A missing mix.ini is no reason to fail: the list then holds the built-in mix types,
    // and a ramp whose mix type names no entry uses the built-in linear fade.
    m_environment.MixTypes().ReadMixTypes(false);
    m_pContext = m_environment.Factory().CreateContext();
    if (!m_pContext) {
        return false;
    }
    std::lock_guard lock(m_dataMutex);
    m_bEventReady = true;
    return true;
}

void CMCIThread::Run() {
    for (;;) {
        ThreadMessage message;
        m_queue.Get(message);
        if (message.nId == CMessageQueue::kQuit) {
            return;
        }
        if (message.nId == kMciCommand && OnMciCommand(message.nParam) == RampEnd::kQuit) {
            return;
        }
    }
}

void CMCIThread::ExitInstance() {
    WaitForOpenExchange();
    m_queue.Close();
    {
        std::lock_guard lock(m_dataMutex);
        m_bEventReady = false;
    }
    // Every way out stops the song and frees the device, so nothing plays on without an
    // owner; the replies do not matter any more.
    if (m_pContext) {
        Send("stop mpeg wait");
        Send("close mpeg wait");
        m_pContext.reset();
    }
    AddLive(-1);
}

void CMCIThread::WaitForOpenExchange() {
    {
        std::lock_guard lock(m_dataMutex);
        m_bClosing = true;
    }
    // A sender that opened an exchange before the door closed still gets its command
    // carried out; it closes the exchange within its reply limit and then wakes us.
    const auto deadline = std::chrono::steady_clock::now() + m_environment.replyTimeout + kEndLook;
    for (;;) {
        {
            std::lock_guard lock(m_dataMutex);
            if (!m_bExchangeOpen) {
                return;
            }
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return;
        }
        ThreadMessage message;
        std::string command;
        if (m_queue.GetFor(message, kEndLook) && message.nId == kMciCommand &&
            CommandOf(message.nParam, command)) {
            CarryOut(message.nParam, command);
        }
    }
}

bool CMCIThread::CommandOf(std::uint64_t nSerial, std::string& command) const {
    std::lock_guard lock(m_dataMutex);
    if (!m_bEventReady || nSerial != m_nSerial || !m_bExchangeOpen) {
        return false;
    }
    command = m_strCommand;
    return true;
}

CMCIThread::RampEnd CMCIThread::OnMciCommand(std::uint64_t nSerial) {
    std::string command;
    if (!CommandOf(nSerial, command)) {
        return RampEnd::kDone; // stale: its sender has given up
    }
    // Recognised on the lower-cased text; the device gets the text as it was written,
    // since file paths are case-sensitive here.
    const std::string lower = Lower(command);
    RampEnd end = RampEnd::kDone;
    if (lower.starts_with("fadestop") || lower.starts_with("fadekill")) {
        Answer(nSerial, "fadingout", 0, true);
        end = FadeOut(RampAlias(lower), lower.starts_with("fadekill"));
        m_bBusy.store(false);
    } else if (lower.starts_with("endwhenstopped")) {
        Answer(nSerial, "", 0, false);
        end = EndWhenStopped(RampAlias(lower));
    } else if (lower.starts_with("fadein")) {
        Answer(nSerial, "fadingin", 0, true);
        std::uint64_t nFadeOut = 0;
        end = FadeIn(RampAlias(lower), nFadeOut);
        m_bBusy.store(false);
        if (end == RampEnd::kLeft && nFadeOut != 0) {
            return OnMciCommand(nFadeOut); // the fade-out that ended the ramp
        }
    } else {
        CarryOut(nSerial, command);
    }
    return end;
}

void CMCIThread::CarryOut(std::uint64_t nSerial, const std::string& command) {
    std::string reply;
    const std::uint32_t error = m_pContext->SendString(command, reply);
    if (reply.size() > kReplyCapacity) {
        reply.resize(kReplyCapacity);
    }
    Answer(nSerial, reply, error, false);
}

void CMCIThread::Answer(std::uint64_t nSerial, const std::string& reply, std::uint32_t nError,
                        bool bBusy) {
    if (bBusy) {
        m_bBusy.store(true);
    }
    std::lock_guard lock(m_dataMutex);
    if (nSerial != m_nSerial || !m_bExchangeOpen) {
        return;
    }
    m_strReply = reply;
    m_nError = nError;
    m_evReply.Set();
}

void CMCIThread::Send(const std::string& command) {
    std::string reply;
    m_pContext->SendString(command, reply);
}

void CMCIThread::SetVolume(const std::string& alias, std::int32_t nLevel) {
    const std::string level = std::to_string(nLevel);
    Send("setaudio " + alias + " left volume to " + level + " wait");
    Send("setaudio " + alias + " right volume to " + level + " wait");
}

void CMCIThread::SleepStep() {
    m_environment.Sleeper().Sleep(StepPeriod(m_nMixSpeed.load()));
}

bool CMCIThread::CommandAsksFadeOut() const {
    std::lock_guard lock(m_dataMutex);
    const std::string lower = Lower(m_strCommand);
    return lower.find("fadekill") != std::string::npos ||
           lower.find("fadestop") != std::string::npos;
}

void CMCIThread::ServeInRamp(const ThreadMessage& message, bool* pbClose) {
    std::string command;
    if (message.nId != kMciCommand || !CommandOf(message.nParam, command)) {
        return; // any other message is dropped
    }
    const std::string lower = Lower(command);
    if (pbClose != nullptr && (lower.starts_with("fadestop") || lower.starts_with("fadekill"))) {
        // Already fading out: a kill only adds the close at the end.
        *pbClose = *pbClose || lower.starts_with("fadekill");
        Answer(message.nParam, "fadingout", 0, false);
    } else if (lower.starts_with("fadein")) {
        Answer(message.nParam, "fadingin", 0, false);
    } else {
        CarryOut(message.nParam, command);
    }
}

bool CMCIThread::IsFadeOutCommand(std::uint64_t nSerial) const {
    std::string command;
    if (!CommandOf(nSerial, command)) {
        return false;
    }
    const std::string lower = Lower(command);
    return lower.starts_with("fadestop") || lower.starts_with("fadekill");
}

// A fade-out command ends the ramp wherever it is met: seen waiting in the queue, or
// taken out of it when it came just after the look (nFadeOut then names its exchange,
// which the caller carries out next).
CMCIThread::RampEnd CMCIThread::FadeIn(const std::string& alias, std::uint64_t& nFadeOut) {
    nFadeOut = 0;
    std::vector<std::int32_t> steps;
    m_environment.MixTypes().GetFadeInOrLinear(m_nMixType.load(), steps);
    for (const std::int32_t level : steps) {
        m_nLevel.store(level);
        SetVolume(alias, level);
        ThreadMessage message;
        if (m_queue.Peek(message)) {
            if (message.nId == CMessageQueue::kQuit) {
                return RampEnd::kQuit;
            }
            if (CommandAsksFadeOut()) {
                return RampEnd::kLeft; // the loop takes the fade-out next
            }
        }
        if (m_queue.Take(message)) {
            if (message.nId == CMessageQueue::kQuit) {
                return RampEnd::kQuit;
            }
            if (message.nId == kMciCommand && IsFadeOutCommand(message.nParam)) {
                nFadeOut = message.nParam;
                return RampEnd::kLeft;
            }
            ServeInRamp(message, nullptr);
        }
        SleepStep();
    }
    Send("setaudio " + alias + " left volume to 1000 wait");
    Send("setaudio " + alias + " right volume to 1000 wait");
    return RampEnd::kDone;
}

CMCIThread::RampEnd CMCIThread::FadeOut(const std::string& alias, bool bClose) {
    std::vector<std::int32_t> steps;
    m_environment.MixTypes().GetFadeOutOrLinear(m_nMixType.load(), steps);
    for (const std::int32_t level : steps) {
        ThreadMessage message;
        if (m_queue.Peek(message) && message.nId == CMessageQueue::kQuit) {
            return RampEnd::kQuit; // the end steps stop the device
        }
        if (m_queue.Take(message)) {
            if (message.nId == CMessageQueue::kQuit) {
                return RampEnd::kQuit;
            }
            ServeInRamp(message, &bClose);
        }
        // The fade-out only ever lowers the volume below what the fade-in reached.
        if (level < m_nLevel.load()) {
            SetVolume(alias, level);
            SleepStep();
        }
    }
    Send("stop " + alias + " wait");
    Send("setaudio " + alias + " left volume to 0 wait");
    Send("setaudio " + alias + " right volume to 0 wait");
    if (bClose) {
        Send("close " + alias + " wait");
        m_queue.PostQuit();
    }
    return RampEnd::kDone;
}

// The engine fades and stops the song by itself; the worker serves commands meanwhile
// at once and ends (which closes the device) when the song has stopped.
CMCIThread::RampEnd CMCIThread::EndWhenStopped(const std::string& alias) {
    for (;;) {
        std::string mode;
        if (m_pContext->SendString("status " + alias + " mode", mode) != 0 || mode == "stopped") {
            return RampEnd::kQuit;
        }
        ThreadMessage message;
        if (m_queue.GetFor(message, kStoppedLook)) {
            if (message.nId == CMessageQueue::kQuit) {
                return RampEnd::kQuit;
            }
            ServeInRamp(message, nullptr);
        }
    }
}
