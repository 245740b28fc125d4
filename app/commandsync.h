#pragma once

#include "app/commandline.h"
#include "app/singleinstance.h"

#include <functional>

struct SyncResult;

// `taskwyn --sync` and `taskwyn --sync-setup`, without a window, through the same account, state and
// secret store as the window. Each returns the exit status and tells a failure on standard error.
int syncTasks(const SyncTasks& request);
int setUpSync(const SetUpSync& request);

// The window's answer to `taskwyn --sync`: a sync through `runSync`, which calls back when it ended,
// reported to the asking process as the command line reports its own.
using SyncDone = std::function<void(const SyncResult&)>;
void answerSyncRequest(const std::function<void(SyncDone)>& runSync, const SingleInstance::SyncReply& reply);
