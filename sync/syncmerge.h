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
#include <optional>
#include <string>
#include <unordered_map>
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
    QByteArray calendar{}; // the form to send, made by the sender
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

// The tasks of the forms one merge compares, read ahead: parsing a whole list's forms takes longer
// than a frame, and needs neither the store nor the event thread.
struct ParsedForms
{
    std::map<std::string, TaskRecord, std::less<>> lastSynced; // by the state's uid
    std::vector<std::optional<TaskRecord>> server;             // one per fetched item, in order
    QHash<QUrl, TaskRecord> sent;                              // the tasks of the state's unanswered uploads
};

[[nodiscard]] ParsedForms parseForms(const SyncState& state, const QList<ServerItem>& fetched);

class SyncMerge
{
public:
    // `firstSync`: tasks here that equal one on the server in title, For, due and description are
    // taken as that task. `lastSynced` and `sent` hold the parsed forms of `state`'s items and
    // unanswered uploads; the server's versions settle those uploads.
    SyncMerge(Module1& store, SyncState& state, std::map<std::string, TaskRecord, std::less<>> lastSynced,
              QHash<QUrl, TaskRecord> sent, bool firstSync);

    // `server`: the task `item` holds, from parseForms().
    void takeServerVersion(const ServerItem& item, std::optional<TaskRecord> server);
    void takeServerRemoval(const QUrl& href);
    // Lists what changed here since the last sync; the state's items become the merged ones.
    MergeResult finish();

private:
    SyncedItem* knownAt(const QUrl& href);
    std::optional<std::int16_t> slotOf(const std::string& uid) const;
    const TaskRecord& lastSyncedTask(const std::string& uid) const;
    TaskRecord baseOf(const std::string& uid, const QUrl& href, const TaskRecord& server, bool known) const;
    void remember(const std::string& uid, const ServerItem& item, const TaskRecord& task);
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
    std::map<std::string, TaskRecord, std::less<>> lastSynced_; // the task of each of byUid_'s forms
    QHash<QUrl, TaskRecord> sent_;                              // uploads of an earlier run left unanswered
    QHash<QUrl, std::string> uidOfHref_;
    QSet<QString> heldBack_; // uids whose server version could not come in: nothing is sent for them
    // Slots by uid while tasks here are only appended, as a look-up in the table per server item
    // grows with the square of a full table; a removal or an adopted task ends it.
    std::unordered_map<std::string, std::int16_t> slots_;
    bool slotsValid_ = true;
    std::size_t tasksBefore_; // only these may be adopted: the tasks appended since are known
    MergeResult result_;
};
