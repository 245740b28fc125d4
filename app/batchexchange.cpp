#include "app/batchexchange.h"

#include "commands/filemessages.h"
#include "store/calendar.h"

#include <memory>

void tell(std::FILE* stream, const QString& message)
{
    if (!message.isEmpty())
        std::fputs(qPrintable(message + u'\n'), stream);
}

int failed(const QString& message)
{
    tell(stderr, message);
    return failedStatus;
}

int withLoadedStore(const std::filesystem::path& taskFile, const std::function<int(Module1& store)>& work)
{
    // 1001 tasks are too many for the stack.
    const auto store = std::make_unique<Module1>(taskFile);
    const LoadReport report = store->loadTasks();
    if (!report.ok)
        return failed(loadFailureText(report));
    tell(stderr, loadNoticeText(report));
    return work(*store);
}

int exportTasks(const ExportTasks& request)
{
    return withLoadedStore(request.taskFile, [&request](Module1& store) {
        ical::KeptForms forms;
        const ical::ExportReport report = ical::exportFile(store, forms, request.calendar, epochSeconds(now()));
        if (report.failure)
            return failed(fileFailureText(*report.failure));
        if (report.saved && !report.saved->ok)
            return failed(saveFailureText(*report.saved));
        return 0;
    });
}

int importTasks(const ImportTasks& request)
{
    return withLoadedStore(request.taskFile, [&request](Module1& store) {
        ical::KeptForms forms;
        const ical::ImportReport report = ical::importFile(store, forms, request.calendar);
        if (!report.ok())
            return failed(importFailureText(report, request.calendar));
        tell(stdout, importSummaryText(report.summary));
        return 0;
    });
}
