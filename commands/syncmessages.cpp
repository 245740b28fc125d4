#include "commands/syncmessages.h"

#include "commands/filemessages.h"

#include <QCoreApplication>
#include <QLocale>
#include <QRegularExpression>
#include <QStringList>

using namespace Qt::StringLiterals;
using Outcome = SyncResult::Outcome;

namespace {

// The context the translators find these texts in.
struct SyncMessages
{
    Q_DECLARE_TR_FUNCTIONS(SyncMessages)
};

QString withDetail(const QString& text, const QString& detail)
{
    return detail.isEmpty() ? text : SyncMessages::tr("%1 (%2)").arg(text, detail);
}

// What moved, in one sentence; empty when nothing did.
QString countsText(const SyncResult& result)
{
    const std::pair<int, const char*> counts[] = {
        {result.received, QT_TRANSLATE_NOOP("SyncMessages", "%n task(s) received")},
        {result.sent, QT_TRANSLATE_NOOP("SyncMessages", "%n task(s) sent")},
        {result.deletedThere, QT_TRANSLATE_NOOP("SyncMessages", "%n deleted on the server")},
        {static_cast<int>(result.removedHere.size()),
         QT_TRANSLATE_NOOP("SyncMessages", "%n removed here, as on the server (Undo brings them back)")},
    };
    QStringList parts;
    for (const auto& [count, text] : counts) {
        if (count > 0)
            parts << SyncMessages::tr(text, nullptr, count);
    }
    return parts.isEmpty() ? QString() : parts.join(SyncMessages::tr(", ")) + u'.';
}

// What the user should know even after a sync that worked.
QStringList noticesOf(const SyncResult& result)
{
    QStringList notices;
    if (result.doubled > 0)
        notices << SyncMessages::tr("%n task(s) were changed on both sides: both versions are kept, as two tasks.",
                                    nullptr, result.doubled);
    if (result.didNotFit > 0)
        notices << SyncMessages::tr("%n task(s) did not fit in the task table and stay on the server, untouched.",
                                    nullptr, result.didNotFit);
    if (result.ignored > 0)
        notices << SyncMessages::tr("%n address(es) or item(s) in the server's answers were ignored, as outside the "
                                    "task list or larger than 1 MiB.",
                                    nullptr, result.ignored);
    return notices;
}

QString stateFailureText(const SyncResult& result)
{
    return result.stateFailure ? fileFailureText(*result.stateFailure) : QString();
}

// The locale's short time without its seconds, which some locales show and a status line does not need.
QString hoursAndMinutes(const QLocale& locale)
{
    return locale.timeFormat(QLocale::ShortFormat).remove(QRegularExpression(u"[:.]ss?"_s));
}

QString shortTime(const QDateTime& at)
{
    return QLocale().toString(at.time(), hoursAndMinutes(QLocale()));
}

QString retryText(const SyncResult& result)
{
    return result.retryAt.isValid()
               ? u' ' + SyncMessages::tr("The server asked to wait until %1.").arg(shortTime(result.retryAt))
               : QString();
}

QString outcomeDetails(const SyncResult& result)
{
    switch (result.outcome) {
    case Outcome::Synced:
        return SyncMessages::tr("The task file and the task list on the server hold the same tasks.");
    case Outcome::Offline:
        return withDetail(SyncMessages::tr("The server could not be reached. The changes are kept in the task file "
                                           "and are sent at the next sync."),
                          result.detail) +
               retryText(result);
    case Outcome::PasswordRefused:
        return withDetail(SyncMessages::tr("The server refused the user name or the password. Nothing was changed."),
                          result.detail);
    case Outcome::NoPassword:
        return withDetail(SyncMessages::tr("No password is kept for this account. Give it under Options → Sync with "
                                           "Server…, or with taskwyn --sync-setup."),
                          result.detail);
    case Outcome::NotSetUp:
        return SyncMessages::tr("This task file does not sync with a server. Set it up under Options → Sync with "
                                "Server…, or with taskwyn --sync-setup.");
    case Outcome::ListEmptied:
        return SyncMessages::tr("The task list on the server came back empty, although it held tasks at the last "
                                "sync. Nothing was deleted, here or there. If it was emptied on purpose, stop "
                                "syncing and set the sync up again; otherwise look at the server.");
    case Outcome::ManyRemoved:
        return SyncMessages::tr("The server reports %n synced task(s) as deleted at once. Nothing was deleted, here "
                                "or there. If they were deleted on purpose, sync in the window and choose to remove "
                                "them here; otherwise look at the server.",
                                nullptr, result.wouldRemove);
    case Outcome::ListGone:
        return withDetail(SyncMessages::tr("The task list this file syncs with is no longer on the server. Nothing "
                                           "was deleted. Choose a task list again under Options → Sync with Server…."),
                          result.detail);
    case Outcome::OtherList:
        return SyncMessages::tr("What Taskwyn knows of the last sync belongs to another task list than the one "
                                "chosen. Nothing was deleted. Stop syncing and set the sync up again to start "
                                "afresh with the chosen list.");
    case Outcome::StateUnreadable:
        return withDetail(SyncMessages::tr("What Taskwyn knows of the last sync cannot be read, so nothing was "
                                           "deleted. Stop syncing and set the sync up again to start afresh."),
                          stateFailureText(result));
    case Outcome::StateNotWritten:
        return withDetail(SyncMessages::tr("What was synced could not be recorded. Nothing is lost: the next sync "
                                           "repeats the work."),
                          stateFailureText(result));
    case Outcome::SaveFailed:
        return SyncMessages::tr("The task file could not be saved, so the sync stopped; the server's changes come "
                                "again at the next sync.");
    case Outcome::ChangedMeanwhile:
        return SyncMessages::tr("Tasks changed on the server again while they were sent; they are merged at the "
                                "next sync.");
    case Outcome::ServerFailed:
        return withDetail(SyncMessages::tr("The server refused the sync or answered what Taskwyn cannot read."),
                          result.detail);
    case Outcome::BadCertificate:
        return withDetail(SyncMessages::tr("The server's certificate could not be verified, so nothing was sent. A "
                                           "server with its own certificate authority is trusted once that "
                                           "authority is in the system's certificate store; see the README."),
                          result.detail);
    case Outcome::Cancelled:
        return SyncMessages::tr("The sync was stopped. What was sent is recorded; the rest goes out at the next "
                                "sync.");
    }
    return {};
}

} // namespace

