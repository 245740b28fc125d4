// Reads any bytes as an .ics to import. Every task found must map back to itself, through its kept
// form (as a later export or sync writes it) and through a calendar made afresh (as an export of a
// task that never came from outside). Built for libFuzzer, and replayed over the seed corpus by the tests.
#include "ical/exchange.h"
#include "ical/vtodo.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

constexpr std::time_t now = 1797033600;

std::string describe(const TaskRecord& t)
{
    return "uid=" + t.uid + " title=" + t.title + " for=" + t.forWhom + " date=" + std::to_string(t.year) + "-" +
           std::to_string(t.month) + "-" + std::to_string(t.day) + " " + std::to_string(t.hour) + ":" +
           std::to_string(t.minute) + ":" + std::to_string(t.second) + " deleted=" + t.deleted +
           " description=" + t.description;
}

void expectSame(const char* how, const TaskRecord& expected, const std::string& calendar)
{
    const std::optional<TaskRecord> actual = ical::taskOfCalendar(calendar);
    if (actual && *actual == expected)
        return;
    std::fprintf(stderr, "task changed %s\n  expected: %s\n  actual:   %s\n  calendar:\n%s\n", how,
                 describe(expected).c_str(), actual ? describe(*actual).c_str() : "no task", calendar.c_str());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const ical::CalendarContent content =
        ical::readCalendar(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const ical::IncomingTask& incoming : content.tasks) {
        expectSame("through its kept form", incoming.task,
                   ical::calendarOfTask(incoming.task, &incoming.calendar, now));
        expectSame("through a new calendar", incoming.task, ical::calendarOfTask(incoming.task, nullptr, now));
    }
    return 0;
}
