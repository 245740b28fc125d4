#include "ical/exchange.h"

#include "ical/component.h"
#include "ical/vtodo.h"
#include "os/atomicfile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <iterator>
#include <map>
#include <set>
#include <unordered_set>

namespace ical {

namespace {

bool startsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
           });
}

// libical quietly drops a component left open at the end, so a cut-off file is told by its last line.
std::optional<CalendarFault> faultOf(std::string_view bytes)
{
    constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
    constexpr std::string_view blanks = " \t\r\n";
    if (bytes.starts_with(byteOrderMark))
        bytes.remove_prefix(byteOrderMark.size());
    const std::size_t first = bytes.find_first_not_of(blanks);
    if (first == std::string_view::npos || !startsWithNoCase(bytes.substr(first), "BEGIN:VCALENDAR"))
        return CalendarFault::NotICalendar;
    const std::string_view body = bytes.substr(0, bytes.find_last_not_of(blanks) + 1);
    const std::size_t lastLine = body.find_last_of("\r\n");
    const std::string_view last = lastLine == std::string_view::npos ? body : body.substr(lastLine + 1);
    if (!startsWithNoCase(last, "END:VCALENDAR") || last.size() != std::string_view("END:VCALENDAR").size())
        return CalendarFault::CutOff;
    return std::nullopt;
}

// A uid the task file keeps as it is: one line, no spaces at its ends, of a sensible length.
bool isUsableUid(std::string_view uid)
{
    return !uid.empty() && uid.size() <= 1024 && uid.find_first_of("\r\n") == std::string_view::npos &&
           uid.front() != ' ' && uid.back() != ' ';
}

// The VTODOs of one calendar grouped by uid, in the order of their first appearance; each VTODO
// without a usable uid is a group of its own.
std::vector<std::vector<icalcomponent*>> todoGroups(icalcomponent* calendar)
{
    std::vector<std::vector<icalcomponent*>> groups;
    std::map<std::string, std::size_t> groupOfUid;
    for (icalcomponent* todo : componentsOf(calendar, ICAL_VTODO_COMPONENT)) {
        const char* uid = icalcomponent_get_uid(todo);
        if (!uid || !isUsableUid(uid)) {
            groups.push_back({todo});
            continue;
        }
        const auto [found, added] = groupOfUid.try_emplace(uid, groups.size());
        if (added)
            groups.emplace_back();
        groups[found->second].push_back(todo);
    }
    return groups;
}

void countOtherKinds(icalcomponent* calendar, CalendarContent& content)
{
    for (icalcomponent* c = icalcomponent_get_first_component(calendar, ICAL_ANY_COMPONENT); c;
         c = icalcomponent_get_next_component(calendar, ICAL_ANY_COMPONENT)) {
        switch (icalcomponent_isa(c)) {
        case ICAL_VTODO_COMPONENT:
        case ICAL_VTIMEZONE_COMPONENT:
            break;
        case ICAL_VEVENT_COMPONENT:
            ++content.events;
            break;
        case ICAL_VJOURNAL_COMPONENT:
            ++content.journals;
            break;
        default:
            ++content.others;
        }
    }
}

std::map<std::string, icalcomponent*, std::less<>> timeZonesOf(icalcomponent* calendar)
{
    std::map<std::string, icalcomponent*, std::less<>> zones;
    for (icalcomponent* zone : componentsOf(calendar, ICAL_VTIMEZONE_COMPONENT)) {
        icalproperty* tzid = icalcomponent_get_first_property(zone, ICAL_TZID_PROPERTY);
        if (const char* id = tzid ? icalproperty_get_tzid(tzid) : nullptr)
            zones.try_emplace(id, zone);
    }
    return zones;
}

