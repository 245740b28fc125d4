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
    QVERIFY(writeTaskFile(manyTasks(3)));
    Module1 store;
    frmMain w(store);
    if (!showAtStandardSize(w))
        return;

    QCOMPARE(w.pctContainer.width(), 6255);
    QCOMPARE(w.pctContainer.height(), 2700);
    QCOMPARE(w.txtDescription.top(), 2730);
    QCOMPARE(w.txtDescription.height(), 2670); // its bottom edge on the status bar, at 5400
    QCOMPARE(w.txtDescription.width(), 6255);
    QCOMPARE(w.sepa1.top(), 2700);
    QCOMPARE(w.sepa1.left(), 1335);
    QCOMPARE(w.sepa1.width(), 6255);
    QCOMPARE(w.lstContainer.width(), 6000);
    QCOMPARE(w.vscroll.left(), 5955);
    QCOMPARE(w.vscroll.height(), 2700);
    QCOMPARE(w.pctMenu.height(), 5400);
    QCOMPARE(w.WebBrowser1->geometry(), QRect(px(1335), 0, px(6255), px(5400)));

    const std::pair<const Placed<QPushButton>*, QRect> headers[] = {
        {&w.cmdTitle, {0, 0, 2400, 255}}, {&w.cmdFor, {2400, 0, 1500, 255}}, {&w.cmdDue, {3900, 0, 2010, 255}}};
    for (const auto& [header, figures] : headers) {
        QCOMPARE(QRect(header->left(), header->top(), header->width(), header->height()), figures);
        QCOMPARE((*header)->geometry(), QRect(px(figures.x()), 0, px(figures.width()), px(255)));
    }
    // Every row, the templates included, lines up under the headers.
    QCOMPARE(w.lblFor->count(), 4);
    for (int i = 0; i < w.lblFor->count(); ++i) {
        QCOMPARE((*w.lblTitle)[i].left, 0);
        QCOMPARE((*w.lblTitle)[i].width, 2400);
        QCOMPARE((*w.lblFor)[i].left, 2400);
        QCOMPARE((*w.lblFor)[i].width, 1500);
        QCOMPARE((*w.lblDue)[i].left, 3900);
        QCOMPARE((*w.lblDue)[i].width, 2010);
    }
    QCOMPARE(w.txtDescription->geometry(), QRect(px(1320), px(2730), px(6255), px(2670)));
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
    QVERIFY(writeTaskFile(manyTasks(taskCount)));
    Module1 store;
    frmMain w(store);
    if (!showAtStandardSize(w))
        return;

    QCOMPARE(w.vscroll->maximum(), maximum);
    QCOMPARE(w.lstContainer.top(), 0);
    QCOMPARE(w.lstContainer.height(), rowsHeight + 2700);
    // drawList computes the same range as the layout pass.
    w.drawList();
    QCOMPARE(w.vscroll->maximum(), maximum);
    QCOMPARE(w.lstContainer.height(), rowsHeight + 2700);
}

void LayoutTest::valueLoweredToMaximum()
{
    QVERIFY(writeTaskFile(manyTasks(100)));
    Module1 store;
    frmMain w(store);
    if (!showAtStandardSize(w))
        return;
    w.vscroll->setMaximum(5000);
    w.vscroll->setValue(2000);
    QCOMPARE(w.lstContainer.top(), -30000);

    w.layoutPass();
    QCOMPARE(w.vscroll->maximum(), 1554);
    QCOMPARE(w.vscroll->value(), 1554);
    QCOMPARE(w.lstContainer.top(), -23310);
    QCOMPARE(w.lstContainer->y(), -1554);

    // Fewer tasks: when the rows fit, drawList takes the list back to the top.
    store.taskCount = 3;
    w.drawList();
    QCOMPARE(w.vscroll->maximum(), 0);
    QCOMPARE(w.vscroll->value(), 0);
    QCOMPARE(w.lstContainer.top(), 0);
}

void LayoutTest::recycledViewScrollsOverEveryTask()
{
    QVERIFY(writeTaskFile(manyTasks(100, 2)));
    Module1 store;
    frmMain w(store);
    if (!showAtStandardSize(w))
        return;
    w.showRecycled = true;
    w.drawList();
    QCOMPARE(w.lblFor->count(), 3);
    QCOMPARE(w.vscroll->maximum(), 1554);
}

