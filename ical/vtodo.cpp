#include "ical/vtodo.h"

#include "ical/component.h"
#include "store/calendar.h"
#include "store/taskfile.h"
#include "store/uuid.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <sstream>

namespace ical {

namespace {

constexpr std::string_view exactDueName = "X-TASKWYN-DUE";
constexpr std::string_view deletedMarkName = "X-TASKWYN-DELETED";
constexpr std::array allFields{Field::Title, Field::For, Field::Description, Field::Due, Field::Recycled};

// What the task file gives back of a text that is the last value on its line.
std::string withoutTrailingSpaces(std::string text)
{
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

// A one-line text as the task file keeps it: a line break inside would be written as a space.
std::string fileLine(std::string text)
{
    for (char& c : text) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    return withoutTrailingSpaces(std::move(text));
}

// iCalendar's LF (or a stray CR) as the description's CR LF; a literal "|~" would read back as a
// line break from the task file, so it is one here already.
std::string descriptionFromCalendar(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        if (text[i] == '\r' || text[i] == '\n')
            out += "\r\n";
        else
            out += text[i];
    }
    return withoutTrailingSpaces(unescapeLineBreaks(out));
}

std::string descriptionForCalendar(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            out += text[i];
            continue;
        }
        out += '\n';
        if (i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
    }
    return out;
}

// libical reads the escapes \b and \f as those control characters (and keeps them raw in other
// programs' properties) but never writes them; they are dropped on reading, or a task would change
// with every trip out and back.
std::string withoutUnwritable(const char* raw)
{
    std::string text = raw ? raw : "";
    std::erase_if(text, [](char c) { return c == '\b' || c == '\f'; });
    return text;
}

std::string textOfFirst(icalcomponent* todo, icalproperty_kind kind)
{
    icalproperty* p = icalcomponent_get_first_property(todo, kind);
    return withoutUnwritable(p ? icalvalue_get_text(icalproperty_get_value(p)) : nullptr);
}

std::optional<std::string> xText(icalcomponent* todo, std::string_view name)
{
    icalproperty* p = xProperty(todo, name);
    const char* text = p ? icalproperty_get_x(p) : nullptr;
    return text ? std::optional<std::string>(withoutUnwritable(text)) : std::nullopt;
}

// The six values exactly as the task held them, when they made no real date.
std::optional<DueFields> exactDue(icalcomponent* todo)
{
    const std::optional<std::string> text = xText(todo, exactDueName);
    if (!text)
        return std::nullopt;
    std::istringstream in(*text);
    DueFields fields{};
    for (int& field : fields) {
        if (!(in >> field) || field < INT16_MIN || field > INT16_MAX)
            return std::nullopt;
    }
    return fields;
}

// The exact fields written beside a DUE hold while the DUE is still the moment they mean: another
// program that moved the DUE wins.
void readDue(icalcomponent* todo, TaskRecord& task)
{
    const icaltimetype due = icalcomponent_get_due(todo);
    const std::optional<DueFields> exact = exactDue(todo);
    if (icaltime_is_null_time(due) || !icaltime_is_valid_time(due)) {
        if (exact)
            setDueFields(task, *exact);
        return;
    }
    const DueFields wallClock = wallClockOf(due);
    setDueFields(task, exact && carriedDue(*exact) == wallClock ? *exact : wallClock);
}

bool isDone(icalcomponent* todo)
{
    const icalproperty_status status = icalcomponent_get_status(todo);
    return status == ICAL_STATUS_COMPLETED || status == ICAL_STATUS_CANCELLED ||
           icalcomponent_get_first_property(todo, ICAL_COMPLETED_PROPERTY) != nullptr;
}

// Done elsewhere means recycled here; otherwise the mark written here comes back as it was, except
// that a task recycled here and reopened elsewhere is restored.
std::string deletedMarkOf(icalcomponent* todo)
{
    if (isDone(todo))
        return recycledMark;
    const std::optional<std::string> mark = xText(todo, deletedMarkName);
    if (!mark)
        return {};
    return *mark == recycledMark ? restoredMark : fileLine(*mark);
}

icaltimetype utcTime(std::time_t moment)
{
    return icaltime_from_timet_with_zone(moment, 0, icaltimezone_get_utc_timezone());
}

void replaceText(icalcomponent* todo, icalproperty_kind kind, const std::string& text)
{
    removeProperties(todo, kind);
    if (text.empty()) // iCalendar has no empty values; an absent property reads as the empty text
        return;
    icalproperty* p = icalproperty_new(kind);
    icalproperty_set_value(p, icalvalue_new_text(text.c_str()));
    icalcomponent_add_property(todo, p);
}

void replaceX(icalcomponent* todo, std::string_view name, const std::string& text)
{
    removeXProperties(todo, name);
    if (text.empty())
        return;
    icalproperty* p = icalproperty_new_x(text.c_str());
    icalproperty_set_x_name(p, std::string(name).c_str());
    icalcomponent_add_property(todo, p);
}

void writeDue(icalcomponent* todo, const TaskRecord& task)
{
    const icaltimetype old = icalcomponent_get_due(todo);
    const bool wasDateOnly = !icaltime_is_null_time(old) && old.is_date;
    removeProperties(todo, ICAL_DUE_PROPERTY);
    removeProperties(todo, ICAL_DURATION_PROPERTY); // DUE and DURATION exclude each other
    removeXProperties(todo, exactDueName);
    const DueFields fields = dueFieldsOf(task);
    if (!isRealDue(task) && fields != DueFields{}) {
        char exact[64];
        std::snprintf(exact, sizeof exact, "%d %d %d %d %d %d", task.year, task.month, task.day, task.hour, task.minute,
                      task.second);
        replaceX(todo, exactDueName, exact);
    }
    const std::optional<DueFields> moment = carriedDue(fields);
    if (!moment)
        return;
    icaltimetype due = icaltime_null_time();
    due.year = (*moment)[0];
    due.month = (*moment)[1];
    due.day = (*moment)[2];
    due.is_date = wasDateOnly && (*moment)[3] == 0 && (*moment)[4] == 0 && (*moment)[5] == 0;
    if (!due.is_date) {
        due.hour = (*moment)[3];
        due.minute = (*moment)[4];
        due.second = (*moment)[5];
    }
    icalcomponent_add_property(todo, icalproperty_new_due(due));
    if (!icaltime_is_null_time(old))
        moveSeriesWithDue(todo, wallClockOf(old), *moment);
}

void writeStatus(icalcomponent* todo, bool recycled, std::time_t now)
{
    removeProperties(todo, ICAL_STATUS_PROPERTY);
    removeProperties(todo, ICAL_COMPLETED_PROPERTY);
    removeProperties(todo, ICAL_PERCENTCOMPLETE_PROPERTY);
    if (!recycled) {
        icalcomponent_add_property(todo, icalproperty_new_status(ICAL_STATUS_NEEDSACTION));
        return;
    }
    icalcomponent_add_property(todo, icalproperty_new_status(ICAL_STATUS_COMPLETED));
    icalcomponent_add_property(todo, icalproperty_new_completed(utcTime(now)));
    icalcomponent_add_property(todo, icalproperty_new_percentcomplete(100));
}

void writeField(icalcomponent* todo, Field field, const TaskRecord& task, bool statusChanged, std::time_t now)
{
    switch (field) {
    case Field::Title:
        return replaceText(todo, ICAL_SUMMARY_PROPERTY, task.title);
    case Field::For:
        return replaceText(todo, ICAL_CONTACT_PROPERTY, task.forWhom);
    case Field::Description:
        return replaceText(todo, ICAL_DESCRIPTION_PROPERTY, descriptionForCalendar(task.description));
    case Field::Due:
        return writeDue(todo, task);
    case Field::Recycled:
        if (statusChanged)
            writeStatus(todo, isRecycled(task), now);
        return replaceX(todo, deletedMarkName, task.deleted);
    }
}

void writeStamps(icalcomponent* todo, bool changed, bool kept, std::time_t now)
{
    removeProperties(todo, ICAL_DTSTAMP_PROPERTY);
    icalcomponent_add_property(todo, icalproperty_new_dtstamp(utcTime(now)));
    if (!changed)
        return;
    removeProperties(todo, ICAL_LASTMODIFIED_PROPERTY);
    icalcomponent_add_property(todo, icalproperty_new_lastmodified(utcTime(now)));
    if (!kept)
        return;
    icalproperty* sequence = icalcomponent_get_first_property(todo, ICAL_SEQUENCE_PROPERTY);
    const int next = sequence ? icalproperty_get_sequence(sequence) + 1 : 1;
    removeProperties(todo, ICAL_SEQUENCE_PROPERTY);
    icalcomponent_add_property(todo, icalproperty_new_sequence(next));
}

// The kept calendar when it holds this task's VTODO.
Component keptCalendar(const TaskRecord& task, const std::string* kept)
{
    if (!kept)
        return nullptr;
    Component parsed = parse(*kept);
    if (!parsed || icalcomponent_isa(parsed.get()) != ICAL_VCALENDAR_COMPONENT)
        return nullptr;
    icalcomponent* todo = masterTodo(parsed.get());
    if (!todo || uidHere(textOfFirst(todo, ICAL_UID_PROPERTY)) != task.uid)
        return nullptr;
    return parsed;
}

Component newTaskCalendar(const TaskRecord& task)
{
    Component calendar = newCalendar();
    icalcomponent* todo = icalcomponent_new(ICAL_VTODO_COMPONENT);
    icalcomponent_add_property(todo, icalproperty_new_uid(task.uid.c_str()));
    icalcomponent_add_component(calendar.get(), todo);
    return calendar;
}

std::uint64_t fnv1a(std::string_view text, std::uint64_t basis)
{
    for (const char c : text) {
        basis ^= static_cast<unsigned char>(c);
        basis *= 0x100000001b3ULL;
    }
    return basis;
}

} // namespace

