// Date and time as the station files, logs and OPC interfaces count them: days since 1899-12-30 00:00 as a
// double, local time. The fraction is the time of day; for dates before 1899-12-30 the fraction still counts
// forward from midnight (-1.25 is 1899-12-29 06:00).
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace iec {

struct DateParts {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0, msec = 0;
};

// Day number (days since 0001-01-01, plus one) and milliseconds since midnight.
struct TimeStamp {
    int32_t date = 0;
    int32_t time = 0;
};

class DateTime {
public:
    static constexpr double kOneHour = 1.0 / 24.0;
    static constexpr double kOneMinute = 1.0 / 1440.0;
    static constexpr double kOneSecond = 1.0 / 86400.0;
    static constexpr double kOneMs = 1.0 / 86400000.0;

    constexpr DateTime() = default;
    constexpr explicit DateTime(double days) : days_(days) {}

    // Composes a date and time; returns false (and leaves out untouched) for a date or time out of range.
    static bool TryCompose(const DateParts& p, DateTime& out);
    static DateTime Compose(const DateParts& p);  // out of range gives 0.0

    // Local calendar time of a system clock instant, and back.
    static DateTime FromSystem(std::chrono::system_clock::time_point tp);
    std::chrono::system_clock::time_point ToSystem() const;

    // 100-ns intervals since 1601-01-01 of the same clock reading (FILETIME and the OPC UA DateTime share this
    // epoch). No time-zone shift is applied: callers convert local to UTC with the bias they choose.
    int64_t ToFileTime() const;
    static DateTime FromFileTime(int64_t ticks);

    constexpr double days() const { return days_; }
    DateParts Decode() const;
    TimeStamp ToTimeStamp() const;
    static DateTime FromTimeStamp(TimeStamp ts);
    int DayOfWeek() const;  // 1 = Sunday .. 7 = Saturday

    // "DD.MM.YYYY hh:nn:ss.zzz": the form shown to people and sent to the reserve server.
    std::string FormatDisplay() const;
    // "dd-mm-yyyy hh:nn:ss.zzz": the form of the exchange logs.
    std::string FormatLog() const;

    friend constexpr bool operator==(DateTime a, DateTime b) { return a.days_ == b.days_; }
    friend constexpr auto operator<=>(DateTime a, DateTime b) { return a.days_ <=> b.days_; }
    friend constexpr DateTime operator+(DateTime a, double d) { return DateTime(a.days_ + d); }
    friend constexpr DateTime operator-(DateTime a, double d) { return DateTime(a.days_ - d); }
    friend constexpr double operator-(DateTime a, DateTime b) { return a.days_ - b.days_; }

private:
    double days_ = 0.0;
};

// Minutes to add to a local time to get UTC at that local moment (the Windows time-zone bias), reading it as
// daylight saving time (dst 1), standard time (dst 0) or whichever the zone has in force then (dst -1; in the hour
// that repeats when the clocks go back, either). A reading the zone does not have then (summer time in winter, or
// any reading in a zone without daylight saving) falls back to the one in force.
int LocalToUtcBiasMinutes(DateTime local, int dst = -1);
// After the process's time zone was changed (tzset): answers of LocalToUtcBiasMinutes cached per minute are dropped.
void TimeZoneChanged();

// A time stamp's bias when it was not known where the time was taken.
constexpr int kBiasUnknown = -0x7fffffff;
// The bias as recorded with a time, or the one in force at that local time when none was recorded.
inline int ResolveBias(DateTime local, int bias) { return bias != kBiasUnknown ? bias : LocalToUtcBiasMinutes(local); }

}  // namespace iec
