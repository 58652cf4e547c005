#include "FakeMciDevice.h"

#include <algorithm>

void FakeMciDevice::SetReply(const std::string& command, const std::string& reply,
                             std::uint32_t nError) {
    std::lock_guard lock(m_mutex);
    m_script[command] = Answer{reply, nError};
}

void FakeMciDevice::Block(const std::string& command) {
    std::lock_guard lock(m_mutex);
    m_strBlocked = command;
    m_bBlocking = true;
}

void FakeMciDevice::Unblock() {
    {
        std::lock_guard lock(m_mutex);
        m_bBlocking = false;
    }
    m_cvChanged.notify_all();
}

std::uint32_t FakeMciDevice::Receive(int nContext, const std::string& command, std::string& reply) {
    std::unique_lock lock(m_mutex);
    m_log.push_back(Entry{nContext, command});
    m_cvChanged.notify_all();
    if (m_bBlocking && command == m_strBlocked) {
        m_cvChanged.wait_for(lock, std::chrono::seconds(5), [this] { return !m_bBlocking; });
    }
    const auto it = m_script.find(command);
    if (it == m_script.end()) {
        reply.clear();
        return 0;
    }
    reply = it->second.reply;
    return it->second.nError;
}

int FakeMciDevice::OpenContext() {
    std::lock_guard lock(m_mutex);
    ++m_nAlive;
    return m_nMade++;
}

void FakeMciDevice::CloseContext() {
    {
        std::lock_guard lock(m_mutex);
        --m_nAlive;
    }
    m_cvChanged.notify_all();
}

int FakeMciDevice::ContextsMade() const {
    std::lock_guard lock(m_mutex);
    return m_nMade;
}

int FakeMciDevice::ContextsAlive() const {
    std::lock_guard lock(m_mutex);
    return m_nAlive;
}

std::vector<FakeMciDevice::Entry> FakeMciDevice::Log() const {
    std::lock_guard lock(m_mutex);
    return m_log;
}

std::vector<std::string> FakeMciDevice::Commands(int nContext) const {
    std::lock_guard lock(m_mutex);
    std::vector<std::string> commands;
    for (const Entry& entry : m_log) {
        if (entry.nContext == nContext) {
            commands.push_back(entry.command);
        }
    }
    return commands;
}

void FakeMciDevice::ClearLog() {
    std::lock_guard lock(m_mutex);
    m_log.clear();
}

bool FakeMciDevice::WaitUntil(const std::function<bool(const std::vector<Entry>&)>& predicate,
                              std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_mutex);
    return m_cvChanged.wait_for(lock, timeout, [&] { return predicate(m_log); });
}

bool FakeMciDevice::WaitForCommand(int nContext, const std::string& command,
                                   std::chrono::milliseconds timeout) const {
    return WaitUntil(
        [&](const std::vector<Entry>& log) {
            return std::any_of(log.begin(), log.end(), [&](const Entry& entry) {
                return entry.nContext == nContext && entry.command == command;
            });
        },
        timeout);
}
