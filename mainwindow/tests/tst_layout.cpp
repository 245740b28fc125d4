#include "mainwindow/tests/mainwindowtest.h"

#include "widgets/twips.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>

using namespace Qt::StringLiterals;

// The main window's layout pass, the splitter and the status bar.
class LayoutTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { pinToday(testToday); }
    void cleanup() { QCOMPARE(QApplication::topLevelWidgets().size(), 0); }

    void figuresAtHalfSplit();
    void scrollRange_data();
    void scrollRange();
    void valueLoweredToMaximum();
    void recycledViewScrollsOverEveryTask();
    void negativeHeightIsSkipped();
    void splitterDragAndRelease();
    void splitterDropIsClamped_data();
    void splitterDropIsClamped();
    void statusBarPanels();
    void clientAreaBelowTheMenuBar();
};

namespace {

std::vector<TaskSpec> manyTasks(int count, int recycled = 0)
{
    std::vector<TaskSpec> tasks;
    for (int i = 0; i < count; ++i)
        tasks.push_back({"Task " + std::to_string(i), i, i < recycled ? "Y" : "N"});
    return tasks;
}

// Sizes the shown window so that its outer width is W and the status bar's top edge is at H.
void sizeWindow(frmMain& w, int W, int H)
{
    const int frameWidth = w.frameGeometry().width() - w.width();
    const int aroundClient = w.height() - w.centralWidget()->height();
    w.resize(px(W) - frameWidth, px(H) + aroundClient);
    QTRY_COMPARE(w.centralWidget()->height(), px(H));
    QTRY_COMPARE(w.frameGeometry().width(), px(W));
}

// Outer width 7665 leaves the list container 7665 - 75 - 1335 - 255 = 6000 wide.
constexpr int standardWidth = 7665;
constexpr int standardHeight = 5400;

// Shows the window at the standard size; false (with the test failed) when it would not take it.
bool showAtStandardSize(frmMain& w)
{
    showWindow(w);
    sizeWindow(w, standardWidth, standardHeight);
    return !QTest::currentTestFailed();
}

} // namespace

void LayoutTest::figuresAtHalfSplit()
{
    auto&& [store, w] = WindowWith(manyTasks(3));
    if (!showAtStandardSize(w))
        return;

    QCOMPARE(twipsOf(w, "pctContainer").width(), 6255);
    QCOMPARE(twipsOf(w, "pctContainer").height(), 2700);
    QCOMPARE(twipsOf(w, "txtDescription").top(), 2730);
    QCOMPARE(twipsOf(w, "txtDescription").height(), 2670); // its bottom edge on the status bar, at 5400
    QCOMPARE(twipsOf(w, "txtDescription").width(), 6255);
    QCOMPARE(twipsOf(w, "sepa1").top(), 2700);
    QCOMPARE(twipsOf(w, "sepa1").left(), 1335);
    QCOMPARE(twipsOf(w, "sepa1").width(), 6255);
    QCOMPARE(twipsOf(w, "lstContainer").width(), 6000);
    QCOMPARE(twipsOf(w, "vscroll").left(), 5955);
    QCOMPARE(twipsOf(w, "vscroll").height(), 2700);
    QCOMPARE(twipsOf(w, "pctMenu").height(), 5400);
    QCOMPARE(control<SafeHtmlView>(w, "WebBrowser1").geometry(), QRect(px(1335), 0, px(6255), px(5400)));

    const std::pair<const char*, QRect> headers[] = {
        {"cmdTitle", {0, 0, 2400, 255}}, {"cmdFor", {2400, 0, 1500, 255}}, {"cmdDue", {3900, 0, 2010, 255}}};
    for (const auto& [header, figures] : headers) {
        QCOMPARE(twipsOf(w, header), figures);
        QCOMPARE(control<QPushButton>(w, header).geometry(), QRect(px(figures.x()), 0, px(figures.width()), px(255)));
    }
    // Every row, the templates included, lines up under the headers.
    QCOMPARE(lblFor(w).count(), 4);
    for (int i = 0; i < lblFor(w).count(); ++i) {
        QCOMPARE(lblTitle(w)[i].left, 0);
        QCOMPARE(lblTitle(w)[i].width, 2400);
        QCOMPARE(lblFor(w)[i].left, 2400);
        QCOMPARE(lblFor(w)[i].width, 1500);
        QCOMPARE(lblDue(w)[i].left, 3900);
        QCOMPARE(lblDue(w)[i].width, 2010);
    }
    QCOMPARE(control<QPlainTextEdit>(w, "txtDescription").geometry(), QRect(px(1320), px(2730), px(6255), px(2670)));
}

