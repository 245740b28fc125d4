#include "mainwindow/tests/commandtesting.h"

#include <QDate>
#include <QLocale>
#include <QPlainTextEdit>
#include <QScrollBar>

using namespace Qt::StringLiterals;

// The list keeps time: one timer, armed for the next change of day, recolours the rows and turns
// the status bar's date, and leaves the selection, the view and the scroll position as they were.
class ClockTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        pinToday(std::nullopt);
        QCOMPARE(QApplication::topLevelWidgets().size(), 0);
    }

    void midnightRecolours_data();
    void midnightRecolours();
    void midnightKeepsTheView_data();
    void midnightKeepsTheView();
};

namespace {

constexpr std::int64_t millisecondsPerDay = 24 * 60 * 60 * 1000;
constexpr std::int64_t oneMinuteToMidnight = millisecondsPerDay - 60 * 1000;
const QColor red(0xFF, 0, 0);

QTimer& midnightTimer(frmMain& w)
{
    return *w.findChild<QTimer*>(u"midnight"_s);
}

// From one minute before midnight on the day before testToday into testToday.
void crossMidnight(frmMain& w)
{
    QCOMPARE(midnightTimer(w).interval(), 60 * 1000);
    pinToday(testToday);
    midnightTimer(w).start(0);
    QTRY_COMPARE(midnightTimer(w).interval(), millisecondsPerDay);
}

void startTheDayBefore()
{
    pinNow(LocalTime{testToday - 1, oneMinuteToMidnight});
}

} // namespace

void ClockTest::midnightRecolours_data()
{
    QTest::addColumn<int>("ruleValue");
    QTest::addColumn<int>("dueInDays"); // from testToday, the day after midnight
    QTest::addColumn<QColor>("colourBefore");
    QTest::addColumn<bool>("boldBefore");
    QTest::addColumn<QColor>("colourAfter");
    QTest::addColumn<bool>("boldAfter");

    const QColor black(Qt::black);
    QTest::newRow("comes within the rule's days") << 3 << 3 << black << false << red << false;
    QTest::newRow("becomes due today") << 0 << 0 << black << false << red << true;
    QTest::newRow("becomes overdue") << -1 << -1 << black << true << red << true;
    QTest::newRow("stays out of reach") << 3 << 10 << black << false << black << false;
}

void ClockTest::midnightRecolours()
{
    QFETCH(int, ruleValue);
    QFETCH(int, dueInDays);
    QFETCH(QColor, colourBefore);
    QFETCH(bool, boldBefore);
    QFETCH(QColor, colourAfter);
    QFETCH(bool, boldAfter);
    QVERIFY(writeTaskFile({{"Task", dueInDays}}, {{static_cast<std::int16_t>(ruleValue), 0x0000FF}}));
    startTheDayBefore();
    Module1 store;
    frmMain w(store);
    QCOMPARE(lblTitle(w)[1].foreColor, colourBefore);
    QCOMPARE(lblTitle(w)[1].bold, boldBefore);

    crossMidnight(w);

    for (const LabelArray* cell : {&lblFor(w), &lblTitle(w), &lblDue(w)}) {
        QCOMPARE((*cell)[1].foreColor, colourAfter);
        QCOMPARE((*cell)[1].bold, boldAfter);
    }
    const CivilDate date = civilDate(testToday);
    QCOMPARE(w.findChild<QLabel*>(u"datePanel"_s)->text(),
             QLocale().toString(QDate(static_cast<int>(date.year), date.month, date.day), QLocale::ShortFormat));
}

void ClockTest::midnightKeepsTheView_data()
{
    QTest::addColumn<int>("view");
    QTest::newRow("all items") << int(NavigationPane::AllItems);
    QTest::newRow("recycled") << int(NavigationPane::Recycled);
    QTest::newRow("attention") << int(NavigationPane::Attention);
}

void ClockTest::midnightKeepsTheView()
{
    QFETCH(int, view);
    std::vector<TaskSpec> tasks;
    for (int i = 0; i < 60; ++i)
        tasks.push_back(
            {"Task " + std::to_string(i), i / 2 - 15, i % 2 == 0 ? "N" : "Y", "about " + std::to_string(i)});
    QVERIFY(writeTaskFile(tasks, {{0, 0x0000FF, "d", 1}}));
    startTheDayBefore();
    Module1 store;
    frmMain w(store);
    showWindow(w);
    clickPane(w, view);
    w.highlight(15);
    auto* scroll = w.findChild<QScrollBar*>(u"vscroll"_s);
    scroll->setValue(scroll->maximum() / 2);
    const std::int16_t selected = w.selectedIndex();
    const QString description = control<QPlainTextEdit>(w, "txtDescription").toPlainText();
    const QStringList rows = rowCaptions(lblTitle(w));
    const auto lateOnPage = [&w] { return control<SafeHtmlView>(w, "WebBrowser1").toPlainText().count(u"Late!"_s); };
    QTRY_VERIFY(!control<SafeHtmlView>(w, "WebBrowser1").isFeeding());
    const qsizetype lateBefore = lateOnPage();

    crossMidnight(w);

    QCOMPARE(w.selectedIndex(), selected);
    QCOMPARE(highlightedRows(w), QList<int>{15});
    QCOMPARE(lblTitle(w)[15].foreColor, QColor(Qt::white));
    QCOMPARE(control<QPlainTextEdit>(w, "txtDescription").toPlainText(), description);
    QCOMPARE(rowCaptions(lblTitle(w)), rows);
    QCOMPARE(scroll->value(), scroll->maximum() / 2);
    QCOMPARE(control<SafeHtmlView>(w, "WebBrowser1").isVisible(), view == NavigationPane::Attention);
    if (view == NavigationPane::Attention)
        QTRY_COMPARE(lateOnPage(), lateBefore + 1); // Task 28 turned late
    // Task 30 (live) and Task 31 (recycled) became due today.
    QVERIFY(lblTitle(w)[std::max(rowOf(w, u"Task 30"_s), rowOf(w, u"Task 31"_s))].bold);
}

QTEST_MAIN(ClockTest)
#include "tst_clock.moc"
