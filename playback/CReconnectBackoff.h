#pragma once

// The waits between attempts to reach a server that went away: 2 s, then twice the last
// wait each time, at most 60 s; a connection that holds starts the series again.
class CReconnectBackoff {
public:
    static constexpr int kFirstSeconds = 2;
    static constexpr int kLimitSeconds = 60;

    // The wait before the next attempt; each call doubles the following one.
    int NextSeconds();
    void Reset() { m_nNextSeconds = kFirstSeconds; }

private:
    int m_nNextSeconds = kFirstSeconds;
};
