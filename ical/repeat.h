#pragma once

// Tasks whose kept form repeats (RRULE): how, and where the series goes next.

#include "store/calendar.h"
#include "store/records.h"

#include <optional>
#include <string_view>
#include <vector>

namespace ical {

struct Repeat
{
    enum class Unit { Second, Minute, Hour, Day, Week, Month, Year };
    Unit unit = Unit::Day;
    int interval = 1;
    std::vector<int> weekdays; // 0 Sunday .. 6 Saturday, for a rule by days of the week
    int count = 0;             // occurrences the series still has; 0 when it does not count them
    std::optional<CivilDate> until;
    bool operator==(const Repeat&) const = default;
};

// How the master VTODO of `calendar` repeats; nothing when it does not.
std::optional<Repeat> repeatOf(std::string_view calendar);

// `task` due at the first occurrence of its series after its due moment: what doing it once leaves.
// Nothing when the task has no due date, its form does not repeat, or the series has no later one.
std::optional<TaskRecord> nextOccurrence(const TaskRecord& task, std::string_view calendar);

} // namespace ical
