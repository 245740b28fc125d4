#include "mainwindow/tests/commandtesting.h"

#include <QAccessible>
#include <QPlainTextEdit>
#include <QtGui/private/qguiapplication_p.h>
#include <QtGui/qpa/qplatformaccessibility.h>
#include <QtGui/qpa/qplatformintegration.h>

using namespace Qt::StringLiterals;

namespace {

struct SeenEvent
{
    QAccessible::Event type;
    QObject* object;
    int child;
};
QList<SeenEvent> seenEvents;

void recordEvent(QAccessibleEvent* event)
{
    seenEvents.append({event->type(), event->object(), event->child()});
}

QAccessibleInterface& accessible(QObject* object)
{
    QAccessibleInterface* found = QAccessible::queryAccessibleInterface(object);
    if (!found)
        qFatal("no accessible interface");
    return *found;
}

LabelContainer* listOf(frmMain& w)
{
    return &control<LabelContainer>(w, "lstContainer");
}

QString nameOf(QAccessibleInterface* item)
{
    return item ? item->text(QAccessible::Name) : u"(none)"_s;
}

// Each row as a reader reads it, and as drawn: the three cells joined by " | ".
QStringList readRows(QAccessibleTableInterface& table)
{
    QStringList rows;
    for (int row = 0; row < table.rowCount(); ++row)
        rows << QStringList{nameOf(table.cellAt(row, 0)), nameOf(table.cellAt(row, 1)), nameOf(table.cellAt(row, 2))}
                    .join(u" | "_s);
    return rows;
}

QStringList drawnRows(const frmMain& w)
{
    QStringList rows;
    for (int row = 1; row < lblTitle(w).count(); ++row)
        rows << QStringList{lblTitle(w)[row].caption, lblFor(w)[row].caption, lblDue(w)[row].caption}.join(u" | "_s);
    return rows;
}

bool announced(QAccessible::Event type, const QObject* object, int child = -1)
{
    return std::any_of(seenEvents.begin(), seenEvents.end(), [&](const SeenEvent& seen) {
        return seen.type == type && seen.object == object && seen.child == child;
    });
}

} // namespace

// What a screen reader finds in the main window: the painted list as a table that follows every
// redraw and announces the selection, the navigation pane's buttons, the description box.
class AccessibilityTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        pinToday(testToday);
        QAccessible::installUpdateHandler(recordEvent);
        // As a screen reader would: Qt tells nobody of changes until one listens.
        QPlatformAccessibility* platform = QGuiApplicationPrivate::platformIntegration()->accessibility();
        if (!platform)
            QSKIP("this platform plugin has no accessibility");
        platform->setActive(true);
    }
    void init() { seenEvents.clear(); }
    void cleanup() { QCOMPARE(QApplication::topLevelWidgets().size(), 0); }

    void tableFollowsTheDrawnRows_data();
    void tableFollowsTheDrawnRows();
    void selectionIsReadAndAnnounced();
    void paneButtonsPress_data();
    void paneButtonsPress();
    void findCountIsAnnounced();
};

void AccessibilityTest::tableFollowsTheDrawnRows_data()
{
    QTest::addColumn<bool>("recycled");
    QTest::addColumn<QString>("header"); // clicked before reading, if any
    QTest::addColumn<QStringList>("titles");

    QTest::newRow("live by due date") << false << QString() << QStringList{u"Gamma"_s, u"Alpha"_s};
    QTest::newRow("live by title") << false << u"cmdTitle"_s << QStringList{u"Alpha"_s, u"Gamma"_s};
    QTest::newRow("recycled") << true << QString() << QStringList{u"Beta"_s};
    QTest::newRow("empty view") << true << u"cmdFor"_s << QStringList{};
}

void AccessibilityTest::tableFollowsTheDrawnRows()
{
    QFETCH(bool, recycled);
    QFETCH(QString, header);
    QFETCH(QStringList, titles);
    const bool empty = titles.isEmpty();
    QVERIFY(writeTaskFile(empty ? std::vector<TaskSpec>{{"Alpha", 2}}
                                : std::vector<TaskSpec>{{"Alpha", 2}, {"Beta", 1, "Y", "", "Bo"}, {"Gamma", 1}}));
    Module1 store;
    frmMain w(store);
    showWindow(w);
    QAccessibleInterface& list = accessible(listOf(w));
    QAccessibleInterface* heldCell = list.tableInterface()->cellAt(0, 0);
    const QAccessible::Id held = heldCell ? QAccessible::uniqueId(heldCell) : 0;
    if (recycled)
        w.Image1_Click(NavigationPane::Recycled);
    else
        w.drawList();
    if (!header.isEmpty())
        QTest::mouseClick(w.findChild<QPushButton*>(header), Qt::LeftButton);

    QCOMPARE(list.role(), QAccessible::Table);
    QAccessibleTableInterface& table = *list.tableInterface();
    QCOMPARE(table.columnCount(), 3);
    QCOMPARE(table.rowCount(), titles.size());
    QCOMPARE(list.childCount(), 3 * (titles.size() + 1));
    for (int column = 0; column < 3; ++column) {
        const QString caption = QStringList{u"Title"_s, u"For"_s, u"Due"_s}[column];
        QCOMPARE(nameOf(list.child(column)), caption);
        QCOMPARE(list.child(column)->role(), QAccessible::ColumnHeader);
        QCOMPARE(table.columnDescription(column), caption);
    }
    QCOMPARE(readRows(table), drawnRows(w));
    for (int row = 0; row < titles.size(); ++row) {
        QCOMPARE(nameOf(table.cellAt(row, 0)), titles[row]);
        QAccessibleInterface* cell = list.child(3 * (row + 1) + 1);
        QCOMPARE(list.indexOfChild(cell), 3 * (row + 1) + 1);
        QCOMPARE(cell->tableCellInterface()->rowIndex(), row);
        QCOMPARE(nameOf(cell->tableCellInterface()->columnHeaderCells().value(0)), u"For"_s);
    }
    // A cell made before the redraw is dropped rather than kept naming another task.
    if (held)
        QVERIFY(!QAccessible::accessibleInterface(held));
}

