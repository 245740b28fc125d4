#include "mainwindow/taskfilefollower.h"
#include "mainwindow/tests/commandtesting.h"
#include "store/taskfile.h"

#include <QLineEdit>
#include <QSignalSpy>

#include <filesystem>
#include <memory>

using namespace Qt::StringLiterals;

// Another program changes tasks.txt while the window is open: idle, the window follows it; with
// the task editor open, its Ok meets the change and the user chooses, losing nothing either way.
class OutsideChangesTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        pinNow(LocalTime{testToday, (10 * 60 + 31) * 60 * 1000});
        QCoreApplication::setApplicationName(u"Taskwyn"_s);
    }
    void init();
    void cleanup() { QCOMPARE(QApplication::topLevelWidgets().size(), 0); }

    void idleWindowFollowsOutsideChangesButNotItsOwn();
    void editorOkAfterAnOutsideChangeKeepsBothVersions_data();
    void editorOkAfterAnOutsideChangeKeepsBothVersions();
    void otherVersionTakenKeepsNoOtherTaskFound();
    void failedSaveIsNeverReadOver_data();
    void failedSaveIsNeverReadOver();
    void stepOvertakenByAnOutsideChangeIsRefused();
};

namespace {

const char* const conflictFile = "tasks (conflict 2024-03-15 10-31).txt";

// Another program adds Delta to the file, replacing it by a rename; returns what it wrote.
std::string addDeltaElsewhere()
{
    const auto other = std::make_unique<Module1>();
    if (!other->loadTasks().ok)
        return {};
    other->taskList[static_cast<std::size_t>(*other->appendEmptyTask())] = taskFrom({"Delta", 4});
    return other->saveTasks().ok ? fileText() : std::string();
}

void select(frmMain& w, const QString& title)
{
    w.highlight(static_cast<std::int16_t>(rowOf(w, title)));
}

} // namespace

void OutsideChangesTest::init()
{
    std::filesystem::remove(conflictFile);
}

void OutsideChangesTest::idleWindowFollowsOutsideChangesButNotItsOwn()
{
    auto&& [store, w] = WindowWith({{"Alpha", 1}, {"Bravo", 2}, {"Charlie", 3}}, Shown::exposed);
    QSignalSpy reloads(w.findChild<TaskFileFollower*>(), &TaskFileFollower::changedElsewhere);
    select(w, u"Charlie"_s);
    ModalScript script;
    script.then(clickBoxButton(QMessageBox::Yes));
    menuItem(w, "menu_delete").trigger();
    select(w, u"Bravo"_s);
    QTest::qWait(600);
    QCOMPARE(reloads.count(), 0);

    QVERIFY(!addDeltaElsewhere().empty());
    QTRY_VERIFY_WITH_TIMEOUT(rowOf(w, u"Delta"_s) > 0, 1000);
    QCOMPARE(rowCaptions(lblTitle(w)), (QStringList{u"Alpha"_s, u"Bravo"_s, u"Delta"_s}));
    QCOMPARE(selectedTitle(w, store), u"Bravo"_s);
    QCOMPARE(highlightedRows(w), QList<int>{rowOf(w, u"Bravo"_s)});
    QVERIFY2(script.problems().isEmpty(), qPrintable(script.problems()));
}

void OutsideChangesTest::editorOkAfterAnOutsideChangeKeepsBothVersions_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("mine");
    QTest::addColumn<int>("openFor"); // milliseconds after the change, past the follower's look at it
    QTest::newRow("Enter reloads") << u"enter"_s << false << 0;
    QTest::newRow("reload the other version") << u"reloadOther"_s << false << 0;
    QTest::newRow("overwrite with mine") << u"overwriteWithMine"_s << true << 0;
    QTest::newRow("overwrite, the editor open a while") << u"overwriteWithMine"_s << true << 600;
}

void OutsideChangesTest::editorOkAfterAnOutsideChangeKeepsBothVersions()
{
    QFETCH(QString, answer);
    QFETCH(bool, mine);
    QFETCH(int, openFor);
    auto&& [store, w] = WindowWith({{"Alpha", 1}, {"Bravo", 2}, {"Charlie", 3}}, Shown::exposed);
    select(w, u"Alpha"_s);
    std::string other;
    ModalScript script;
    script
        .then([&other, openFor](QWidget& editor) {
            retype(control<QLineEdit>(editor, "txtTitle"), u"Alpha edited"_s);
            other = addDeltaElsewhere();
            QTest::qWait(openFor);
            QTest::mouseClick(&dialogButton(editor, u"&Ok"_s), Qt::LeftButton);
        })
        .then([answer](QWidget& box) {
            if (answer == u"enter")
                QTest::keyClick(&box, Qt::Key_Return);
            else
                QTest::mouseClick(&control<QPushButton>(box, qPrintable(answer)), Qt::LeftButton);
        })
        .then(clickBoxButton(QMessageBox::Ok));
    menuItem(w, "menu_modify").trigger();

    QVERIFY2(script.problems().isEmpty(), qPrintable(script.problems()));
    QVERIFY(script.seen().value(1).text.contains(u"was changed elsewhere"_s));
    QVERIFY(script.seen().value(2).text.contains(QString::fromLatin1(conflictFile)));
    const std::string kept = fileText(conflictFile);
    const std::string& theirs = mine ? kept : fileText();
    const std::string& ours = mine ? fileText() : kept;
    QCOMPARE(theirs, other);
    QVERIFY(!taskBlock(ours, "Alpha edited").empty());
    QVERIFY(taskBlock(ours, "Delta").empty());
    QCOMPARE(rowOf(w, u"Delta"_s) > 0, !mine);
    QCOMPARE(rowOf(w, u"Alpha edited"_s) > 0, mine);
}

