#include "sync/secretstore.h"

#include "sync/accountchange.h"

#include "os/tests/filetesting.h"

#include <QSettings>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

using Kind = SecretStore::Answer::Kind;

const QString password = QStringLiteral("s3cret – ü");
const QString key =
    SecretStore::accountKey(QUrl(QStringLiteral("https://dav.example.org/ada/")), QStringLiteral("ada"));

SecretStore::Answer await(const std::function<void(SecretStore::Reply)>& call)
{
    std::optional<SecretStore::Answer> answer;
    call([&answer](const SecretStore::Answer& got) { answer = got; });
    EXPECT_FALSE(answer) << "answered before the call returned";
    EXPECT_TRUE(QTest::qWaitFor([&answer] { return answer.has_value(); }, 20000)) << "no answer";
    return answer.value_or(SecretStore::Answer{});
}

} // namespace

// keyring-session.sh runs this test a second time with a private, unlocked Secret Service.
TEST(SecretStore, KeepsThePasswordInTheStoreOrForThisRunOnly)
{
    SecretStore store(QStringLiteral("taskwyn-test")), nextRun(QStringLiteral("taskwyn-test"));
    const auto write = await([&](auto reply) { store.write(key, password, reply); });
    const auto read = await([&](auto reply) { store.read(key, reply); });
    EXPECT_EQ(read.kind, Kind::Found);
    EXPECT_EQ(read.password, password);
    const auto readNextRun = await([&](auto reply) { nextRun.read(key, reply); });
    if (std::getenv("TASKWYN_TEST_SECRET_SERVICE")) {
        EXPECT_EQ(write.kind, Kind::Found) << write.detail.toStdString();
        EXPECT_TRUE(read.kept);
        EXPECT_EQ(readNextRun.password, password);
        EXPECT_EQ(await([&](auto reply) { nextRun.remove(key, reply); }).kind, Kind::Missing);
        EXPECT_EQ(await([&](auto reply) { store.read(key, reply); }).kind, Kind::Missing);
    } else {
        EXPECT_EQ(write.kind, Kind::NoStore);
        EXPECT_FALSE(read.kept);
        EXPECT_TRUE(store.knownMissing());
        EXPECT_EQ(readNextRun.kind, Kind::NoStore);
    }
    // Neither the user's folders (the test's working folder holds them) nor anything else got it.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(std::filesystem::current_path()))
        EXPECT_FALSE(entry.is_regular_file() &&
                     testsupport::contains(testsupport::readBytes(entry.path()), password.toStdString()))
            << entry.path();
}

// A password no task file syncs with any more leaves the store; one another file uses stays.
TEST(SecretStore, AccountChangeRemovesOnlyAPasswordNoFileUses)
{
    const SyncAccount ada{QUrl(QStringLiteral("https://dav.example.org/ada/")), {}, QStringLiteral("ada")};
    const SyncAccount bob{QUrl(QStringLiteral("https://other.example.org/")), {}, QStringLiteral("bob")};
    const auto withList = [](SyncAccount account) {
        account.taskList = account.server.resolved(QUrl(QStringLiteral("tasks/")));
        return account;
    };
    for (const bool otherFileSyncsWithAda : {true, false}) {
        QSettings(QStringLiteral("taskwyn"), QStringLiteral("taskwyn")).clear();
        SecretStore store(QStringLiteral("taskwyn-test"));
        await([&](auto reply) { store.write(key, password, reply); });
        storeSyncAccount("tasks.txt", withList(ada));
        if (otherFileSyncsWithAda)
            storeSyncAccount("other.txt", withList(ada));
        await([&](auto reply) { replaceSyncAccount("tasks.txt", withList(ada), store, [reply] { reply({}); }); });
        EXPECT_EQ(await([&](auto reply) { store.read(key, reply); }).password, password) << "the same account";

        await([&](auto reply) { replaceSyncAccount("tasks.txt", withList(bob), store, [reply] { reply({}); }); });
        EXPECT_EQ(loadSyncAccount("tasks.txt"), withList(bob));
        EXPECT_EQ(await([&](auto reply) { store.read(key, reply); }).password.isEmpty(), !otherFileSyncsWithAda);
    }
}
