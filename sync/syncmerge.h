#pragma once

// The merge of one sync, on the store and the sync state, without the network: what the server
// changed is applied here field by field against the last synced form, and what changed here is
// listed for sending. Nothing is lost and nothing doubled: a field changed on both sides keeps
// both versions as two tasks, and a change beats a deletion on either side.

#include "store/module1.h"
#include "sync/syncstate.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QUrl>

#include <map>
#include <string>
#include <vector>

struct ServerItem
{
    QUrl href;
    QByteArray etag;
    QByteArray calendar;
};

// A task to send: a new one where `etag` is empty.
struct Upload
{
    std::string uid;
    QUrl href;
    QByteArray etag;
};

struct Removal
{
    std::string uid;
    QUrl href;
    QByteArray etag;
};

struct MergeResult
{
    std::vector<Upload> uploads;
    std::vector<Removal> removals;
    std::vector<TaskRecord> removedHere; // deleted on the server and unchanged here
    int received = 0;                    // tasks added or changed here by the server's versions
    int doubled = 0;                     // the same field changed on both sides: kept as two tasks
    int didNotFit = 0;                   // server tasks left on the server for want of room here
    bool storeChanged = false;
};

class SyncMerge
{
public:
    // `firstSync`: tasks here that equal one on the server in title, For, due and description are
    // taken as that task.
    SyncMerge(Module1& store, SyncState& state, bool firstSync);

    void takeServerVersion(const ServerItem& item);
    void takeServerRemoval(const QUrl& href);
    // Lists what changed here since the last sync; the state's items become the merged ones.
    MergeResult finish();

private:
    SyncedItem* knownAt(const QUrl& href);
    void remember(const std::string& uid, const ServerItem& item);
    void forget(const std::string& uid);
    void mergeInto(std::int16_t slot, const TaskRecord& base, const TaskRecord& server, const ServerItem& item);
    void keepServerCopy(TaskRecord server);
    bool appendHere(const TaskRecord& task);
    bool adoptEqualTask(const TaskRecord& server);
    void listLocalChanges();

    Module1& store_;
    SyncState& state_;
    bool firstSync_;
    std::map<std::string, SyncedItem, std::less<>> byUid_;
    QHash<QUrl, std::string> uidOfHref_;
    QSet<QString> heldBack_; // uids whose server version could not come in: nothing is sent for them
    MergeResult result_;
};
