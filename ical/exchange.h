#pragma once

// Export of the task table to one iCalendar file and import of one, as operations on the store.
// Everything here is plain C++: the windows and the command line word the facts it returns.

#include "ical/keptforms.h"
#include "os/fileerror.h"
#include "store/module1.h"

#include <ctime>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ical {

// Texts beyond these are refused per task ("too large"): a full table of such tasks must still make
// a task file the store reads back (it refuses files over 256 MiB).
inline constexpr std::size_t largestOneLineText = 16 * 1024; // SUMMARY, CONTACT
inline constexpr std::size_t largestDescription = 64 * 1024; // DESCRIPTION
inline constexpr std::size_t largestTaskForm = 1024 * 1024;  // everything kept of one task
inline constexpr std::size_t largestImportFile = 32u << 20;  // a larger .ics is refused unread

// Why a text as a whole cannot be imported.
enum class CalendarFault {
    NotICalendar, // it does not begin as iCalendar does
    CutOff,       // it does not end with the calendar's end: a file cut off or broken inside
};

// One VTODO of a file (with its instances that carry a RECURRENCE-ID) and what Taskwyn makes of it.
struct IncomingTask
{
    TaskRecord task;      // with its uid: the file's, or one made from the content when it had none
    std::string calendar; // the form to keep: the VTODOs, the VTIMEZONEs they name, the calendar's properties
    bool doneBeforeArrival = false;
    bool tooLarge = false;
};

// What a text holds, read whole before anything changes.
struct CalendarContent
{
    std::optional<CalendarFault> fault;
    std::vector<IncomingTask> tasks;
    int events = 0;
    int journals = 0;
    int others = 0; // free/busy, availability and any other kind of component
};
CalendarContent readCalendar(std::string_view bytes);

// What files dropped or chosen together hold, as one content; the first file that cannot be read
// or is not a calendar stops the reading, and nothing of the others counts.
struct CalendarFiles
{
    std::optional<FileFailure> failure;
    std::filesystem::path faultyFile; // the file of content.fault
    CalendarContent content;
};
// Pure and slow for large files: meant to run away from the thread that draws.
CalendarFiles readCalendarFiles(const std::vector<std::filesystem::path>& files);

// What an import did, as counts; the tasks not imported are counted once, by the first reason.
struct ImportSummary
{
    int imported = 0;
    int alreadyHere = 0; // a task with the same uid is in the table
    int events = 0;      // skipped, as are journals and others
    int journals = 0;
    int others = 0;
    int doneBeforeArrival = 0; // completed or cancelled elsewhere before they ever reached Taskwyn
    int tooLarge = 0;          // texts beyond the limits above
    int didNotFit = 0;         // beyond the table's free slots
    bool operator==(const ImportSummary&) const = default;
};

// The new records and their forms, computed before the store changes, so that an import is one step
// (and can be undone as one by removing the tasks with these uids).
struct ImportPlan
{
    ImportSummary summary;
    std::vector<TaskRecord> tasks;
    std::vector<std::pair<std::string, std::string>> forms; // uid, calendar
};
ImportPlan planImport(const Module1& store, const CalendarContent& content);
// Adds the plan's forms to those on disk and writes them; on failure `forms` is as it was.
// The first step of applying a plan: the tasks are appended (Module1::appendTasks) only after it.
[[nodiscard]] std::optional<FileFailure> keepForms(const ImportPlan& plan, KeptForms& forms);

struct ImportReport
{
    std::optional<FileFailure> failure; // the .ics could not be read, or the forms not read or kept
    std::optional<CalendarFault> fault;
    ImportSummary summary;
    std::optional<SaveReport> saved; // the task file's save, when there was something to import
    bool ok() const { return !failure && !fault && (!saved || saved->ok); }
};
// Reads `file`, keeps the forms, appends the tasks and saves the task file. Nothing is imported
// unless all of that works: after a failed save the table is as it was.
ImportReport importFile(Module1& store, KeptForms& forms, const std::filesystem::path& file);

// One .ics holding every task in use (recycled ones as completed), each from its kept form when it
// came from outside. Every task needs a uid (Module1::giveMissingUids).
std::string exportText(std::span<const TaskRecord> tasks, const KeptForms& forms, std::time_t now);

struct ExportReport
{
    int exported = 0;
    std::optional<SaveReport> saved;    // the task file's save, when tasks got their uid now
    std::optional<FileFailure> failure; // the forms could not be read, or the .ics not written
    bool ok() const { return !failure && (!saved || saved->ok); }
};
// Reads the kept forms, gives the tasks without a uid one and saves the task file (undone when that
// fails), then writes `file` atomically.
ExportReport exportFile(Module1& store, KeptForms& forms, const std::filesystem::path& file, std::time_t now);

} // namespace ical
