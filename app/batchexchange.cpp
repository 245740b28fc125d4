#include "app/batchexchange.h"

#include "commands/filemessages.h"
#include "store/calendar.h"

#include <cstdio>
#include <memory>

namespace {

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

// Nothing when the task file was read; notices about one that was are told on the way.
// 1001 tasks are too many for the stack.
std::unique_ptr<Module1> loadedStore(const std::filesystem::path& taskFile, QString& failure)
{
    auto store = std::make_unique<Module1>(taskFile);
    const LoadReport report = store->loadTasks();
    failure = loadFailureText(report);
    if (!report.ok)
        return nullptr;
    tell(stderr, loadNoticeText(report));
    return store;
}

} // namespace

int exportTasks(const ExportTasks& request)
{
    QString failure;
    const std::unique_ptr<Module1> store = loadedStore(request.taskFile, failure);
    if (!store)
        return failed(failure);
    ical::KeptForms forms;
    const ical::ExportReport report = ical::exportFile(*store, forms, request.calendar, epochSeconds(now()));
    if (report.failure)
        return failed(fileFailureText(*report.failure));
    if (report.saved && !report.saved->ok)
        return failed(saveFailureText(*report.saved));
    return 0;
}

int importTasks(const ImportTasks& request)
{
    QString failure;
    const std::unique_ptr<Module1> store = loadedStore(request.taskFile, failure);
    if (!store)
        return failed(failure);
    ical::KeptForms forms;
    const ical::ImportReport report = ical::importFile(*store, forms, request.calendar);
    if (!report.ok())
        return failed(importFailureText(report, request.calendar));
    tell(stdout, importSummaryText(report.summary));
    return 0;
}
