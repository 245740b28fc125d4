#include "config-taskwyn.h"
#include "mainwindow/tests/commandtesting.h"
#include "store/taskfile.h"

#include <QAction>
#include <QMenu>
#include <QPlainTextEdit>

#include <filesystem>

using namespace Qt::StringLiterals;

// The task commands, driven through the real menus, the pane's New Task button and the real
// message boxes and editor: new, edit, recycle, delete for good, un-delete, a full table, failed
// saves and the About box.
class CommandsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        pinToday(testToday);
        QCoreApplication::setApplicationName(u"Taskwyn"_s);
    }
    void init();
    void cleanup() { QCOMPARE(QApplication::topLevelWidgets().size(), 0); }

    void newTaskFromStartToEnd_data() { addRoutes({"pane button", "menu item", "menu by access keys"}); }
    void newTaskFromStartToEnd();
    void newTaskCancelledLeavesFileAndCount_data() { addRoutes({"menu item", "pane button"}); }
    void newTaskCancelledLeavesFileAndCount();
    void newTaskStartsEmptyAfterPermanentDelete();
    void fullTableRefusesNewTask_data() { addRoutes({"menu item", "pane button"}); }
    void fullTableRefusesNewTask();
    void editOpensOnlyTheSelectedTask();
    void cancelledEditorThenDeleteActsOnTheSameTask_data();
    void cancelledEditorThenDeleteActsOnTheSameTask();
    void cancelledEditorLeavesEveryRowOnItsTask_data();
    void cancelledEditorLeavesEveryRowOnItsTask();
    void recycleThenDeleteForGood();
    void answerNoChangesNothing_data();
    void answerNoChangesNothing();
    void undeleteWritesN();
    void undoDeleteForGoodBringsTheTaskBack_data() { addRoutes({"keys in the list", "keys in the description box"}); }
    void undoDeleteForGoodBringsTheTaskBack();
    void deleteWithoutSelectionRewritesWithoutAsking();
    void failedSaveShowsReasonAndKeepsChange_data();
    void failedSaveShowsReasonAndKeepsChange();
    void colorsAndAlertsOpensTheRuleEditor_data() { addRoutes({"menu item", "menu by access keys"}); }
    void colorsAndAlertsOpensTheRuleEditor();
    void aboutBox_data() { addRoutes({"menu item", "menu by access keys"}); }
    void aboutBox();
};

namespace {

const QString deleteTitle = u"Delete this entry?!"_s;
const QString recycleQuestion = u"Are you sure?"_s;
const QString permanentQuestion = u"Are you sure? This will delete the item, permanently!!!"_s;

std::vector<TaskSpec> fourTasks()
{
    return {{"Alpha", 1}, {"Bravo", 2}, {"Charlie", 3}, {"Delta", 4}};
}

bool isQuestion(const SeenModal& seen, const QString& text)
{
    return seen.kind == u"box" && seen.title == deleteTitle && seen.text == text && seen.icon == QMessageBox::NoIcon &&
           seen.buttons == (QMessageBox::Yes | QMessageBox::No);
}

void select(frmMain& w, const QString& title)
{
    const int row = rowOf(w, title);
    QVERIFY2(row > 0, qPrintable(title));
    w.highlight(static_cast<std::int16_t>(row));
}

std::vector<TaskRecord> tasksOf(const Module1& store)
{
    const auto tasks = store.tasks();
    return {tasks.begin(), tasks.end()};
}

} // namespace

void CommandsTest::init()
{
    // A test may leave a folder where the task file belongs.
    std::filesystem::remove_all("tasks.txt");
}

void CommandsTest::newTaskFromStartToEnd()
{
    QFETCH(QString, route);
    auto&& [store, w] = WindowWith({{"Alpha", 1}, {"Omega", 40}}, Shown::active);

    ModalScript script;
    script.then(typeTaskAndOk({u"Pay rent"_s, u"Ann"_s, u"20"_s, 4, u"2024"_s}));
    give(w, newTaskCommand, route);

    QVERIFY2(script.problems().isEmpty(), qPrintable(script.problems()));
    QCOMPARE(script.seen().size(), 1);
    QCOMPARE(script.seen()[0].kind, u"frmTask"_s);
    QCOMPARE(script.seen()[0].text, QString()); // a new task starts empty
    QCOMPARE(taskBlock(fileText(), "Pay rent"), "ttl=Pay rent\r\nfor=Ann\r\nday=20\r\nmon=4\r\nyea=2024\r\n"
                                                "hou=0\r\nmin=0\r\nsec=0\r\ndel=\r\ndes=\r\nact=addtask\r\n");
    QCOMPARE(int(store.taskCount), 3);
    QCOMPARE(rowCaptions(lblTitle(w)), (QStringList{u"Alpha"_s, u"Pay rent"_s, u"Omega"_s}));
    QCOMPARE(lblDue(w)[2].caption, u"April 20/24 at 00:00:00"_s);
    QCOMPARE(boldCaption(w), int(NavigationPane::AllItems));
    QVERIFY(!w.showRecycled());
}