void LayoutTest::scrollRange_data()
{
    QTest::addColumn<int>("taskCount");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("rowsHeight"); // before the pane's height is added

    QTest::newRow("no tasks: the rows fit") << 0 << 0 << 510;
    QTest::newRow("100 tasks") << 100 << 1554 << 26010;
}

void LayoutTest::scrollRange()
{
    QFETCH(int, taskCount);
    QFETCH(int, maximum);
    QFETCH(int, rowsHeight);
    auto&& [store, w] = WindowWith(manyTasks(taskCount));
    if (!showAtStandardSize(w))
        return;

    QCOMPARE(control<QScrollBar>(w, "vscroll").maximum(), maximum);
    QCOMPARE(twipsOf(w, "lstContainer").top(), 0);
    QCOMPARE(twipsOf(w, "lstContainer").height(), rowsHeight + 2700);
    // drawList computes the same range as the layout pass.
    w.drawList();
    QCOMPARE(control<QScrollBar>(w, "vscroll").maximum(), maximum);
    QCOMPARE(twipsOf(w, "lstContainer").height(), rowsHeight + 2700);
}

void LayoutTest::valueLoweredToMaximum()
{
    auto&& [store, w] = WindowWith(manyTasks(100));
    if (!showAtStandardSize(w))
        return;
    control<QScrollBar>(w, "vscroll").setMaximum(5000);
    control<QScrollBar>(w, "vscroll").setValue(2000);
    QCOMPARE(twipsOf(w, "lstContainer").top(), -30000);

    w.layoutPass();
    QCOMPARE(control<QScrollBar>(w, "vscroll").maximum(), 1554);
    QCOMPARE(control<QScrollBar>(w, "vscroll").value(), 1554);
    QCOMPARE(twipsOf(w, "lstContainer").top(), -23310);
    QCOMPARE(control<LabelContainer>(w, "lstContainer").y(), -1554);

    // Fewer tasks: when the rows fit, drawList takes the list back to the top.
    store.taskCount = 3;
    w.drawList();
    QCOMPARE(control<QScrollBar>(w, "vscroll").maximum(), 0);
    QCOMPARE(control<QScrollBar>(w, "vscroll").value(), 0);
    QCOMPARE(twipsOf(w, "lstContainer").top(), 0);
}

void LayoutTest::recycledViewScrollsOverEveryTask()
{
    auto&& [store, w] = WindowWith(manyTasks(100, 2));
    if (!showAtStandardSize(w))
        return;
    w.Image1_Click(NavigationPane::Recycled);
    QCOMPARE(lblFor(w).count(), 3);
    QCOMPARE(control<QScrollBar>(w, "vscroll").maximum(), 1554);
}

void LayoutTest::negativeHeightIsSkipped()
{
    auto&& [store, w] = WindowWith({});
    if (!showAtStandardSize(w))
        return;

    // 45 twips above the status bar, half of them less the gap leaves the description box -7 high:
    // that step keeps 2670, the others go on.
    sizeWindow(w, standardWidth, 45);
    QCOMPARE(twipsOf(w, "pctContainer").height(), 23);
    QCOMPARE(twipsOf(w, "txtDescription").top(), 53);
    QCOMPARE(twipsOf(w, "txtDescription").height(), 2670);
    QCOMPARE(twipsOf(w, "sepa1").top(), 23);
    QCOMPARE(twipsOf(w, "vscroll").height(), 23);
}

