#pragma once

// One task as an iCalendar to-do (VTODO) and back. Standard C++ and libical only.
//
// A calendar here is the text of one VCALENDAR that holds one task: its VTODO (with any instances
// of it that carry a RECURRENCE-ID) and the VTIMEZONEs they name. That is the unit kept for tasks
// that came from outside and the unit a CalDAV server stores per task.

#include "store/records.h"

#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ical {

// The task's fields that iCalendar carries, one entry per group of properties that map together.
enum class Field {
    Title,       // SUMMARY
    For,         // CONTACT
    Description, // DESCRIPTION
    Due,         // DUE as the fields mean it with carry, and X-TASKWYN-DUE with them when they make no real date
    Recycled,    // STATUS, COMPLETED, PERCENT-COMPLETE, X-TASKWYN-DELETED
};

// The fields in which `after` differs from `before`, in the order of the enum.
std::vector<Field> changedFields(const TaskRecord& before, const TaskRecord& after);

// Whether the six due fields name a moment that exists (in the years 1 to 3000, which libical
// accepts, a day of the month, a time of day): any other is written as the moment it means with carry,
// beside its exact fields.
bool isRealDue(const TaskRecord& task);

// The task a calendar holds, with its uid as uidHere() makes it; nothing when the text holds no VTODO. A DUE with a
// time zone or in UTC becomes the local wall-clock time; texts become what the task file can keep.
std::optional<TaskRecord> taskOfCalendar(std::string_view calendar);

// The calendar of `task`. Given the form kept from outside (`kept`), only the properties of the
// fields that differ between it and the task are rewritten, with DTSTAMP, LAST-MODIFIED and
// SEQUENCE; everything else in it stays. `now` is the time recorded in those properties.
std::string calendarOfTask(const TaskRecord& task, const std::string* kept, std::time_t now);

// The uid a task here has for a calendar's UID: the same where the task file holds it as it is, else
// one derived from it, so that the task keeps one identity and the calendar its own UID.
std::string uidHere(std::string_view uid);

// An id for a VTODO that came without one, derived from its text so that importing the same file
// twice finds it again (a version 8 UUID).
std::string uidFromContent(std::string_view text);

// The product id written into every calendar made here.
inline constexpr const char* productId = "-//Taskwyn//Taskwyn//EN";

} // namespace ical