void CommandsTest::newTaskCancelledLeavesFileAndCount()
{
    QFETCH(QString, route);
    QVERIFY(writeTaskFile(fourTasks()));
    const std::string before = fileText();
    Module1 store;
    frmMain w(store);
    showWindow(w);

    ModalScript script;
    script.then([](QWidget& editor) {
        QTest::keyClicks(&control<QLineEdit>(editor, "txtTitle"), u"Not wanted"_s);
        QTest::mouseClick(&dialogButton(editor, u"&Cancel"_s), Qt::LeftButton);
    });
    give(w, newTaskCommand, route);

    QVERIFY2(script.problems().isEmpty(), qPrintable(script.problems()));
    QCOMPARE(script.seen().size(), 1);
    QCOMPARE(fileText(), before);
    QCOMPARE(int(store.taskCount), 4);
    w.drawList();
    QCOMPARE(rowCaptions(lblTitle(w)), (QStringList{u"Alpha"_s, u"Bravo"_s, u"Charlie"_s, u"Delta"_s}));
}

// A permanent delete leaves the last task's copy behind in the slot the next new task takes.
void CommandsTest::newTaskStartsEmptyAfterPermanentDelete()
{
    auto&& [store, w] = WindowWith({{"Alpha", 1}, {"Zulu", 9, "Y", "old notes", "Zed"}}, Shown::exposed);
    clickPane(w, NavigationPane::Recycled);
    select(w, u"Zulu"_s);
    ModalScript script;
    script.then(clickBoxButton(QMessageBox::Yes));
    menuItem(w, "menu_delete").trigger();
    QCOMPARE(int(store.taskCount), 1);
    QVERIFY2(store.taskList[1].title == "Zulu" && isRecycled(store.taskList[1]), "the slot keeps the deleted task");

    script.then([](QWidget& editor) {
        QTest::keyClicks(&control<QLineEdit>(editor, "txtTitle"), u"Fresh"_s);
        QTest::mouseClick(&dialogButton(editor, u"&Ok"_s), Qt::LeftButton);
    });
    menuItem(w, "menu_new").trigger();

    QVERIFY2(script.problems().isEmpty(), qPrintable(script.problems()));
    QCOMPARE(script.seen().size(), 2);
    QCOMPARE(script.seen()[1].text, QString());
    const std::string block = taskBlock(fileText(), "Fresh");
    QVERIFY(block.find("for=\r\n") != std::string::npos);
    QVERIFY(block.find("del=\r\n") != std::string::npos);
    QVERIFY(block.find("des=\r\n") != std::string::npos);
    QVERIFY(rowCaptions(lblTitle(w)).isEmpty()); // the recycled view stays empty
    clickPane(w, NavigationPane::AllItems);
    QCOMPARE(rowCaptions(lblTitle(w)), (QStringList{u"Alpha"_s, u"Fresh"_s})); // no date sorts last
}

void CommandsTest::fullTableRefusesNewTask()
{
    QFETCH(QString, route);
    std::vector<TaskSpec> tasks;
    for (int i = 0; i < Module1::taskSlots; ++i)
        tasks.push_back({"Task " + std::to_string(i), i % 50});
    QVERIFY(writeTaskFile(tasks));
    const std::string before = fileText();
    Module1 store;
    frmMain w(store);
    showWindow(w);

    ModalScript script;
    script.then(clickBoxButton(QMessageBox::Ok));
    give(w, newTaskCommand, route);

    QVERIFY2(script.problems().isEmpty(), qPrintable(script.problems()));
    QCOMPARE(script.seen().size(), 1); // the message, and no editor after it
    QCOMPARE(script.seen()[0].kind, u"box"_s);
    QVERIFY2(script.seen()[0].text.contains(u"1001"_s), qPrintable(script.seen()[0].text));
    QCOMPARE(int(store.taskCount), Module1::taskSlots);
    QCOMPARE(fileText(), before);
    QCOMPARE(boldCaption(w), int(NavigationPane::AllItems));
}

