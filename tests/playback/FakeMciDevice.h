#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
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
    void SetReply(const std::string& command, const std::string& reply, std::uint32_t nError = 0);
    // Holds every later call of this command until Unblock (or 5 s pass).
    void Block(const std::string& command);
    void Unblock();

    // Called by a context: records the command and answers the script.
    std::uint32_t Receive(int nContext, const std::string& command, std::string& reply);
    // Numbers contexts in the order they are made, from 0; counts those alive.
    int OpenContext();
    void CloseContext();

    int ContextsMade() const;
    int ContextsAlive() const;
    std::vector<Entry> Log() const;
    // The commands one context received, in order.
    std::vector<std::string> Commands(int nContext) const;
    // Forgets the log (not the script).
    void ClearLog();
    // Waits at most timeout until the predicate over the log holds.
    bool WaitUntil(const std::function<bool(const std::vector<Entry>&)>& predicate,
                   std::chrono::milliseconds timeout) const;
    // Waits at most timeout until context nContext has received command.
    bool WaitForCommand(int nContext, const std::string& command,
                        std::chrono::milliseconds timeout) const;

private:
    struct Answer {
        std::string reply;
        std::uint32_t nError = 0;
    };

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_cvChanged;
    std::vector<Entry> m_log;
    std::map<std::string, Answer> m_script;
    std::string m_strBlocked;
    bool m_bBlocking = false;
    int m_nMade = 0;
    int m_nAlive = 0;
};
