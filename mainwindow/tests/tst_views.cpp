#include "mainwindow/tests/commandtesting.h"

#include "alertpage/pagefile.h"
#include "os/xdgdirs.h"
#include "widgets/twips.h"

#include <QAction>
#include <QDir>
#include <QPlainTextEdit>

#include <filesystem>

using namespace Qt::StringLiterals;

// The navigation pane: its three views and New Task button, the hover frame, and the attention
// view with the page it shows.
class ViewsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { pinToday(testToday); }
    void cleanup() { QCOMPARE(QApplication::topLevelWidgets().size(), 0); }

    void viewStates_data();
    void viewStates();
    void allItemsAgainClearsAndRedraws();
    void attentionAgainWritesThePageAgain();
    void attentionKeepsTheHighlightedTask_data();
    void attentionKeepsTheHighlightedTask();
    void unwritablePageShowsAMessage_data();
    void unwritablePageShowsAMessage();
    void hoverFrame();
    void keptIconsFollowTheTheme();
};

namespace {

constexpr std::int32_t red = 0x0000FF;

// Alpha and Bravo are live, Zulu is recycled; a rule of 7 days with popup puts Alpha and Bravo on
// the page, and Far stays off it.
const std::vector<TaskSpec> viewTasks{{"Alpha", 3, "N", "about alpha"}, {"Bravo", -4}, {"Zulu", 1, "Y"}, {"Far", 30}};
const std::vector<RuleSpec> viewRules{{7, red, "d", popupOn}};

std::filesystem::path pageFile()
{
    return alertPagePath();
}

QPoint centreOf(frmMain& w, QWidget& widget)
{
    return widget.mapTo(&w, widget.rect().center());
}

// A point of the pane's own background, in window pixels, from twips inside the pane.
QPoint paneBackground(frmMain& w, int leftTwips, int topTwips)
{
    return control<NavigationPane>(w, "pctMenu").mapTo(&w, QPoint(px(leftTwips), px(topTwips)));
}

} // namespace

void ViewsTest::viewStates_data()
{
    QTest::addColumn<QList<int>>("clicks"); // pane buttons; New Task is cancelled
    QTest::addColumn<bool>("pageShown");
    QTest::addColumn<bool>("showRecycled");
    QTest::addColumn<bool>("undeleteShown");
    QTest::addColumn<int>("boldCaption");
    QTest::addColumn<QStringList>("rows"); // under the page in the attention view

    const QStringList live{u"Bravo"_s, u"Alpha"_s, u"Far"_s};
    const QStringList recycled{u"Zulu"_s};
    QTest::newRow("start") << QList<int>{} << false << false << false << 1 << live;
    QTest::newRow("all items") << QList<int>{1} << false << false << false << 1 << live;
    QTest::newRow("recycled") << QList<int>{2} << false << true << true << 2 << recycled;
    QTest::newRow("attention") << QList<int>{0} << true << false << false << 0 << live;
    QTest::newRow("recycled, attention") << QList<int>{2, 0} << true << true << true << 0 << recycled;
    QTest::newRow("recycled, attention, recycled") << QList<int>{2, 0, 2} << false << true << true << 2 << recycled;
    QTest::newRow("recycled, attention, all items") << QList<int>{2, 0, 1} << false << false << false << 1 << live;
    QTest::newRow("attention, all items") << QList<int>{0, 1} << false << false << false << 1 << live;
    QTest::newRow("recycled, all items") << QList<int>{2, 1} << false << false << false << 1 << live;
    QTest::newRow("all items, recycled") << QList<int>{1, 2} << false << true << true << 2 << recycled;
    QTest::newRow("recycled, new task cancelled") << QList<int>{2, 3} << false << false << false << 1 << live;
    QTest::newRow("attention, new task cancelled") << QList<int>{0, 3} << false << false << false << 1 << live;
    QTest::newRow("recycled, attention, new task cancelled")
        << QList<int>{2, 0, 3} << false << false << false << 1 << live;
}

