#include "mainwindow/tests/commandtesting.h"

#include "widgets/twips.h"

#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>

using namespace Qt::StringLiterals;

// The list from the keyboard: the moving keys select through the list's own highlight and scroll
// the row into view; Enter edits, Delete deletes, and the menu keys open the row's menu.
class KeyboardTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { pinToday(testToday); }
    void cleanup() { QCOMPARE(QApplication::topLevelWidgets().size(), 0); }

    void movingKeys_data();
    void movingKeys();
    void keysFollowTheRowsOfTheView();
    void enterEdits_data();
    void enterEdits();
    void deleteKeyAsks_data();
    void deleteKeyAsks();
    void menuKeysOpenTheRowMenu_data();
    void menuKeysOpenTheRowMenu();
    void shortcutsReachTheirCommands_data();
    void shortcutsReachTheirCommands();
    void viewsWithoutTheMouse_data();
    void viewsWithoutTheMouse();
};

namespace {

constexpr int taskCount = 60;

// Task 00 to Task 59, due one day after another, so the rows keep this order.
std::vector<TaskSpec> manyTasks()
{
    std::vector<TaskSpec> tasks;
    for (int i = 0; i < taskCount; ++i)
        tasks.push_back({QStringLiteral("Task %1").arg(i, 2, 10, QLatin1Char('0')).toStdString(), i});
    return tasks;
}

// Recycled and live tasks taking turns, so that rows and slots part.
std::vector<TaskSpec> mixedTasks()
{
    return {{"Live A", 1}, {"Bin A", 2, "Y"}, {"Live B", 3}, {"Bin B", 4, "Y"}, {"Bin C", 5, "Y"}, {"Live C", 6}};
}

void focusList(frmMain& w)
{
    showActive(w);
    control<LabelContainer>(w, "lstContainer").setFocus();
    QTRY_VERIFY(control<LabelContainer>(w, "lstContainer").hasFocus());
}

// Keys go to the window, which hands them to whatever has the focus, as a real key press would.
void press(frmMain& w, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(w.windowHandle(), static_cast<Qt::Key>(key), modifiers);
}

// Where row `row` lies in the list pane, in pixels.
QRect rowInPane(const frmMain& w, int row)
{
    const LabelElement& cell = lblFor(w)[row];
    return QRect(0, px(cell.top), 10, px(cell.height)).translated(control<LabelContainer>(w, "lstContainer").pos());
}

// Rows that show in full below the headers while the list is at its top.
int rowsOnAPage(const frmMain& w)
{
    int rows = 0;
    while (control<QWidget>(w, "pctContainer").rect().contains(rowInPane(w, rows + 1)))
        ++rows;
    return rows;
}

} // namespace

void KeyboardTest::movingKeys_data()
{
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<bool>("fromLast"); // the expected row counts from the last row, not from 0
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("pages");

    const int down = Qt::Key_Down, up = Qt::Key_Up, home = Qt::Key_Home, end = Qt::Key_End;
    const int pageDown = Qt::Key_PageDown, pageUp = Qt::Key_PageUp;
    QTest::newRow("Down selects the first row") << QList<int>{down} << false << 1 << 0;
    QTest::newRow("Down three times") << QList<int>{down, down, down} << false << 3 << 0;
    QTest::newRow("Down, Down, Up") << QList<int>{down, down, up} << false << 1 << 0;
    QTest::newRow("End") << QList<int>{end} << true << 0 << 0;
    QTest::newRow("End, Up") << QList<int>{end, up} << true << -1 << 0;
    QTest::newRow("End, Down stays") << QList<int>{end, down} << true << 0 << 0;
    QTest::newRow("End, Home") << QList<int>{end, home} << false << 1 << 0;
    QTest::newRow("Home, Up stays") << QList<int>{home, up} << false << 1 << 0;
    QTest::newRow("Home, Page Down") << QList<int>{home, pageDown} << false << 1 << 1;
    QTest::newRow("Home, Page Down twice") << QList<int>{home, pageDown, pageDown} << false << 1 << 2;
    QTest::newRow("Page Down twice, Page Up") << QList<int>{home, pageDown, pageDown, pageUp} << false << 1 << 1;
    QTest::newRow("End, Page Up") << QList<int>{end, pageUp} << true << 0 << -1;
    QTest::newRow("End, Page Down stays") << QList<int>{end, pageDown} << true << 0 << 0;
    QTest::newRow("Home, Page Up stays") << QList<int>{home, pageUp} << false << 1 << 0;
}

