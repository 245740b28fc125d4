#include "mainwindow/tests/mainwindowtest.h"

#include "mainwindow/navigationpane.h"
#include "widgets/labelcontainer.h"
#include "widgets/readablecolor.h"
#include "widgets/sortheaderbutton.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QWheelEvent>

#include <clocale>
#include <map>

using namespace Qt::StringLiterals;

// The list pane of the main window: rows of each view, sorting by header, selection, colours by
// rule, the description box, presses on rows and the wheel.
class TaskListTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        pinToday(testToday);
        QApplication::setWheelScrollLines(3);
    }
    void cleanup() { QCOMPARE(QApplication::topLevelWidgets().size(), 0); }

    void rowsOfEachView_data();
    void rowsOfEachView();
    void dueColumnShowsDateAndTime();
    void headerTransitions_data();
    void headerTransitions();
    void selectionFollowsSlotAfterResort();
    void selectionWithoutMatchingRow();
    void highlightColours();
    void descriptionBoxTakesNoTyping();
    void ruleColours_data();
    void ruleColours();
    void pressOnRow_data();
    void pressOnRow();
    void wheelScrollsRows_data();
    void wheelScrollsRows();
    void rowsReadUnderADarkPalette();
    void nothingCutInTheDefaultWindow_data();
    void nothingCutInTheDefaultWindow();
};

namespace {

// Slots 0 to 4 in due order; marks: live, recycled, lower-case "y", empty, recycled.
std::vector<TaskSpec> mixedTasks()
{
    return {{"Alpha", 1, "N"}, {"Beta", 2, "Y"}, {"Gamma", 3, "y"}, {"Delta", 4, ""}, {"Epsilon", 5, "Y"}};
}

bool rowHighlighted(const frmMain& w, int row)
{
    for (const LabelArray* cell : {&lblFor(w), &lblTitle(w), &lblDue(w)}) {
        const LabelElement& e = (*cell)[row];
        if (!e.opaque || e.backColor != QColor(0, 0, 100) || e.foreColor != QColor(Qt::white))
            return false;
    }
    return true;
}

int highlightedRowCount(const frmMain& w)
{
    int count = 0;
    for (int row = 1; row < lblFor(w).count(); ++row)
        count += lblFor(w)[row].opaque || lblTitle(w)[row].opaque || lblDue(w)[row].opaque;
    return count;
}

// The mixed tasks and enough recycled ones after them for the live view to scroll.
std::vector<TaskSpec> scrollingTasks()
{
    std::vector<TaskSpec> tasks = mixedTasks();
    for (int i = 0; i < 40; ++i)
        tasks.push_back({"Filler", 30 + i, "Y"});
    return tasks;
}

int rowOfTitle(const frmMain& w, const QString& title)
{
    return static_cast<int>(rowCaptions(lblTitle(w)).indexOf(title)) + 1;
}

} // namespace

void TaskListTest::rowsOfEachView_data()
{
    QTest::addColumn<bool>("recycled");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QStringList>("slotCaptions");

    // Only exactly "Y" is recycled; row numbers and slots part as soon as a task is skipped.
    QTest::newRow("live") << false << QStringList{u"Alpha"_s, u"Gamma"_s, u"Delta"_s}
                          << QStringList{u"0"_s, u"2"_s, u"3"_s};
    QTest::newRow("recycled") << true << QStringList{u"Beta"_s, u"Epsilon"_s} << QStringList{u"1"_s, u"4"_s};
}

