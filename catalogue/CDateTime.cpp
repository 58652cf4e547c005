#include "CDateTime.h"

#include <cmath>
#include <cstring>
#include <exception>
#include <iomanip>
#include <locale>
#include <sstream>

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
// Day numbers of 1 January 100 and of the day after 31 December 9999: the calendar range
// we convert (before day 0 the whole part alone names the day).
constexpr double kMinDay = -657434.0;
constexpr double kMaxDay = 2958466.0;

// Days from 1 January 1970 to a proleptic Gregorian date.
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

bool IsLeap(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

const std::int64_t kEpochOffset = DaysFromCivil(1899, 12, 30);

} // namespace

CDateTime CDateTime::FromCalendar(int year, int month, int day, int hour, int minute, int second) {
    if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > DaysInMonth(year, month) || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
        second < 0 || second > 59) {
        return CDateTime(0.0, kInvalid);
    }
    const auto days = static_cast<double>(DaysFromCivil(year, month, day) - kEpochOffset);
    const double fraction = static_cast<double>(hour * 3600 + minute * 60 + second) /
                            static_cast<double>(kSecondsPerDay);
    return CDateTime(days >= 0 ? days + fraction : days - fraction, kValid);
}

CDateTime CDateTime::FromTime(std::time_t time) {
    return FromTm(time, true);
}

CDateTime CDateTime::FromUtcTime(std::time_t time) {
    return FromTm(time, false);
}

CDateTime CDateTime::FromTm(std::time_t time, bool localTime) {
    std::tm local{};
    if ((localTime ? ::localtime_r(&time, &local) : ::gmtime_r(&time, &local)) == nullptr) {
        return CDateTime(0.0, kInvalid);
    }
    // A leap second (60) is taken as the last second of its minute.
    return FromCalendar(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                        local.tm_min, local.tm_sec > 59 ? 59 : local.tm_sec);
}

bool CDateTime::GetCalendar(std::tm& fields) const {
    if (m_status != kValid || !std::isfinite(m_dt) || m_dt <= kMinDay - 1.0 || m_dt >= kMaxDay) {
        return false;
    }
    // The calendar day is the whole part; the time of day is the fraction's magnitude.
    const double whole = std::trunc(m_dt);
    auto calendarDay = static_cast<std::int64_t>(whole);
    auto seconds = static_cast<std::int64_t>(
        std::llround(std::fabs(m_dt - whole) * static_cast<double>(kSecondsPerDay)));
    if (seconds >= kSecondsPerDay) {
        seconds -= kSecondsPerDay;
        ++calendarDay;
    }
    int year = 0;
    int month = 0;
    int day = 0;
    CivilFromDays(calendarDay + kEpochOffset, year, month, day);
    if (year > 9999) {
        return false;
    }
    std::memset(&fields, 0, sizeof(fields));
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = static_cast<int>(seconds / 3600);
    fields.tm_min = static_cast<int>(seconds / 60 % 60);
    fields.tm_sec = static_cast<int>(seconds % 60);
    const std::int64_t unixDay = calendarDay + kEpochOffset;
    fields.tm_wday = static_cast<int>(((unixDay % 7) + 11) % 7); // 1 January 1970: Thursday
    fields.tm_yday = static_cast<int>(unixDay - DaysFromCivil(year, 1, 1));
    fields.tm_isdst = -1;
    return true;
}

std::string CDateTime::Format(const char* pattern) const {
    std::tm fields{};
    if (!GetCalendar(fields)) {
        return {};
    }
    char buffer[128];
    const std::size_t length = std::strftime(buffer, sizeof(buffer), pattern, &fields);
    return std::string(buffer, length);
}

std::string CDateTime::Format() const {
    std::tm fields{};
    return GetCalendar(fields) ? FormatUserDefault(fields) : std::string();
}

std::string CDateTime::FormatUserDefault(const std::tm& fields) {
    try {
        std::ostringstream text;
        text.imbue(std::locale(""));
        text << std::put_time(&fields, "%x %X");
        return text.str();
    } catch (const std::exception&) {
        char buffer[64];
        const std::size_t length =
            std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &fields);
        return std::string(buffer, length);
    }
}

bool CDateTime::operator==(const CDateTime& other) const {
    return m_status == other.m_status && std::memcmp(&m_dt, &other.m_dt, sizeof(m_dt)) == 0;
}
