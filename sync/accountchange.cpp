#include "sync/accountchange.h"

#include "sync/secretstore.h"

#include <QTimer>

#include <algorithm>
#include <optional>

namespace {

QString passwordKey(const SyncAccount& account)
{
    return SecretStore::accountKey(account.server, account.user);
}

void removeUnusedPassword(const std::optional<SyncAccount>& before, SecretStore& secrets, std::function<void()> done)
{
    const auto sameKey = [&before](const SyncAccount& kept) { return passwordKey(kept) == passwordKey(*before); };
    if (!before || std::ranges::any_of(keptSyncAccounts(), sameKey)) {
        QTimer::singleShot(0, &secrets, std::move(done));
        return;
    }
    // Should the store refuse, the password stays as it was; the account is changed all the same.
    secrets.remove(passwordKey(*before), [done = std::move(done)](const SecretStore::Answer&) { done(); });
}

} // namespace

void replaceSyncAccount(const std::filesystem::path& taskFile, const SyncAccount& account, SecretStore& secrets,
                        std::function<void()> done)
{
    const std::optional<SyncAccount> before = loadSyncAccount(taskFile);
    storeSyncAccount(taskFile, account);
    removeUnusedPassword(before, secrets, std::move(done));
}

void forgetSyncAccountAndPassword(const std::filesystem::path& taskFile, SecretStore& secrets,
                                  std::function<void()> done)
{
    const std::optional<SyncAccount> before = loadSyncAccount(taskFile);
    forgetSyncAccount(taskFile);
    removeUnusedPassword(before, secrets, std::move(done));
}