void TaskListTest::rowsOfEachView()
{
    QFETCH(bool, recycled);
    QFETCH(QStringList, titles);
    QFETCH(QStringList, slotCaptions);
    auto&& [store, w] = WindowWith(mixedTasks());
    if (recycled)
        w.Image1_Click(NavigationPane::Recycled);

    QCOMPARE(rowCaptions(lblTitle(w)), titles);
    QCOMPARE(rowCaptions(lblID2(w)), slotCaptions);
    QCOMPARE(rowCaptions(lblFor(w)), QStringList(titles.size(), u"Sam"_s));
    for (int row = 1; row <= titles.size(); ++row) {
        for (const LabelArray* cell : {&lblTitle(w), &lblFor(w), &lblDue(w)}) {
            QCOMPARE((*cell)[row].top, row * 255);
            QVERIFY((*cell)[row].visible);
        }
        QVERIFY(!lblID2(w)[row].visible);
    }
    // Every stored task counts towards the height, listed or not.
    QCOMPARE(twipsOf(w, "lstContainer").height(), 7 * 255 + twipsOf(w, "pctContainer").height());
}

void TaskListTest::dueColumnShowsDateAndTime()
{
    auto&& [store, w] = WindowWith({{"Someday", noDueDate}, {"Alpha", 0}});
    QCOMPARE(rowCaptions(lblDue(w)), (QStringList{u"March 15/24 at 09:30:00"_s, QString()}));
}

void TaskListTest::headerTransitions_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<QString>("header");
    QTest::addColumn<int>("after");

    const int table[][4] = {{0, 10, 1, 2},   {1, 0, 11, 2},   {2, 0, 1, 12},
                            {10, 0, 11, 12}, {11, 10, 1, 12}, {12, 10, 11, 2}};
    const char* headers[] = {"cmdTitle", "cmdFor", "cmdDue"};
    for (const auto& row : table) {
        for (int column = 0; column < 3; ++column) {
            QTest::addRow("%d %s", row[0], headers[column])
                << row[0] << QString::fromLatin1(headers[column]) << row[column + 1];
        }
    }
}

void TaskListTest::headerTransitions()
{
    QFETCH(int, before);
    QFETCH(QString, header);
    QFETCH(int, after);
    auto&& [store, w] = WindowWith(
        {{"Bravo", 2, "N", "", "Ann"}, {"Alpha", 3, "N", "", "Cy"}, {"Charlie", 1, "N", "", "Bo"}}, Shown::exposed);
    store.sortKey = static_cast<std::int16_t>(before);

    auto* button = w.findChild<QPushButton*>(header);
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(int(store.sortKey), after);
    const std::map<int, QStringList> orders{
        {0, {u"Alpha"_s, u"Bravo"_s, u"Charlie"_s}}, {10, {u"Charlie"_s, u"Bravo"_s, u"Alpha"_s}},
        {1, {u"Bravo"_s, u"Charlie"_s, u"Alpha"_s}}, {11, {u"Alpha"_s, u"Charlie"_s, u"Bravo"_s}},
        {2, {u"Charlie"_s, u"Bravo"_s, u"Alpha"_s}}, {12, {u"Alpha"_s, u"Bravo"_s, u"Charlie"_s}}};
    QCOMPARE(rowCaptions(lblTitle(w)), orders.at(after));

    // Only the sorted column's header shows the order, and which way it runs.
    const char* headers[] = {"cmdTitle", "cmdFor", "cmdDue"};
    for (int column = 0; column < 3; ++column) {
        const auto* shown = qobject_cast<const SortHeaderButton*>(&control<QPushButton>(w, headers[column]));
        QVERIFY(shown);
        const std::optional<Qt::SortOrder> expected =
            after % 10 != column ? std::nullopt : std::optional(after < 10 ? Qt::AscendingOrder : Qt::DescendingOrder);
        QCOMPARE(shown->sortOrder(), expected);
    }
}

