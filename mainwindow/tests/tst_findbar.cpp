#include "mainwindow/tests/commandtesting.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

const std::vector<TaskSpec> findTasks{{"Caf\u00E9 order", 1, "N", "call at noon", "J\u00FCrgen"},
                                      {"Buy milk", 2, "N", "from the shop in M\u00DCNCHEN"},
                                      {"Write report", 3, "N", "", "Ann"},
                                      {"Old caf\u00E9 bill", 4, "Y"}};

void find(frmMain& w, const QString& words)
{
    menuItem(w, "menu_find").trigger();
    typeText(control<QLineEdit>(w, "findField"), words);
}

} // namespace

// The find bar: the words typed narrow the current view, the commands act on the tasks shown, and
// closing it brings every task back with the selection kept.
class FindBarTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { pinToday(testToday); }
    void cleanup() { QCOMPARE(QApplication::topLevelWidgets().size(), 0); }

    void typingNarrowsTheView_data()
    {
        QTest::addColumn<int>("view");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<QString>("count");
        const QStringList live{u"Caf\u00E9 order"_s, u"Buy milk"_s, u"Write report"_s};
        QTest::newRow("nothing typed") << 1 << QString() << live << u"3 of 3"_s;
        QTest::newRow("one word") << 1 << u"order"_s << live.mid(0, 1) << u"1 of 3"_s;
        QTest::newRow("selected task left out") << 1 << u"milk  BUY"_s << live.mid(1, 1) << u"1 of 3"_s;
        QTest::newRow("sort order kept") << 1 << u"r"_s << live << u"3 of 3"_s;
        QTest::newRow("recycled view") << 2 << u"CAFE"_s << QStringList{u"Old caf\u00E9 bill"_s} << u"1 of 1"_s;
    }

    void typingNarrowsTheView()
    {
        QFETCH(int, view);
        QFETCH(QString, typed);
        QFETCH(QStringList, titles);
        QFETCH(QString, count);
        auto&& [store, w] = WindowWith(findTasks, Shown::exposed);
        clickPane(w, view);
        w.highlight(1);
        const QString selected = selectedTitle(w, store);
        find(w, typed);
        QCOMPARE(rowCaptions(lblTitle(w)), titles);
        QCOMPARE(control<QLabel>(w, "findCount").text(), count);
        // No command may act on a task the list no longer shows.
        QCOMPARE(selectedTitle(w, store), titles.contains(selected) ? selected : QString());
        QTest::mouseClick(&control<QToolButton>(w, "findClose"), Qt::LeftButton);
        QCOMPARE(QString::number(lblTitle(w).count() - 1), count.section(u' ', 2)); // every task of the view
    }

    void commandsActOnTheTaskShown_data()
    {
        QTest::addColumn<int>("view");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("title"); // of the task the command must act on, afterwards
        QTest::addColumn<QString>("line");  // that its block must hold
        QTest::addColumn<QStringList>("titles");
        QTest::newRow("delete") << 1 << u"milk"_s << u"menu_delete"_s << u"Buy milk"_s << u"del=Y"_s << QStringList();
        QTest::newRow("un-delete") << 2 << u"bill"_s << u"menu_undelete"_s << u"Old caf\u00E9 bill"_s << u"del=N"_s
                                   << QStringList();
        QTest::newRow("edit") << 1 << u"milk"_s << u"menu_modify"_s << u"Oat drink"_s << u"des=from the shop"_s
                              << QStringList{u"Oat drink"_s};
    }

    void commandsActOnTheTaskShown()
    {
        QFETCH(int, view);
        QFETCH(QString, typed);
        QFETCH(QString, command);
        QFETCH(QString, title);
        QFETCH(QString, line);
        QFETCH(QStringList, titles);
        auto&& [store, w] = WindowWith(findTasks, Shown::exposed);
        clickPane(w, view);
        find(w, typed);
        w.highlight(1);
        ModalScript script;
        if (command == u"menu_delete")
            script.then(clickBoxButton(QMessageBox::Yes));
        else if (command == u"menu_modify")
            script.then([](QWidget& editor) {
                retype(control<QLineEdit>(editor, "txtTitle"), u"Oat drink"_s);
                QTest::mouseClick(&dialogButton(editor, u"&Ok"_s), Qt::LeftButton);
            });
        menuItem(w, qPrintable(command)).trigger();

        QVERIFY2(script.problems().isEmpty(), qPrintable(script.problems()));
        QVERIFY(QString::fromStdString(taskBlock(fileText(), title.toStdString())).contains(line));
        // An edited task that no longer matches stays until the next key in the field.
        QCOMPARE(rowCaptions(lblTitle(w)), titles);
        QTest::keyClick(&control<QLineEdit>(w, "findField"), Qt::Key_Space);
        QCOMPARE(rowCaptions(lblTitle(w)), QStringList());
    }

    void filterLastsUntilClosed()
    {
        std::vector<TaskSpec> tasks(50, TaskSpec{"Filler"});
        tasks.insert(tasks.end(), findTasks.begin(), findTasks.end());
        auto&& [store, w] = WindowWith(tasks, Shown::active);
        const QRect paneBefore = twipsOf(w, "pctContainer");
        QTest::keySequence(&control<QPlainTextEdit>(w, "txtDescription"), QKeySequence::Find); // a box that eats keys
        typeText(control<QLineEdit>(w, "findField"), u"cafe"_s);
        QVERIFY(twipsOf(w, "pctContainer").height() < paneBefore.height());
        clickPane(w, NavigationPane::Recycled);
        QCOMPARE(rowCaptions(lblTitle(w)), QStringList{u"Old caf\u00E9 bill"_s});
        clickPane(w, NavigationPane::Attention);
        clickPane(w, NavigationPane::AllItems);
        QCOMPARE(rowCaptions(lblTitle(w)), QStringList{u"Caf\u00E9 order"_s});

        Module1 other;
        QVERIFY(other.loadTasks().ok);
        other.taskList[static_cast<std::size_t>(*other.appendEmptyTask())] = taskFrom({"Caf\u00E9 beans", 5});
        QVERIFY(other.saveTasks().ok);
        QTRY_COMPARE_WITH_TIMEOUT(lblTitle(w).count(), 3, 2000);
        QCOMPARE(control<QLabel>(w, "findCount").text(), u"2 of 54"_s);

        QTest::keyClick(&control<QLineEdit>(w, "findField"), Qt::Key_Down);
        QCOMPARE(selectedTitle(w, store), u"Caf\u00E9 order"_s);
        QTest::keyClick(&control<QLineEdit>(w, "findField"), Qt::Key_Escape);
        QCOMPARE(twipsOf(w, "pctContainer"), paneBefore);
        QCOMPARE(lblTitle(w).count(), 55);
        QCOMPARE(highlightedRows(w), QList<int>{51});
        const int shownFrom = control<QScrollBar>(w, "vscroll").value() * 15;
        QVERIFY(lblTitle(w)[51].top >= shownFrom && lblTitle(w)[51].top < shownFrom + paneBefore.height());
        QVERIFY(control<LabelContainer>(w, "lstContainer").hasFocus());
    }
};

QTEST_MAIN(FindBarTest)
#include "tst_findbar.moc"
