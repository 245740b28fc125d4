#include "storereports.h"

#include "messages.h"

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
