#include "platform/date_time.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <climits>
#include <ctime>
#include <mutex>

namespace iec {
namespace {

constexpr int64_t kMsPerDay = 86400000;
// Days from 0001-01-01 to 1899-12-30, and from 1601-01-01 to 1899-12-30.
constexpr int32_t kTimeStampDelta = 693594;
constexpr int64_t kFileTimeDeltaDays = 109205;
constexpr int64_t kTicksPerMs = 10000;

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's civil-days algorithm).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t yy = static_cast<int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yy + (m <= 2));
}

// mktime re-reads the time-zone rules into the C library's shared state on every call; the library's own lock
// around that is invisible to the race detector, so every caller of ours goes through one mutex.
std::time_t LockedMktime(std::tm& tm) {
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    return std::mktime(&tm);
}

// 1970-01-01 is day 25569 of the DateTime count.
constexpr int64_t kUnixEpochDays = 25569;

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

// Whole days and milliseconds of the day, rounded to the millisecond.
void Split(double days, int64_t& whole, int64_t& ms) {
    whole = static_cast<int64_t>(std::trunc(days));
    ms = static_cast<int64_t>(std::llround(std::fabs(days - static_cast<double>(whole)) * kMsPerDay));
    if (ms >= kMsPerDay) {  // rounding reached the next midnight
        ms -= kMsPerDay;
        whole += days < 0 ? -1 : 1;
    }
}

double Join(int64_t whole, int64_t ms) {
    const double frac = static_cast<double>(ms) / kMsPerDay;
    return whole >= 0 ? static_cast<double>(whole) + frac : static_cast<double>(whole) - frac;
}

}  // namespace

bool DateTime::TryCompose(const DateParts& p, DateTime& out) {
    if (p.year < 1 || p.year > 9999 || p.month < 1 || p.month > 12 || p.day < 1 ||
        p.day > DaysInMonth(p.year, p.month) || p.hour < 0 || p.hour > 23 || p.minute < 0 || p.minute > 59 ||
        p.second < 0 || p.second > 59 || p.msec < 0 || p.msec > 999) {
        return false;
    }
    const int64_t whole = DaysFromCivil(p.year, static_cast<unsigned>(p.month), static_cast<unsigned>(p.day)) +
                          kUnixEpochDays;
    const int64_t ms = ((static_cast<int64_t>(p.hour) * 60 + p.minute) * 60 + p.second) * 1000 + p.msec;
    out = DateTime(Join(whole, ms));
    return true;
}

DateTime DateTime::Compose(const DateParts& p) {
    DateTime out;
    TryCompose(p, out);
    return out;
}

DateParts DateTime::Decode() const {
    int64_t whole = 0, ms = 0;
    Split(days_, whole, ms);
    DateParts p;
    CivilFromDays(whole - kUnixEpochDays, p.year, p.month, p.day);
    p.msec = static_cast<int>(ms % 1000);
    ms /= 1000;
    p.second = static_cast<int>(ms % 60);
    ms /= 60;
    p.minute = static_cast<int>(ms % 60);
    p.hour = static_cast<int>(ms / 60);
    return p;
}

TimeStamp DateTime::ToTimeStamp() const {
    int64_t whole = 0, ms = 0;
    Split(days_, whole, ms);
    return TimeStamp{static_cast<int32_t>(whole + kTimeStampDelta), static_cast<int32_t>(ms)};
}

DateTime DateTime::FromTimeStamp(TimeStamp ts) {
    return DateTime(Join(static_cast<int64_t>(ts.date) - kTimeStampDelta, ts.time));
}

int DateTime::DayOfWeek() const {
    int64_t whole = 0, ms = 0;
    Split(days_, whole, ms);
    // 1899-12-30 was a Saturday (7).
    int64_t r = (whole + 6) % 7;
    if (r < 0) r += 7;
    return static_cast<int>(r) + 1;
}

DateTime DateTime::FromSystem(std::chrono::system_clock::time_point tp) {
    const auto ms_total = std::chrono::duration_cast<std::chrono::milliseconds>(tp.time_since_epoch()).count();
    int64_t secs = ms_total / 1000;
    int64_t ms = ms_total % 1000;
    if (ms < 0) {
        ms += 1000;
        secs -= 1;
    }
    const std::time_t t = static_cast<std::time_t>(secs);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &t);
#else
    localtime_r(&t, &local);