void ViewsTest::viewStates()
{
    QFETCH(QList<int>, clicks);
    QFETCH(bool, pageShown);
    QFETCH(bool, showRecycled);
    QFETCH(bool, undeleteShown);
    QFETCH(int, boldCaption);
    QFETCH(QStringList, rows);
    auto&& [store, w] = WindowWith(viewTasks, viewRules, Shown::exposed);

    ModalScript script;
    for (const int button : clicks) {
        if (button == NavigationPane::NewTask) {
            script.then(pressButton(u"&Cancel"_s));
            // A framed button loses its frame when New Task switches to all items. The pointer comes
            // from the background: a move to where an earlier test left it would be dropped.
            QTest::mouseMove(w.windowHandle(), paneBackground(w, 30, 30));
            QTest::mouseMove(w.windowHandle(), centreOf(w, hotArea(w, button)));
            QCOMPARE(framedButtons(w), 1);
        }
        clickPane(w, button);
    }

    QVERIFY2(script.problems().isEmpty(), qPrintable(script.problems()));
    QCOMPARE(control<SafeHtmlView>(w, "WebBrowser1").isVisible(), pageShown);
    QCOMPARE(w.showRecycled(), showRecycled);
    QCOMPARE(menuItem(w, "menu_undelete").isVisible(), undeleteShown);
    QCOMPARE(::boldCaption(w), boldCaption);
    QCOMPARE(rowCaptions(lblTitle(w)), rows);
    if (clicks.contains(NavigationPane::NewTask))
        QCOMPARE(framedButtons(w), 0);
    // What lies under the middle of the list, the description box and the splitter: the page, or the list.
    for (QWidget* covered :
         std::initializer_list<QWidget*>{&control<QWidget>(w, "pctContainer"),
                                         &control<QPlainTextEdit>(w, "txtDescription"), &control<QFrame>(w, "sepa1")}) {
        const QWidget* top = w.childAt(centreOf(w, *covered));
        QCOMPARE(top && (top == &control<SafeHtmlView>(w, "WebBrowser1") ||
                         control<SafeHtmlView>(w, "WebBrowser1").isAncestorOf(top)),
                 pageShown);
    }
}

void ViewsTest::allItemsAgainClearsAndRedraws()
{
    auto&& [store, w] = WindowWith(viewTasks, viewRules, Shown::exposed);
    clickPane(w, NavigationPane::AllItems);
    w.highlight(static_cast<std::int16_t>(rowOf(w, u"Alpha"_s)));
    QCOMPARE(control<QPlainTextEdit>(w, "txtDescription").toPlainText(), u"about alpha"_s);
    // A change the rows do not show yet: the click must redraw them.
    store.taskList[static_cast<std::size_t>(w.selectedIndex() - 1)].title = "Alpha renamed";

    clickPane(w, NavigationPane::AllItems);

    QCOMPARE(control<QPlainTextEdit>(w, "txtDescription").toPlainText(), QString());
    QCOMPARE(int(w.selectedIndex()), 0);
    QVERIFY(highlightedRows(w).isEmpty());
    QVERIFY(rowCaptions(lblTitle(w)).contains(u"Alpha renamed"_s));
}

void ViewsTest::attentionAgainWritesThePageAgain()
{
    auto&& [store, w] = WindowWith(viewTasks, viewRules, Shown::exposed);
    w.highlight(static_cast<std::int16_t>(rowOf(w, u"Alpha"_s)));

    clickPane(w, NavigationPane::Attention);
    const QString shown = control<SafeHtmlView>(w, "WebBrowser1").toPlainText();
    QVERIFY2(shown.contains(u"Attention!"_s) && shown.contains(u"Alpha"_s) && shown.contains(u"Bravo"_s),
             qPrintable(shown));
    QVERIFY(!shown.contains(u"Far"_s));
    QVERIFY(!shown.contains(u"Zulu"_s));
    QCOMPARE(std::filesystem::status(pageFile()).permissions() & std::filesystem::perms::all,
             std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);

    // Between the clicks the page file goes and a task changes: the second click writes and loads anew.
    std::filesystem::remove(pageFile());
    store.taskList[static_cast<std::size_t>(w.selectedIndex() - 1)].title = "Alpha again";
    control<QPlainTextEdit>(w, "txtDescription").setPlainText(u"left over"_s);
    clickPane(w, NavigationPane::Attention);

    QVERIFY(std::filesystem::exists(pageFile()));
    QVERIFY2(control<SafeHtmlView>(w, "WebBrowser1").toPlainText().contains(u"Alpha again"_s),
             qPrintable(control<SafeHtmlView>(w, "WebBrowser1").toPlainText()));
    QVERIFY(control<SafeHtmlView>(w, "WebBrowser1").isVisible());
    QCOMPARE(selectedTitle(w, store), u"Alpha again"_s);
    QVERIFY(!w.showRecycled());
    QCOMPARE(control<QPlainTextEdit>(w, "txtDescription").toPlainText(), QString());
}