// The selection follows the slot number: after a re-sort it names whatever task now sits there.
void TaskListTest::selectionFollowsSlotAfterResort()
{
    auto&& [store, w] = WindowWith({{"Echo", 1, "N", "about echo"},
                                    {"Delta", 2, "N", "about delta"},
                                    {"Charlie", 3, "N", "about charlie"},
                                    {"Bravo", 4, "N", "about bravo"},
                                    {"Alpha", 5, "N", "about alpha"}},
                                   Shown::exposed);
    w.highlight(static_cast<std::int16_t>(rowOfTitle(w, u"Alpha"_s)));
    QCOMPARE(int(w.selectedIndex()), 5);

    QTest::mouseClick(&control<QPushButton>(w, "cmdTitle"), Qt::LeftButton);
    QCOMPARE(rowCaptions(lblTitle(w)), (QStringList{u"Alpha"_s, u"Bravo"_s, u"Charlie"_s, u"Delta"_s, u"Echo"_s}));
    QCOMPARE(int(w.selectedIndex()), 5);
    QVERIFY(rowHighlighted(w, rowOfTitle(w, u"Echo"_s)));
    QCOMPARE(highlightedRowCount(w), 1);
    QCOMPARE(control<QPlainTextEdit>(w, "txtDescription").toPlainText(), u"about echo"_s);
}

void TaskListTest::selectionWithoutMatchingRow()
{
    auto&& [store, w] = WindowWith({{"Alpha", 1, "N", "about alpha"},
                                    {"Bravo", 2, "N", "about bravo"},
                                    {"Zulu", 3, "Y", "about zulu"},
                                    {"Charlie", 4, "N", "about charlie"},
                                    {"Delta", 5, "N", "about delta"}},
                                   Shown::exposed);
    w.highlight(static_cast<std::int16_t>(rowOfTitle(w, u"Delta"_s)));
    QCOMPARE(int(w.selectedIndex()), 5);

    // By title the recycled Zulu moves into slot 4, which the live view does not list.
    QTest::mouseClick(&control<QPushButton>(w, "cmdTitle"), Qt::LeftButton);
    QCOMPARE(store.taskList[4].title, "Zulu");
    QCOMPARE(int(w.selectedIndex()), 5);
    QCOMPARE(highlightedRowCount(w), 0);
    QCOMPARE(control<QPlainTextEdit>(w, "txtDescription").toPlainText(), u"about delta"_s);

    // A remembered selection beyond the table is dropped.
    store.taskCount = 4;
    w.drawList();
    QCOMPARE(int(w.selectedIndex()), 0);
}

void TaskListTest::highlightColours()
{
    const std::int32_t blue = 0xFF0000;
    auto&& [store, w] = WindowWith({{"Late", -2}, {"Soon", 2}, {"Later", 20}}, {{7, blue}});

    w.highlight(1);
    QVERIFY(rowHighlighted(w, 1));
    QVERIFY(lblTitle(w)[1].bold); // the selection keeps the rule's weight
    QCOMPARE(lblFor(w)[2].foreColor, QColor(Qt::blue));
    QVERIFY(!lblFor(w)[2].opaque);

    w.highlight(2);
    QVERIFY(rowHighlighted(w, 2));
    QVERIFY(!lblTitle(w)[2].bold);
    for (const LabelArray* cell : {&lblFor(w), &lblTitle(w), &lblDue(w)}) {
        QVERIFY(!(*cell)[1].opaque);
        QCOMPARE((*cell)[1].foreColor, QColor(Qt::blue));
    }
    QCOMPARE(lblDue(w)[3].foreColor, QColor(Qt::black));
    QCOMPARE(highlightedRowCount(w), 1);
}

void TaskListTest::descriptionBoxTakesNoTyping()
{
    auto&& [store, w] = WindowWith({{"Alpha", 1, "N", "First line\r\nSecond"}}, Shown::exposed);
    w.highlight(1);
    QPlainTextEdit* box = &control<QPlainTextEdit>(w, "txtDescription");
    const QString shown = u"First line\nSecond"_s;
    QCOMPARE(box->toPlainText(), shown);

    box->setFocus();
    box->moveCursor(QTextCursor::Start);
    QTest::keyClicks(box, u"typed"_s);
    for (const Qt::Key key : {Qt::Key_Backspace, Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space})
        QTest::keyClick(box, key);
    box->moveCursor(QTextCursor::End);
    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(box->toPlainText(), shown);

    // Keys without a character keep working, and nothing done in the box is kept.
    box->moveCursor(QTextCursor::Start);
    QTest::keyClick(box, Qt::Key_Right);
    QTest::keyClick(box, Qt::Key_Delete);
    QCOMPARE(box->toPlainText(), u"Frst line\nSecond"_s);
    QCOMPARE(store.taskList[0].description, "First line\r\nSecond");
    w.highlight(1);
    QCOMPARE(box->toPlainText(), shown);
}