// The calendar to keep for one group: the calendar's own properties, the time zones the VTODOs
// name, the VTODOs.
Component formOf(icalcomponent* calendar, const std::vector<icalcomponent*>& group,
                 const std::map<std::string, icalcomponent*, std::less<>>& zones)
{
    Component form(icalcomponent_new(ICAL_VCALENDAR_COMPONENT));
    for (icalproperty* p = icalcomponent_get_first_property(calendar, ICAL_ANY_PROPERTY); p;
         p = icalcomponent_get_next_property(calendar, ICAL_ANY_PROPERTY))
        icalcomponent_add_property(form.get(), icalproperty_new_clone(p));
    std::set<std::string> named;
    for (icalcomponent* todo : group) {
        for (std::string& zone : timeZonesNamedIn(todo))
            named.insert(std::move(zone));
    }
    for (const std::string& zone : named) {
        if (const auto found = zones.find(zone); found != zones.end())
            icalcomponent_add_component(form.get(), icalcomponent_new_clone(found->second));
    }
    for (icalcomponent* todo : group)
        icalcomponent_add_component(form.get(), icalcomponent_new_clone(todo));
    removeParseErrors(form.get());
    return form;
}

void giveUidFromContent(icalcomponent* form)
{
    icalcomponent* todo = masterTodo(form);
    const std::string uid = uidFromContent(textOf(todo));
    removeProperties(todo, ICAL_UID_PROPERTY);
    icalcomponent_add_property(todo, icalproperty_new_uid(uid.c_str()));
}

bool tooLarge(const IncomingTask& incoming)
{
    const TaskRecord& t = incoming.task;
    return t.title.size() > largestOneLineText || t.forWhom.size() > largestOneLineText ||
           t.description.size() > largestDescription || incoming.calendar.size() > largestTaskForm;
}

IncomingTask incomingTask(icalcomponent* calendar, const std::vector<icalcomponent*>& group,
                          const std::map<std::string, icalcomponent*, std::less<>>& zones)
{
    const Component form = formOf(calendar, group, zones);
    const char* uid = icalcomponent_get_uid(masterTodo(form.get()));
    if (!uid || !isUsableUid(uid))
        giveUidFromContent(form.get());
    IncomingTask incoming;
    icalcomponent* master = masterTodo(form.get());
    incoming.task = taskOfTodo(master);
    incoming.doneBeforeArrival = doneBeforeArrival(master);
    incoming.calendar = textOf(form.get());
    incoming.tooLarge = tooLarge(incoming);
    return incoming;
}

// Every component of the export, the time zones first and each only once.
class ExportCalendar
{
public:
    void add(icalcomponent* taskCalendar)
    {
        for (icalcomponent* zone : componentsOf(taskCalendar, ICAL_VTIMEZONE_COMPONENT)) {
            icalproperty* tzid = icalcomponent_get_first_property(zone, ICAL_TZID_PROPERTY);
            const char* id = tzid ? icalproperty_get_tzid(tzid) : nullptr;
            if (id && zoneIds_.insert(id).second)
                move(taskCalendar, zone, zones_);
        }
        for (icalcomponent* todo : componentsOf(taskCalendar, ICAL_VTODO_COMPONENT))
            move(taskCalendar, todo, todos_);
    }

    std::string text()
    {
        const Component calendar = newCalendar();
        for (std::vector<Component>* part : {&zones_, &todos_}) {
            for (Component& c : *part)
                icalcomponent_add_component(calendar.get(), c.release());
            part->clear();
        }
        return textOf(calendar.get());
    }

private:
    static void move(icalcomponent* from, icalcomponent* component, std::vector<Component>& to)
    {
        icalcomponent_remove_component(from, component);
        to.emplace_back(component);
    }

    std::set<std::string> zoneIds_;
    std::vector<Component> zones_;
    std::vector<Component> todos_;
};

} // namespace

CalendarContent readCalendar(std::string_view bytes)
{
    CalendarContent content;
    content.fault = faultOf(bytes);
    if (content.fault)
        return content;
    const Component root = parse(bytes);
    const std::vector<icalcomponent*> calendars = calendarsIn(root.get());
    if (calendars.empty()) {
        content.fault = CalendarFault::CutOff;
        return content;
    }
    for (icalcomponent* calendar : calendars) {
        countOtherKinds(calendar, content);
        const auto zones = timeZonesOf(calendar);
        for (const auto& group : todoGroups(calendar))
            content.tasks.push_back(incomingTask(calendar, group, zones));
    }
    return content;
}