void ViewsTest::attentionKeepsTheHighlightedTask_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("edit") << u"menu_modify"_s;
    QTest::newRow("delete") << u"menu_delete"_s;
}

// By title the table reads Alpha, Bravo, Far; the page sorts it by due date into Bravo, Alpha, Far.
void ViewsTest::attentionKeepsTheHighlightedTask()
{
    QFETCH(QString, command);
    auto&& [store, w] = WindowWith(viewTasks, viewRules, Shown::exposed);
    QTest::mouseClick(&control<QPushButton>(w, "cmdTitle"), Qt::LeftButton);
    QCOMPARE(rowCaptions(lblTitle(w)), (QStringList{u"Alpha"_s, u"Bravo"_s, u"Far"_s}));
    w.highlight(static_cast<std::int16_t>(rowOf(w, u"Alpha"_s)));

    clickPane(w, NavigationPane::Attention);
    QCOMPARE(selectedTitle(w, store), u"Alpha"_s);
    QCOMPARE(highlightedRows(w), QList<int>{rowOf(w, u"Alpha"_s)});

    ModalScript script;
    script.then(command == u"menu_modify" ? pressButton(u"&Cancel"_s) : clickBoxButton(QMessageBox::Yes));
    menuItem(w, qPrintable(command)).trigger();
    QVERIFY2(script.problems().isEmpty(), qPrintable(script.problems()));
    if (command == u"menu_modify") {
        QCOMPARE(script.seen().value(0).kind, u"frmTask"_s);
        QCOMPARE(script.seen().value(0).text, u"Alpha"_s);
    } else {
        const std::string file = fileText();
        QVERIFY(taskBlock(file, "Alpha").find("del=Y\r\n") != std::string::npos);
        QVERIFY(taskBlock(file, "Bravo").find("del=N\r\n") != std::string::npos);
    }
}

void ViewsTest::unwritablePageShowsAMessage_data()
{
    QTest::addColumn<bool>("linkedFolder");
    QTest::newRow("cache folder under a plain file") << false;
    QTest::newRow("page folder is a link to an older page") << true;
}

void ViewsTest::unwritablePageShowsAMessage()
{
    QFETCH(bool, linkedFolder);
    namespace fs = std::filesystem;
    QVERIFY(writeTaskFile(viewTasks, viewRules));
    const fs::path scratch = fs::current_path() / "unwritable";
    fs::remove_all(scratch);
    fs::create_directories(scratch);
    fs::path cache;
    if (linkedFolder) {
        // An older page elsewhere, which the view must not show in place of the one it could not write.
        fs::create_directories(scratch / "elsewhere");
        std::ofstream(scratch / "elsewhere" / "al.html") << "<h2>Attention!</h2> stale page";
        cache = scratch / "cache";
        fs::create_directories(cache);
        fs::create_directory_symlink(scratch / "elsewhere", cache / "taskwyn");
    } else {
        std::ofstream(scratch / "plain") << "not a folder";
        cache = scratch / "plain" / "cache";
    }
    const testsupport::EnvironmentOverride cacheHome("XDG_CACHE_HOME", cache.string());
    Module1 store;
    frmMain w(store);
    showWindow(w);

    ModalScript script;
    clickPane(w, NavigationPane::Attention);

    QVERIFY2(script.seen().isEmpty(), "the view says it, no box");
    QVERIFY(control<SafeHtmlView>(w, "WebBrowser1").isVisible());
    const QString shown = control<SafeHtmlView>(w, "WebBrowser1").toPlainText();
    QVERIFY2(shown.startsWith(u"Cannot write"_s) && shown.size() < 300, qPrintable(shown));
    QVERIFY(!shown.contains(u"stale"_s));

    // The program runs on.
    clickPane(w, NavigationPane::AllItems);
    QVERIFY(!control<SafeHtmlView>(w, "WebBrowser1").isVisible());
    QCOMPARE(rowCaptions(lblTitle(w)), (QStringList{u"Bravo"_s, u"Alpha"_s, u"Far"_s}));
}