void TaskListTest::ruleColours_data()
{
    QTest::addColumn<QList<int>>("values"); // rule i has the colour 0x10 * (i + 1) in red
    QTest::addColumn<int>("dueInDays");
    QTest::addColumn<int>("colourOfRule"); // -1: black
    QTest::addColumn<bool>("bold");

    QTest::newRow("7 then 3, due in 2: smallest value wins") << QList<int>{7, 3} << 2 << 1 << false;
    QTest::newRow("7 then 3, due in 5") << QList<int>{7, 3} << 5 << 0 << false;
    QTest::newRow("7 then 3, due in 10: none applies") << QList<int>{7, 3} << 10 << -1 << false;
    QTest::newRow("3 and 3: the later rule on a tie") << QList<int>{3, 3} << 1 << 1 << false;
    QTest::newRow("3, 1, 3 due today: the later 3 does not replace 1") << QList<int>{3, 1, 3} << 0 << 1 << true;
    QTest::newRow("overdue, a rule applies") << QList<int>{7} << -4 << 0 << true;
    QTest::newRow("due today, no rule applies: black but bold") << QList<int>{-1} << 0 << -1 << true;
    QTest::newRow("-1 colours one day overdue") << QList<int>{-1} << -1 << 0 << true;
    QTest::newRow("no rules, overdue") << QList<int>{} << -3 << -1 << false;
    QTest::newRow("no rules, due in 3") << QList<int>{} << 3 << -1 << false;
    QTest::newRow("no due date: not even the widest rule") << QList<int>{32767} << noDueDate << -1 << false;
}

void TaskListTest::ruleColours()
{
    QFETCH(QList<int>, values);
    QFETCH(int, dueInDays);
    QFETCH(int, colourOfRule);
    QFETCH(bool, bold);
    std::vector<RuleSpec> rules;
    for (qsizetype i = 0; i < values.size(); ++i)
        rules.push_back({static_cast<std::int16_t>(values[i]), static_cast<std::int32_t>(0x10 * (i + 1))});
    auto&& [store, w] = WindowWith({{"Task", dueInDays}}, rules);

    const QColor expected = colourOfRule < 0 ? QColor(Qt::black) : QColor(0x10 * (colourOfRule + 1), 0, 0);
    for (const LabelArray* cell : {&lblFor(w), &lblTitle(w), &lblDue(w)}) {
        QCOMPARE((*cell)[1].foreColor, expected);
        QCOMPARE((*cell)[1].bold, bold);
    }
}

void TaskListTest::pressOnRow_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<int>("scrollValue");
    QTest::addColumn<int>("viewportY"); // pixels from the top of the visible list
    QTest::addColumn<int>("selectedIndex");
    QTest::addColumn<bool>("menu");

    // Rows of the live view: 1 slot 0, 2 slot 2, 3 slot 3 (slot 1 is recycled).
    QTest::newRow("left on row 2") << Qt::LeftButton << 0 << 2 * 17 + 5 << 3 << false;
    QTest::newRow("middle on row 1") << Qt::MiddleButton << 0 << 17 + 16 << 1 << false;
    QTest::newRow("right on row 3 opens the menu") << Qt::RightButton << 0 << 3 * 17 + 1 << 4 << true;
    QTest::newRow("scrolled one row, left on row 3") << Qt::LeftButton << 17 << 2 * 17 + 5 << 4 << false;
    QTest::newRow("scrolled one step, left on row 2's last pixel") << Qt::LeftButton << 1 << 2 * 17 + 15 << 3 << false;
}

