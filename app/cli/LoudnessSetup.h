#pragma once

#include <memory>
#include <string>
#include <vector>

class CLoudnessService;

// The analysis behind the playing commands: the cache opened, the player's cue source
// installed (it answers as "automixpoints" and "normalize" say), and the songs given
// analysed in the background, in their order, by one low-priority worker. Dropping the
// object stops the worker and removes the cue source.
class LoudnessSetup {
public:
    explicit LoudnessSetup(const std::vector<std::string>& songs);
    ~LoudnessSetup();
    LoudnessSetup(const LoudnessSetup&) = delete;
    LoudnessSetup& operator=(const LoudnessSetup&) = delete;

private:
    std::unique_ptr<CLoudnessService> m_pService;
};
