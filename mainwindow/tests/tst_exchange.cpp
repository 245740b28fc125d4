#include "mainwindow/tests/commandtesting.h"
#include "widgets/translations.h"

#include <QAction>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

using namespace Qt::StringLiterals;

// Export and import through the Tasks menu and the standard file dialog, and import by dropping
// files: the summary, the undo step, and what the task file holds afterwards.
class ExchangeTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        pinToday(testToday);
        QCoreApplication::setApplicationName(u"Taskwyn"_s);
        installTranslations(*QCoreApplication::instance());
    }
    void init() { std::filesystem::remove_all("tasks.txt"); }
    void cleanup() { QCOMPARE(QApplication::topLevelWidgets().size(), 0); }

    void importFromTheMenu_data();
    void importFromTheMenu();
    void droppedFilesAreOneImport();
    void exportedFileImportsIntoAnEmptyStore();
};

namespace {

std::string todo(const std::string& uid, const std::string& summary, const std::string& status = "NEEDS-ACTION")
{
    return "BEGIN:VTODO\r\nUID:" + uid + "\r\nSUMMARY:" + summary + "\r\nSTATUS:" + status + "\r\nEND:VTODO\r\n";
}

std::string calendar(const std::string& components)
{
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\n" + components + "END:VCALENDAR\r\n";
}

const std::string anEvent = "BEGIN:VEVENT\r\nUID:e1\r\nDTSTART:20240301T100000Z\r\nSUMMARY:Meeting\r\nEND:VEVENT\r\n";

QString writeIcs(const char* name, const std::string& bytes)
{
    testsupport::writeBytes(name, bytes);
    return QFileInfo(QString::fromLatin1(name)).absoluteFilePath();
}

// Types a path into the standard file dialog and presses Enter.
ModalScript::Answer chooseFile(const QString& path)
{
    return [path](QWidget& dialog) {
        auto& name = control<QLineEdit>(dialog, "fileNameEdit");
        retype(name, path);
        QTest::keyClick(&name, Qt::Key_Return);
    };
}

void waitForBoxes(const ModalScript& script, int count)
{
    QTRY_COMPARE(script.seen().size(), count);
    QVERIFY2(script.problems().isEmpty(), qPrintable(script.problems()));
}

} // namespace

void ExchangeTest::importFromTheMenu_data()
{
    QTest::addColumn<QByteArray>("ics");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("rows"); // after the import; undo leaves "Alpha" alone
    const std::string two = todo("u1", "Call Bo") + todo("u2", "Pay rent") + todo("u3", "Old", "COMPLETED") + anEvent;
    QTest::newRow("tasks, a done one and an event")
        << QByteArray::fromStdString(calendar(two))
        << u"2 tasks imported, 1 completed before, not imported, 1 event skipped"_s
        << QStringList{u"Alpha"_s, u"Call Bo"_s, u"Pay rent"_s}; // without DUE: no due date, after Alpha
    QTest::newRow("not iCalendar") << "just text\n"_ba << u"Cannot import file \"%1\":\nIt is not an iCalendar file."_s
                                   << QStringList{u"Alpha"_s};
    QTest::newRow("cut off") << QByteArray::fromStdString(calendar(two).substr(0, 120))
                             << u"Cannot import file \"%1\":\nIt is cut off or broken inside: it does not end as an "
                                "iCalendar file does."_s
                             << QStringList{u"Alpha"_s};
}

// One step for undo removes every imported task and redo brings them back; an import of the same
// file again finds them already here. A file that cannot be imported changes nothing.
void ExchangeTest::importFromTheMenu()
{
    QFETCH(QByteArray, ics);
    QFETCH(QString, message);
    QFETCH(QStringList, rows);
    auto&& [store, w] = WindowWith({{"Alpha", 1}}, Shown::active);
    const std::string before = fileText();
    const QString path = writeIcs("in.ics", ics.toStdString());
    ModalScript script;
    script.then(chooseFile(path)).then(clickBoxButton(QMessageBox::Ok));
    menuItem(w, "menu_import").trigger();
    waitForBoxes(script, 2);
    QCOMPARE(script.seen()[1].text, message.contains(u"%1"_s) ? message.arg(path) : message);
    QCOMPARE(rowCaptions(lblTitle(w)), rows);
    if (rows.size() == 1) {
        QCOMPARE(fileText(), before);
        return;
    }
    const std::string imported = fileText();
    QCOMPARE(menuItem(w, "menu_undo").text(), u"&Undo Import 2 Tasks"_s);
    menuItem(w, "menu_undo").trigger();
    QCOMPARE(fileText(), before);
    QCOMPARE(rowCaptions(lblTitle(w)), QStringList{u"Alpha"_s});
    menuItem(w, "menu_redo").trigger();
    QCOMPARE(fileText(), imported);
    script.then(chooseFile(path)).then(clickBoxButton(QMessageBox::Ok));
    menuItem(w, "menu_import").trigger();
    waitForBoxes(script, 4);
    QCOMPARE(script.seen()[3].text,
             u"0 tasks imported, 2 already here, 1 completed before, not imported, 1 event skipped"_s);
    QCOMPARE(fileText(), imported);
}

void ExchangeTest::droppedFilesAreOneImport()
{
    auto&& [store, w] = WindowWith({{"Alpha", 1}}, Shown::active);
    const std::string before = fileText();
    QMimeData dragged;
    dragged.setUrls({QUrl::fromLocalFile(writeIcs("a.ics", calendar(todo("a1", "From A")))),
                     QUrl::fromLocalFile(writeIcs("b.ics", calendar(todo("b1", "From B") + anEvent)))});
    ModalScript script;
    script.then(clickBoxButton(QMessageBox::Ok));
    const QPoint centre = w.rect().center();
    QDragEnterEvent enter(centre, Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(centre, Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &drop);
    waitForBoxes(script, 1);
    QCOMPARE(script.seen()[0].text, u"2 tasks imported, 1 event skipped"_s);
    QCOMPARE(rowCaptions(lblTitle(w)), (QStringList{u"Alpha"_s, u"From A"_s, u"From B"_s}));
    menuItem(w, "menu_undo").trigger();
    QCOMPARE(fileText(), before);
}

// Every task gets its uid in the task file; the export, read into an empty store, holds them all.
void ExchangeTest::exportedFileImportsIntoAnEmptyStore()
{
    auto&& [store, w] = WindowWith({{"Alpha", 1, "N", "two\r\nlines"}, {"Bravo", 2, "N", {}, "Kim"}}, Shown::active);
    const QString path = QFileInfo(u"out.ics"_s).absoluteFilePath();
    QFile::remove(path);
    ModalScript script;
    script.then(chooseFile(path));
    menuItem(w, "menu_export").trigger();
    waitForBoxes(script, 1);
    QTRY_VERIFY(menuItem(w, "menu_export").isEnabled());
    QCOMPARE(QString::fromStdString(fileText()).count(u"uid="_s), 2);
    Module1 empty;
    const ical::ImportPlan plan = ical::planImport(empty, ical::readCalendarFiles({path.toStdString()}).content);
    QCOMPARE(plan.tasks.size(), 2u);
    for (TaskRecord back : plan.tasks) {
        back.dueKey = dueKey(back);
        QVERIFY2(store.slotOf(back).has_value(), back.title.c_str()); // the same record, uid included
    }
}

QTEST_MAIN(ExchangeTest)
#include "tst_exchange.moc"
