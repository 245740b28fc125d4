#pragma once

#include <QString>
#include <QUrl>

#include <filesystem>
#include <optional>
#include <vector>

// The server a task file syncs with, as the set-up dialog or the command line chose it. The
// password is not part of it: it lives in the secret store only.
struct SyncAccount
{
    QUrl server;   // as the user gave it: a server root or a task list's own address
    QUrl taskList; // the one task list this file syncs with
    QString user;
    bool offersSyncCollection = false; // the list's changes come in one request (RFC 6578)
    bool operator==(const SyncAccount&) const = default;
};

// The account of a task file, kept in the user's settings under the file's canonical path, so that
// the same file reached by another path finds it.
[[nodiscard]] std::optional<SyncAccount> loadSyncAccount(const std::filesystem::path& taskFile);
void storeSyncAccount(const std::filesystem::path& taskFile, const SyncAccount& account);
void forgetSyncAccount(const std::filesystem::path& taskFile);
// The accounts of every task file.
[[nodiscard]] std::vector<SyncAccount> keptSyncAccounts();