QString syncStatusText(const SyncResult& result, const QDateTime& at)
{
    const QString time = shortTime(at);
    switch (result.outcome) {
    case Outcome::Synced:
    case Outcome::ChangedMeanwhile:
        return noticesOf(result).isEmpty() ? SyncMessages::tr("Synced %1").arg(time)
                                           : SyncMessages::tr("Synced %1 – see the details").arg(time);
    case Outcome::Offline:
        return SyncMessages::tr("Offline – changes are kept here");
    case Outcome::PasswordRefused:
        return SyncMessages::tr("Sync failed: the password was refused");
    case Outcome::NoPassword:
        return SyncMessages::tr("Sync waits for the password");
    case Outcome::NotSetUp:
        return {};
    case Outcome::ListEmptied:
    case Outcome::ManyRemoved:
    case Outcome::ListGone:
    case Outcome::OtherList:
    case Outcome::StateUnreadable:
        return SyncMessages::tr("Sync paused: the task list needs a look");
    case Outcome::Cancelled:
        return SyncMessages::tr("Sync stopped");
    case Outcome::StateNotWritten:
    case Outcome::SaveFailed:
    case Outcome::ServerFailed:
    case Outcome::BadCertificate:
        break;
    }
    return SyncMessages::tr("Sync failed – see the details");
}

QString syncDetailsText(const SyncResult& result)
{
    QStringList sentences{outcomeDetails(result)};
    sentences << noticesOf(result) << countsText(result);
    sentences.removeAll(QString());
    return sentences.join(u' ');
}

QString davOutcomeText(DavJob::Outcome outcome, const QString& detail)
{
    using Job = DavJob::Outcome;
    switch (outcome) {
    case Job::Succeeded:
        return {};
    case Job::PasswordRefused:
        return SyncMessages::tr("The server refused the user name or the password.");
    case Job::RefusedAddress:
        return SyncMessages::tr(
            "Taskwyn sends passwords over plain http only to this computer; give an address that starts "
            "with https://.");
    case Job::RefusedRedirect:
        return SyncMessages::tr(
            "The server sent Taskwyn on to another server than the one given, so it did not follow.");
    case Job::TlsFailure:
        return SyncMessages::tr(
                   "The server's certificate could not be verified, so Taskwyn did not connect (%1). A server with "
                   "its own certificate authority is trusted once that authority is in the system's certificate "
                   "store; see the README.")
            .arg(detail);
    case Job::NetworkFailure:
        return SyncMessages::tr("The server cannot be reached; check the address and the network connection (%1).")
            .arg(detail);
    case Job::NoTaskService:
    case Job::NotFound:
        return SyncMessages::tr(
            "No task service answers at this address. Give the address of a CalDAV server or of one of its "
            "task lists.");
    case Job::ServerBusy:
        return SyncMessages::tr("The server is busy; try again in a while.");
    case Job::Cancelled:
        return SyncMessages::tr("Stopped.");
    case Job::PreconditionFailed:
    case Job::ServerFailure:
    case Job::BadAnswer:
        break;
    }
    return SyncMessages::tr("The server refused the request (%1).").arg(detail);
}

QString serverAddressProblemText(const QString& text)
{
    const QUrl typed(text);
    return typed.scheme() == "http"_L1 && !typed.host().isEmpty()
               ? davOutcomeText(DavJob::Outcome::RefusedAddress, {})
               : SyncMessages::tr("\"%1\" is not a server address.").arg(text);
}