// The other version has another task where the edited one was; the find bar must not keep it shown.
void OutsideChangesTest::otherVersionTakenKeepsNoOtherTaskFound()
{
    auto&& [store, w] = WindowWith({{"Alpha", 1}, {"Bravo", 2}}, Shown::exposed);
    menuItem(w, "menu_find").trigger();
    typeText(control<QLineEdit>(w, "findField"), u"alpha"_s);
    select(w, u"Alpha"_s);
    ModalScript script;
    script
        .then([](QWidget& editor) {
            retype(control<QLineEdit>(editor, "txtTitle"), u"Alpha edited"_s);
            QVERIFY(writeTaskFile({{"Zulu", 1}, {"Alpha", 2}}));
            QTest::mouseClick(&dialogButton(editor, u"&Ok"_s), Qt::LeftButton);
        })
        .then([](QWidget& box) { QTest::mouseClick(&control<QPushButton>(box, "reloadOther"), Qt::LeftButton); })
        .then(clickBoxButton(QMessageBox::Ok));
    menuItem(w, "menu_modify").trigger();

    QVERIFY2(script.problems().isEmpty(), qPrintable(script.problems()));
    QCOMPARE(rowCaptions(lblTitle(w)), QStringList{u"Alpha"_s});
}

void OutsideChangesTest::failedSaveIsNeverReadOver_data()
{
    QTest::addColumn<QString>("answer");
    QTest::newRow("reload the other version") << u"reloadOther"_s;
    QTest::newRow("overwrite with mine") << u"overwriteWithMine"_s;
}

// Recycling Alpha fails to save; then another program writes Alpha and Other in the file's place.
void OutsideChangesTest::failedSaveIsNeverReadOver()
{
    QFETCH(QString, answer);
    auto&& [store, w] = WindowWith({{"Alpha", 1}}, Shown::exposed);
    // Root writes read-only files too: a folder in the file's place fails the save for everyone.
    std::filesystem::remove("tasks.txt");
    std::filesystem::create_directory("tasks.txt");
    select(w, u"Alpha"_s);
    ModalScript script;
    script.then(clickBoxButton(QMessageBox::Yes)).then(clickBoxButton(QMessageBox::Ok));
    menuItem(w, "menu_delete").trigger();
    QVERIFY(script.seen().constLast().text.startsWith(u"Cannot write file"_s));
    const std::string mine = taskFileText(store);

    script
        .then([answer](QWidget& box) {
            QTest::mouseClick(&control<QPushButton>(box, qPrintable(answer)), Qt::LeftButton);
        })
        .then(clickBoxButton(QMessageBox::Ok));
    std::filesystem::remove("tasks.txt");
    QVERIFY(writeTaskFile({{"Alpha", 1}, {"Other", 2}}));
    const std::string other = fileText();
    QTRY_VERIFY_WITH_TIMEOUT(script.seen().size() == 4, 2000);
    QVERIFY2(script.problems().isEmpty(), qPrintable(script.problems()));
    QVERIFY(script.seen().value(2).text.contains(u"was changed elsewhere"_s));
    const bool kept = answer == u"overwriteWithMine";
    QCOMPARE(fileText(), kept ? mine : other);
    QCOMPARE(fileText(conflictFile), kept ? other : mine);
    QCOMPARE(rowCaptions(lblTitle(w)), kept ? QStringList{} : (QStringList{u"Alpha"_s, u"Other"_s}));
}

void OutsideChangesTest::stepOvertakenByAnOutsideChangeIsRefused()
{
    auto&& [store, w] = WindowWith({{"Alpha", 1}, {"Bravo", 2}}, Shown::active);
    select(w, u"Alpha"_s);
    ModalScript script;
    script.then(clickBoxButton(QMessageBox::Yes));
    menuItem(w, "menu_delete").trigger();
    QVERIFY(writeTaskFile({{"Alpha", 1, "Y", "Changed elsewhere"}, {"Bravo", 2}, {"Delta", 4}}));
    const std::string other = fileText();
    QTRY_VERIFY_WITH_TIMEOUT(rowOf(w, u"Delta"_s) > 0, 1000);

    script.then(clickBoxButton(QMessageBox::Ok));
    showActive(w); // again, once the question has gone
    QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
    QVERIFY2(script.problems().isEmpty(), qPrintable(script.problems()));
    QVERIFY(script.seen().constLast().text.startsWith(u"Cannot undo Delete “Alpha”:"_s));
    QCOMPARE(fileText(), other);
    QVERIFY(!menuItem(w, "menu_undo").isEnabled());
}

QTEST_MAIN(OutsideChangesTest)
#include "tst_outsidechanges.moc"
