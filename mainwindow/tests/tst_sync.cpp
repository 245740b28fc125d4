#include "commands/syncmessages.h"
#include "mainwindow/tests/commandtesting.h"
#include "sync/davsession.h"
#include "sync/syncaccount.h"
#include "sync/syncengine.h"
#include "sync/tests/radicaleserver.h"
#include "widgets/translations.h"

#include <QDateTime>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

// A new task list on `server` that tasks.txt syncs with, from the start.
TaskList syncedList(const RadicaleServer& server, DavSession& session)
{
    MakeTaskListJob making(&session, server.home(), u"Chores"_s);
    QSignalSpy made(&making, &DavJob::finished);
    making.start();
    if (!made.wait(20000))
        return {};
    storeSyncAccount("tasks.txt", {server.root(), making.created().url, RadicaleServer::user});
    std::filesystem::remove_all(SyncStateFiles("tasks.txt").folder()); // of an earlier run's list
    return making.created();
}

// Answers the password dialog with `password`, or cancels it if that is empty.
auto typedPassword(const QString& password)
{
    return [password](QWidget& dialog) {
        typeText(*dialog.findChild<QLineEdit*>(), password);
        QTest::keyClick(&dialog, password.isEmpty() ? Qt::Key_Escape : Qt::Key_Return);
    };
}

} // namespace

