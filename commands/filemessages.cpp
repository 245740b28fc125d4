#include "commands/filemessages.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstring>

namespace {

// The context the translators find these texts in.
struct FileMessages
{
    Q_DECLARE_TR_FUNCTIONS(FileMessages)
};

QString pathText(const std::filesystem::path& path)
{
    return QString::fromStdString(path.string());
}

// Worded only now, so that it follows the locale Qt set up rather than the one at the failure.
QString systemErrorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString notRegularFileText(FileKind kind)
{
    switch (kind) {
    case FileKind::NamedPipe:
        return FileMessages::tr("It is a named pipe (FIFO), not a regular file.");
    case FileKind::CharacterDevice:
        return FileMessages::tr("It is a character device, not a regular file.");
    case FileKind::BlockDevice:
        return FileMessages::tr("It is a block device, not a regular file.");
    case FileKind::Socket:
        return FileMessages::tr("It is a socket, not a regular file.");
    case FileKind::Unknown:
        break;
    }
    return FileMessages::tr("It is of an unknown kind, not a regular file.");
}

} // namespace

QString failureReasonText(const FailureReason& reason)
{
    using Kind = FailureReason::Kind;
    switch (reason.kind) {
    case Kind::SystemError:
        break;
    case Kind::NotRegularFile:
        return notRegularFileText(reason.fileKind);
    case Kind::TooLarge:
        return FileMessages::tr("The file is larger than %1 MiB.").arg(reason.limitMiB);
    case Kind::ReadOnly:
        return FileMessages::tr("The file is read-only.");
    case Kind::NameTaken:
        return FileMessages::tr("File exists");
    case Kind::SymbolicLink:
        return FileMessages::tr("It is a symbolic link.");
    case Kind::NotAFolder:
        return FileMessages::tr("It is not a folder.");
    case Kind::OtherUsersFolder:
        return FileMessages::tr("It belongs to another user.");
    case Kind::FolderNotCreated:
        return FileMessages::tr("It cannot be created: %1").arg(systemErrorText(reason.error));
    case Kind::FolderNotPrivate:
        return FileMessages::tr("It cannot be made private: %1").arg(systemErrorText(reason.error));
    case Kind::NotPlainFile:
        return FileMessages::tr("It is not a plain file.");
    }
    return systemErrorText(reason.error);
}

QString fileFailureText(const FileFailure& failure)
{
    const QString path = pathText(failure.path);
    const QString reason = failureReasonText(failure.reason);
    switch (failure.action) {
    case FileAction::ReadFile:
        break;
    case FileAction::WriteFile:
        return FileMessages::tr("Cannot write file \"%1\":\n%2").arg(path, reason);
    case FileAction::WriteInFolder:
        return FileMessages::tr("Cannot write in folder \"%1\":\n%2").arg(path, reason);
    }
    return FileMessages::tr("Cannot read file \"%1\":\n%2").arg(path, reason);
}

QString pageFailureText(const PageFailure& failure)
{
    if (failure.file)
        return fileFailureText(*failure.file);
    return FileMessages::tr("Cannot write the attention page:\nno home folder was found to keep it in.");
}

QString loadFailureText(const LoadReport& report)
{
    return report.failure ? fileFailureText(*report.failure) : QString();
}

namespace {

// The file was read only in part, or in the older encoding: a copy is kept before the next save.
QString keptCopyNoticeText(const LoadReport& report)
{
    const QString file = pathText(report.notice->file);
    const QString backup = pathText(report.notice->backup);
    const QString tasks = QString::number(report.tasksLeftOut);
    const QString rules = QString::number(report.rulesLeftOut);
    const QString taskSlots = QString::number(Module1::taskSlots);
    const QString ruleSlots = QString::number(Module1::ruleSlots);
    if (report.tasksLeftOut > 0 && report.rulesLeftOut > 0)
        return FileMessages::tr("The task file \"%1\" holds %2 task(s) beyond the %3 that fit and %4 rule(s) beyond "
                                "the %5 that fit; they were not loaded.\nBefore the file is next saved, a copy of it "
                                "is kept as \"%6\".")
            .arg(file, tasks, taskSlots, rules, ruleSlots, backup);
    if (report.tasksLeftOut > 0)
        return FileMessages::tr("The task file \"%1\" holds %2 task(s) beyond the %3 that fit; they were not "
                                "loaded.\nBefore the file is next saved, a copy of it is kept as \"%4\".")
            .arg(file, tasks, taskSlots, backup);
    if (report.rulesLeftOut > 0)
        return FileMessages::tr("The task file \"%1\" holds %2 rule(s) beyond the %3 that fit; they were not "
                                "loaded.\nBefore the file is next saved, a copy of it is kept as \"%4\".")
            .arg(file, rules, ruleSlots, backup);
    return FileMessages::tr("The task file \"%1\" was written in an older encoding (Windows-1252) and has been read "
                            "in it.\nIt will be saved as UTF-8; before that, a copy of it is kept as \"%2\".")
        .arg(file, backup);
}

QString calendarFaultText(ical::CalendarFault fault)
{
    if (fault == ical::CalendarFault::NotICalendar)
        return FileMessages::tr("It is not an iCalendar file.");
    return FileMessages::tr("It is cut off or broken inside: it does not end as an iCalendar file does.");
}

QString calendarFailureText(const std::filesystem::path& file, ical::CalendarFault fault)
{
    return FileMessages::tr("Cannot import file \"%1\":\n%2").arg(pathText(file), calendarFaultText(fault));
}

} // namespace

