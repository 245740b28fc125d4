// Starts that open no main window: answered on the terminal, where there is no display, and task
// files that cannot be used, refused with the reason and exit status 2 instead of an abort.
#include "app/startup.h"
#include "config-taskwyn.h"
#include "os/tests/filetesting.h"
#include "widgets/tests/dialogtesting.h"

#include <QProcess>

#include <grp.h>

using namespace Qt::StringLiterals;
namespace fs = std::filesystem;

class BadStartTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase() { fs::permissions(*scratch_ / "closed", fs::perms::owner_all); }
    void answeredWithoutWindow_data();
    void answeredWithoutWindow();

private:
    std::unique_ptr<testsupport::ScratchFolder> scratch_;
};

void BadStartTest::initTestCase()
{
    // As an ordinary user, whom a closed folder keeps out; root's right to enter it would hide the case.
    if (::geteuid() == 0)
        QVERIFY(::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0);
    scratch_ = std::make_unique<testsupport::ScratchFolder>(fs::temp_directory_path());
    fs::create_symlink("loop", *scratch_ / "loop");
    fs::create_directory(*scratch_ / "closed");
    fs::permissions(*scratch_ / "closed", fs::perms::none);
    QVERIFY(QDir::setCurrent(QString::fromStdString(scratch_->path().string())));
    qputenv("XDG_STATE_HOME", QFile::encodeName(QDir::currentPath()));
    testsupport::writeBytes("bad.ics", "not a calendar\n");
    testsupport::writeBytes("good.ics", "BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\nUID:u1\r\nSUMMARY:Hi\r\nEND:VTODO\r\n"
                                        "END:VCALENDAR\r\n");
}

void BadStartTest::answeredWithoutWindow_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");

    QTest::newRow("help") << QStringList{u"--help"_s} << 0 << u"--menu "_s;
    QTest::newRow("version") << QStringList{u"--version"_s} << 0 << QStringLiteral("Taskwyn " TASKWYN_VERSION);
    QTest::newRow("unknown option") << QStringList{u"--bogus"_s} << 2 << u"Taskwyn: Unknown option 'bogus'."_s;
    QTest::newRow("symbolic-link loop") << QStringList{u"loop"_s} << 2
                                        << u"Cannot read file \"loop\":\nToo many levels of symbolic links"_s;
    QTest::newRow("unreadable folder") << QStringList{u"closed"_s} << 2
                                       << u"Cannot read file \"closed/tasks.txt\":\nPermission denied"_s;
    QTest::newRow("missing folder") << QStringList{u"-style"_s, u"fusion"_s, u"gone/tasks.txt"_s} << 2
                                    << u"Cannot read file \"gone/tasks.txt\":\nNo such file or directory"_s;
    QTest::newRow("device") << QStringList{u"/dev/null"_s} << 2
                            << u"Cannot read file \"/dev/null\":\nIt is a character device, not a regular file."_s;
    QTest::newRow("name too long") << QStringList{QString(300, u'n')} << 2 << u"\":\nFile name too long"_s;
    QTest::newRow("export") << QStringList{u"--export"_s, u"out.ics"_s, u"."_s} << 0 << QString();
    QTest::newRow("import") << QStringList{u"--import"_s, u"good.ics"_s} << 0 << u" imported"_s;
    QTest::newRow("import of no calendar") << QStringList{u"--import"_s, u"bad.ics"_s} << 1
                                           << u"Cannot import file \"bad.ics\":\nIt is not an iCalendar file."_s;
    QTest::newRow("import of a missing file") << QStringList{u"--import"_s, u"none.ics"_s} << 1
                                              << u"Cannot read file \"none.ics\":\nNo such file or directory"_s;
    QTest::newRow("export and import") << QStringList{u"--export"_s, u"a.ics"_s, u"--import"_s, u"b.ics"_s} << 2
                                       << u"cannot be given together"_s;
    QTest::newRow("sync without an account") << QStringList{u"--sync"_s} << 1 << u"does not sync with a server"_s;
    QTest::newRow("sync set-up without a user")
        << QStringList{u"--sync-setup"_s, u"dav.example.org"_s} << 2 << u"needs the server's address and the user"_s;
    QTest::newRow("sync set-up over plain http")
        << QStringList{u"--sync-setup"_s, u"http://dav.example.org"_s, u"ada"_s} << 2
        << u"plain http only to this computer"_s;
    QTest::newRow("empty argument") << QStringList{QString()} << 2
                                    << u"Cannot read file \"\":\nNo such file or directory"_s;
}

void BadStartTest::answeredWithoutWindow()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, message);

    // Without a display, and with one that names no window system that can be opened.
    for (const QString& display : {QString(), u":9999"_s}) {
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const QString& variable : {u"QT_QPA_PLATFORM"_s, u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s})
            environment.remove(variable);
        if (!display.isEmpty())
            environment.insert(u"DISPLAY"_s, display);
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(TASKWYN_PROGRAM), arguments);
        QVERIFY(program.waitForFinished(20000));
        const QString output = QString::fromLocal8Bit(program.readAllStandardOutput() + program.readAllStandardError());
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), status);
        QVERIFY2(output.contains(message), qPrintable(output));
    }

    // Where there is a display, a refusal shows the same message in a box as well.
    const StartRequest request = readCommandLine(QStringList{u"taskwyn"_s} + arguments);
    QVERIFY(!needsWindowSystem(request) || std::holds_alternative<BadTaskFile>(request));
    if (const auto* bad = std::get_if<BadTaskFile>(&request)) {
        ModalScript script;
        script.then(clickBoxButton(QMessageBox::Ok));
        QCOMPARE(refuseTaskFile(bad->failure), 2);
        QCOMPARE(script.problems(), QString());
        QVERIFY2(script.seen().value(0).text.contains(message), qPrintable(script.seen().value(0).text));
    }
}

QTEST_MAIN(BadStartTest)
#include "tst_badstart.moc"
