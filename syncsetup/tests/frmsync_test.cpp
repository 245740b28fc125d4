#include "commands/syncmessages.h"
#include "sync/secretstore.h"
#include "sync/syncstate.h"
#include "sync/tests/radicaleserver.h"
#include "syncsetup/frmsync.h"
#include "widgets/tests/dialogtesting.h"

#include <QLabel>
#include <QListWidget>
#include <QSettings>

using namespace Qt::StringLiterals;

namespace {

const bool withSecretService = std::getenv("TASKWYN_TEST_SECRET_SERVICE") != nullptr;

// Fills the dialog in as the user would and presses Find; returns once the search has ended.
void findTaskLists(frmSync& dialog, const QString& server, const QString& password)
{
    for (auto [box, text] : {std::pair{"txtServer", server}, std::pair{"txtUser", RadicaleServer::user},
                             std::pair{"txtPassword", password}})
        retype(control<QLineEdit>(dialog, box), text);
    QTest::mouseClick(&control<QPushButton>(dialog, "cmdFind"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(control<QPushButton>(dialog, "cmdFind").text() == u"&Find Task Lists"_s, 20000);
}

QStringList listedNames(const frmSync& dialog)
{
    QStringList names;
    for (const QListWidgetItem* item : control<QListWidget>(dialog, "lstTaskLists").findItems({}, Qt::MatchContains))
        names.append(item->text());
    return names;
}

} // namespace

class FrmSyncTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        DavSession session(DavAccount{server.root(), RadicaleServer::user, RadicaleServer::password});
        for (auto [name, component] : {std::pair{u"events"_s, u"VEVENT"_s}, std::pair{u"chores"_s, u"VTODO"_s}}) {
            const QString body = u"<c:mkcalendar xmlns:d='DAV:' xmlns:c='urn:ietf:params:xml:ns:caldav'><d:set><d:prop>"
                                 "<d:displayname>%1</d:displayname><c:supported-calendar-component-set><c:comp "
                                 "name='%2'/></c:supported-calendar-component-set></d:prop></d:set></c:mkcalendar>"_s;
            QNetworkReply* made = session.send("MKCALENDAR", server.home().resolved(QUrl(name + u'/')), {},
                                               body.arg(name, component).toUtf8());
            QTRY_VERIFY_WITH_TIMEOUT(made->isFinished(), 20000);
        }
    }
    void init()
    {
        QSettings(u"taskwyn"_s, u"taskwyn"_s).clear();
        testsupport::writeBytes(taskFile, "kept as it is\r\n");
    }