#endif
    DateParts p{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                std::min(local.tm_sec, 59), static_cast<int>(ms)};
    return Compose(p);
}

std::chrono::system_clock::time_point DateTime::ToSystem() const {
    const DateParts p = Decode();
    std::tm local{};
    local.tm_year = p.year - 1900;
    local.tm_mon = p.month - 1;
    local.tm_mday = p.day;
    local.tm_hour = p.hour;
    local.tm_min = p.minute;
    local.tm_sec = p.second;
    local.tm_isdst = -1;
    const std::time_t t = LockedMktime(local);
    return std::chrono::system_clock::from_time_t(t) + std::chrono::milliseconds(p.msec);
}

int64_t DateTime::ToFileTime() const {
    int64_t whole = 0, ms = 0;
    Split(days_, whole, ms);
    return ((whole + kFileTimeDeltaDays) * kMsPerDay + ms) * kTicksPerMs;
}

DateTime DateTime::FromFileTime(int64_t ticks) {
    const int64_t ms_total = ticks / kTicksPerMs - kFileTimeDeltaDays * kMsPerDay;
    int64_t whole = ms_total / kMsPerDay;
    int64_t ms = ms_total % kMsPerDay;
    if (ms < 0) {  // before 1899-12-30: the day before, and the time forward from its midnight
        whole -= 1;
        ms += kMsPerDay;
    }
    return DateTime(Join(whole, ms));
}

namespace {
std::string Format(const DateParts& p, const char* fmt) {
    char buf[40];
    std::snprintf(buf, sizeof buf, fmt, p.day, p.month, p.year, p.hour, p.minute, p.second, p.msec);
    return buf;
}
}  // namespace

std::string DateTime::FormatDisplay() const { return Format(Decode(), "%02d.%02d.%04d %02d:%02d:%02d.%03d"); }

std::string DateTime::FormatLog() const { return Format(Decode(), "%02d-%02d-%04d %02d:%02d:%02d.%03d"); }

namespace {
std::atomic<int> g_zone_generation{0};
}  // namespace

void TimeZoneChanged() { g_zone_generation.fetch_add(1, std::memory_order_relaxed); }

int LocalToUtcBiasMinutes(DateTime local, int dst) {
    const DateParts p = local.Decode();
    // Time tags of one message mostly share their minute: the zone's rules are asked once per minute and reading.
    const int64_t minute_key =
        (DaysFromCivil(p.year, static_cast<unsigned>(p.month), static_cast<unsigned>(p.day)) * 1440 +
         p.hour * 60 + p.minute) * 4 + (dst + 1);
    struct Cached {
        int64_t key = INT64_MIN;
        int generation = -1;
        int bias = 0;
    };
    thread_local Cached cached;
    const int generation = g_zone_generation.load(std::memory_order_relaxed);
    if (cached.key == minute_key && cached.generation == generation) return cached.bias;
    const auto utc_of = [&p](int isdst, std::time_t& t) {
        std::tm tm{};
        tm.tm_year = p.year - 1900;
        tm.tm_mon = p.month - 1;
        tm.tm_mday = p.day;
        tm.tm_hour = p.hour;
        tm.tm_min = p.minute;
        tm.tm_sec = p.second;
        tm.tm_isdst = isdst;
        t = LockedMktime(tm);
        if (t == static_cast<std::time_t>(-1) || isdst < 0) return t != static_cast<std::time_t>(-1);
        // mktime shifts a reading the zone does not have at that moment; only an exact round trip counts.
        std::tm back{};
#ifdef _WIN32
        if (localtime_s(&back, &t) != 0) return false;
#else
        if (localtime_r(&t, &back) == nullptr) return false;
#endif
        return back.tm_isdst == isdst && back.tm_hour == p.hour && back.tm_min == p.minute &&
               back.tm_mday == p.day;
    };
    std::time_t t = 0;
    if (!(dst >= 0 && utc_of(dst, t)) && !utc_of(-1, t)) return 0;
    // Whole seconds of the local reading counted as if it were UTC, against the real UTC seconds.
    const int64_t local_seconds =
        DaysFromCivil(p.year, static_cast<unsigned>(p.month), static_cast<unsigned>(p.day)) * 86400 +
        p.hour * 3600 + p.minute * 60 + p.second;
    cached = {minute_key, generation, static_cast<int>((static_cast<int64_t>(t) - local_seconds) / 60)};
    return cached.bias;
}

}  // namespace iec
