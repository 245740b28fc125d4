#include "store/tests/filledstore.h"
#include "store/tests/testsupport.h"
#include "sync/accountsync.h"
#include "sync/secretstore.h"
#include "sync/syncengine.h"
#include "sync/tests/radicaleserver.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>
#include <QUuid>

#include <iostream>
#include <random>
#include <set>

namespace {

using namespace Qt::StringLiterals;
using testsupport::task;
using Outcome = SyncResult::Outcome;
using Change = std::function<void(Module1&)>;

// Each task as one line, sorted, so that two stores compare by content whatever their order.
std::multiset<std::string> contentOf(const Module1& store)
{
    std::multiset<std::string> lines;
    for (const TaskRecord& t : store.tasks())
        lines.insert(t.title + '|' + t.forWhom + '|' + std::to_string(t.year) + '|' + t.description + '|' +
                     (isRecycled(t) ? "recycled|" : "|") + t.uid);
    return lines;
}

class SyncEngineTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { server = new RadicaleServer; }
    static void TearDownTestSuite() { delete server; }

    template <typename Job> std::unique_ptr<Job> ran(std::unique_ptr<Job> job)
    {
        QSignalSpy finished(job.get(), &DavJob::finished);
        job->start();
        EXPECT_TRUE(finished.wait(20000));
        return job;
    }
    ServerChanges onServer(const QString& token = {})
    {
        return ran(std::make_unique<ChangesJob>(&session, list, token))->changes();
    }
    SyncResult sync(Module1& store, DavSession* through = nullptr, const std::function<void(int)>& onProgress = {})
    {
        SyncEngine engine(store, through ? through : &session, list, [](Module1& s) { return s.saveTasks().ok; });
        QObject::connect(&engine, &SyncEngine::progress, [&](int done) { onProgress ? onProgress(done) : void(); });
        QSignalSpy finished(&engine, &SyncEngine::finished);
        engine.start();
        EXPECT_TRUE(finished.wait(120000));
        return engine.result();
    }
    // Syncs until both sides have seen each other's changes, and checks that they and the server agree.
    void converge()
    {
        for (Module1* store : {here.get(), there.get(), here.get()})
            ASSERT_EQ(sync(*store).outcome, Outcome::Synced);
        EXPECT_EQ(contentOf(*here), contentOf(*there));
        EXPECT_EQ(onServer().changed.size(), here->taskCount);
    }

    static inline RadicaleServer* server = nullptr;
    DavSession session{DavAccount{server->root(), RadicaleServer::user, RadicaleServer::password}};
    TaskList list =
        ran(std::make_unique<MakeTaskListJob>(&session, server->home(), QUuid::createUuid().toString()))->created();
    testsupport::ScratchFolder folder;
    std::unique_ptr<Module1> here = std::make_unique<Module1>(folder / "here.txt");
    std::unique_ptr<Module1> there = std::make_unique<Module1>(folder / "there.txt");
};

TEST_F(SyncEngineTest, TwoFilesConvergeAfterEveryKindOfChangeOnEitherSide)
{
    for (auto [a, b] : {std::pair(here.get(), there.get()), std::pair(there.get(), here.get())}) {
        const std::vector<Change> steps = {
            [](Module1& s) {
                ASSERT_EQ(s.appendTasks(std::vector{task("A"), task("B"), task("C")}), 3);
            },
            [](Module1& s) { s.taskList[0].title += " edited"; },
            [](Module1& s) { s.taskList[1].deleted = recycledMark; },
            [](Module1& s) { s.taskList[1].deleted = restoredMark; },
            [](Module1& s) { s.removeTask(2); },
        };
        for (std::size_t step = 0; step < steps.size(); ++step) {
            steps[step](step % 2 ? *b : *a);
            converge();
        }
    }
    EXPECT_EQ(here->taskCount, 4);
}

struct Race
{
    const char* name;
    Change here;
    Change there;
    std::multiset<std::string> titles;
    int doubled = 0;
    int removedHere = 0;
    bool stale = false; // there's change lands after here asked for changes: here sends with the ETag it knew
};

class SyncRace : public SyncEngineTest, public ::testing::WithParamInterface<Race>
{
};

