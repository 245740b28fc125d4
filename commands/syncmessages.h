#pragma once

#include "sync/syncengine.h"

#include <QDateTime>
#include <QString>

// The few words the status bar shows for a finished sync: "Synced 14:02", "Offline – changes are
// kept here", "Sync failed: the password was refused"; `at` is when it ended. Empty when the task
// file does not sync.
[[nodiscard]] QString syncStatusText(const SyncResult& result, const QDateTime& at);
// What a sync did and why it stopped, in full: for the status bar's details and for standard error.
[[nodiscard]] QString syncDetailsText(const SyncResult& result);
