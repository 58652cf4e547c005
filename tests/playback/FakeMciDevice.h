#pragma once

#include "platform/mci/MciContext.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <type_traits>
#include <vector>

// The far side of the fake media-control contexts: it records every command string each
// context receives and answers scripted replies. Shared (by shared pointer) between the
// test and every context, so a late worker never outlives what it writes to.
//
// Threads: the workers call Receive from their own threads while the test reads the log
// and changes the script; one mutex guards everything.
class FakeMciDevice {
public:
    struct Entry {
        int nContext = 0;
        std::string command;
    };

    // Answers reply (and error) to exactly this command from now on.
    void SetReply(const std::string& command, const std::string& reply, std::uint32_t nError = 0) {
        Locked([&] { m_script[command] = Answer{reply, nError}; });
    }
    // Holds every later call of this command until Unblock (or 5 s pass).
    void Block(const std::string& command) {
        Locked([&] {
            m_strBlocked = command;
            m_bBlocking = true;
        });
    }
    void Unblock() {
        Locked([&] { m_bBlocking = false; });
        m_cvChanged.notify_all();
    }

    // Called by a context: records the command and answers the script.
    std::uint32_t Receive(int nContext, const std::string& command, std::string& reply) {
        std::unique_lock lock(m_mutex);
        m_log.push_back(Entry{nContext, command});
        m_cvChanged.notify_all();
        if (m_bBlocking && command == m_strBlocked) {
            m_cvChanged.wait_for(lock, std::chrono::seconds(5), [this] { return !m_bBlocking; });
        }
        const auto it = m_script.find(command);
        reply = it == m_script.end() ? std::string() : it->second.reply;
        return it == m_script.end() ? 0 : it->second.nError;
    }
    // Numbers contexts in the order they are made, from 0; counts those alive.
    int OpenContext() {
        return Locked([&] {
            ++m_nAlive;
            return m_nMade++;
        });
    }
    void CloseContext() {
        Locked([&] { --m_nAlive; });
    }

    int ContextsMade() const { return Get(m_nMade); }
    int ContextsAlive() const { return Get(m_nAlive); }
    std::vector<Entry> Log() const { return Get(m_log); }
    // The commands one context received, in order.
    std::vector<std::string> Commands(int nContext) const {
        std::vector<std::string> commands;
        for (const Entry& entry : Log()) {
            if (entry.nContext == nContext) {
                commands.push_back(entry.command);
            }
        }
        return commands;
    }
    // Forgets the log (not the script).
    void ClearLog() {
        Locked([&] { m_log.clear(); });
    }
    // Waits at most timeout until the predicate over the log holds.
    bool WaitUntil(const std::function<bool(const std::vector<Entry>&)>& predicate,
                   std::chrono::milliseconds timeout) const {
        std::unique_lock lock(m_mutex);
        return m_cvChanged.wait_for(lock, timeout, [&] { return predicate(m_log); });
    }
    // Waits at most timeout until context nContext has received command.
    bool WaitForCommand(int nContext, const std::string& command,
                        std::chrono::milliseconds timeout) const {
        return WaitUntil(
            [&](const std::vector<Entry>& log) {
                return std::any_of(log.begin(), log.end(), [&](const Entry& entry) {
                    return entry.nContext == nContext && entry.command == command;
                });
            },
            timeout);
    }

private:
    struct Answer {
        std::string reply;
        std::uint32_t nError = 0;
    };
    template <typename F> std::invoke_result_t<F&> Locked(F f) const {
        std::lock_guard lock(m_mutex);
        return f();
    }
    template <typename T> T Get(const T& member) const {
        return Locked([&] { return member; });
    }

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_cvChanged;
    std::vector<Entry> m_log;
    std::map<std::string, Answer> m_script;
    std::string m_strBlocked;
    bool m_bBlocking = false;
    int m_nMade = 0;
    int m_nAlive = 0;
};

// Makes contexts that talk to one FakeMciDevice, numbered in the order they are made.
// Can be told to refuse contexts, as a back end that cannot open a device would.
// Threads: any worker may call CreateContext.
class FakeMciContextFactory : public IMciContextFactory {
public:
    explicit FakeMciContextFactory(std::shared_ptr<FakeMciDevice> pDevice)
        : m_pDevice(std::move(pDevice)) {}

    std::unique_ptr<IMciContext> CreateContext() override {
        return m_bFailing.load() ? nullptr : std::make_unique<Context>(m_pDevice);
    }
    void SetFailing(bool bFailing) { m_bFailing.store(bFailing); }

private:
    class Context : public IMciContext {
    public:
        explicit Context(std::shared_ptr<FakeMciDevice> pDevice)
            : m_pDevice(std::move(pDevice)), m_nContext(m_pDevice->OpenContext()) {}
        ~Context() override { m_pDevice->CloseContext(); }
        std::uint32_t SendString(std::string_view command, std::string& reply) override {
            return m_pDevice->Receive(m_nContext, std::string(command), reply);
        }

    private:
        std::shared_ptr<FakeMciDevice> m_pDevice;
        int m_nContext;
    };

    std::shared_ptr<FakeMciDevice> m_pDevice;
    std::atomic<bool> m_bFailing{false};
};
