#pragma once

#include "store/calendar.h"
#include "store/records.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

// The due date of a task, with carry; the time of day plays no part. Nothing without a due date.
std::optional<DayNumber> dueDay(const TaskRecord& task);

// Unit boundaries from today forward to due, saturated to 16 bits. Codes: yyyy, q, m, y, d, w, ww,
// h, n, s (case-insensitive); an empty or unknown code counts days.
std::int16_t unitsLeft(DayNumber from, DayNumber due, std::string_view unit);

// The walk over the rules shared by the list colouring and the attention page. A rule applies
// when the task is due in at most `value` units; an applying rule takes the lead when its value
// is not greater than every earlier leader's.
struct RuleWalk
{
    std::optional<std::int32_t> leadColor;     // colour of the last rule that took the lead
    std::optional<std::int32_t> popupColor;    // colour of the last leader with popup set
    std::optional<std::size_t> popupRule;      // and its slot
    std::optional<std::int16_t> lastUnitsLeft; // units left of the last rule in table order
};
// No rule applies to a task without a due date.
RuleWalk walkRules(std::span<const AlertRule> rules, DayNumber from, std::optional<DayNumber> due);

// The walk counts whole calendar days from today, whatever the unit, so no task's colour, weight
// or popup can change before the next midnight, and any of them may change at every midnight.
LocalTime nextWalkChange(LocalTime from);
