// The mapping of a task to a VTODO and back, alone and through the form kept from outside.
#include "ical/repeat.h"
#include "ical/tests/icaltesting.h"
#include "ical/vtodo.h"
#include "store/duetext.h"
#include "store/tests/filledstore.h"
#include "store/tests/testsupport.h"
#include "store/uuid.h"

#include <functional>
#include <tuple>

using icaltesting::pinnedNow;
using testsupport::contains;

namespace {

std::vector<TaskRecord> everyKindOfTask()
{
    std::vector<TaskRecord> tasks = {
        testsupport::task("Real date", "Ann", 2026, 12, 24, 18, 30),
        testsupport::task("", "", 0, 0, 0, 0, 0), // a new task's values
        testsupport::task("Month 0, day 45, hour 99", "", 2003, 0, 45, 99, 0),
        testsupport::task("Negative", "", -32768, -1, -32768, -1, -32768),
        testsupport::task("30 February", "", 2024, 2, 30, 0, 0),
        testsupport::task("\u00C9cole \u20AC \U0001D11E ;,\\:\"", "Ren\u00E9e, M\u00FCller; \\n", 2026, 1, 1),
        testsupport::task(std::string(10000, 'x') + "\u00E9", std::string(3000, 'y'), 9999, 12, 31, 23, 59),
        testsupport::task("\t blanks at both ends \t", " Bo", 2026, 1, 2),
    };
    tasks[0].description = "multi\r\nline\r\n\r\nwith | and ~ apart";
    tasks[0].second = 59;
    tasks[1].deleted = tasks[4].deleted = "Y";
    tasks[2].deleted = "N";
    tasks[3].deleted = "y";
    tasks[5].description = "\u00FCber\r\n\u20AC";
    tasks[6].description = std::string(20000, 'z') + "\r\nend";
    tasks[7].description = " indented\r\n  too\t";
    for (TaskRecord& task : tasks)
        task.uid = newUuid();
    tasks[0].uid = "a@elsewhere";
    return tasks;
}

TEST(VTodo, EveryTaskTheFileCanHoldComesBackTheSameThroughAnExport)
{
    icaltesting::useLocalZone("Europe/Berlin");
    const std::vector<TaskRecord> tasks = everyKindOfTask();
    const auto exported = testsupport::storeWith(tasks);
    const std::string ics = ical::exportText(exported->tasks(), ical::KeptForms("unused"), pinnedNow);

    ical::ImportSummary summary;
    const auto imported = icaltesting::importedStore(ics, &summary);
    EXPECT_EQ(summary, (ical::ImportSummary{.imported = static_cast<int>(tasks.size())}));
    ASSERT_EQ(imported->taskCount, static_cast<int>(tasks.size()));
    for (std::size_t i = 0; i < tasks.size(); ++i) {
        TaskRecord expected = tasks[i];
        expected.dueKey = dueKey(expected);
        EXPECT_EQ(imported->taskList[i], expected) << "task " << i;
    }
    for (const char* line : {"DUE:20261224T183059\r\n", "X-TASKWYN-DUE:2003 0 45 99 0 0\r\n", "DUE:20030218T030000\r\n",
                             "DUE:20240301T000000\r\n", "DESCRIPTION:multi\\nline\\n\\nwith | and ~ apart\r\n"})
        EXPECT_TRUE(contains(ics, line)) << line;
}

TEST(VTodo, WhatTaskwynDoesNotShowSurvivesATitleEditAndAnExport)
{
    icaltesting::useLocalZone("UTC");
    const ical::CalendarContent content = ical::readCalendar(icaltesting::fixture("other_program.ics"));
    ASSERT_FALSE(content.fault);
    const ical::IncomingTask& bins = content.tasks.at(0);
    EXPECT_EQ(bins.task.description, "Blue on Mondays\r\nBlack otherwise");
    EXPECT_EQ(std::tuple(bins.task.year, bins.task.month, bins.task.day, bins.task.hour), std::tuple(2026, 12, 14, 6));

    TaskRecord edited = bins.task;
    edited.title = "Put the bins out early";
    const std::string out = ical::calendarOfTask(edited, &bins.calendar, pinnedNow);
    for (const char* kept :
         {"DUE;TZID=Europe/Berlin:20261214T070000", "RRULE:FREQ=WEEKLY;BYDAY=MO", "CATEGORIES:Home",
          "CATEGORIES:Chores", "PRIORITY:3", "ATTENDEE;CN=Kim:mailto:kim@elsewhere.example", "X-PLANNER-COLOUR:teal",
          "BEGIN:VALARM", "TRIGGER:-PT30M", "BEGIN:VTIMEZONE", "X-WR-CALNAME:Home", "SUMMARY:Put the bins out early",
          "SEQUENCE:5", "LAST-MODIFIED:20261212T000000Z", "DTSTAMP:20261212T000000Z"})
        EXPECT_TRUE(contains(out, kept)) << kept << " in\n" << out;
    EXPECT_EQ(ical::changedFields(bins.task, *ical::taskOfCalendar(out)), std::vector{ical::Field::Title});

    // Unchanged, the form goes out as it came, stamped anew.
    const std::string same = ical::calendarOfTask(bins.task, &bins.calendar, pinnedNow);
    EXPECT_TRUE(contains(same, "SEQUENCE:4"));
    EXPECT_FALSE(contains(same, "LAST-MODIFIED"));
}

// Done for this time, twice: the series moves on and stays open, with all else it held; undone, it
// is back where it was. A counted series keeps its end; its last occurrence has none after it.
TEST(VTodo, RepeatingTaskDoneForThisTimeMovesItsSeriesOn)
{
    icaltesting::useLocalZone("UTC");
    const std::string kept = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:x\r\nBEGIN:VTODO\r\nUID:u\r\nSUMMARY:Bins\r\n"
                             "DTSTART:20261207T060000\r\nDUE:20261207T070000\r\nRRULE:FREQ=WEEKLY;COUNT=10;BYDAY=MO\r\n"
                             "CATEGORIES:Home\r\nSTATUS:NEEDS-ACTION\r\nEND:VTODO\r\nEND:VCALENDAR\r\n";
    EXPECT_EQ(ical::repeatOf(kept), (ical::Repeat{ical::Repeat::Unit::Week, 1, {1}, 10, {}}));
    const TaskRecord first = *ical::taskOfCalendar(kept);
    const TaskRecord third = *ical::nextOccurrence(*ical::nextOccurrence(first, kept), kept);

    const std::string out = ical::calendarOfTask(third, &kept, pinnedNow);
    for (const char* line :
         {"DUE:20261221T070000\r\n", "DTSTART:20261221T060000\r\n", "RRULE:FREQ=WEEKLY;COUNT=8;BYDAY=MO\r\n",
          "CATEGORIES:Home\r\n", "STATUS:NEEDS-ACTION\r\n"})
        EXPECT_TRUE(contains(out, line)) << line << " in\n" << out;
    EXPECT_EQ(*ical::taskOfCalendar(out), third);
    const std::string undone = ical::calendarOfTask(first, &out, pinnedNow);
    for (const char* line : {"DTSTART:20261207T060000\r\n", "RRULE:FREQ=WEEKLY;COUNT=10;BYDAY=MO\r\n"})
        EXPECT_TRUE(contains(undone, line)) << line << " in\n" << undone;

    std::string lastOne = kept;
    lastOne.replace(lastOne.find("COUNT=10"), 8, "COUNT=1");
    EXPECT_EQ(ical::nextOccurrence(first, lastOne), std::nullopt);
    EXPECT_EQ(ical::repeatOf(icaltesting::fixture("one_task_utc.ics")), std::nullopt);
}

// A change of one field here, and the properties it must leave in the kept form.
struct EditCase
{
    const char* name;
    std::string keptTodo; // properties inside the kept VTODO
    std::function<void(TaskRecord&)> edit;
    std::vector<std::string> lines; // whole lines of the result; "!" before a part it must not hold
};

using Edit = testing::TestWithParam<EditCase>;

TEST_P(Edit, RewritesOnlyThePropertiesOfTheChangedField)
{
    icaltesting::useLocalZone("UTC");
    const auto& c = GetParam();
    const std::string kept = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:x\r\nBEGIN:VTODO\r\nUID:u\r\n" + c.keptTodo +
                             "END:VTODO\r\nEND:VCALENDAR\r\n";
    TaskRecord task = *ical::taskOfCalendar(kept);
    c.edit(task);
    const std::string out = ical::calendarOfTask(task, &kept, pinnedNow);
    for (const std::string& line : c.lines) {
        const bool absent = line.starts_with('!');
        EXPECT_NE(contains(out, absent ? line.substr(1) : line + "\r\n"), absent) << line << " in\n" << out;
    }
    EXPECT_EQ(*ical::taskOfCalendar(out), task);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, Edit,
    testing::Values(EditCase{"RecycleCompletes",
                             "STATUS:NEEDS-ACTION\r\nPRIORITY:1\r\n",
                             [](TaskRecord& edited) { edited.deleted = "Y"; },
                             {"STATUS:COMPLETED", "COMPLETED:20261212T000000Z", "PERCENT-COMPLETE:100", "PRIORITY:1",
                              "!NEEDS-ACTION"}},
                    EditCase{"RestoreReopens",
                             "STATUS:COMPLETED\r\nCOMPLETED:20260101T000000Z\r\nPERCENT-COMPLETE:100\r\n",
                             [](TaskRecord& edited) { edited.deleted = "N"; },
                             {"STATUS:NEEDS-ACTION", "X-TASKWYN-DELETED:N", "!COMPLETED:", "!PERCENT-COMPLETE"}},
                    EditCase{"CancelledElsewhereStaysCancelledInTheBin",
                             "STATUS:CANCELLED\r\nSUMMARY:a\r\n",
                             [](TaskRecord& edited) { edited.title = "b"; },
                             {"STATUS:CANCELLED", "SUMMARY:b", "!COMPLETED"}},
                    EditCase{"DateOnlyStaysDateOnly",
                             "DUE;VALUE=DATE:20261231\r\n",
                             [](TaskRecord& edited) { edited.day = 30; },
                             {"DUE;VALUE=DATE:20261230", "!20261230T"}},
                    EditCase{"UtcDueBecomesFloating",
                             "DUE:20261231T100000Z\r\nCONTACT:Bo\r\n",
                             [](TaskRecord& edited) { edited.hour = 11; },
                             {"DUE:20261231T110000", "CONTACT:Bo", "!T110000Z"}},
                    EditCase{"CarryGoesOutAsTheDateItMeansWithItsValues",
                             "DUE:20261231T100000\r\nDURATION:PT1H\r\n",
                             [](TaskRecord& edited) { edited.month = 13; },
                             {"X-TASKWYN-DUE:2026 13 31 10 0 0", "DUE:20270131T100000", "!DURATION"}},
                    EditCase{"ThirtyFirstOfFebruaryIsTheThirdOfMarch",
                             "DUE:20410228T090000\r\n",
                             [](TaskRecord& edited) { edited.day = 31; },
                             {"X-TASKWYN-DUE:2041 2 31 9 0 0", "DUE:20410303T090000"}},
                    EditCase{"NoDueDateGoesOutWithoutDue",
                             "DUE:20261231T100000\r\n",
                             [](TaskRecord& edited) { edited.year = edited.month = edited.day = edited.hour = 0; },
                             {"!DUE", "!X-TASKWYN-DUE"}},
                    EditCase{"EmptiedTextsLeave",
                             "SUMMARY:a\r\nCONTACT:b\r\nDESCRIPTION:c\r\n",
                             [](TaskRecord& edited) { edited.title = edited.forWhom = edited.description = ""; },
                             {"UID:u", "!SUMMARY", "!CONTACT", "!DESCRIPTION"}}),
    testsupport::caseName<EditCase>);

// A DUE from elsewhere, as the six fields of the wall clock in Berlin.
struct DueCase
{
    const char* name;
    std::string dueLines;
    std::array<int, 6> fields; // year, month, day, hour, minute, second
};

using Due = testing::TestWithParam<DueCase>;

TEST_P(Due, BecomesTheLocalWallClock)
{
    icaltesting::useLocalZone("Europe/Berlin");
    const auto& c = GetParam();
    const TaskRecord t = *ical::taskOfCalendar("BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\nUID:u\r\n" + c.dueLines +
                                               "END:VTODO\r\nEND:VCALENDAR\r\n");
    EXPECT_EQ((std::array<int, 6>{t.year, t.month, t.day, t.hour, t.minute, t.second}), c.fields);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, Due,
    testing::Values(DueCase{"Floating", "DUE:20261224T103015\r\n", {2026, 12, 24, 10, 30, 15}},
                    DueCase{"Utc", "DUE:20260701T100000Z\r\n", {2026, 7, 1, 12, 0, 0}},
                    DueCase{"KnownZone", "DUE;TZID=America/New_York:20261224T100000\r\n", {2026, 12, 24, 16, 0, 0}},
                    DueCase{"DateOnly", "DUE;VALUE=DATE:20261224\r\n", {2026, 12, 24, 0, 0, 0}},
                    DueCase{"ExactValues", "X-TASKWYN-DUE:0 -3 45 99 -1 7\r\n", {0, -3, 45, 99, -1, 7}},
                    DueCase{"ExactValuesBesideTheMomentTheyMean",
                            "DUE:20410303T090000\r\nX-TASKWYN-DUE:2041 2 31 9 0 0\r\n",
                            {2041, 2, 31, 9, 0, 0}},
                    DueCase{"DueMovedElsewhereBeatsTheExactValues",
                            "DUE:20410304T090000\r\nX-TASKWYN-DUE:2041 2 31 9 0 0\r\n",
                            {2041, 3, 4, 9, 0, 0}},
                    DueCase{"ExactValuesOutOfRange", "X-TASKWYN-DUE:99999 1 1 1 1 1\r\n", {0, 0, 0, 0, 0, 0}},
                    DueCase{"Unreadable", "DUE:tomorrow\r\n", {0, 0, 0, 0, 0, 0}},
                    DueCase{"None", "", {0, 0, 0, 0, 0, 0}}),
    testsupport::caseName<DueCase>);

} // namespace
