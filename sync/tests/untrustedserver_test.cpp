#include "store/module1.h"
#include "store/tests/testsupport.h"
#include "sync/davaddress.h"
#include "sync/syncengine.h"
#include "sync/tests/jobtesting.h"
#include "sync/tests/scriptedserver.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;
using testsupport::task;
using Outcome = SyncResult::Outcome;

struct Misbehaviour
{
    const char* name;
    const char* mode;
    Outcome outcome;
    int tasksHere;         // of the twelve synced and the one added on the server
    bool ignores = false;  // the answers hold something that must not be taken in
    int waitMinutes = 0;   // asked for by a busy server
    bool agreed = false;   // the user agreed to removals
    bool shortRun = false; // the whole sync's deadline comes before any request's
};

class UntrustedServer : public ::testing::TestWithParam<Misbehaviour>
{
protected:
    SyncResult sync(DavSession& through, bool agreed = false)
    {
        SyncEngine engine(*here, &through, list, [](Module1& s) { return s.saveTasks().ok; });
        if (agreed)
            engine.agreeToRemovals();
        QSignalSpy finished(&engine, &SyncEngine::finished);
        engine.start();
        EXPECT_TRUE(finished.wait(60000)) << "the sync outlived its deadline";
        return engine.result();
    }
    void put(const char* path, const QByteArray& calendar)
    {
        PutJob job(&session, server.url(path), calendar, {});
        runJob(job);
    }
    // What the server must never have been able to make the program do.
    void expectNoHarm() const
    {
        EXPECT_EQ(server.trapped(), "") << "connected elsewhere";
        EXPECT_EQ(server.requests().find("X-Injected"), std::string::npos) << "a server's text in a header";
        EXPECT_EQ(server.requests().find("[\"DELETE\""), std::string::npos) << "removed on the server";
    }

    ScriptedServer server;
    DavSession session{DavAccount{server.url("/"), u"ada"_s, u"secret"_s}};
    TaskList list{server.url("/l/"), {}, {}, true};
    testsupport::ScratchFolder folder;
    std::unique_ptr<Module1> here = std::make_unique<Module1>(folder / "here.txt");
};

TEST_P(UntrustedServer, TakesInNothingUnsafeAndRemovesNothingUnasked)
{
    const Misbehaviour& row = GetParam();
    ASSERT_EQ(here->appendTasks(std::vector(12, task("T"))), 12);
    ASSERT_EQ(sync(session).outcome, Outcome::Synced);
    put("/l/new.ics", "BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\nUID:new\r\nSUMMARY:New\r\nEND:VTODO\r\nEND:VCALENDAR\r\n");

    server.setMode(row.mode);
    DavSession bounded(session.account());
    using std::chrono::seconds;
    bounded.setLimits({seconds(60), seconds(row.shortRun ? 60 : 1), seconds(row.shortRun ? 1 : 60), 40});
    const SyncResult result = sync(bounded, row.agreed);
    EXPECT_EQ(result.outcome, row.outcome) << result.detail.toStdString();
    EXPECT_EQ(here->taskCount, row.tasksHere);
    EXPECT_EQ(result.ignored > 0, row.ignores);
    const qint64 wait = result.retryAt.isValid() ? QDateTime::currentDateTime().secsTo(result.retryAt) : 0;
    EXPECT_NEAR(wait, row.waitMinutes * 60, 60);
    expectNoHarm();
}

INSTANTIATE_TEST_SUITE_P(
    Misbehaving, UntrustedServer,
    ::testing::Values(Misbehaviour{"HrefsElsewhere", "hrefs-elsewhere", Outcome::Synced, 13, true},
                      Misbehaviour{"EtagWithALineBreak", "etag-injection", Outcome::ServerFailed, 12},
                      Misbehaviour{"TokenWithALineBreak", "token-injection", Outcome::ServerFailed, 12},
                      Misbehaviour{"AllGoneButANewOne", "remove-all", Outcome::ManyRemoved, 12},
                      Misbehaviour{"AllGoneAgreed", "remove-all", Outcome::Synced, 1, false, 0, true},
                      Misbehaviour{"RedirectElsewhere", "redirect", Outcome::ServerFailed, 12},
                      Misbehaviour{"PagesWithoutProgress", "same-507", Outcome::ServerFailed, 12},
                      Misbehaviour{"PagesWithoutEnd", "fresh-507", Outcome::ServerFailed, 12},
                      Misbehaviour{"SlowDrip", "drip", Outcome::Offline, 12},
                      Misbehaviour{"BodyCutShort", "cut", Outcome::Offline, 12},
                      Misbehaviour{"NoAnswerAtAll", "hang", Outcome::ServerFailed, 12, false, 0, false, true},
                      Misbehaviour{"HugeItem", "huge-item", Outcome::Synced, 12, true},
                      Misbehaviour{"Busy", "busy:600", Outcome::Offline, 12, false, 10},
                      Misbehaviour{"BusyForADay", "busy:86400", Outcome::Offline, 12, false, 60}),
    testsupport::caseName<Misbehaviour>);

TEST_F(UntrustedServer, DiscoveryFollowsNoAddressElsewhere)
{
    for (const char* mode : {"home-elsewhere", "list-elsewhere"}) {
        server.setMode(mode);
        DiscoveryJob discovery(&session);
        runJob(discovery);
        EXPECT_TRUE(discovery.taskLists().isEmpty()) << mode;
        EXPECT_EQ(discovery.ignored(), 1) << mode;
    }
    expectNoHarm();
}

TEST_F(UntrustedServer, AUidTheFileCannotHoldStaysTheServers)
{
    put("/l/lb.ics", "BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\nUID:lb-1\\nsecond line\r\nSUMMARY:Two lines\r\nEND:VTODO\r\n"
                     "END:VCALENDAR\r\n");
    ASSERT_EQ(sync(session).outcome, Outcome::Synced);
    here = std::make_unique<Module1>(folder / "here.txt");
    ASSERT_TRUE(here->loadTasks().ok);
    here->taskList[0].title = "Edited";
    ASSERT_EQ(sync(session).outcome, Outcome::Synced);
    expectNoHarm();
    const std::string requests = server.requests();
    EXPECT_EQ(requests.rfind("[\"PUT\", \"/l/"), requests.rfind("[\"PUT\", \"/l/lb.ics\"")) << requests;
    const auto fetch = ranJob<MultigetJob>(&session, list.url, QList{server.url("/l/lb.ics")});
    ASSERT_EQ(fetch->items().size(), 1);
    for (const char* kept : {"UID:lb-1\\nsecond line", "SUMMARY:Edited"})
        EXPECT_TRUE(fetch->items().at(0).calendarData.contains(kept)) << kept;
}

// As an earlier version kept them: the task goes out again into the list instead of failing each sync.
TEST_F(UntrustedServer, AnItemElsewhereInTheStateIsSentIntoTheList)
{
    ASSERT_EQ(here->appendTasks(std::vector{task("T")}), 1);
    ASSERT_EQ(sync(session).outcome, Outcome::Synced);
    const SyncStateFiles files(here->taskFile());
    SyncState state = files.load().state;
    state.items[0].href = QUrl(u"file:///l/t.ics"_s);
    ASSERT_FALSE(files.save(state));
    here->taskList[0].title = "Edited";
    EXPECT_EQ(sync(session).outcome, Outcome::Synced);
    EXPECT_TRUE(isInside(files.load().state.items.at(0).href, list.url));
}

} // namespace