// The window syncs its task file with a real CalDAV server: at start, asking for the password the
// secret store lacks, on F5 and after a save; what the server removed comes back with Undo.
class SyncTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        pinNow(LocalTime{testToday, (14 * 60 + 2) * 60 * 1000});
        QCoreApplication::setApplicationName(u"Taskwyn"_s);
        installTranslations(*QCoreApplication::instance());
    }
    void cleanup() { QCOMPARE(QApplication::topLevelWidgets().size(), 0); }

    void windowSyncsAndUndoesServerRemovals()
    {
        RadicaleServer server;
        DavSession session(DavAccount{server.root(), RadicaleServer::user, RadicaleServer::password});
        const TaskList list = syncedList(server, session);
        // Another device with the same task list.
        testsupport::ScratchFolder folder;
        Module1 there(folder / "there.txt");
        const auto syncThere = [&] {
            SyncEngine engine(there, &session, list, [](Module1& store) { return store.saveTasks().ok; });
            QSignalSpy finished(&engine, &SyncEngine::finished);
            engine.start();
            return finished.wait(20000) && engine.result().outcome == SyncResult::Outcome::Synced;
        };
        const auto alphaThere = [&there] { return std::ranges::find(there.tasks(), "Alpha", &TaskRecord::title); };

        // The password is asked for at start, once more when refused, and after a Cancel only on Sync Now.
        ModalScript script;
        script.then(typedPassword(u"wrong"_s)).then(typedPassword({})).then(typedPassword(RadicaleServer::password));
        auto&& [store, w] = WindowWith({{"Alpha", 1}, {"Bravo", 2}}, Shown::exposed);
        const QToolButton& status = control<QToolButton>(w, "syncStatus");
        SyncResult failed;
        failed.outcome = SyncResult::Outcome::PasswordRefused;
        const QDateTime at = QDateTime::fromSecsSinceEpoch(epochSeconds(now()));
        QTRY_COMPARE_WITH_TIMEOUT(status.text(), syncStatusText(failed, at), 20000);
        QTRY_COMPARE(script.seen().size(), 2);
        menuItem(w, "menu_syncnow").trigger();
        QTRY_VERIFY_WITH_TIMEOUT(status.text().startsWith(u"Synced"_s), 20000);
        QVERIFY2(script.problems().isEmpty(), qPrintable(script.problems()));

        QVERIFY(syncThere());
        there.removeTask(static_cast<std::int16_t>(alphaThere() - there.tasks().begin()));
        there.taskList[static_cast<std::size_t>(*there.appendEmptyTask())] = taskFrom({"Charlie", 3});
        QVERIFY(syncThere());
        menuItem(w, "menu_syncnow").trigger();
        QTRY_COMPARE_WITH_TIMEOUT(rowCaptions(lblTitle(w)), (QStringList{u"Bravo"_s, u"Charlie"_s}), 20000);

        // Undone, the removal is saved, and the sync after the save sends the task again.
        QTRY_VERIFY(menuItem(w, "menu_undo").text().contains(u"Sync Removal of 1 Task"_s));
        menuItem(w, "menu_undo").trigger();
        QCOMPARE(rowCaptions(lblTitle(w)), (QStringList{u"Alpha"_s, u"Bravo"_s, u"Charlie"_s}));
        QTRY_VERIFY_WITH_TIMEOUT(syncThere() && alphaThere() != there.tasks().end(), 20000);

        server.stop();
        showActive(w);
        QTest::keyClick(&w, Qt::Key_F5);
        failed.outcome = SyncResult::Outcome::Offline;
        QTRY_COMPARE_WITH_TIMEOUT(status.text(), syncStatusText(failed, at), 20000);
    }

    // A weekly task from another client, done here for this time twice, is read back there as the
    // same open series, due two weeks on.
    void repeatingTaskMovesOnForOtherClients()
    {
        RadicaleServer server;
        DavSession session(DavAccount{server.root(), RadicaleServer::user, RadicaleServer::password});
        const QString list = syncedList(server, session).url.toString();
        QVERIFY(server.runOtherClient(
            u"client.calendar(url='%1').save_todo(ical=sys.argv[4])"_s.arg(list),
            u"BEGIN:VCALENDAR\nVERSION:2.0\nPRODID:-//other//EN\nBEGIN:VTODO\nUID:bins\nDTSTAMP:20240301T000000Z\n"
            "SUMMARY:Bins\nDTSTART:20240318T060000\nDUE:20240318T070000\nRRULE:FREQ=WEEKLY;BYDAY=MO\n"
            "CATEGORIES:home\nEND:VTODO\nEND:VCALENDAR\n"_s));

        ModalScript script;
        script.then(typedPassword(RadicaleServer::password));
        auto&& [store, w] = WindowWith({}, Shown::exposed);
        const QToolButton& status = control<QToolButton>(w, "syncStatus");
        QTRY_COMPARE_WITH_TIMEOUT(rowCaptions(lblTitle(w)), QStringList{u"Bins \u21BB"_s}, 20000);
        const auto deleteAnswering = [&](const QString& answer) {
            w.highlight(1);
            script.then(pressButton(answer));
            menuItem(w, "menu_delete").trigger();
        };
        for (int time = 0; time < 2; ++time) {
            QTRY_VERIFY_WITH_TIMEOUT(status.text().startsWith(u"Synced"_s), 20000);
            deleteAnswering(u"Done for this time"_s);
            menuItem(w, "menu_syncnow").trigger();
            QTRY_VERIFY_WITH_TIMEOUT(status.text().startsWith(u"Synced"_s), 20000);
        }
        QVERIFY2(script.problems().isEmpty(), qPrintable(script.problems()));
        QVERIFY(rowCaptions(lblDue(w)).value(0).startsWith(u"April 01/24"_s));
        QVERIFY(server.runOtherClient(u"todos = client.calendar(url='%1').todos()\n"
                                      "assert len(todos) == 1, todos\n"
                                      "data = todos[0].data\n"
                                      "for line in ['DUE:20240401T070000', 'DTSTART:20240401T060000',\n"
                                      "             'RRULE:FREQ=WEEKLY;BYDAY=MO', 'CATEGORIES:home']:\n"
                                      "    assert line in data, (line, data)\n"
                                      "assert 'COMPLETED' not in data, data\n"_s.arg(list)));

        // The rule shows above the description; Undo takes each step back, the whole series' too.
        w.highlight(1);
        QCOMPARE(control<QPlainTextEdit>(w, "txtDescription").toPlainText(), u"Repeats every week on Monday"_s);
        QCOMPARE(menuItem(w, "menu_undo").text(), u"&Undo Done for This Time “Bins”"_s);
        menuItem(w, "menu_undo").trigger();
        menuItem(w, "menu_undo").trigger();
        QVERIFY(rowCaptions(lblDue(w)).value(0).startsWith(u"March 18/24"_s));
        deleteAnswering(u"Recycle the whole series"_s);
        QVERIFY(isRecycled(store.taskList[0]));
        menuItem(w, "menu_undo").trigger();
        QVERIFY(!isRecycled(store.taskList[0]));
        QVERIFY2(script.problems().isEmpty(), qPrintable(script.problems()));
    }
};

QTEST_MAIN(SyncTest)
#include "tst_sync.moc"