    void findsOnlyTaskListsCreatesOneAndKeepsTheAccount()
    {
        frmSync dialog(taskFile, secrets, nullptr);
        dialog.show();
        QVERIFY(!control<QPushButton>(dialog, "cmdStopSyncing").isVisible());
        findTaskLists(dialog, server.root().toString(), RadicaleServer::password);
        QCOMPARE(listedNames(dialog), QStringList{u"chores"_s});

        QTest::mouseClick(&control<QPushButton>(dialog, "cmdCreate"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(listedNames(dialog), (QStringList{u"chores"_s, u"Taskwyn"_s}), 20000);
        ModalScript script;
        control<QListWidget>(dialog, "lstTaskLists").setCurrentRow(0);
        script.then(clickBoxButton(QMessageBox::Yes)); // a second "Taskwyn"? No: that one
        QTest::mouseClick(&control<QPushButton>(dialog, "cmdCreate"), Qt::LeftButton);
        QCOMPARE(control<QListWidget>(dialog, "lstTaskLists").currentRow(), 1);
        if (!withSecretService)
            script.then(clickBoxButton(QMessageBox::Ok));
        QTest::mouseClick(&control<QPushButton>(dialog, "cmdOk"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(dialog.result(), int(QDialog::Accepted), 20000);
        QVERIFY2(script.problems().isEmpty(), qPrintable(script.problems()));

        const auto account = loadSyncAccount(taskFile);
        QVERIFY(account);
        QCOMPARE(account->server, server.root());
        QCOMPARE(account->user, RadicaleServer::user);
        QVERIFY(account->taskList.path().startsWith(server.home().path()));
        QVERIFY(account->taskList.path() != server.home().path() + u"chores/"_s);
        frmSync reopened(taskFile, secrets, nullptr);
        QCOMPARE(listedNames(reopened), QStringList{u"Taskwyn"_s});

        // Without a store the password is held for this run only, by the same store.
        std::optional<SecretStore::Answer> stored;
        secrets.read(SecretStore::accountKey(account->server, account->user),
                     [&stored](const SecretStore::Answer& answer) { stored = answer; });
        QTRY_VERIFY_WITH_TIMEOUT(stored.has_value(), 20000);
        QCOMPARE(stored->password, RadicaleServer::password);
        QCOMPARE(stored->kept, withSecretService);
        std::error_code noFolder; // a folder nothing was written to holds no password
        for (const char* userFolder : {"XDG_CONFIG_HOME", "XDG_STATE_HOME"})
            for (const auto& entry : std::filesystem::recursive_directory_iterator(std::getenv(userFolder), noFolder))
                QVERIFY2(!entry.is_regular_file() || !testsupport::contains(testsupport::readBytes(entry.path()),
                                                                            RadicaleServer::password.toStdString()),
                         entry.path().c_str());
    }

    void refusesWithAMessageAndKeepsNothing_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("message");
        QTest::newRow("wrong password") << server.root().toString() << u"wrong"_s
                                        << davOutcomeText(DavJob::Outcome::PasswordRefused, {});
        QTest::newRow("http to another machine") << u"http://dav.example.org/"_s << RadicaleServer::password
                                                 << davOutcomeText(DavJob::Outcome::RefusedAddress, {});
    }
    void refusesWithAMessageAndKeepsNothing()
    {
        QFETCH(QString, address);
        QFETCH(QString, password);
        QFETCH(QString, message);
        frmSync dialog(taskFile, secrets, nullptr);
        dialog.show();
        findTaskLists(dialog, address, password);
        QCOMPARE(control<QLabel>(dialog, "lblStatus").text(), message);
        QVERIFY(listedNames(dialog).isEmpty());
        QVERIFY(!control<QPushButton>(dialog, "cmdOk").isEnabled());
        QVERIFY(!loadSyncAccount(taskFile));
    }

    void stopSyncingForgetsTheAccountAndTheStateOnly()
    {
        const SyncAccount account{server.root(), server.home().resolved(QUrl(u"chores/"_s)), RadicaleServer::user};
        storeSyncAccount(taskFile, account);
        const SyncStateFiles state(taskFile);
        QVERIFY(!state.save(SyncState{account.taskList, u"token"_s, {}}));
        frmSync dialog(taskFile, secrets, nullptr);
        dialog.show();
        QCOMPARE(listedNames(dialog), QStringList{account.taskList.path()}); // kept before its name was

        ModalScript script;
        script.then(clickBoxButton(QMessageBox::Yes));
        QTest::mouseClick(&control<QPushButton>(dialog, "cmdStopSyncing"), Qt::LeftButton);
        QVERIFY2(script.problems().isEmpty(), qPrintable(script.problems()));
        QCOMPARE(dialog.result(), frmSync::Stopped);
        QVERIFY(!loadSyncAccount(taskFile));
        QVERIFY(!std::filesystem::exists(state.folder()));
        QCOMPARE(testsupport::readBytes(taskFile), std::string("kept as it is\r\n"));
    }

private:
    RadicaleServer server;
    QTemporaryDir folder;
    SecretStore secrets{u"taskwyn-test"_s};
    const std::filesystem::path taskFile = folder.filePath(u"tasks.txt"_s).toStdString();
};

QTEST_MAIN(FrmSyncTest)
#include "frmsync_test.moc"
