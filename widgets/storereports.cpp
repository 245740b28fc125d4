#include "widgets/storereports.h"

#include "widgets/messages.h"

bool saveAndReadBack(QWidget* parent, Module1& store)
{
    if (!reportSave(parent, store.saveTasks()))
        return false;
    readBack(parent, store);
    return true;
}

void readBack(QWidget* parent, Module1& store)
{
    reportLoadFailure(parent, store.loadTasks());
}

bool reportSave(QWidget* parent, const SaveReport& report)
{
    if (!report.ok) {
        showFileError(parent, report.error);
        return false;
    }
    if (!report.notice.empty())
        showFileNotice(parent, report.notice);
    return true;
}

void reportLoad(QWidget* parent, const LoadReport& report)
{
    reportLoadFailure(parent, report);
    if (report.ok && !report.notice.empty())
        showFileNotice(parent, report.notice);
}

void reportLoadFailure(QWidget* parent, const LoadReport& report)
{
    if (!report.ok)
        showFileError(parent, report.error);
}