void KeyboardTest::movingKeys()
{
    QFETCH(QList<int>, keys);
    QFETCH(bool, fromLast);
    QFETCH(int, rows);
    QFETCH(int, pages);
    auto&& [store, w] = WindowWith(manyTasks());
    focusList(w);
    const int page = rowsOnAPage(w);
    QVERIFY2(page >= 3 && page < taskCount / 3, "enough tasks to scroll several pages");
    const int expected = (fromLast ? taskCount : 0) + rows + pages * page;

    for (const int key : keys)
        press(w, key);

    QCOMPARE(highlightedRows(w), QList<int>{expected});
    QCOMPARE(selectedTitle(w, store), rowCaptions(lblTitle(w)).value(expected - 1));
    QVERIFY2(control<QWidget>(w, "pctContainer").rect().contains(rowInPane(w, expected)),
             qPrintable(u"row %1 at scroll value %2"_s.arg(expected).arg(control<QScrollBar>(w, "vscroll").value())));
    QCOMPARE(-control<LabelContainer>(w, "lstContainer").y(), px(15 * control<QScrollBar>(w, "vscroll").value()));
    if (expected == 1)
        QCOMPARE(control<QScrollBar>(w, "vscroll").value(), 0); // the headers come back into view with the first row
}

void KeyboardTest::keysFollowTheRowsOfTheView()
{
    auto&& [store, w] = WindowWith(mixedTasks());
    focusList(w);
    clickPane(w, NavigationPane::Recycled);
    control<LabelContainer>(w, "lstContainer").setFocus();

    press(w, Qt::Key_Down);
    press(w, Qt::Key_Down);
    QCOMPARE(rowCaptions(lblTitle(w)), (QStringList{u"Bin A"_s, u"Bin B"_s, u"Bin C"_s}));
    QCOMPARE(highlightedRows(w), QList<int>{2});
    QCOMPARE(selectedTitle(w, store), u"Bin B"_s);
    press(w, Qt::Key_End);
    QCOMPARE(selectedTitle(w, store), u"Bin C"_s);
}

void KeyboardTest::enterEdits_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Return") << int(Qt::Key_Return);
    QTest::newRow("Enter of the keypad") << int(Qt::Key_Enter);
}

void KeyboardTest::enterEdits()
{
    QFETCH(int, key);
    auto&& [store, w] = WindowWith(mixedTasks());
    focusList(w);

    ModalScript script;
    press(w, key);
    QVERIFY2(script.seen().isEmpty(), "nothing selected: nothing opens");

    press(w, Qt::Key_Down);
    press(w, Qt::Key_Down);
    script.then(pressButton(u"&Cancel"_s));
    press(w, key);
    QVERIFY2(script.problems().isEmpty(), qPrintable(script.problems()));
    QCOMPARE(script.seen().value(0).kind, u"frmTask"_s);
    QCOMPARE(script.seen().value(0).text, u"Live B"_s);
}

void KeyboardTest::deleteKeyAsks_data()
{
    QTest::addColumn<bool>("recycledView");
    QTest::addColumn<QString>("question");
    QTest::newRow("live task") << false << u"Are you sure?"_s;
    QTest::newRow("recycled task") << true << u"Are you sure? This will delete the item, permanently!!!"_s;
}

void KeyboardTest::deleteKeyAsks()
{
    QFETCH(bool, recycledView);
    QFETCH(QString, question);
    auto&& [store, w] = WindowWith(mixedTasks());
    focusList(w);
    if (recycledView) {
        clickPane(w, NavigationPane::Recycled);
        control<LabelContainer>(w, "lstContainer").setFocus();
    }
    press(w, Qt::Key_Down);
    press(w, Qt::Key_Down);
    const std::string chosen = selectedTitle(w, store).toStdString();

    ModalScript script;
    script.then(clickBoxButton(QMessageBox::Yes));
    press(w, Qt::Key_Delete);

    QVERIFY2(script.problems().isEmpty(), qPrintable(script.problems()));
    QCOMPARE(script.seen().value(0).title, u"Delete this entry?!"_s);
    QCOMPARE(script.seen().value(0).text, question);
    const std::string file = fileText();
    if (recycledView)
        QVERIFY(file.find(chosen) == std::string::npos);
    else
        QVERIFY(taskBlock(file, chosen).find("del=Y\r\n") != std::string::npos);
    QCOMPARE(int(store.taskCount), recycledView ? 5 : 6);
}

void KeyboardTest::menuKeysOpenTheRowMenu_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::newRow("Menu key") << int(Qt::Key_Menu) << int(Qt::NoModifier);
    QTest::newRow("Shift+F10") << int(Qt::Key_F10) << int(Qt::ShiftModifier);
}

