#include "store/ruleeval.h"

#include "store/number.h"
#include "store/textcodec.h"

#include <algorithm>
#include <string>

namespace {

std::int64_t monthIndex(DayNumber day)
{
    const CivilDate date = civilDate(day);
    return date.year * 12 + (date.month - 1);
}

DayNumber sundayOnOrBefore(DayNumber day)
{
    return day - weekday(day);
}

std::int64_t boundaries(DayNumber from, DayNumber due, const std::string& unit)
{
    const std::int64_t days = due - from;
    if (unit == "yyyy")
        return civilDate(due).year - civilDate(from).year;
    if (unit == "q")
        return floorDiv(monthIndex(due), 3) - floorDiv(monthIndex(from), 3);
    if (unit == "m")
        return monthIndex(due) - monthIndex(from);
    if (unit == "w")
        return days / 7;
    if (unit == "ww")
        return (sundayOnOrBefore(due) - sundayOnOrBefore(from)) / 7;
    if (unit == "h")
        return days * 24;
    if (unit == "n")
        return days * 24 * 60;
    if (unit == "s")
        return days * 24 * 60 * 60;
    return days; // "d", "y", and anything that cannot be counted otherwise
}

} // namespace

std::optional<DayNumber> dueDay(const TaskRecord& task)
{
    if (!hasDueDate(task))
        return std::nullopt;
    return civilDay(task.year, task.month, task.day);
}

std::int16_t unitsLeft(DayNumber from, DayNumber due, std::string_view unit)
{
    std::string code(unit);
    std::transform(code.begin(), code.end(), code.begin(), asciiLower);
    return saturate<std::int16_t>(boundaries(from, due, code));
}

RuleWalk walkRules(std::span<const AlertRule> rules, DayNumber from, std::optional<DayNumber> due)
{
    RuleWalk walk;
    if (!due)
        return walk;
    std::int32_t bestValue = 99999;
    // Tables hold mostly rules of one unit, and the list walks them for every task: a unit's count
    // is worked out again only where the unit changes.
    std::int16_t left = 0;
    const std::string* leftUnit = nullptr;
    for (std::size_t slot = 0; slot < rules.size(); ++slot) {
        const AlertRule& rule = rules[slot];
        if (!leftUnit || rule.unit != *leftUnit) {
            left = unitsLeft(from, *due, rule.unit);
            leftUnit = &rule.unit;
        }
        if (rule.value <= bestValue && left <= rule.value) {
            bestValue = rule.value;
            walk.leadColor = rule.color;
            if (rule.popup != 0) {
                walk.popupColor = rule.color;
                walk.popupRule = slot;
            }
        }
        walk.lastUnitsLeft = left;
    }
    return walk;
}

LocalTime nextWalkChange(LocalTime from)
{
    return {from.day + 1, 0};
}
