#pragma once

// How a sync runs, and what it keeps between runs.
//
// One task file syncs with one task list. A sync asks the list for its changes since the stored sync
// token (ChangesJob), fetches what changed (MultigetJob), merges each task field by field against the
// last synced iCalendar form, saves the task file through the store, sends the local changes (PutJob
// with If-None-Match for new tasks, If-Match with the known ETag for changes, DeleteJob with If-Match),
// and on PreconditionFailed fetches the server's version, merges and tries once more.
//
// What a sync knows of the server lives here, in the user's state folder, never in the task file: for
// each task its uid, href, ETag and last synced iCalendar form, and the list's sync token. It is
// written after the task file, the items first and the token last, each file replaced atomically. A
// crash before the items are written leaves the old ETags: the next sync sees its own uploads as
// server changes equal to what the file holds, and finds a task it created by its uid, not as a second
// one. A crash before the token is written makes the next sync ask again for changes it already has.
// Either way work is repeated, and nothing is lost or sent twice. The writes of a run are recorded
// with the items before they are sent, and their answers remove them: a write whose answer was lost
// is still listed at the next sync, which then knows the server's version for its own.

#include "os/fileerror.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include <filesystem>
#include <optional>

struct SyncedItem
{
    QString uid;
    QUrl href;
    QByteArray etag;
    QByteArray lastSynced; // the iCalendar form both sides agreed on at the last sync
    bool operator==(const SyncedItem&) const = default;
};

// A write sent to the server that has not been answered yet. The server may have applied it all
// the same: the next sync tells its own write from another client's by what was sent.
struct SentWrite
{
    QString uid;
    QUrl href;
    QByteArray calendar; // the form sent; empty for a deletion
    bool operator==(const SentWrite&) const = default;
};

struct SyncState
{
    QUrl taskList;
    QString syncToken; // empty: the next sync lists the whole task list
    QList<SyncedItem> items;
    QList<SentWrite> sent{}; // recorded before the first request of a run goes out
    bool operator==(const SyncState&) const = default;
};

struct LoadedSyncState
{
    SyncState state;
    std::optional<FileFailure> failure;
    bool damaged = false; // a state file that cannot be read as one; nothing may be deleted on its word
};

// The sync state of one task file, in a private folder of the state home named after the file's
// canonical path, so that the same file reached by another path shares it.
class SyncStateFiles
{
public:
    explicit SyncStateFiles(const std::filesystem::path& taskFile);

    [[nodiscard]] LoadedSyncState load() const;
    // Call only after the task file holds what `state` describes.
    [[nodiscard]] std::optional<FileFailure> save(const SyncState& state) const;
    // Forgets the state, as when the user stops syncing.
    [[nodiscard]] std::optional<FileFailure> remove() const;

    const std::filesystem::path& folder() const { return folder_; }

private:
    std::filesystem::path folder_;
};
