#include "CAlarmCheck.h"

#include <cmath>
#include <ctime>

long CAlarmCheck::SecondOfDay(const CDateTime& time) {
    std::tm fields{};
    if (!time.GetCalendar(fields)) {
        return -1;
    }
    return fields.tm_hour * 3600L + fields.tm_min * 60L + fields.tm_sec;
}

void CAlarmCheck::Reset() {
    m_bChecked = false;
}

// The passed span is (previous, now] in seconds; a span of a day or more (a machine that
// slept) fires once.
bool CAlarmCheck::IsDue(const CDateTime& alarm, const CDateTime& now) {
    const long target = SecondOfDay(alarm);
    const long current = SecondOfDay(now);
    if (alarm.IsNull() || !now.IsValid() || target < 0 || current < 0) {
        return false;
    }
    const double nowSeconds = std::round(now.GetValue() * 86400.0);
    const double previous = m_bChecked ? m_dPrevious : nowSeconds - 1.0;
    m_bChecked = true;
    m_dPrevious = nowSeconds;
    const double span = nowSeconds - previous;
    if (span <= 0.0) {
        return false;
    }
    if (span >= 86400.0) {
        return true;
    }
    // Seconds back from now to the alarm's last occurrence.
    const long back = ((current - target) % 86400L + 86400L) % 86400L;
    return static_cast<double>(back) < span;
}