void CommandsTest::editOpensOnlyTheSelectedTask()
{
    auto&& [store, w] = WindowWith(fourTasks(), Shown::exposed);

    ModalScript script;
    menuItem(w, "menu_modify").trigger();
    menuItem(w, "menu_modify2").trigger();
    QVERIFY2(script.seen().isEmpty(), "no task is selected: nothing opens");

    select(w, u"Charlie"_s);
    script.then(pressButton(u"&Cancel"_s)).then(pressButton(u"&Cancel"_s));
    menuItem(w, "menu_modify").trigger();
    menuItem(w, "menu_modify2").trigger();
    QVERIFY2(script.problems().isEmpty(), qPrintable(script.problems()));
    QCOMPARE(script.seen().size(), 2);
    for (const SeenModal& seen : script.seen()) {
        QCOMPARE(seen.kind, u"frmTask"_s);
        QCOMPARE(seen.text, u"Charlie"_s);
    }
}

void CommandsTest::cancelledEditorThenDeleteActsOnTheSameTask_data()
{
    QTest::addColumn<QString>("editorItem");
    QTest::newRow("task editor") << u"menu_modify"_s;
    QTest::newRow("rule editor") << u"menu_manage"_s;
}

// An editor's Cancel reads the file back, in the order the file holds, and the list is not redrawn:
// it still shows the user's own order, so the selection must still name the task shown highlighted.
void CommandsTest::cancelledEditorThenDeleteActsOnTheSameTask()
{
    QFETCH(QString, editorItem);
    auto&& [store, w] = WindowWith({{"Delta", 1}, {"Charlie", 2}, {"Bravo", 3}, {"Alpha", 4}}, Shown::exposed);
    QTest::mouseClick(&control<QPushButton>(w, "cmdTitle"), Qt::LeftButton);
    select(w, u"Bravo"_s);

    ModalScript script;
    script.then(pressButton(u"&Cancel"_s)).then(clickBoxButton(QMessageBox::Yes));
    menuItem(w, qPrintable(editorItem)).trigger();
    QCOMPARE(rowOf(w, u"Bravo"_s), highlightedRows(w).value(0));
    QCOMPARE(selectedTitle(w, store), u"Bravo"_s);
    menuItem(w, "menu_delete").trigger();

    QVERIFY2(script.problems().isEmpty(), qPrintable(script.problems()));
    QVERIFY(taskBlock(fileText(), "Bravo").find("del=Y\r\n") != std::string::npos);
    QCOMPARE(rowCaptions(lblTitle(w)), (QStringList{u"Alpha"_s, u"Charlie"_s, u"Delta"_s}));
}

void CommandsTest::cancelledEditorLeavesEveryRowOnItsTask_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("new task") << u"menu_new"_s;
    QTest::newRow("rules") << u"menu_manage"_s;
}

// Without a selection to follow, the rows must still name the slots their tasks are in after the
// file was read back in its own order.
void CommandsTest::cancelledEditorLeavesEveryRowOnItsTask()
{
    QFETCH(QString, command);
    auto&& [store, w] = WindowWith({{"Cee", 1}, {"Bee", 2}, {"Ay", 3}}, Shown::exposed);
    QTest::mouseClick(&control<QPushButton>(w, "cmdTitle"), Qt::LeftButton);

    ModalScript script;
    script.then(pressButton(u"&Cancel"_s));
    menuItem(w, qPrintable(command)).trigger();

    QVERIFY2(script.problems().isEmpty(), qPrintable(script.problems()));
    QCOMPARE(rowCaptions(lblTitle(w)), (QStringList{u"Ay"_s, u"Bee"_s, u"Cee"_s}));
    for (int row = 1; row < lblID2(w).count(); ++row) {
        const auto slot = static_cast<std::size_t>(lblID2(w)[row].caption.toInt());
        QCOMPARE(QString::fromStdString(store.taskList[slot].title), lblTitle(w)[row].caption);
    }
}