void TaskListTest::pressOnRow()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(int, scrollValue);
    QFETCH(int, viewportY);
    QFETCH(int, selectedIndex);
    QFETCH(bool, menu);
    auto&& [store, w] = WindowWith(scrollingTasks(), Shown::exposed);
    control<QScrollBar>(w, "vscroll").setValue(scrollValue);
    QCOMPARE(twipsOf(w, "lstContainer").top(), -15 * scrollValue);

    // Through the window, so that Qt finds the widget under the pointer as for a real click.
    const QPoint inWindow = control<QWidget>(w, "pctContainer").mapTo(&w, QPoint(20, viewportY));
    QTest::mousePress(w.windowHandle(), button, {}, inWindow);
    QCOMPARE(int(w.selectedIndex()), selectedIndex);
    QCOMPARE(highlightedRowCount(w), 1);
    QCOMPARE(control<QMenu>(w, "menu_short").isVisible(), menu);
    control<QMenu>(w, "menu_short").hide();
    QTest::mouseRelease(w.windowHandle(), button, {}, inWindow);

    // A double-click with the left button opens the editor on the row it highlighted.
    if (button != Qt::LeftButton)
        return;
    ModalScript script;
    script.then(pressButton(u"&Cancel"_s));
    QTest::mouseDClick(w.windowHandle(), button, {}, inWindow);
    QTRY_COMPARE(script.seen().size(), 1);
    QCOMPARE(script.seen()[0].text, QString::fromStdString(store.taskList[selectedIndex - 1].title));
}

void TaskListTest::wheelScrollsRows_data()
{
    QTest::addColumn<QString>("over");
    QTest::addColumn<int>("startValue");
    QTest::addColumn<bool>("pixels"); // a touchpad's pixel deltas rather than the wheel's angles
    QTest::addColumn<QList<int>>("deltas");
    QTest::addColumn<int>("endValue");

    // A row is 17 steps; a notch is three rows.
    QTest::newRow("a notch down over the rows") << u"lstContainer"_s << 0 << false << QList<int>{-120} << 3 * 17;
    QTest::newRow("a notch up") << u"lstContainer"_s << 60 << false << QList<int>{120} << 60 - 3 * 17;
    QTest::newRow("a notch over the scroll bar") << u"vscroll"_s << 0 << false << QList<int>{-120} << 3 * 17;
    QTest::newRow("fifths of a notch add up") << u"lstContainer"_s << 0 << false << QList<int>(5, -24) << 3 * 17;
    QTest::newRow("pixels, one step each") << u"lstContainer"_s << 0 << true << QList<int>{-7, -7} << 14;
}

void TaskListTest::wheelScrollsRows()
{
    QFETCH(QString, over);
    QFETCH(int, startValue);
    QFETCH(bool, pixels);
    QFETCH(QList<int>, deltas);
    QFETCH(int, endValue);
    auto&& [store, w] = WindowWith(scrollingTasks(), Shown::exposed);
    control<QScrollBar>(w, "vscroll").setValue(startValue);

    auto* target = w.findChild<QWidget*>(over);
    QVERIFY(target);
    for (const int delta : deltas) {
        const QPoint turn(0, delta);
        QWheelEvent wheel(QPointF(5, 5), target->mapToGlobal(QPointF(5, 5)), pixels ? turn : QPoint(),
                          pixels ? QPoint() : turn, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &wheel);
    }
    QCOMPARE(control<QScrollBar>(w, "vscroll").value(), endValue);
}

QTEST_MAIN(TaskListTest)
#include "tst_tasklist.moc"

