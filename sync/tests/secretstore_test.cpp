#include "sync/secretstore.h"

#include "sync/accountchange.h"

#include "os/tests/filetesting.h"

#include <QSettings>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

using Kind = SecretStore::Answer::Kind;

const QString password = u"s3cret – ü"_s;
const QString key = SecretStore::accountKey(QUrl(u"https://dav.example.org/ada/"_s), u"ada"_s);

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
    SecretStore store(u"taskwyn-test"_s), nextRun(u"taskwyn-test"_s);
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
    const SyncAccount ada{QUrl(u"https://dav.example.org/ada/"_s), QUrl(u"https://dav.example.org/ada/tasks/"_s),
                          u"ada"_s};
    const SyncAccount bob{QUrl(u"https://other.example.org/"_s), QUrl(u"https://other.example.org/tasks/"_s), u"bob"_s};
    for (const bool otherFileSyncsWithAda : {true, false}) {
        QSettings(u"taskwyn"_s, u"taskwyn"_s).clear();
        SecretStore store(u"taskwyn-test"_s);
        await([&](auto reply) { store.write(key, password, reply); });
        storeSyncAccount("tasks.txt", ada);
        if (otherFileSyncsWithAda)
            storeSyncAccount("other.txt", ada);
        await([&](auto reply) { replaceSyncAccount("tasks.txt", ada, store, [reply] { reply({}); }); });
        EXPECT_EQ(await([&](auto reply) { store.read(key, reply); }).password, password) << "the same account";
        await([&](auto reply) { replaceSyncAccount("tasks.txt", bob, store, [reply] { reply({}); }); });
        EXPECT_EQ(loadSyncAccount("tasks.txt"), bob);
        EXPECT_EQ(await([&](auto reply) { store.read(key, reply); }).password.isEmpty(), !otherFileSyncsWithAda);
    }
}