void CommandsTest::recycleThenDeleteForGood()
{
    auto&& [store, w] = WindowWith(fourTasks(), Shown::exposed);

    select(w, u"Bravo"_s);
    ModalScript script;
    script.then(clickBoxButton(QMessageBox::Yes));
    menuItem(w, "menu_delete").trigger();
    QVERIFY(isQuestion(script.seen().value(0), recycleQuestion));
    QCOMPARE(rowCaptions(lblTitle(w)), (QStringList{u"Alpha"_s, u"Charlie"_s, u"Delta"_s}));
    QCOMPARE(int(store.taskCount), 4);
    QVERIFY(taskBlock(fileText(), "Bravo").find("del=Y\r\n") != std::string::npos);
    QVERIFY(taskBlock(fileText(), "Alpha").find("del=N\r\n") != std::string::npos);
    QCOMPARE(int(w.selectedIndex()), 0);
    QVERIFY(highlightedRows(w).isEmpty());

    clickPane(w, NavigationPane::Recycled);
    QCOMPARE(rowCaptions(lblTitle(w)), QStringList{u"Bravo"_s});
    select(w, u"Bravo"_s);
    QCOMPARE(int(w.selectedIndex()), 2);
    script.then(clickBoxButton(QMessageBox::Yes));
    menuItem(w, "menu_delete2").trigger(); // the pop-up menu's entry
    QVERIFY(isQuestion(script.seen().value(1), permanentQuestion));

    QVERIFY2(script.problems().isEmpty(), qPrintable(script.problems()));
    QCOMPARE(int(store.taskCount), 3);
    QCOMPARE(store.taskList[1].title, "Charlie");
    QCOMPARE(store.taskList[2].title, "Delta");
    const std::string file = fileText();
    QVERIFY(file.find("Bravo") == std::string::npos);
    QVERIFY(!taskBlock(file, "Delta").empty());
    QVERIFY(rowCaptions(lblTitle(w)).isEmpty());
    clickPane(w, NavigationPane::AllItems);
    QCOMPARE(rowCaptions(lblTitle(w)), (QStringList{u"Alpha"_s, u"Charlie"_s, u"Delta"_s}));
}

void CommandsTest::answerNoChangesNothing_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("question");
    QTest::newRow("live task") << u"Bravo"_s << recycleQuestion;
    QTest::newRow("recycled task") << u"Charlie"_s << permanentQuestion;
}

void CommandsTest::answerNoChangesNothing()
{
    QFETCH(QString, title);
    QFETCH(QString, question);
    QVERIFY(writeTaskFile({{"Alpha", 1}, {"Bravo", 2}, {"Charlie", 3, "Y"}}));
    const std::string before = fileText();
    Module1 store;
    frmMain w(store);
    showWindow(w);
    if (title == u"Charlie")
        clickPane(w, NavigationPane::Recycled);
    select(w, title);
    const std::vector<TaskRecord> tables = tasksOf(store);

    ModalScript script;
    script.then(clickBoxButton(QMessageBox::No));
    menuItem(w, "menu_delete").trigger();

    QVERIFY2(script.problems().isEmpty(), qPrintable(script.problems()));
    QVERIFY(isQuestion(script.seen().value(0), question));
    QVERIFY(tasksOf(store) == tables);
    QCOMPARE(fileText(), before);
}

void CommandsTest::undeleteWritesN()
{
    auto&& [store, w] = WindowWith({{"Alpha", 1}, {"Bravo", 2, "Y"}, {"Charlie", 3, "Y"}}, Shown::exposed);
    clickPane(w, NavigationPane::Recycled);
    QVERIFY(menuItem(w, "menu_undelete").isVisible());
    select(w, u"Bravo"_s);

    ModalScript script;
    menuItem(w, "menu_undelete").trigger();

    QVERIFY2(script.seen().isEmpty(), "un-delete asks nothing");
    QVERIFY(taskBlock(fileText(), "Bravo").find("del=N\r\n") != std::string::npos);
    QVERIFY(taskBlock(fileText(), "Charlie").find("del=Y\r\n") != std::string::npos);
    QCOMPARE(rowCaptions(lblTitle(w)), QStringList{u"Charlie"_s});
    QCOMPARE(int(w.selectedIndex()), 0);
    QVERIFY(highlightedRows(w).isEmpty());
    clickPane(w, NavigationPane::AllItems);
    QCOMPARE(rowCaptions(lblTitle(w)), (QStringList{u"Alpha"_s, u"Bravo"_s}));
}

