#include "CLoopState.h"

std::atomic<std::uint32_t> CLoopState::s_nCurrentToken{0};
std::atomic<bool> CLoopState::s_bStop{false};
std::atomic<bool> CLoopState::s_bHold{false};
std::atomic<bool> CLoopState::s_bRegionPlaying{false};
std::atomic<bool> CLoopState::s_bShutdownAtEnd{false};
std::mutex CLoopState::s_registrationMutex;
std::mutex CLoopState::s_tokenMutex;
