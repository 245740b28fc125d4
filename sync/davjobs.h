#pragma once

#include "sync/davjob.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QUrl>

struct DavResponse;

// A calendar collection that holds to-dos.
struct TaskList
{
    QUrl url;
    QString displayName;
    QString ctag;
    bool offersSyncCollection = false; // RFC 6578: changes since a token in one request
};

// Finds the task lists of an account from a server root (RFC 6764 /.well-known/caldav, then
// current-user-principal and calendar-home-set, RFC 4791) or from a task list's own address.
// Only collections that accept VTODO are listed.
class DiscoveryJob : public DavJob
{
    Q_OBJECT

public:
    explicit DiscoveryJob(DavSession* session, QObject* parent = nullptr) : DavJob(session, parent) {}

    QUrl calendarHome() const { return home_; } // empty when the address was a task list itself
    const QList<TaskList>& taskLists() const { return taskLists_; }

private:
    void run() override;
    void examine(const QUrl& url, bool wellKnownTried);
    void examineAnswer(const Answer& answer, bool wellKnownTried);
    // The property's first href where it stays on the account's origin.
    [[nodiscard]] std::optional<QUrl> hrefOf(const QUrl& base, const DavResponse& response, const char* ns,
                                             const char* name);
    void findHome(const QUrl& principal);
    void listHome(const QUrl& home);

    QUrl home_;
    QList<TaskList> taskLists_;
};

// Creates a task list for to-dos only (MKCALENDAR) under the calendar home.
class MakeTaskListJob : public DavJob
{
    Q_OBJECT

public:
    MakeTaskListJob(DavSession* session, const QUrl& home, const QString& displayName, QObject* parent = nullptr);
    const TaskList& created() const { return created_; }

private:
    void run() override;
    TaskList created_;
};

struct ItemVersion
{
    QUrl href;
    QByteArray etag;
};

// What changed on the server since a sync token, or, when `complete`, every item there is: then
// an item not listed is gone.
struct ServerChanges
{
    bool complete = false;
    QList<ItemVersion> changed;
    QList<QUrl> removed;
    QString syncToken; // the list's state to ask from next time: a sync token, else the list's ctag
};

// Asks for the changes since `syncToken` with sync-collection where the list offers it; an empty
// or expired token, or a server that refuses the report, gives a complete ETag listing instead.
// Without sync tokens, the list's ctag (CalendarServer's getctag) stands in for the token: while it
// is the same, nothing changed and nothing is listed.
class ChangesJob : public DavJob
{
    Q_OBJECT

public:
    ChangesJob(DavSession* session, TaskList list, QString syncToken, QObject* parent = nullptr);
    const ServerChanges& changes() const { return changes_; }

private:
    void run() override;
    void reportChanges(const QString& token);
    void compareCtag();
    void listEtags(const QString& ctag);
    // Adds the members' changes; true when the answer says it holds only part of them, nothing when
    // the job failed for what the answer holds.
    [[nodiscard]] std::optional<bool> collect(const QList<DavResponse>& responses, const QUrl& base);

    TaskList list_;
    QString syncToken_;
    QSet<QString> tokensAsked_;
    ServerChanges changes_;
};

struct FetchedItem
{
    QUrl href;
    QByteArray etag;
    QByteArray calendarData; // UTF-8 iCalendar text
};

// Fetches the given items of a task list with calendar-multiget; items gone meanwhile are `missing`.
// An item larger than 1 MiB comes without its calendar data.
// A hundred items per request keep each answer quick to read on the event thread.
class MultigetJob : public DavJob
{
    Q_OBJECT

public:
    static constexpr qsizetype maxItemsPerRequest = 100;

    MultigetJob(DavSession* session, QUrl list, QList<QUrl> hrefs, QObject* parent = nullptr);
    const QList<FetchedItem>& items() const { return items_; }
    const QList<QUrl>& missing() const { return missing_; }

private:
    void run() override;
    void fetchFrom(qsizetype first);
    // Adds the item the response holds; false when the job failed for what it holds.
    [[nodiscard]] bool take(const DavResponse& response, const QUrl& base);
    void findMissing();
    QUrl list_;
    QList<QUrl> hrefs_;
    QList<FetchedItem> items_;
    QList<QUrl> missing_;
};

// Writes one item: a new one only where none is (If-None-Match: *), a known one only while it is
// the version with `etag` (If-Match). PreconditionFailed means the server holds something else.
class PutJob : public DavJob
{
    Q_OBJECT

public:
    PutJob(DavSession* session, QUrl href, QByteArray calendarData, QByteArray etag, QObject* parent = nullptr);
    // The new version's ETag; empty when the server did not say (it may have changed the data).
    const QByteArray& etag() const { return newEtag_; }

private:
    void run() override;
    QUrl href_;
    QByteArray calendarData_;
    QByteArray etag_;
    QByteArray newEtag_;
};

// Deletes one item while it is the version with `etag`.
class DeleteJob : public DavJob
{
    Q_OBJECT

public:
    DeleteJob(DavSession* session, QUrl href, QByteArray etag, QObject* parent = nullptr);

private:
    void run() override;
    QUrl href_;
    QByteArray etag_;
};

// The address for a new item with `uid` in `list`: the uid where it is safe in a path, else a hash of it.
[[nodiscard]] QUrl newItemUrl(const QUrl& list, const QString& uid);