ImportPlan planImport(const Module1& store, const CalendarContent& content)
{
    ImportPlan plan;
    ImportSummary& summary = plan.summary;
    summary.events = content.events;
    summary.journals = content.journals;
    summary.others = content.others;
    std::unordered_set<std::string> here;
    for (const TaskRecord& task : store.tasks())
        here.insert(task.uid);
    const auto freeSlots = static_cast<std::size_t>(Module1::taskSlots - static_cast<int>(store.tasks().size()));
    for (const IncomingTask& incoming : content.tasks) {
        if (incoming.tooLarge)
            ++summary.tooLarge;
        else if (here.contains(incoming.task.uid))
            ++summary.alreadyHere;
        else if (incoming.doneBeforeArrival)
            ++summary.doneBeforeArrival;
        else if (plan.tasks.size() == freeSlots)
            ++summary.didNotFit;
        else {
            here.insert(incoming.task.uid);
            plan.tasks.push_back(incoming.task);
            plan.forms.emplace_back(incoming.task.uid, incoming.calendar);
        }
    }
    summary.imported = static_cast<int>(plan.tasks.size());
    return plan;
}

std::optional<FileFailure> keepForms(const ImportPlan& plan, KeptForms& forms)
{
    return forms.add(plan.forms);
}

CalendarFiles readCalendarFiles(const std::vector<std::filesystem::path>& files)
{
    CalendarFiles read;
    CalendarContent& all = read.content;
    for (const std::filesystem::path& file : files) {
        const FileContent bytes = readWholeFile(file, largestImportFile);
        read.failure = bytes.failure;
        if (!bytes.failure && !bytes.bytes)
            read.failure = FileFailure{FileAction::ReadFile, file, FailureReason::system(ENOENT)};
        if (read.failure)
            return read;
        CalendarContent one = readCalendar(*bytes.bytes);
        if (one.fault) {
            read.faultyFile = file;
            all.fault = one.fault;
            return read;
        }
        std::ranges::move(one.tasks, std::back_inserter(all.tasks));
        all.events += one.events;
        all.journals += one.journals;
        all.others += one.others;
    }
    return read;
}

ImportReport importFile(Module1& store, KeptForms& forms, const std::filesystem::path& file)
{
    ImportReport report;
    const CalendarFiles read = readCalendarFiles({file});
    report.failure = read.failure;
    report.fault = read.content.fault;
    if (report.failure || report.fault)
        return report;
    const CalendarContent& calendar = read.content;
    ImportPlan plan = planImport(store, calendar);
    report.summary = plan.summary;
    report.summary.imported = 0;
    if (plan.tasks.empty())
        return report;
    report.failure = keepForms(plan, forms);
    if (report.failure)
        return report;
    const std::int16_t countBefore = store.taskCount;
    store.appendTasks(plan.tasks);
    report.saved = store.saveTasks();
    if (report.saved->ok)
        report.summary.imported = plan.summary.imported;
    else
        store.taskCount = countBefore;
    return report;
}

std::string exportText(std::span<const TaskRecord> tasks, const KeptForms& forms, std::time_t now)
{
    ExportCalendar calendar;
    for (const TaskRecord& task : tasks) {
        const Component taskForm = taskCalendar(task, forms.find(task.uid), now);
        calendar.add(taskForm.get());
    }
    return calendar.text();
}

ExportReport exportFile(Module1& store, KeptForms& forms, const std::filesystem::path& file, std::time_t now)
{
    ExportReport report;
    report.failure = forms.load();
    if (report.failure)
        return report;
    std::vector<std::string> uidsBefore;
    for (const TaskRecord& task : store.tasks())
        uidsBefore.push_back(task.uid);
    if (store.giveMissingUids() > 0) {
        report.saved = store.saveTasks();
        if (!report.saved->ok) {
            for (std::size_t i = 0; i < uidsBefore.size(); ++i)
                store.taskList[i].uid = uidsBefore[i];
            return report;
        }
    }
    report.failure = writeFileAtomically(file, exportText(store.tasks(), forms, now));
    if (!report.failure)
        report.exported = static_cast<int>(store.tasks().size());
    return report;
}

} // namespace ical