void LayoutTest::splitterDragAndRelease()
{
    auto&& [store, w] = WindowWith(manyTasks(3));
    if (!showAtStandardSize(w))
        return;
    QWindow* window = w.windowHandle();
    QCOMPARE(control<QFrame>(w, "sepa1").cursor().shape(), Qt::SizeVerCursor);

    const QPoint pressed = control<QFrame>(w, "sepa1").mapTo(&w, QPoint(20, 1));
    QTest::mousePress(window, Qt::LeftButton, {}, pressed);
    // 30 pixels down is far outside the 3-pixel splitter: only the grab brings the move to it.
    QTest::mouseMove(window, pressed + QPoint(0, 30));
    QCOMPARE(twipsOf(w, "sepa1").top(), 2700 + 31 * 15);
    QCOMPARE(twipsOf(w, "pctContainer").height(), 2700); // nothing else moves during the drag
    QCOMPARE(twipsOf(w, "txtDescription").top(), 2730);

    QTest::mouseRelease(window, Qt::LeftButton, {}, pressed + QPoint(0, 30));
    QCOMPARE(int(w.splitPercent()), 58); // 3165 / 5400, rounded down
    QCOMPARE(twipsOf(w, "pctContainer").height(), 3132);
    QCOMPARE(twipsOf(w, "sepa1").top(), 3132);
    QCOMPARE(twipsOf(w, "txtDescription").top(), 3162);
    QCOMPARE(twipsOf(w, "txtDescription").height(), 2238);

    // A press and release without a move keeps the ratio that the splitter's place gives.
    const QPoint again = control<QFrame>(w, "sepa1").mapTo(&w, QPoint(20, 1));
    QTest::mousePress(window, Qt::RightButton, {}, again);
    QTest::mouseRelease(window, Qt::RightButton, {}, again);
    QCOMPARE(int(w.splitPercent()), 58);
}

void LayoutTest::splitterDropIsClamped_data()
{
    QTest::addColumn<int>("moveBy");
    QTest::addColumn<int>("splitPercent");

    QTest::newRow("above the list") << -170 << 5;
    QTest::newRow("onto the status bar") << 190 << 95;
}

void LayoutTest::splitterDropIsClamped()
{
    QFETCH(int, moveBy);
    QFETCH(int, splitPercent);
    auto&& [store, w] = WindowWith({});
    if (!showAtStandardSize(w))
        return;
    const QPoint pressed = control<QFrame>(w, "sepa1").mapTo(&w, QPoint(20, 1));
    QTest::mousePress(w.windowHandle(), Qt::LeftButton, {}, pressed);
    QTest::mouseMove(w.windowHandle(), pressed + QPoint(0, moveBy));
    QTest::mouseRelease(w.windowHandle(), Qt::LeftButton, {}, pressed + QPoint(0, moveBy));
    QCOMPARE(int(w.splitPercent()), splitPercent);
    QVERIFY(twipsOf(w, "txtDescription").height() > 0);
    QVERIFY(twipsOf(w, "pctContainer").height() > 0);
}

void LayoutTest::statusBarPanels()
{
    auto&& [store, w] = WindowWith({}, Shown::exposed);
    const QList<QLabel*> panels =
        control<QStatusBar>(w, "StatusBar1").findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
    QCOMPARE(panels.size(), 3);
    QCOMPARE(panels[0]->width(), px(1440));
    QVERIFY(panels[0]->text().isEmpty());
    QVERIFY(panels[1]->text().isEmpty());
    QVERIFY(panels[1]->width() > panels[2]->width());
    QCOMPARE(panels[2]->text(), QLocale().toString(QDate(2024, 3, 15), QLocale::ShortFormat));
    QCOMPARE(control<QStatusBar>(w, "StatusBar1").height(), px(255));

    // The date is renewed by a timer set for the next midnight.
    const auto timers = w.findChildren<QTimer*>();
    QVERIFY(std::any_of(timers.begin(), timers.end(), [](const QTimer* timer) {
        return timer->isActive() && timer->isSingleShot() && timer->remainingTime() <= 24 * 3600 * 1000 + 1000;
    }));
}

void LayoutTest::clientAreaBelowTheMenuBar()
{
    auto&& [store, w] = WindowWith({}, Shown::exposed);
    // Wider only where the font would cut the due column's longest text.
    QVERIFY(w.centralWidget()->width() >= px(10305));
    QVERIFY(w.centralWidget()->width() < px(10305) * 5 / 4);
    QCOMPARE(w.centralWidget()->height() + control<QStatusBar>(w, "StatusBar1").height(), px(5670));
}

QTEST_MAIN(LayoutTest)
#include "tst_layout.moc"