// Rule colours chosen for a white list stay readable, drawn lighter, when the desktop turns dark.
void TaskListTest::rowsReadUnderADarkPalette()
{
    // Black, navy and dark red as the user stored them (0x00BBGGRR).
    const std::vector<RuleSpec> rules{{-1, 0x000000}, {1, 0x800000}, {3, 0x000080}};
    auto&& [store, w] = WindowWith({{"Overdue", -2}, {"Tomorrow", 1}, {"Soon", 3}, {"Later", 20}}, rules);
    QPalette dark;
    dark.setColor(QPalette::Base, QColor(0x24, 0x24, 0x24));
    dark.setColor(QPalette::Text, QColor(0xee, 0xee, 0xee));
    dark.setColor(QPalette::Dark, QColor(0x21, 0x21, 0x21));
    dark.setColor(QPalette::Light, QColor(0x4b, 0x4b, 0x4b));
    w.setPalette(dark);
    w.highlight(2);

    const QColor base = control<LabelContainer>(w, "lstContainer").palette().color(QPalette::Base);
    QCOMPARE(base, dark.color(QPalette::Base));
    for (const LabelArray* cell : {&lblFor(w), &lblTitle(w), &lblDue(w)}) {
        for (int row = 1; row < cell->count(); ++row) {
            const LabelElement& e = (*cell)[row];
            const double ratio = contrastRatio(e.foreColor, e.opaque ? e.backColor : base);
            QVERIFY2(ratio >= 3.0, qPrintable(u"%1: %2"_s.arg(e.caption).arg(ratio)));
        }
    }
    QCOMPARE(store.ruleList[1].color, 0x800000); // the stored colour is left as chosen

    for (int i = 0; i < NavigationPane::buttonCount; ++i) {
        const auto& caption = control<QLabel>(w, qPrintable(u"Label1_%1"_s.arg(i)));
        QVERIFY(contrastRatio(caption.palette().color(caption.foregroundRole()), dark.color(QPalette::Dark)) >= 4.5);
    }
    // The description follows the desktop; the attention page keeps the colours it was made for.
    const QPalette description = control<QWidget>(w, "txtDescription").palette();
    QCOMPARE(description.color(QPalette::Text), dark.color(QPalette::Text));
    QCOMPARE(description.color(QPalette::Base), base);
    const QPalette page = control<QWidget>(w, "WebBrowser1").palette();
    QCOMPARE(page.color(QPalette::Text), QColor(Qt::black));
    QCOMPARE(page.color(QPalette::Base), QColor(Qt::white));
}

void TaskListTest::nothingCutInTheDefaultWindow_data()
{
    QTest::addColumn<QByteArray>("locale");
    QTest::newRow("C") << QByteArray("C.UTF-8");
    QTest::newRow("12-hour clock") << QByteArray("en_US.UTF-8");
    QTest::newRow("24-hour clock") << QByteArray("de_DE.UTF-8");
}

// The widest due texts, bold, fit their column in the window as it opens.
void TaskListTest::nothingCutInTheDefaultWindow()
{
    QFETCH(QByteArray, locale);
    const std::string previous = std::setlocale(LC_TIME, nullptr);
    if (!std::setlocale(LC_TIME, locale.constData()))
        QSKIP("locale not installed");
    TaskSpec afternoon{"Write the quarterly report", -169}; // overdue since September 28: bold
    afternoon.forWhom = "Alexandra";
    auto&& [store, w] = WindowWith({afternoon, {"Call back", 200}}, {{-1, 0xff}});
    for (std::int16_t slot = 0; slot < store.taskCount; ++slot)
        store.taskList[static_cast<std::size_t>(slot)].hour = 23;
    w.drawList();
    showWindow(w);
    std::setlocale(LC_TIME, previous.c_str());
    QVERIFY(lblDue(w)[1].bold);
    for (const LabelArray* cell : {&lblFor(w), &lblTitle(w), &lblDue(w)}) {
        for (int row = 1; row < cell->count(); ++row)
            QCOMPARE((*cell)[row].shownCaption(), (*cell)[row].caption);
    }
}