DueFields dueFieldsOf(const TaskRecord& t)
{
    return {t.year, t.month, t.day, t.hour, t.minute, t.second};
}

void setDueFields(TaskRecord& task, const DueFields& f)
{
    task.year = static_cast<std::int16_t>(f[0]);
    task.month = static_cast<std::int16_t>(f[1]);
    task.day = static_cast<std::int16_t>(f[2]);
    task.hour = static_cast<std::int16_t>(f[3]);
    task.minute = static_cast<std::int16_t>(f[4]);
    task.second = static_cast<std::int16_t>(f[5]);
}

DueFields wallClockOf(icaltimetype due)
{
    if (due.is_date)
        return {due.year, due.month, due.day, 0, 0, 0};
    if (!due.zone)
        return {due.year, due.month, due.day, due.hour, due.minute, due.second};
    const std::time_t moment = icaltime_as_timet_with_zone(due, due.zone);
    std::tm local{};
    localtime_r(&moment, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

std::int64_t wallSeconds(const DueFields& f)
{
    return civilDay(f[0], f[1], f[2]) * secondsPerDay + std::int64_t{f[3]} * 3600 + f[4] * 60 + f[5];
}

DueFields fieldsAt(std::int64_t seconds)
{
    const std::int64_t day = floorDiv(seconds, secondsPerDay);
    const CivilDate date = civilDate(day);
    const auto time = static_cast<int>(seconds - day * secondsPerDay);
    return {static_cast<int>(date.year), date.month, date.day, time / 3600, time / 60 % 60, time % 60};
}

std::optional<DueFields> carriedDue(const DueFields& fields)
{
    if (fields[0] == 0 && fields[2] == 0)
        return std::nullopt;
    DueFields asShown = fields;
    asShown[1] = fields[1] == 0 ? 1 : fields[1];
    const DueFields moment = fieldsAt(wallSeconds(asShown));
    if (moment[0] < 1 || moment[0] > 3000)
        return std::nullopt;
    return moment;
}

std::vector<Field> changedFields(const TaskRecord& before, const TaskRecord& after)
{
    std::vector<Field> changed;
    for (const Field field : allFields) {
        bool differs = false;
        switch (field) {
        case Field::Title:
            differs = before.title != after.title;
            break;
        case Field::For:
            differs = before.forWhom != after.forWhom;
            break;
        case Field::Description:
            differs = before.description != after.description;
            break;
        case Field::Due:
            differs = dueFieldsOf(before) != dueFieldsOf(after);
            break;
        case Field::Recycled:
            differs = before.deleted != after.deleted;
            break;
        }
        if (differs)
            changed.push_back(field);
    }
    return changed;
}

bool isRealDue(const TaskRecord& task)
{
    if (task.year < 1 || task.year > 3000 || task.month < 1 || task.month > 12 || task.day < 1)
        return false;
    const DayNumber first = civilDay(task.year, task.month, 1);
    const DayNumber next = civilDay(task.year, task.month + 1, 1);
    return task.day <= next - first && task.hour >= 0 && task.hour <= 23 && task.minute >= 0 && task.minute <= 59 &&
           task.second >= 0 && task.second <= 59;
}

std::optional<TaskRecord> taskOfCalendar(std::string_view calendar)
{
    const Component parsed = parse(calendar);
    for (icalcomponent* c : calendarsIn(parsed.get())) {
        if (icalcomponent* todo = masterTodo(c))
            return taskOfTodo(todo);
    }
    return std::nullopt;
}

TaskRecord taskOfTodo(icalcomponent* todo)
{
    TaskRecord task;
    task.uid = uidHere(textOfFirst(todo, ICAL_UID_PROPERTY));
    task.title = fileLine(textOfFirst(todo, ICAL_SUMMARY_PROPERTY));
    task.forWhom = fileLine(textOfFirst(todo, ICAL_CONTACT_PROPERTY));
    task.description = descriptionFromCalendar(textOfFirst(todo, ICAL_DESCRIPTION_PROPERTY));
    readDue(todo, task);
    task.deleted = deletedMarkOf(todo);
    return task;
}

bool doneBeforeArrival(icalcomponent* todo)
{
    return isDone(todo) && !xProperty(todo, deletedMarkName);
}

std::string calendarOfTask(const TaskRecord& task, const std::string* kept, std::time_t now)
{
    return textOf(taskCalendar(task, kept, now).get());
}

Component taskCalendar(const TaskRecord& task, const std::string* kept, std::time_t now)
{
    Component calendar = keptCalendar(task, kept);
    const bool fromOutside = calendar != nullptr;
    if (!fromOutside)
        calendar = newTaskCalendar(task);
    icalcomponent* todo = masterTodo(calendar.get());
    const TaskRecord before = fromOutside ? taskOfTodo(todo) : TaskRecord{};
    const std::vector<Field> changed =
        fromOutside ? changedFields(before, task) : std::vector<Field>(allFields.begin(), allFields.end());
    const bool statusChanged = !fromOutside || isRecycled(before) != isRecycled(task);
    for (const Field field : changed)
        writeField(todo, field, task, statusChanged, now);
    writeStamps(todo, !changed.empty(), fromOutside, now);
    return calendar;
}

std::string uidHere(std::string_view uid)
{
    return taskFileHoldsUid(uid) ? std::string(uid) : uidFromContent(uid);
}

std::string uidFromContent(std::string_view text)
{
    std::array<std::uint8_t, 16> bytes{};
    const std::array words{fnv1a(text, 0xcbf29ce484222325ULL), fnv1a(text, 0x84222325cbf29ce4ULL)};
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(words[i / 8] >> (8 * (i % 8)));
    return uuidText(bytes, 8); // version 8: made here from the content, not random
}

} // namespace ical
