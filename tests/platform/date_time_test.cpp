#include "platform/date_time.h"

#include <gtest/gtest.h>

namespace iec {
namespace {

TEST(DateTime, KnownDayNumbers) {
    EXPECT_DOUBLE_EQ(DateTime::Compose({1899, 12, 30}).days(), 0.0);
    EXPECT_DOUBLE_EQ(DateTime::Compose({1900, 1, 1}).days(), 2.0);
    EXPECT_DOUBLE_EQ(DateTime::Compose({2000, 1, 1}).days(), 36526.0);
    EXPECT_DOUBLE_EQ(DateTime::Compose({2024, 2, 29, 12}).days(), 45351.5);
    // Before the epoch the fraction still counts forward from midnight.
    EXPECT_DOUBLE_EQ(DateTime::Compose({1899, 12, 29, 6}).days(), -1.25);
}

TEST(DateTime, DecodeRoundsToTheMillisecond) {
    const DateTime t = DateTime::Compose({2026, 12, 31, 23, 59, 59, 999});
    const DateParts p = t.Decode();
    EXPECT_EQ(p.year, 2026);
    EXPECT_EQ(p.month, 12);
    EXPECT_EQ(p.day, 31);
    EXPECT_EQ(p.hour, 23);
    EXPECT_EQ(p.minute, 59);
    EXPECT_EQ(p.second, 59);
    EXPECT_EQ(p.msec, 999);
    // Half a millisecond before midnight rounds into the next day, not to 24:00.
    const DateParts q = DateTime(t.days() + 0.6 * DateTime::kOneMs).Decode();
    EXPECT_EQ(q.year, 2027);
    EXPECT_EQ(q.hour, 0);
    EXPECT_EQ(q.msec, 0);
    EXPECT_EQ(DateTime(-1.25).Decode().hour, 6);
    EXPECT_EQ(DateTime(-1.25).Decode().day, 29);
}

TEST(DateTime, RejectsImpossibleDates) {
    DateTime out(7.0);
    EXPECT_FALSE(DateTime::TryCompose({2023, 2, 29}, out));
    EXPECT_FALSE(DateTime::TryCompose({2024, 13, 1}, out));
    EXPECT_FALSE(DateTime::TryCompose({2024, 1, 1, 24}, out));
    EXPECT_EQ(out.days(), 7.0);
    EXPECT_TRUE(DateTime::TryCompose({2000, 2, 29}, out));
}

TEST(DateTime, Formats) {
    const DateTime t = DateTime::Compose({2026, 3, 7, 8, 5, 9, 42});
    EXPECT_EQ(t.FormatDisplay(), "07.03.2026 08:05:09.042");
    EXPECT_EQ(t.FormatLog(), "07-03-2026 08:05:09.042");
}

TEST(DateTime, TimeStampAndFileTime) {
    const DateTime t = DateTime::Compose({2001, 1, 1, 0, 0, 1, 500});
    const TimeStamp ts = t.ToTimeStamp();
    EXPECT_EQ(ts.date, 730486);  // days since 0001-01-01, plus one
    EXPECT_EQ(ts.time, 1500);
    EXPECT_DOUBLE_EQ(DateTime::FromTimeStamp(ts).days(), t.days());
    // 1601-01-01 is FILETIME zero; 1970-01-01 is 116444736000000000.
    EXPECT_EQ(DateTime::Compose({1601, 1, 1}).ToFileTime(), 0);
    EXPECT_EQ(DateTime::Compose({1970, 1, 1}).ToFileTime(), 116444736000000000LL);
    EXPECT_NEAR(DateTime::FromFileTime(t.ToFileTime()).days(), t.days(), DateTime::kOneMs / 10);
    EXPECT_NEAR(DateTime::FromFileTime(DateTime(-1.25).ToFileTime()).days(), -1.25, 1e-9);
}

TEST(DateTime, SystemTimeRoundTrip) {
    const auto now = std::chrono::system_clock::now();
    const DateTime local = DateTime::FromSystem(now);
    const auto back = local.ToSystem();
    const auto diff = std::chrono::duration_cast<std::chrono::milliseconds>(back - now).count();
    EXPECT_LE(std::abs(diff), 1);
    EXPECT_EQ(DateTime::Compose({2024, 6, 1}).DayOfWeek(), 7);  // a Saturday
}

}  // namespace
}  // namespace iec