void LayoutTest::negativeHeightIsSkipped()
{
    QVERIFY(writeTaskFile({}));
    Module1 store;
    frmMain w(store);
    if (!showAtStandardSize(w))
        return;

    // At 100 % the description box would be -30 high: that step keeps 2670, the others go on.
    w.splitPercent = 100;
    w.layoutPass();
    QCOMPARE(w.pctContainer.height(), 5400);
    QCOMPARE(w.txtDescription.top(), 5430);
    QCOMPARE(w.txtDescription.height(), 2670);
    QCOMPARE(w.sepa1.top(), 5400);
    QCOMPARE(w.vscroll.height(), 5400);
}

void LayoutTest::splitterDragAndRelease()
{
    QVERIFY(writeTaskFile(manyTasks(3)));
    Module1 store;
    frmMain w(store);
    if (!showAtStandardSize(w))
        return;
    QWindow* window = w.windowHandle();
    QCOMPARE(w.sepa1->cursor().shape(), Qt::SizeVerCursor);

    const QPoint pressed = w.sepa1->mapTo(&w, QPoint(20, 1));
    QTest::mousePress(window, Qt::LeftButton, {}, pressed);
    QVERIFY(w.splitterDragging);
    // 30 pixels down is far outside the 3-pixel splitter: only the grab brings the move to it.
    QTest::mouseMove(window, pressed + QPoint(0, 30));
    QCOMPARE(w.sepa1.top(), 2700 + 31 * 15);
    QCOMPARE(w.pctContainer.height(), 2700); // nothing else moves during the drag
    QCOMPARE(w.txtDescription.top(), 2730);

    QTest::mouseRelease(window, Qt::LeftButton, {}, pressed + QPoint(0, 30));
    QVERIFY(!w.splitterDragging);
    QCOMPARE(int(w.splitPercent), 58); // 3165 / 5400, rounded down
    QCOMPARE(w.pctContainer.height(), 3132);
    QCOMPARE(w.sepa1.top(), 3132);
    QCOMPARE(w.txtDescription.top(), 3162);
    QCOMPARE(w.txtDescription.height(), 2238);

    // A press and release without a move keeps the ratio that the splitter's place gives.
    const QPoint again = w.sepa1->mapTo(&w, QPoint(20, 1));
    QTest::mousePress(window, Qt::RightButton, {}, again);
    QTest::mouseRelease(window, Qt::RightButton, {}, again);
    QCOMPARE(int(w.splitPercent), 58);
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
    QVERIFY(writeTaskFile({}));
    Module1 store;
    frmMain w(store);
    if (!showAtStandardSize(w))
        return;
    const QPoint pressed = w.sepa1->mapTo(&w, QPoint(20, 1));
    QTest::mousePress(w.windowHandle(), Qt::LeftButton, {}, pressed);
    QTest::mouseMove(w.windowHandle(), pressed + QPoint(0, moveBy));
    QTest::mouseRelease(w.windowHandle(), Qt::LeftButton, {}, pressed + QPoint(0, moveBy));
    QCOMPARE(int(w.splitPercent), splitPercent);
    QVERIFY(w.txtDescription.height() > 0);
    QVERIFY(w.pctContainer.height() > 0);
}

void LayoutTest::statusBarPanels()
{
    QVERIFY(writeTaskFile({}));
    Module1 store;
    frmMain w(store);
    showWindow(w);
    const QList<QLabel*> panels = w.StatusBar1->findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
    QCOMPARE(panels.size(), 3);
    QCOMPARE(panels[0]->width(), px(1440));
    QVERIFY(panels[0]->text().isEmpty());
    QVERIFY(panels[1]->text().isEmpty());
    QVERIFY(panels[1]->width() > panels[2]->width());
    QCOMPARE(panels[2]->text(), QLocale().toString(QDate(2024, 3, 15), QLocale::ShortFormat));
    QCOMPARE(w.StatusBar1->height(), px(255));

    // The date is renewed by a timer set for the next midnight.
    const auto timers = w.findChildren<QTimer*>();
    QVERIFY(std::any_of(timers.begin(), timers.end(), [](const QTimer* timer) {
        return timer->isActive() && timer->isSingleShot() && timer->remainingTime() <= 24 * 3600 * 1000 + 1000;
    }));
}

void LayoutTest::clientAreaBelowTheMenuBar()
{
    QVERIFY(writeTaskFile({}));
    Module1 store;
    frmMain w(store);
    showWindow(w);
    QCOMPARE(w.centralWidget()->width(), px(10305));
    QCOMPARE(w.centralWidget()->height() + w.StatusBar1->height(), px(5670));
}

QTEST_MAIN(LayoutTest)
#include "tst_layout.moc"
