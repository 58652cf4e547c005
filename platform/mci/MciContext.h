#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// The media-control layer: command strings in, a reply text and an error code out, the
// way the media-control player and its fader workers speak to a device ("open \"PATH\"
// alias mpeg wait", "play mpeg from 0 notify", "status mpeg position", ...). Each fader
// worker owns one context, so the alias "mpeg" is private to it. Contexts are not
// shared between threads: the worker that made one is the only caller.
class IMciContext {
public:
    virtual ~IMciContext() = default;
    // Carries out one command string. Answers 0 on success or a media-control error code
    // (see MciErrors.h); reply receives the answer text (empty when there is none).
    virtual std::uint32_t SendString(std::string_view command, std::string& reply) = 0;
};

// Makes contexts; one back end per process (GStreamer, or the simulated device).
class IMciContextFactory {
public:
    virtual ~IMciContextFactory() = default;
    virtual std::unique_ptr<IMciContext> CreateContext() = 0;
};

// The process-wide factory. Until one is set, the simulated device serves, so logic
// tests and commands that do not play need no sound server. Any thread may call these;
// the program sets the factory once at start-up.
IMciContextFactory& GetMciContextFactory();
void SetMciContextFactory(std::shared_ptr<IMciContextFactory> factory);

// The text for an error code, as the media-control layer describes it.
std::string GetMciErrorString(std::uint32_t error);
