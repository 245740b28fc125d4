#include "notify/tests/fakenotificationservice.h"

#include "mainwindow/tests/commandtesting.h"
#include "os/tests/filetesting.h"
#include "os/xdgdirs.h"
#include "store/popups.h"

#include <QAction>
#include <QApplication>
#include <QRegularExpression>
#include <QSettings>
#include <QSystemTrayIcon>
#include <QTimer>

#include <filesystem>
#include <memory>

// The calls Taskwyn makes to a notification service on a real (private) session bus, and what
// the user's answers to them do.
class NotificationsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup() { QCOMPARE(QApplication::topLevelWidgets().size(), 0); }

    void oncePerTaskAndDay_data();
    void oncePerTaskAndDay();
    void manyAtOnceEndInOne();
    void clickBringsUpTheAttentionView();
    void noServiceNoError();
    void optionTurnsNotificationsOff();
    void trayCountsAndLeadsToAttention();

private:
    std::unique_ptr<PrivateSessionBus> bus_;
    std::unique_ptr<FakeNotificationService> service_;
};

namespace {

// Alpha and Bravo (for nobody in particular) come under the popup rule; Zulu is recycled, Plain
// comes only under a rule without popup, Far under none, and Someday has no date to be late on.
const std::vector<TaskSpec> reminderTasks{{"Alpha", 3, "N", {}, "Sam & co"},
                                          {"Bravo", -4, "N", {}, ""},
                                          {"Zulu", 1, "Y"},
                                          {"Plain", 20},
                                          {"Far", 30},
                                          {"Someday", noDueDate}};

bool writeReminderTasks()
{
    Module1 store;
    for (const TaskSpec& given : reminderTasks)
        store.taskList[static_cast<std::size_t>(store.taskCount++)] = taskFrom(given);
    store.ruleList[0] = {7, "d", 0x0000FF, popupOn};
    store.ruleList[1] = {25, "d", 0xFF0000, 0};
    store.ruleCount = 2;
    return saveAsNewTaskFile(store);
}

std::filesystem::path sentRecord()
{
    return stateHome() / "taskwyn" / "notified";
}

QStringList summaries(const QList<NotifyCall>& calls)
{
    QStringList titles;
    for (const NotifyCall& call : calls)
        titles << call.summary;
    return titles;
}

bool roundTrip()
{
    return FakeNotificationService::roundTrip(QDBusConnection::sessionBus());
}

} // namespace

void NotificationsTest::initTestCase()
{
    QCoreApplication::setApplicationName(u"Taskwyn"_s);
    bus_ = std::make_unique<PrivateSessionBus>();
    QVERIFY2(!bus_->address().isEmpty(), "dbus-daemon did not start");
    // Before anything opens the session bus.
    qputenv("DBUS_SESSION_BUS_ADDRESS", bus_->address().toUtf8());
    service_ = std::make_unique<FakeNotificationService>(bus_->address());
    pinToday(testToday);
}

void NotificationsTest::init()
{
    QVERIFY(writeReminderTasks());
    service_->calls.clear();
    service_->capabilities = QStringList{u"body"_s, u"actions"_s};
    QVERIFY(service_->start());
    std::filesystem::remove(sentRecord());
    QSettings(u"taskwyn"_s, u"taskwyn"_s).clear();
}

void NotificationsTest::oncePerTaskAndDay_data()
{
    QTest::addColumn<bool>("markup");
    QTest::addColumn<QString>("alphaFor");
    QTest::newRow("plain text") << false << u"For: Sam & co"_s;
    QTest::newRow("markup: texts escaped") << true << u"For: Sam &amp; co"_s;
}

void NotificationsTest::oncePerTaskAndDay()
{
    QFETCH(bool, markup);
    QFETCH(QString, alphaFor);
    if (markup)
        service_->capabilities << u"body-markup"_s;
    {
        Module1 store;
        frmMain w(store);
        QTRY_COMPARE(summaries(service_->calls), (QStringList{u"Bravo"_s, u"Alpha"_s}));
        const NotifyCall& alpha = service_->calls[1];
        QCOMPARE(alpha.appName, u"Taskwyn"_s);
        TaskRecord shown = taskFrom(reminderTasks[0]);
        QCOMPARE(alpha.body, alphaFor + u"\nDue: "_s + QString::fromStdString(dueText(shown)));
        TaskRecord bravo = taskFrom(reminderTasks[1]);
        QCOMPARE(service_->calls[0].body, u"Due: "_s + QString::fromStdString(dueText(bravo)));
        QVERIFY(!alpha.appIcon.isEmpty());
        QCOMPARE(alpha.actions.value(0), u"default"_s);
        QTRY_VERIFY(std::filesystem::exists(sentRecord()));

        w.drawList();
        QVERIFY(roundTrip());
        QCOMPARE(service_->calls.size(), 2);
    }
    QCOMPARE(std::filesystem::status(sentRecord()).permissions() & std::filesystem::perms::all,
             std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);

    // A restart the same day sends nothing; the next day reminds again.
    Module1 store;
    frmMain w(store);
    QVERIFY(roundTrip());
    QCOMPARE(service_->calls.size(), 2);
    pinToday(testToday + 1);
    w.findChild<QTimer*>(u"midnight"_s)->start(0);
    QTRY_COMPARE(service_->calls.size(), 4);
    pinToday(testToday);
}

