#pragma once

#include <cstdint>
#include <ctime>
#include <optional>

// Integer division rounding towards minus infinity, as calendars count.
constexpr std::int64_t floorDiv(std::int64_t a, std::int64_t b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

// Days since 1970-01-01 in the proleptic Gregorian calendar.
using DayNumber = std::int64_t;

// The date of year, month and day with carry: month 13 is January of the next year, month 0 the
// December before, day 0 the last day of the month before, day 32 of January the 1st of February.
DayNumber civilDay(std::int64_t year, std::int64_t month, std::int64_t day);

struct CivilDate
{
    std::int64_t year;
    int month; // 1..12
    int day;   // 1..31
    bool operator==(const CivilDate&) const = default;
};
CivilDate civilDate(DayNumber day);

// 0 for Sunday .. 6 for Saturday.
int weekday(DayNumber day);

// A moment on the local wall clock.
struct LocalTime
{
    DayNumber day = 0;
    std::int64_t millisecond = 0; // since the day's midnight
    bool operator==(const LocalTime&) const = default;
};

// The local time now, and today's local date. Every reader of the clock goes through here, so tests
// can pin it; pinning a day pins its midnight.
LocalTime now();
DayNumber today();
void pinNow(std::optional<LocalTime> moment);
void pinToday(std::optional<DayNumber> day);

// The moment on the system's clock, in seconds since 1970 UTC.
std::time_t epochSeconds(LocalTime moment);
// Real milliseconds from now until the local clock shows `moment` (negative when it has passed).
// A day that puts the clock forward or back is shorter or longer than 24 hours.
std::int64_t millisecondsUntil(LocalTime moment);