// The gap of pane background between two buttons clears the frame; a button keeps its frame while
// the pointer moves within it or leaves the pane straight from it.
void ViewsTest::hoverFrame()
{
    auto&& [store, w] = WindowWith(viewTasks, viewRules, Shown::exposed);
    QWindow* window = w.windowHandle();
    QTest::mouseMove(window, paneBackground(w, 30, 30)); // away from where an earlier test left it
    const auto framed = [&w](int index) { return hotArea(w, index).frameShape() != QFrame::NoFrame; };
    QCOMPARE(framedButtons(w), 0);

    QTest::mouseMove(window, centreOf(w, hotArea(w, 1)));
    QVERIFY(framed(1));
    QCOMPARE(framedButtons(w), 1);
    QTest::mouseMove(window, centreOf(w, hotArea(w, 1)) + QPoint(10, 5));
    QVERIFY(framed(1));
    QCOMPARE(framedButtons(w), 1);

    QTest::mouseMove(window, paneBackground(w, 600, 2230)); // between All Items and Recycled
    QCOMPARE(framedButtons(w), 0);
    QTest::mouseMove(window, paneBackground(w, 600, 2300));
    QVERIFY(framed(2));
    QCOMPARE(framedButtons(w), 1);

    // Straight from one button into the next, and then out of the pane.
    QTest::mouseMove(window, paneBackground(w, 600, 3245));
    QVERIFY(framed(3));
    QCOMPARE(framedButtons(w), 1);
    QTest::mouseMove(window, centreOf(w, control<QWidget>(w, "pctContainer")));
    QVERIFY(framed(3));

    // A click changes the bold caption, not the frame.
    QTest::mouseMove(window, centreOf(w, hotArea(w, 2)));
    clickPane(w, NavigationPane::Recycled);
    QVERIFY(framed(2));
    QCOMPARE(boldCaption(w), int(NavigationPane::Recycled));
    QTest::mouseMove(window, paneBackground(w, 30, 30));
    QCOMPARE(framedButtons(w), 0);
    QCOMPARE(boldCaption(w), int(NavigationPane::Recycled));
}

// The pane shows the icons kept at the last start, and once the window is up the theme's own: a
// kept icon the theme no longer draws is replaced on the screen and for the next start.
void ViewsTest::keptIconsFollowTheTheme()
{
    const QDir kept(QString::fromStdString((cacheHome() / "taskwyn" / "icons").string()));
    const auto shown = [](const frmMain& w) {
        return control<QLabel>(w, "Image2_0").pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    };
    QImage themed;
    {
        auto&& [store, w] = WindowWith(viewTasks, viewRules, Shown::exposed);
        QTRY_COMPARE(kept.entryList(QDir::Files).size(), NavigationPane::buttonCount);
        themed = shown(w);
    }
    QImage stale(themed.size(), QImage::Format_ARGB32);
    stale.fill(Qt::transparent);
    for (const QString& file : kept.entryList(QDir::Files))
        QVERIFY(stale.save(kept.filePath(file)));
    auto&& [store, w] = WindowWith(viewTasks, viewRules, Shown::exposed);
    QTRY_COMPARE(shown(w), themed);
    for (const QString& file : kept.entryList(QDir::Files))
        QTRY_VERIFY(QImage(kept.filePath(file)).convertToFormat(QImage::Format_ARGB32) != stale);
}

QTEST_MAIN(ViewsTest)
#include "tst_views.moc"