void AccessibilityTest::selectionIsReadAndAnnounced()
{
    QVERIFY(writeTaskFile({{"Alpha", 1, "N", "about alpha"}, {"Beta", 2, "N", "about beta"}}));
    Module1 store;
    frmMain w(store);
    showActive(w);
    listOf(w)->setFocus();
    QAccessibleInterface& list = accessible(listOf(w));
    QAccessibleTableInterface& table = *list.tableInterface();
    QVERIFY(table.selectedRows().isEmpty());

    QTest::keyClick(listOf(w), Qt::Key_Down);
    QCOMPARE(table.selectedRows(), QList<int>{0});
    QVERIFY(table.cellAt(0, 2)->state().selected);
    QVERIFY(table.cellAt(0, 0)->state().focused);
    QVERIFY(!table.cellAt(1, 0)->state().selected);
    QCOMPARE(nameOf(list.focusChild()), u"Alpha"_s);
    QVERIFY(announced(QAccessible::Selection, listOf(w), 3));
    QVERIFY(announced(QAccessible::Focus, listOf(w), 3));
    QCOMPARE(nameOf(list.child(3)), u"Alpha"_s);

    // A reader may select a row as well.
    QVERIFY(table.selectRow(1));
    QCOMPARE(highlightedRows(w), QList<int>{2});
    QCOMPARE(selectedTitle(w, store), u"Beta"_s);
    QVERIFY(announced(QAccessible::Focus, listOf(w), 6));
    QAccessibleInterface& description = accessible(&control<QPlainTextEdit>(w, "txtDescription"));
    QCOMPARE(nameOf(&description), u"Description"_s);
    QCOMPARE(description.text(QAccessible::Value), u"about beta"_s);
}

void AccessibilityTest::paneButtonsPress_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("reader's press action") << u"action"_s;
    QTest::newRow("Space") << u"space"_s;
    QTest::newRow("Enter") << u"enter"_s;
}

void AccessibilityTest::paneButtonsPress()
{
    QFETCH(QString, how);
    QVERIFY(writeTaskFile({{"Alpha", 1}, {"Beta", 2, "Y"}}));
    Module1 store;
    frmMain w(store);
    showActive(w);
    const QStringList captions{u"Immideate Attention"_s, u"All Items"_s, u"Recycled"_s, u"New Task"_s};
    for (int index = 0; index < NavigationPane::buttonCount; ++index) {
        QAccessibleInterface& button = accessible(&hotArea(w, index));
        QCOMPARE(button.role(), QAccessible::Button);
        QCOMPARE(nameOf(&button), captions[index]);
        QVERIFY(button.state().focusable);
        QVERIFY(button.actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
    }

    QFrame& recycled = hotArea(w, NavigationPane::Recycled);
    if (how == u"action") {
        accessible(&recycled).actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    } else {
        recycled.setFocus();
        QTest::keyClick(&recycled, how == u"space" ? Qt::Key_Space : Qt::Key_Return);
    }
    QTRY_COMPARE(rowCaptions(lblTitle(w)), QStringList{u"Beta"_s});
}

// The field keeps the focus while the list narrows: the count reaches a reader as its description.
void AccessibilityTest::findCountIsAnnounced()
{
    auto&& [store, w] = WindowWith({{"Alpha", 1}, {"Beta", 2}}, Shown::active);
    menuItem(w, "menu_find").trigger();
    auto& field = control<QLineEdit>(w, "findField");
    typeText(field, u"alp"_s);
    QCOMPARE(nameOf(&accessible(&field)), u"Find tasks"_s);
    QCOMPARE(accessible(&field).text(QAccessible::Description), u"1 of 2"_s);
    QVERIFY(announced(QAccessible::DescriptionChanged, &field));
}

QTEST_MAIN(AccessibilityTest)
#include "tst_accessibility.moc"
