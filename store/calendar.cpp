#include "store/calendar.h"

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

std::optional<DayNumber> pinnedToday;

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

DayNumber today()
{
    if (pinnedToday)
        return *pinnedToday;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return civilDay(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

void pinToday(std::optional<DayNumber> day)
{
    pinnedToday = day;
}
