#pragma once

#include "sync/syncaccount.h"

#include <filesystem>
#include <functional>

class SecretStore;

// Changing or forgetting the account of a task file, as the set-up dialog and the command line do.
// A password no task file syncs with any more is removed from the secret store, so that it does
// not stay there unseen; one that another task file still syncs with stays. `done` follows from the
// event loop, once the store has answered.

// Keeps `account` for `taskFile`; its password is written to the store beforehand by the caller.
void replaceSyncAccount(const std::filesystem::path& taskFile, const SyncAccount& account, SecretStore& secrets,
                        std::function<void()> done);
void forgetSyncAccountAndPassword(const std::filesystem::path& taskFile, SecretStore& secrets,
                                  std::function<void()> done);