void CommandsTest::deleteWithoutSelectionRewritesWithoutAsking()
{
    QVERIFY(writeTaskFile(fourTasks()));
    {
        std::ofstream("tasks.txt", std::ios::binary | std::ios::app) << "; a note the user added\r\n";
    }
    Module1 store;
    frmMain w(store);
    showWindow(w);
    const std::vector<TaskRecord> tables = tasksOf(store);

    for (const char* item : {"menu_delete", "menu_delete2"}) {
        // A rewrite puts a new file in place; the same bytes are no change to follow.
        const auto before = std::filesystem::last_write_time("tasks.txt");
        std::filesystem::last_write_time("tasks.txt", before - std::chrono::hours(1));
        ModalScript script;
        menuItem(w, item).trigger();
        QVERIFY2(script.seen().isEmpty(), item);
        QVERIFY(tasksOf(store) == tables);
        QCOMPARE(fileText(), taskFileText(store));
        QVERIFY2(std::filesystem::last_write_time("tasks.txt") > before - std::chrono::hours(1), item);
    }
}

void CommandsTest::failedSaveShowsReasonAndKeepsChange_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("liveAfter");
    QTest::addColumn<QStringList>("recycledAfter");
    QTest::newRow("recycle") << u"recycle"_s << QStringList{} << QStringList{u"Alpha"_s, u"Bravo"_s};
    QTest::newRow("delete for good") << u"delete"_s << QStringList{u"Alpha"_s} << QStringList{};
    QTest::newRow("un-delete") << u"undelete"_s << QStringList{u"Alpha"_s, u"Bravo"_s} << QStringList{};
    QTest::newRow("edit") << u"edit"_s << QStringList{u"Alpha edited"_s} << QStringList{u"Bravo"_s};
    QTest::newRow("rules") << u"rules"_s << QStringList{u"Alpha"_s} << QStringList{u"Bravo"_s};
}

void CommandsTest::failedSaveShowsReasonAndKeepsChange()
{
    QFETCH(QString, command);
    QFETCH(QStringList, liveAfter);
    QFETCH(QStringList, recycledAfter);
    auto&& [store, w] =
        WindowWith({{"Alpha", 1, "N", "Alpha's notes"}, {"Bravo", 2, "Y", "Bravo's notes"}}, Shown::exposed);
    // Nothing can be renamed over a folder: every save fails from here on.
    std::filesystem::remove("tasks.txt");
    std::filesystem::create_directory("tasks.txt");

    ModalScript script;
    if (command == u"edit" || command == u"rules") {
        if (command == u"edit")
            select(w, u"Alpha"_s);
        script.then([&command](QWidget& editor) {
            const bool rules = command == u"rules";
            retype(control<QLineEdit>(editor, rules ? "txtInterval" : "txtTitle"), rules ? u"8"_s : u"Alpha edited"_s);
            QTest::mouseClick(&dialogButton(editor, u"&Ok"_s), Qt::LeftButton);
        });
    } else if (command == u"recycle") {
        select(w, u"Alpha"_s);
        script.then(clickBoxButton(QMessageBox::Yes));
    } else {
        clickPane(w, NavigationPane::Recycled);
        select(w, u"Bravo"_s);
        if (command == u"delete")
            script.then(clickBoxButton(QMessageBox::Yes));
    }
    script.then(clickBoxButton(QMessageBox::Ok));
    const QHash<QString, const char*> items{
        {u"undelete"_s, "menu_undelete"}, {u"edit"_s, "menu_modify"}, {u"rules"_s, "menu_manage"}};
    menuItem(w, items.value(command, "menu_delete")).trigger();

    QVERIFY2(script.problems().isEmpty(), qPrintable(script.problems()));
    const SeenModal& failure = script.seen().constLast();
    QCOMPARE(failure.icon, QMessageBox::Warning);
    QVERIFY2(failure.text.startsWith(u"Cannot write file \"tasks.txt\""_s) && failure.text.contains(u"directory"_s),
             qPrintable(failure.text));
    QVERIFY(std::filesystem::is_directory("tasks.txt"));
    QCOMPARE(store.ruleCount, command == u"rules" ? 1 : 0);
    QCOMPARE(store.ruleList[0].value, command == u"rules" ? 8 : 0);
    if (command != u"edit") {
        QCOMPARE(int(w.selectedIndex()), 0);
        QCOMPARE(control<QPlainTextEdit>(w, "txtDescription").toPlainText(), QString());
    }

    // What the list shows is the change kept in memory, not the file's older content.
    clickPane(w, NavigationPane::AllItems);
    QCOMPARE(rowCaptions(lblTitle(w)), liveAfter);
    clickPane(w, NavigationPane::Recycled);
    QCOMPARE(rowCaptions(lblTitle(w)), recycledAfter);
}

