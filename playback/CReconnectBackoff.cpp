#include "CReconnectBackoff.h"

#include <algorithm>

int CReconnectBackoff::NextSeconds() {
    const int wait = m_nNextSeconds;
    m_nNextSeconds = std::min(m_nNextSeconds * 2, kLimitSeconds);
    return wait;
}