void KeyboardTest::menuKeysOpenTheRowMenu()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    auto&& [store, w] = WindowWith(mixedTasks());
    focusList(w);
    press(w, Qt::Key_Down);
    press(w, Qt::Key_Down);

    press(w, key, Qt::KeyboardModifiers(modifiers));
    QTRY_VERIFY(control<QMenu>(w, "menu_short").isVisible());
    // Just below the selected row, where the pointer would have opened it.
    const QRect row = rowInPane(w, 2);
    const QPoint rowBottom = control<QWidget>(w, "pctContainer").mapToGlobal(QPoint(row.left(), row.bottom() + 1));
    QCOMPARE(control<QMenu>(w, "menu_short").geometry().top(), rowBottom.y());

    // The menu takes the keys now: its access key edits the selected task.
    ModalScript script;
    script.then(pressButton(u"&Cancel"_s));
    QTest::keyClick(&control<QMenu>(w, "menu_short"), Qt::Key_E);
    QVERIFY2(script.problems().isEmpty(), qPrintable(script.problems()));
    QCOMPARE(script.seen().value(0).text, u"Live B"_s);
    QVERIFY(!control<QMenu>(w, "menu_short").isVisible());
}

QTEST_MAIN(KeyboardTest)
#include "tst_keyboard.moc"

void KeyboardTest::shortcutsReachTheirCommands_data()
{
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("modal"); // what opens, answered with Cancel or No
    QTest::newRow("New") << QKeySequence(QKeySequence::New) << u"menu_new"_s << u"frmTask"_s;
    QTest::newRow("F2") << QKeySequence(Qt::Key_F2) << u"menu_modify"_s << u"frmTask"_s;
    QTest::newRow("Delete") << QKeySequence(Qt::Key_Delete) << u"menu_delete"_s << u"box"_s;
    QTest::newRow("Quit") << QKeySequence(Qt::CTRL | Qt::Key_Q) << u"menu_exi"_s << QString();
}

void KeyboardTest::shortcutsReachTheirCommands()
{
    QFETCH(QKeySequence, keys);
    QFETCH(QString, command);
    QFETCH(QString, modal);
    auto&& [store, w] = WindowWith(mixedTasks());
    focusList(w);
    press(w, Qt::Key_Down);
    QAction& action = control<QAction>(w, qPrintable(command));
    QVERIFY2(action.shortcuts().contains(keys), "shown in the menu");
    // Nothing may really quit the test.
    if (command == u"menu_exi"_s)
        action.disconnect(qApp);

    QSignalSpy triggered(&action, &QAction::triggered);
    ModalScript script;
    if (!modal.isEmpty())
        script.then(modal == u"box"_s ? clickBoxButton(QMessageBox::No) : pressButton(u"&Cancel"_s));
    QTest::keySequence(w.windowHandle(), keys);
    QCOMPARE(triggered.size(), 1);
    QVERIFY2(script.problems().isEmpty(), qPrintable(script.problems()));
    QCOMPARE(script.seen().value(0).kind, modal);
}

void KeyboardTest::viewsWithoutTheMouse_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<int>("accessKey");
    QTest::addColumn<int>("view");
    QTest::newRow("Immideate Attention") << u"menu_attention"_s << int(Qt::Key_I) << int(NavigationPane::Attention);
    QTest::newRow("Recycled") << u"menu_recycled"_s << int(Qt::Key_R) << int(NavigationPane::Recycled);
}

// Each view by the View menu's access keys, and by Tab to the pane's button and Space.
void KeyboardTest::viewsWithoutTheMouse()
{
    QFETCH(QString, item);
    QFETCH(int, accessKey);
    QFETCH(int, view);
    auto&& [store, w] = WindowWith(mixedTasks());
    focusList(w);
    press(w, Qt::Key_V, Qt::AltModifier);
    QTRY_VERIFY(control<QMenu>(w, "menu_view").isVisible());
    QTest::keyClick(&control<QMenu>(w, "menu_view"), static_cast<Qt::Key>(accessKey));
    QTRY_COMPARE(boldCaption(w), view);
    QCOMPARE(w.showRecycled(), view == NavigationPane::Recycled);
    QVERIFY(control<QAction>(w, qPrintable(item)).text().contains(paneCaption(w, view).text().left(3)));

    clickPane(w, NavigationPane::AllItems);
    hotArea(w, 0).setFocus();
    for (int i = 0; i < view; ++i)
        press(w, Qt::Key_Tab);
    QTRY_VERIFY(hotArea(w, view).hasFocus());
    QCOMPARE(framedButtons(w), 1);
    press(w, Qt::Key_Space);
    QCOMPARE(boldCaption(w), view);
    // The tab order goes on from the pane to the list, then to the description.
    hotArea(w, NavigationPane::NewTask).setFocus();
    press(w, Qt::Key_Tab);
    QTRY_VERIFY(control<LabelContainer>(w, "lstContainer").hasFocus());
    press(w, Qt::Key_Tab);
    QTRY_VERIFY(control<QWidget>(w, "txtDescription").hasFocus());
}
