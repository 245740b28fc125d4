#include "ical/repeat.h"

#include "ical/component.h"

#include <algorithm>
#include <cstdint>

namespace ical {

namespace {

// Far beyond a real series' occurrences up to now (a daily task of two centuries), and a bound on
// the walk through a rule that names none, or one every second.
constexpr int mostOccurrences = 100000;

icalproperty* ruleOf(icalcomponent* todo)
{
    return todo ? icalcomponent_get_first_property(todo, ICAL_RRULE_PROPERTY) : nullptr;
}

icalcomponent* masterOf(const Component& parsed)
{
    const std::vector<icalcomponent*> calendars = calendarsIn(parsed.get());
    return calendars.empty() ? nullptr : masterTodo(calendars.front());
}

// Calls `seen` with each occurrence of `rule` from `start` on until it returns false.
template <typename Seen> void walkOccurrences(const icalrecurrencetype& rule, icaltimetype start, Seen seen)
{
    icalrecur_iterator* it = icalrecur_iterator_new(rule, start);
    for (int i = 0; it && i < mostOccurrences; ++i) {
        const icaltimetype occurrence = icalrecur_iterator_next(it);
        if (icaltime_is_null_time(occurrence) || !seen(occurrence))
            break;
    }
    if (it)
        icalrecur_iterator_free(it);
}

int occurrencesBefore(const icalrecurrencetype& rule, icaltimetype from, icaltimetype before)
{
    int count = 0;
    walkOccurrences(rule, from, [&](icaltimetype occurrence) {
        if (icaltime_compare(occurrence, before) >= 0)
            return false;
        ++count;
        return true;
    });
    return count;
}

// A counted series keeps its last occurrence when its start moves: the occurrences passed over are
// done, and those moved back over come again.
int countAfterMove(icalrecurrencetype rule, icaltimetype start, icaltimetype moved)
{
    if (icaltime_compare(moved, start) > 0)
        return std::max(1, rule.count - occurrencesBefore(rule, start, moved));
    const int count = rule.count;
    rule.count = 0;
    return count + occurrencesBefore(rule, moved, start);
}

Repeat::Unit unitOf(icalrecurrencetype_frequency frequency)
{
    switch (frequency) {
    case ICAL_SECONDLY_RECURRENCE:
        return Repeat::Unit::Second;
    case ICAL_MINUTELY_RECURRENCE:
        return Repeat::Unit::Minute;
    case ICAL_HOURLY_RECURRENCE:
        return Repeat::Unit::Hour;
    case ICAL_WEEKLY_RECURRENCE:
        return Repeat::Unit::Week;
    case ICAL_MONTHLY_RECURRENCE:
        return Repeat::Unit::Month;
    case ICAL_YEARLY_RECURRENCE:
        return Repeat::Unit::Year;
    default:
        return Repeat::Unit::Day;
    }
}

} // namespace

void moveSeriesWithDue(icalcomponent* todo, const DueFields& oldDue, const DueFields& newDue)
{
    icalproperty* rule = ruleOf(todo);
    const std::int64_t shift = wallSeconds(newDue) - wallSeconds(oldDue);
    const icaltimetype start = icalcomponent_get_dtstart(todo);
    if (!rule || shift == 0 || icaltime_is_null_time(start))
        return;
    icaltimetype moved = start;
    const std::int64_t days = floorDiv(shift, secondsPerDay);
    icaltime_adjust(&moved, static_cast<int>(days), 0, 0, static_cast<int>(shift - days * secondsPerDay));
    icalrecurrencetype recurrence = icalproperty_get_rrule(rule);
    if (recurrence.count > 0) {
        recurrence.count = countAfterMove(recurrence, start, moved);
        icalproperty_set_rrule(rule, recurrence);
    }
    icalcomponent_set_dtstart(todo, moved);
}

std::optional<Repeat> repeatOf(std::string_view calendar)
{
    const Component parsed = parse(calendar);
    icalproperty* rule = ruleOf(masterOf(parsed));
    if (!rule)
        return std::nullopt;
    const icalrecurrencetype recurrence = icalproperty_get_rrule(rule);
    Repeat repeat{unitOf(recurrence.freq), std::max<int>(1, recurrence.interval), {}, recurrence.count, {}};
    for (const short day : recurrence.by_day) {
        if (day == ICAL_RECURRENCE_ARRAY_MAX)
            break;
        repeat.weekdays.push_back(static_cast<int>(icalrecurrencetype_day_day_of_week(day)) - 1);
    }
    if (!icaltime_is_null_time(recurrence.until))
        repeat.until = CivilDate{recurrence.until.year, recurrence.until.month, recurrence.until.day};
    return repeat;
}

std::optional<TaskRecord> nextOccurrence(const TaskRecord& task, std::string_view calendar)
{
    const std::optional<DueFields> due = carriedDue(dueFieldsOf(task));
    const Component parsed = parse(calendar);
    icalcomponent* todo = masterOf(parsed);
    icalproperty* rule = ruleOf(todo);
    if (!due || !rule)
        return std::nullopt;
    const icaltimetype formDue = icalcomponent_get_due(todo);
    icaltimetype start = icalcomponent_get_dtstart(todo);
    if (icaltime_is_null_time(start))
        start = formDue;
    if (icaltime_is_null_time(start))
        return std::nullopt;
    // Each occurrence is due as long after its start as the form's DUE is after DTSTART.
    const std::int64_t length =
        icaltime_is_null_time(formDue) ? 0 : wallSeconds(wallClockOf(formDue)) - wallSeconds(wallClockOf(start));
    const std::int64_t dueNow = wallSeconds(*due);
    std::optional<TaskRecord> next;
    walkOccurrences(icalproperty_get_rrule(rule), start, [&](icaltimetype occurrence) {
        const std::int64_t occurrenceDue = wallSeconds(wallClockOf(occurrence)) + length;
        if (occurrenceDue <= dueNow)
            return true;
        next = task;
        setDueFields(*next, fieldsAt(occurrenceDue));
        return false;
    });
    return next;
}

} // namespace ical
