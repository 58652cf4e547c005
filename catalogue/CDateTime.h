#pragma once

#include <cstdint>
#include <ctime>
#include <string>

// A date and time as our archives store it: a status and a floating day number counted
// from 30 December 1899 00:00, the fraction being the time of day. Before that day the
// whole part counts backwards while the fraction still adds time of day, so -1.25 is
// 29 December 1899 06:00. Calendar conversions cover the years 100 to 9999.
class CDateTime {
public:
    enum Status : std::int32_t { kValid = 0, kInvalid = 1, kNull = 2 };

    CDateTime() = default;
    CDateTime(double dt, Status status) : m_dt(dt), m_status(status) {}

    static CDateTime Null() { return CDateTime(0.0, kNull); }
    // The day number of a calendar date and time; status invalid when a field is out of
    // range (month 1-12, day within the month, hour 0-23, minute and second 0-59).
    static CDateTime FromCalendar(int year, int month, int day, int hour, int minute, int second);
    // The local calendar fields of a system time.
    static CDateTime FromTime(std::time_t time);
    // The same in UTC calendar fields: file dates are kept as the file system gives them,
    // without conversion to local time.
    static CDateTime FromUtcTime(std::time_t time);

    double GetValue() const { return m_dt; }
    Status GetStatus() const { return m_status; }
    bool IsNull() const { return m_status == kNull; }
    bool IsValid() const { return m_status == kValid; }
    void SetStatus(Status status) { m_status = status; }

    // The calendar fields, rounded to the nearest second (tm_year counts from 1900, tm_mon
    // from 0, tm_wday and tm_yday filled); false when not valid or out of range.
    bool GetCalendar(std::tm& fields) const;
    // strftime text of the calendar fields; empty when they cannot be had.
    std::string Format(const char* pattern) const;
    // The user's default date and time form (see FormatUserDefault); empty as above.
    std::string Format() const;
    // Calendar fields in the date and time form of the user's locale (the environment's,
    // "%x %X"); "%Y-%m-%d %H:%M:%S" when that locale cannot be had.
    static std::string FormatUserDefault(const std::tm& fields);

    // Same status and the same day number bit for bit (so a stored NaN equals itself).
    bool operator==(const CDateTime& other) const;

private:
    static CDateTime FromTm(std::time_t time, bool localTime);
    double m_dt = 0.0;
    Status m_status = kValid;
};