void NotificationsTest::manyAtOnceEndInOne()
{
    Module1 many;
    for (int i = 0; i < 12; ++i)
        many.taskList[static_cast<std::size_t>(many.taskCount++)] = taskFrom({"Task " + std::to_string(i), i});
    many.ruleList[0] = {30, "d", 0, popupOn};
    many.ruleCount = 1;
    QVERIFY(saveAsNewTaskFile(many));
    {
        Module1 store;
        frmMain w(store);
        QTRY_COMPARE(service_->calls.size(), 10);
        QCOMPARE(service_->calls[8].summary, u"Task 8"_s);
        QCOMPARE(service_->calls[9].summary, u"Taskwyn"_s);
        QCOMPARE(service_->calls[9].body, u"3 more tasks need attention."_s);
        QTRY_VERIFY(std::filesystem::exists(sentRecord()));
    }
    Module1 store;
    frmMain w(store);
    QVERIFY(roundTrip());
    QCOMPARE(service_->calls.size(), 10);
}

void NotificationsTest::clickBringsUpTheAttentionView()
{
    Module1 store;
    frmMain w(store);
    QTRY_COMPARE(service_->calls.size(), 2);
    service_->click(99); // not ours
    QVERIFY(roundTrip());
    QVERIFY(!w.isVisible());

    // With a dialog waiting for an answer only the dialog comes up, in front of the view it was
    // opened from.
    ModalScript script;
    bool pageUnderDialog = true;
    script.then([&](QWidget& dialog) {
        service_->click(1);
        QVERIFY(roundTrip());
        QCoreApplication::processEvents();
        pageUnderDialog = control<SafeHtmlView>(w, "WebBrowser1").isVisible();
        QTest::mouseClick(&dialogButton(dialog, u"&Cancel"_s), Qt::LeftButton);
    });
    w.findChild<QAction*>(u"menu_new"_s)->trigger();
    QVERIFY2(script.problems().isEmpty(), qPrintable(script.problems()));
    QVERIFY(!pageUnderDialog);

    service_->click(1);
    QTRY_VERIFY(control<SafeHtmlView>(w, "WebBrowser1").isVisible());
    QVERIFY(w.isVisible());
    QVERIFY(control<SafeHtmlView>(w, "WebBrowser1").toPlainText().contains(u"Attention!"_s));
}

void NotificationsTest::noServiceNoError()
{
    QVERIFY(service_->stop());
    QTest::failOnWarning(QRegularExpression(u".*"_s));
    Module1 store;
    frmMain w(store);
    QVERIFY(roundTrip());
    QCoreApplication::processEvents();
    QVERIFY(service_->calls.isEmpty());
    QVERIFY(!std::filesystem::exists(sentRecord()));

    // A service that comes later hears of the tasks at the next redraw.
    QVERIFY(service_->start());
    w.drawList();
    QTRY_COMPARE(service_->calls.size(), 2);
}

void NotificationsTest::optionTurnsNotificationsOff()
{
    {
        Module1 store;
        frmMain w(store);
        auto* option = w.findChild<QAction*>(u"menu_notify"_s);
        QVERIFY(option && option->isChecked());
        QTRY_COMPARE(service_->calls.size(), 2);
        option->trigger();
    }
    std::filesystem::remove(sentRecord());
    service_->calls.clear();

    Module1 store;
    frmMain w(store);
    auto* option = w.findChild<QAction*>(u"menu_notify"_s);
    QVERIFY(!option->isChecked());
    QVERIFY(roundTrip());
    QVERIFY(service_->calls.isEmpty());
    option->trigger();
    QTRY_COMPARE(service_->calls.size(), 2);
}

void NotificationsTest::trayCountsAndLeadsToAttention()
{
    Module1 store;
    frmMain w(store);
    auto* tray = w.findChild<QSystemTrayIcon*>(u"tray"_s);
    QVERIFY(tray);
    QTRY_VERIFY2(tray->toolTip().contains(u"2 tasks need attention"_s), qPrintable(tray->toolTip()));
    w.findChild<QAction*>(u"trayAttention"_s)->trigger();
    QVERIFY(control<SafeHtmlView>(w, "WebBrowser1").isVisible());
}

QTEST_MAIN(NotificationsTest)
#include "tst_notifications.moc"
