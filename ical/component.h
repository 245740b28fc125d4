#pragma once

// Thin ownership and lookup helpers over libical's components, shared inside this library.

#include "store/records.h"

#include <libical/ical.h>

#include <array>
#include <cstdint>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ical {

struct ComponentFree
{
    void operator()(icalcomponent* component) const { icalcomponent_free(component); }
};
using Component = std::unique_ptr<icalcomponent, ComponentFree>;

// libical's parse of `text`: a VCALENDAR, an XROOT holding several, or nothing for text that
// holds no complete component. Errors in single values become X-LIC-ERROR properties.
Component parse(std::string_view text);

// The component's text, lines ending in CR LF.
std::string textOf(icalcomponent* component);

// The VCALENDARs in a parsed stream, in order.
std::vector<icalcomponent*> calendarsIn(icalcomponent* root);

// The sub-components of one kind, in order.
std::vector<icalcomponent*> componentsOf(icalcomponent* parent, icalcomponent_kind kind);

// The VTODO without RECURRENCE-ID, else the first VTODO; nothing without one.
icalcomponent* masterTodo(icalcomponent* calendar);

// The first property named `name` (an X- name), or nothing.
icalproperty* xProperty(icalcomponent* component, std::string_view name);
void removeProperties(icalcomponent* component, icalproperty_kind kind);
void removeXProperties(icalcomponent* component, std::string_view name);

// Every TZID that a property of `component`, or of a component inside it, names.
std::vector<std::string> timeZonesNamedIn(icalcomponent* component);

// A new VCALENDAR with VERSION and this program's PRODID.
Component newCalendar();

// Removes the X-LIC-ERROR properties libical puts where a value could not be read, everywhere inside.
void removeParseErrors(icalcomponent* component);

// The six due fields: year, month, day, hour, minute, second.
using DueFields = std::array<int, 6>;

// The mapping on parsed components (vtodo.cpp).
DueFields dueFieldsOf(const TaskRecord& task);
void setDueFields(TaskRecord& task, const DueFields& fields);
// The local wall clock of a DUE or DTSTART, whatever its zone.
DueFields wallClockOf(icaltimetype time);
inline constexpr std::int64_t secondsPerDay = 24 * 60 * 60;
// The fields as seconds of the wall clock since 1970, with carry, and back.
std::int64_t wallSeconds(const DueFields& fields);
DueFields fieldsAt(std::int64_t seconds);
// The moment the fields mean, with carry (31 February is 3 March; hour 24 the next day); a month
// of 0 is the January it is shown as. Nothing without a due date or outside the years libical knows.
std::optional<DueFields> carriedDue(const DueFields& fields);
// A repeating to-do whose DUE moved from `oldDue` to `newDue`: its series starts as much later, and a
// counted series keeps its end (repeat.cpp).
void moveSeriesWithDue(icalcomponent* todo, const DueFields& oldDue, const DueFields& newDue);

TaskRecord taskOfTodo(icalcomponent* todo);
// Done elsewhere, without the mark that tasks which were here carry: it never reached Taskwyn.
bool doneBeforeArrival(icalcomponent* todo);
// The calendar of a task, as calendarOfTask gives its text.
Component taskCalendar(const TaskRecord& task, const std::string* kept, std::time_t now);

} // namespace ical