TEST_P(SyncRace, KeepsEveryChange)
{
    // A second task, as a list that a deletion empties is a case of its own.
    ASSERT_EQ(here->appendTasks(std::vector{task("Base"), task("Other")}), 2);
    converge();
    for (Module1* store : {here.get(), there.get()}) {
        store->sortKey = SortKey::titleAscending;
        store->sortTasks(); // "Base" first
    }
    GetParam().here(*here);
    GetParam().there(*there);
    ASSERT_EQ(sync(*there).outcome, Outcome::Synced);
    if (GetParam().stale) {
        const SyncStateFiles files(here->taskFile());
        SyncState state = files.load().state;
        state.syncToken = onServer(state.syncToken).syncToken;
        ASSERT_FALSE(files.save(state));
    }
    const SyncResult merged = sync(*here);
    converge();
    std::multiset<std::string> titles;
    for (const TaskRecord& t : here->tasks())
        titles.insert(t.title + (t.forWhom.empty() ? "" : " for " + t.forWhom) +
                      (t.description.empty() ? "" : " / " + t.description));
    titles.erase("Other");
    EXPECT_EQ(titles, GetParam().titles);
    EXPECT_EQ(merged.doubled, GetParam().doubled);
    EXPECT_EQ(merged.removedHere.size(), GetParam().removedHere);
}

const auto retitle = [](std::string title) { return [title](Module1& s) { s.taskList[0].title = title; }; };
const Change forBob = [](Module1& s) { s.taskList[0].forWhom = "Bob"; };
const Change removeFirst = [](Module1& s) { s.removeTask(0); };
const Change describe = [](Module1& s) { s.taskList[0].description = "Mine"; };
const Change nothing = [](Module1&) {};

INSTANTIATE_TEST_SUITE_P(
    Merging, SyncRace,
    ::testing::Values(
        Race{"SameFieldGivesTwoTasks", retitle("Mine"), retitle("Theirs"), {"Mine", "Theirs"}, 1},
        Race{"OtherFieldsMerge", retitle("Mine"), forBob, {"Mine for Bob"}},
        Race{"ChangeHereBeatsDeletionThere", retitle("Mine"), removeFirst, {"Mine"}},
        Race{"ChangeThereBeatsDeletionHere", removeFirst, retitle("Theirs"), {"Theirs"}},
        Race{"DeletionThereRemovesUnchanged", nothing, removeFirst, {}, 0, 1},
        Race{"StaleVersionIsFetchedAndMerged", describe, retitle("Theirs"), {"Theirs / Mine"}, 0, 0, true}),
    testsupport::caseName<Race>);

TEST_F(SyncEngineTest, ServerHangingOrStoppedMidSyncLosesNothing)
{
    DavSession impatient(session.account());
    impatient.setTransferTimeout(std::chrono::milliseconds(500));
    const std::pair<std::function<void()>, std::function<void()>> cuts[] = {
        {[] { server->pause(); }, [] { server->resume(); }}, {[] { server->stop(); }, [] { server->start(); }}};
    for (const auto& [cut, restore] : cuts) {
        ASSERT_EQ(here->appendTasks(std::vector(40, task("T"))), 40);
        const SyncResult cutShort = sync(*here, &impatient, [&cut = cut](int done) { done == 20 ? cut() : void(); });
        restore();
        EXPECT_EQ(cutShort.outcome, Outcome::Offline);
        converge();
    }
    EXPECT_EQ(here->taskCount, 80);
}

TEST_F(SyncEngineTest, CancelOrDestructionAtAnyPointLosesNothing)
{
    ASSERT_EQ(here->appendTasks(std::vector(30, task("T"))), 30);
    for (int turns = 0; turns < 16; ++turns) {
        auto engine = std::make_unique<SyncEngine>(*here, &session, list, [](Module1& s) { return s.saveTasks().ok; });
        QSignalSpy finished(engine.get(), &SyncEngine::finished);
        engine->start();
        for (int turn = 0; turn < turns * 4; ++turn)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (turns % 2 == 0) { // else destroyed with a worker or a request running
            engine->cancel();
            ASSERT_TRUE(finished.count() == 1 || finished.wait(20000));
            EXPECT_TRUE(engine->result().outcome == Outcome::Cancelled || engine->result().outcome == Outcome::Synced);
        }
    }
    converge();
    EXPECT_EQ(here->taskCount, 30);
}

TEST_F(SyncEngineTest, RefusedPasswordOrEmptiedListChangesNothing)
{
    ASSERT_EQ(here->appendTasks(std::vector{task("A"), task("B")}), 2);
    converge();
    const std::filesystem::path state = SyncStateFiles(here->taskFile()).folder() / "items.json";
    const std::string before = testsupport::readBytes(state);
    here->taskList[0].title = "Changed";
    DavSession wrong(DavAccount{server->root(), RadicaleServer::user, u"wrong"_s});
    EXPECT_EQ(sync(*here, &wrong).outcome, Outcome::PasswordRefused);
    for (const ItemVersion& item : onServer().changed)
        ran(std::make_unique<DeleteJob>(&session, item.href, item.etag));
    EXPECT_EQ(sync(*here).outcome, Outcome::ListEmptied);
    EXPECT_EQ(testsupport::readBytes(state), before);
    EXPECT_EQ(here->taskCount, 2);
}

