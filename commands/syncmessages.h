#pragma once

#include "sync/davjob.h"
#include "sync/syncengine.h"

#include <QDateTime>
#include <QString>

// The few words the status bar shows for a finished sync: "Synced 14:02", "Offline – changes are
// kept here", "Sync failed: the password was refused"; `at` is when it ended. Empty when the task
// file does not sync.
[[nodiscard]] QString syncStatusText(const SyncResult& result, const QDateTime& at);
// What a sync did and why it stopped, in full: for the status bar's details and for standard error.
[[nodiscard]] QString syncDetailsText(const SyncResult& result);
// The user's words for an outcome the server jobs report, in the set-up dialog and on the command line.
[[nodiscard]] QString davOutcomeText(DavJob::Outcome outcome, const QString& detail);
// Why an address the user typed cannot be used (serverAddressFromUserText gave none).
[[nodiscard]] QString serverAddressProblemText(const QString& text);