// The Edit menu names the step; Ctrl+Z puts the task back as it was, Ctrl+Shift+Z deletes it again.
void CommandsTest::undoDeleteForGoodBringsTheTaskBack()
{
    auto&& [store, w] = WindowWith({{"Alpha", 1}, {"Bravo", 2, "Y", "Bravo's notes"}}, Shown::active);
    const std::string before = fileText();
    clickPane(w, NavigationPane::Recycled);
    select(w, u"Bravo"_s);
    ModalScript script;
    script.then(clickBoxButton(QMessageBox::Yes));
    menuItem(w, "menu_delete").trigger();
    const std::string after = fileText();
    QCOMPARE(menuItem(w, "menu_undo").text(), u"&Undo Delete “Bravo” Permanently"_s);
    showActive(w); // again, once the question has gone
    QFETCH(QString, route);
    if (route.endsWith(u"box")) { // where Delete gives the box an undo step of its own
        control<QPlainTextEdit>(w, "txtDescription").setPlainText(u"notes"_s);
        control<QPlainTextEdit>(w, "txtDescription").setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(fileText(), before);
    QCOMPARE(rowCaptions(lblTitle(w)), QStringList{u"Bravo"_s});
    QCOMPARE(selectedTitle(w, store), u"Bravo"_s);
    QCOMPARE(menuItem(w, "menu_redo").text(), u"&Redo Delete “Bravo” Permanently"_s);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(fileText(), after);
    QVERIFY2(script.problems().isEmpty(), qPrintable(script.problems()));
}

void CommandsTest::colorsAndAlertsOpensTheRuleEditor()
{
    QFETCH(QString, route);
    QVERIFY(writeTaskFile(fourTasks(), {{7, 0x0000FF}, {3, 0x00FF00}}));
    const std::string before = fileText();
    Module1 store;
    frmMain w(store);
    showActive(w);

    ModalScript script;
    QString firstRuleShown;
    script.then([&firstRuleShown](QWidget& editor) {
        firstRuleShown = control<QLineEdit>(editor, "txtInterval").text();
        retype(control<QLineEdit>(editor, "txtInterval"), u"12"_s);
        QTest::mouseClick(&dialogButton(editor, u"&Cancel"_s), Qt::LeftButton);
    });
    give(w, rulesCommand, route);

    QVERIFY2(script.problems().isEmpty(), qPrintable(script.problems()));
    QCOMPARE(script.seen().value(0).kind, u"frmAlerts"_s);
    QCOMPARE(script.seen().value(0).title, u"Colors & Alerts"_s);
    QCOMPARE(firstRuleShown, u"7"_s);
    QCOMPARE(int(store.ruleList[0].value), 7);
    QCOMPARE(fileText(), before);
}

void CommandsTest::aboutBox()
{
    QFETCH(QString, route);
    QVERIFY(writeTaskFile({}));
    const std::string before = fileText();
    Module1 store;
    frmMain w(store);
    showActive(w);

    ModalScript script;
    script.then(clickBoxButton(QMessageBox::Ok));
    give(w, aboutCommand, route);

    QVERIFY2(script.problems().isEmpty(), qPrintable(script.problems()));
    QCOMPARE(script.seen().size(), 1);
    const SeenModal& about = script.seen()[0];
    QCOMPARE(about.kind, u"box"_s);
    QVERIFY(about.title.contains(u"Taskwyn"_s));
    QVERIFY2(about.text.startsWith(QStringLiteral("Taskwyn " TASKWYN_VERSION)), qPrintable(about.text));
    QVERIFY(about.text.split(u'\n', Qt::SkipEmptyParts).size() >= 2); // and a line on what it is
    QCOMPARE(fileText(), before);
}

QTEST_MAIN(CommandsTest)
#include "tst_commands.moc"
