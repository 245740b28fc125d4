#include "sync/syncaccount.h"

#include <QSettings>

using namespace Qt::StringLiterals;

namespace {

QSettings userSettings()
{
    return QSettings(u"taskwyn"_s, u"taskwyn"_s);
}

const QString accountsGroup = u"sync"_s;

// One settings group per file; the path is encoded whole, as a '/' would open nested groups.
QString groupFor(const std::filesystem::path& taskFile)
{
    std::error_code ec;
    std::filesystem::path canonical = std::filesystem::weakly_canonical(std::filesystem::absolute(taskFile, ec), ec);
    if (ec)
        canonical = std::filesystem::absolute(taskFile, ec);
    return accountsGroup + u'/' +
           QString::fromLatin1(QUrl::toPercentEncoding(QString::fromStdString(canonical.string())));
}

// The account in the settings' current group.
std::optional<SyncAccount> readAccount(const QSettings& settings)
{
    SyncAccount account{settings.value("server"_L1).toUrl(), settings.value("taskList"_L1).toUrl(),
                        settings.value("user"_L1).toString(), settings.value("offersSyncCollection"_L1).toBool()};
    if (!account.server.isValid() || !account.taskList.isValid())
        return std::nullopt;
    return account;
}

} // namespace

std::optional<SyncAccount> loadSyncAccount(const std::filesystem::path& taskFile)
{
    QSettings settings = userSettings();
    settings.beginGroup(groupFor(taskFile));
    return readAccount(settings);
}

void storeSyncAccount(const std::filesystem::path& taskFile, const SyncAccount& account)
{
    QSettings settings = userSettings();
    settings.beginGroup(groupFor(taskFile));
    settings.setValue("server"_L1, account.server);
    settings.setValue("taskList"_L1, account.taskList);
    settings.setValue("user"_L1, account.user);
    settings.setValue("offersSyncCollection"_L1, account.offersSyncCollection);
}

void forgetSyncAccount(const std::filesystem::path& taskFile)
{
    userSettings().remove(groupFor(taskFile));
}

std::vector<SyncAccount> keptSyncAccounts()
{
    QSettings settings = userSettings();
    settings.beginGroup(accountsGroup);
    std::vector<SyncAccount> accounts;
    for (const QString& file : settings.childGroups()) {
        settings.beginGroup(file);
        if (std::optional<SyncAccount> account = readAccount(settings))
            accounts.push_back(*std::move(account));
        settings.endGroup();
    }
    return accounts;
}