QString loadNoticeText(const LoadReport& report)
{
    QStringList notices;
    if (report.notice)
        notices << keptCopyNoticeText(report);
    if (report.uidsRenewed > 0)
        notices << FileMessages::tr("%n task(s) in the task file had the identity of an earlier task and got a new "
                                    "one.",
                                    nullptr, report.uidsRenewed);
    return notices.join(u'\n');
}

QString calendarReadFailureText(const ical::CalendarFiles& read)
{
    if (read.failure)
        return fileFailureText(*read.failure);
    return read.content.fault ? calendarFailureText(read.faultyFile, *read.content.fault) : QString();
}

QString importFailureText(const ical::ImportReport& report, const std::filesystem::path& file)
{
    if (report.failure)
        return fileFailureText(*report.failure);
    if (report.fault)
        return calendarFailureText(file, *report.fault);
    return report.saved ? saveFailureText(*report.saved) : QString();
}

QString importSummaryText(const ical::ImportSummary& summary)
{
    QStringList parts{FileMessages::tr("%n task(s) imported", nullptr, summary.imported)};
    const std::pair<int, const char*> others[] = {
        {summary.alreadyHere, QT_TRANSLATE_NOOP("FileMessages", "%n already here")},
        {summary.doneBeforeArrival, QT_TRANSLATE_NOOP("FileMessages", "%n completed before, not imported")},
        {summary.events, QT_TRANSLATE_NOOP("FileMessages", "%n event(s) skipped")},
        {summary.journals, QT_TRANSLATE_NOOP("FileMessages", "%n journal(s) skipped")},
        {summary.others, QT_TRANSLATE_NOOP("FileMessages", "%n other item(s) skipped")},
        {summary.tooLarge, QT_TRANSLATE_NOOP("FileMessages", "%n too large")},
        {summary.didNotFit, QT_TRANSLATE_NOOP("FileMessages", "%n did not fit")},
    };
    for (const auto& [count, text] : others) {
        if (count > 0)
            parts << FileMessages::tr(text, nullptr, count);
    }
    return parts.join(FileMessages::tr(", "));
}

QString saveFailureText(const SaveReport& report)
{
    if (report.failure)
        return fileFailureText(*report.failure);
    if (!report.refusal)
        return {};
    const QString file = pathText(report.refusal->file);
    if (report.refusal->why == SaveRefusal::Why::LoadFailed)
        return FileMessages::tr("The task file \"%1\" could not be read, so it is not written over.\nMake it "
                                "readable, then start again.")
            .arg(file);
    return FileMessages::tr(
               "The task file \"%1\" was changed by another program since it was read; it was not written over.")
        .arg(file);
}

QString saveNoticeText(const SaveReport& report)
{
    QStringList notices;
    if (const std::optional<KeptVersion>& kept = report.keptVersion) {
        const QString file = pathText(kept->file);
        notices << (kept->whose == KeptVersion::Whose::Yours
                        ? FileMessages::tr("Your version was kept as \"%1\".").arg(file)
                        : FileMessages::tr("The other version was kept as \"%1\".").arg(file));
    }
    if (report.backupKept)
        notices << FileMessages::tr("A copy of the previous task file was kept as \"%1\".")
                       .arg(pathText(*report.backupKept));
    return notices.join(u'\n');
}
