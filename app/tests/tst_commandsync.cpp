// `taskwyn --sync-setup` and `--sync`, the real program against a real server and secret store
// (run in a private D-Bus session by keyring-session.sh), and a window that is asked to sync.
#include "app/commandsync.h"
#include "store/module1.h"
#include "sync/accountsync.h"
#include "sync/secretstore.h"
#include "sync/tests/radicaleserver.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QSettings>
#include <QTest>

using namespace Qt::StringLiterals;

class CommandSyncTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!std::getenv("TASKWYN_TEST_SECRET_SERVICE"))
            QSKIP("needs the secret store of keyring-session.sh");
        // Under /tmp: a socket's path has room for little more than 100 characters.
        QVERIFY(runtime_.isValid());
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime_.path()));
        // Nothing kept from an earlier run, whose server is gone.
        QSettings(u"taskwyn"_s, u"taskwyn"_s).clear();
        std::filesystem::remove_all(qEnvironmentVariable("XDG_STATE_HOME").toStdString());
        testsupport::writeBytes(taskFile_.toStdString(), "ttl=Alpha\r\nact=addtask\r\n");
        server_ = std::make_unique<RadicaleServer>();
        DavSession session(DavAccount{server_->root(), RadicaleServer::user, RadicaleServer::password});
        for (const QString& name : {u"chores"_s, u"errands"_s}) {
            QNetworkReply* made = session.send("MKCALENDAR", list(name), {}, {});
            QTRY_VERIFY_WITH_TIMEOUT(made->isFinished(), 20000);
        }
    }

    void setUpRefusedKeepsNothing_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("bus");
        QTest::addColumn<QString>("message");
        const QString bus = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
        const QString chores = list(u"chores"_s).toString();
        QTest::newRow("several lists") << server_->root().toString() << RadicaleServer::password << bus
                                       << u"the one to sync with:\n  %1  "_s.arg(chores);
        QTest::newRow("wrong password") << chores << u"wrong"_s << bus << u"refused the user name or the password"_s;
        QTest::newRow("no secret store") << chores << RadicaleServer::password << u"unix:path=/nowhere"_s
                                         << u"The password cannot be kept"_s;
    }

    void setUpRefusedKeepsNothing()
    {
        QFETCH(QString, address);
        QFETCH(QString, password);
        QFETCH(QString, bus);
        QFETCH(QString, message);
        run({u"--sync-setup"_s, address, RadicaleServer::user}, 1, message, password, bus);
        QVERIFY(!loadSyncAccount(taskFile_.toStdString()));
        run({u"--sync"_s}, 1, {});
    }

    void setUpThenSyncSendsTheTasks()
    {
        run({u"--sync-setup"_s, list(u"chores"_s).toString(), RadicaleServer::user}, 0, u" syncs with "_s);
        run({u"--sync"_s}, 0, u"1 task sent"_s);
        QVERIFY(server_->runOtherClient(
            u"assert any('SUMMARY:Alpha' in todo.data for todo in client.calendar(url=sys.argv[4]).todos())"_s,
            list(u"chores"_s).toString()));
    }

    void windowHoldingTheFileSyncsForTheCommand()
    {
        Module1 store(taskFile_.toStdString());
        QVERIFY(store.loadTasks().ok);
        store.taskList[0].title = "Alpha edited";
        QVERIFY(store.saveTasks().ok);
        SecretStore secrets(passwordService);
        SingleInstance window(taskFile_.toStdString());
        QCOMPARE(window.claim(), SingleInstance::Claim::Claimed);
        connect(&window, &SingleInstance::syncRequested, this, [&](const SingleInstance::SyncReply& reply) {
            answerSyncRequest(
                [&](SyncDone done) {
                    auto* sync = new AccountSync(
                        store, secrets, [](Module1& s) { return s.saveTasks().ok; }, this);
                    connect(sync, &AccountSync::finished, this, [sync, done] { done(sync->result()); });
                    sync->start();
                },
                reply);
        });
        run({u"--sync"_s}, 0, u"1 task"_s);

        // A window of an older Taskwyn closes the connection to a request it does not know.
        window.disconnect(this);
        QLocalServer::removeServer(window.serverName());
        QLocalServer older;
        QVERIFY(older.listen(window.serverName()));
        connect(&older, &QLocalServer::newConnection, this, [&older] { older.nextPendingConnection()->close(); });
        run({u"--sync"_s}, 1, u"did not answer"_s);
    }

private:
    // Runs the program, `password` on its standard input; it must end with `status` and say `said`.
    void run(const QStringList& arguments, int status, const QString& said,
             const QString& password = RadicaleServer::password,
             const QString& bus = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS"))
    {
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, bus);
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(TASKWYN_PROGRAM), arguments + QStringList{taskFile_});
        program.write((password + u'\n').toUtf8());
        program.closeWriteChannel();
        // The event loop runs meanwhile, for a window in this process that is asked to sync.
        [&program] { QTRY_VERIFY_WITH_TIMEOUT(program.state() == QProcess::NotRunning, 60000); }();
        const QString output = QString::fromUtf8(program.readAllStandardOutput() + program.readAllStandardError());
        QVERIFY2(program.exitCode() == status && output.contains(said), qPrintable(output));
    }
    QUrl list(const QString& name) const { return server_->home().resolved(QUrl(name + u'/')); }

    std::unique_ptr<RadicaleServer> server_;
    QTemporaryDir runtime_{QDir::tempPath() + u"/run-XXXXXX"_s};
    const QString taskFile_ = QDir::current().filePath(u"tasks.txt"_s);
};

QTEST_MAIN(CommandSyncTest)
#include "tst_commandsync.moc"