// The window and the command line start from what the set-up kept: an account, then its password.
TEST_F(SyncEngineTest, AccountSyncNeedsTheKeptAccountAndPassword)
{
    SecretStore secrets(u"taskwyn-test"_s);
    const auto syncKept = [&] {
        AccountSync sync(*here, secrets, [](Module1& s) { return s.saveTasks().ok; });
        QSignalSpy finished(&sync, &AccountSync::finished);
        sync.start();
        EXPECT_TRUE(finished.wait(60000));
        return sync.result().outcome;
    };
    ASSERT_EQ(here->appendTasks(std::vector{task("A")}), 1);
    EXPECT_EQ(syncKept(), Outcome::NotSetUp);
    storeSyncAccount(here->taskFile(), {server->root(), list.url, RadicaleServer::user, list.offersSyncCollection});
    EXPECT_EQ(syncKept(), Outcome::NoPassword);
    bool held = false;
    secrets.write(SecretStore::accountKey(server->root(), RadicaleServer::user), RadicaleServer::password,
                  [&held](const SecretStore::Answer&) { held = true; });
    EXPECT_TRUE(QTest::qWaitFor([&held] { return held; }));
    EXPECT_EQ(syncKept(), Outcome::Synced);
    EXPECT_EQ(onServer().changed.size(), 1);
}

TEST_F(SyncEngineTest, OtherClientsPropertiesSurviveAnEditHere)
{
    ASSERT_TRUE(server->runOtherClient(
        u"client.calendar(url='%1').save_todo(ical=sys.argv[4])"_s.arg(list.url.toString()),
        u"BEGIN:VCALENDAR\nVERSION:2.0\nPRODID:-//other//EN\nBEGIN:VTODO\nUID:other-1\nDTSTAMP:20260101T000000Z\n"
        "SUMMARY:x\nRRULE:FREQ=WEEKLY\nPRIORITY:1\nCATEGORIES:home,garden\nX-OTHER-APP:kept\nBEGIN:VALARM\n"
        "ACTION:DISPLAY\nTRIGGER:-PT15M\nDESCRIPTION:x\nEND:VALARM\nEND:VTODO\nEND:VCALENDAR\n"_s));
    ASSERT_EQ(sync(*here).outcome, Outcome::Synced);
    here->taskList[0].title = "Edited here";
    ASSERT_EQ(sync(*here).outcome, Outcome::Synced);
    const auto fetch = ran(std::make_unique<MultigetJob>(&session, list.url, QList{onServer().changed.at(0).href}));
    for (const char* kept : {"SUMMARY:Edited here", "RRULE:FREQ=WEEKLY", "PRIORITY:1", "CATEGORIES:garden",
                             "X-OTHER-APP:kept", "TRIGGER:-PT15M"})
        EXPECT_TRUE(fetch->items().at(0).calendarData.contains(kept)) << kept;
}

TEST_F(SyncEngineTest, RandomEditsOnBothSidesEndInAgreement)
{
    const unsigned seed = std::random_device{}();
    std::cout << "seed " << seed << std::endl;
    std::mt19937 random(seed);
    std::set<std::string> kept; // added and never deleted for good: must be on both sides at the end
    for (int step = 0; step < 240; ++step) {
        Module1& side = random() % 2 ? *here : *there;
        TaskRecord& t = side.taskList[side.taskCount ? random() % static_cast<unsigned>(side.taskCount) : 0];
        const std::string name = "n" + std::to_string(step);
        switch (side.taskCount < 4 ? 0 : random() % 6) { // never deleting the last few, which empties the list
        case 0:
            kept.insert(name);
            ASSERT_EQ(side.appendTasks(std::vector{task(name)}), 1);
            break;
        case 1:
            t.title += '+';
            break;
        case 2:
            t.forWhom = name;
            break;
        case 3:
            t.deleted = isRecycled(t) ? restoredMark : recycledMark;
            break;
        case 4:
            kept.erase(t.title.substr(0, t.title.find('+')));
            side.removeTask(static_cast<std::int16_t>(&t - side.taskList.data()));
            break;
        default:
            ASSERT_EQ(sync(side).outcome, Outcome::Synced);
        }
    }
    converge();
    std::set<std::string> roots, distinct;
    for (const TaskRecord& t : here->tasks()) {
        roots.insert(t.title.substr(0, t.title.find('+')));
        distinct.insert(t.title + '|' + t.forWhom + '|' + t.deleted);
    }
    EXPECT_TRUE(std::includes(roots.begin(), roots.end(), kept.begin(), kept.end()));
    EXPECT_EQ(distinct.size(), here->taskCount) << "a task came in twice";
}

} // namespace
