#include "store/calendar.h"

#include <chrono>
#include <ctime>

namespace {

// Howard Hinnant's days_from_civil, for a month already in 1..12.
DayNumber daysFromCivil(std::int64_t y, std::int64_t m, std::int64_t d)
{
    y -= m <= 2;
    const std::int64_t era = floorDiv(y, 400);
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

std::optional<LocalTime> pinnedNow;

constexpr std::int64_t millisecondsPerDay = 24 * 60 * 60 * 1000;

} // namespace

DayNumber civilDay(std::int64_t year, std::int64_t month, std::int64_t day)
{
    const std::int64_t monthsFromZero = month - 1;
    const std::int64_t carriedYear = year + floorDiv(monthsFromZero, 12);
    const std::int64_t carriedMonth = monthsFromZero - floorDiv(monthsFromZero, 12) * 12 + 1;
    return daysFromCivil(carriedYear, carriedMonth, 1) + day - 1;
}

CivilDate civilDate(DayNumber z)
{
    z += 719468;
    const std::int64_t era = floorDiv(z, 146097);
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const auto day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const auto month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    return {yoe + era * 400 + (month <= 2), month, day};
}

int weekday(DayNumber day)
{
    // 1970-01-01 was a Thursday.
    const auto remainder = static_cast<int>((day + 4) % 7);
    return remainder < 0 ? remainder + 7 : remainder;
}

LocalTime now()
{
    if (pinnedNow)
        return *pinnedNow;
    const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
    const std::time_t seconds = std::chrono::duration_cast<std::chrono::seconds>(sinceEpoch).count();
    std::tm local{};
    localtime_r(&seconds, &local);
    const auto fraction = std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count() % 1000;
    return {civilDay(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday),
            ((local.tm_hour * 60 + local.tm_min) * 60 + local.tm_sec) * std::int64_t{1000} + fraction};
}

DayNumber today()
{
    return now().day;
}

void pinNow(std::optional<LocalTime> moment)
{
    pinnedNow = moment;
}

void pinToday(std::optional<DayNumber> day)
{
    pinNow(day ? std::optional<LocalTime>(LocalTime{*day, 0}) : std::nullopt);
}

std::time_t epochSeconds(LocalTime moment)
{
    const CivilDate date = civilDate(moment.day);
    std::tm local{};
    local.tm_year = static_cast<int>(date.year - 1900);
    local.tm_mon = date.month - 1;
    local.tm_mday = date.day;
    local.tm_sec = static_cast<int>(moment.millisecond / 1000);
    local.tm_isdst = -1; // whichever applies on that day
    // A time the clock skips (put forward over it) comes out as the first moment after the gap.
    return std::mktime(&local);
}

std::int64_t millisecondsUntil(LocalTime moment)
{
    if (pinnedNow)
        return (moment.day - pinnedNow->day) * millisecondsPerDay + moment.millisecond - pinnedNow->millisecond;
    const std::time_t target = epochSeconds(moment);
    const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
    return std::int64_t{target} * 1000 + moment.millisecond % 1000 -
           std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count();
}
