#include "widgets/labelcontainer.h"
#include "widgets/readablecolor.h"
#include "widgets/twips.h"

#include <QImage>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

// Label arrays made from a template element, and the container that paints them and routes presses.
class LabelContainerTest : public QObject
{
    Q_OBJECT

private slots:
    void newElementsCopyTheTemplate();
    void elementsComeAndGoAtTheEnd();
    void refusedChangesKeepTheElement();
    void paintsVisibleElementsOnly();
    void pressGoesToTheTopmostVisibleElement();
    void longCaptionIsCut();
    void readableColours_data();
    void readableColours();
};

namespace {

LabelElement templateElement()
{
    LabelElement element;
    element.caption = u"template"_s;
    element.font = QFont(u"Sans"_s, 13);
    element.foreColor = Qt::darkGreen;
    element.backColor = Qt::yellow;
    element.opaque = true;
    element.bold = true;
    element.left = 150;
    element.top = 300;
    element.width = 900;
    element.height = 255;
    element.visible = true;
    return element;
}

QColor pixelAt(LabelContainer& container, QPoint point)
{
    QImage image(container.size(), QImage::Format_RGB32);
    container.render(&image);
    return image.pixelColor(point);
}

} // namespace

void LabelContainerTest::newElementsCopyTheTemplate()
{
    LabelContainer container;
    LabelArray* array = container.addArray(templateElement());
    QVERIFY(array->load(1));
    const LabelElement& copy = (*array)[1];
    const LabelElement original = templateElement();
    QCOMPARE(copy.font, original.font);
    QCOMPARE(copy.foreColor, original.foreColor);
    QCOMPARE(copy.backColor, original.backColor);
    QCOMPARE(copy.opaque, original.opaque);
    QCOMPARE(copy.bold, original.bold);
    QCOMPARE(QRect(copy.left, copy.top, copy.width, copy.height), QRect(150, 300, 900, 255));
    QVERIFY(!copy.visible);

    // Later changes to element 0 reach only the elements made after them.
    array->setLeft(0, 0);
    QVERIFY(array->load(2));
    QCOMPARE((*array)[1].left, 150);
    QCOMPARE((*array)[2].left, 0);
}

void LabelContainerTest::elementsComeAndGoAtTheEnd()
{
    LabelContainer container;
    LabelArray* array = container.addArray(templateElement());
    QVERIFY(!array->load(0));
    QVERIFY(!array->load(2));
    QVERIFY(array->load(1));
    QVERIFY(array->load(2));
    QVERIFY(!array->unload(1));
    QVERIFY(array->unload(2));
    QVERIFY(array->unload(1));
    QVERIFY(!array->unload(0));
    QCOMPARE(array->count(), 1);
}

void LabelContainerTest::refusedChangesKeepTheElement()
{
    LabelContainer container;
    LabelArray* array = container.addArray(templateElement());
    QVERIFY(!array->setCaption(1, u"missing"_s));
    QVERIFY(!array->setWidth(0, -15));
    QVERIFY(!array->setHeight(0, -1));
    QCOMPARE((*array)[0].width, 900);
    QCOMPARE((*array)[0].height, 255);
    QVERIFY(array->setLeft(0, -300)); // a position may be negative
}

void LabelContainerTest::paintsVisibleElementsOnly()
{
    LabelContainer container;
    container.resize(200, 100);
    container.setAutoFillBackground(true);
    container.setPalette(QPalette(Qt::white));
    LabelElement red = templateElement();
    red.caption.clear();
    red.backColor = Qt::red;
    red.left = 0;
    red.top = 0;
    LabelArray* first = container.addArray(red);
    LabelArray* second = container.addArray(red);
    // Opaque red at (0, 0); a hidden opaque blue one; a transparent one with black text.
    QVERIFY(second->load(1));
    second->setBackColor(1, Qt::blue);
    second->setTop(1, twips(40));
    QVERIFY(second->load(2));
    second->setOpaque(2, false);
    second->setTop(2, twips(70));
    second->setCaption(2, u"MMMM"_s);
    second->setForeColor(2, Qt::black);
    second->setVisible(2, true);
    first->setVisible(0, true);
    second->setVisible(0, false);

    QCOMPARE(pixelAt(container, QPoint(5, 5)), QColor(Qt::red));
    QCOMPARE(pixelAt(container, QPoint(5, 45)), QColor(Qt::white));
    QImage image(container.size(), QImage::Format_RGB32);
    container.render(&image);
    const QImage row = image.copy(0, 70, px(900), px(255));
    bool background = false;
    bool text = false;
    for (int y = 0; y < row.height(); ++y) {
        for (int x = 0; x < row.width(); ++x) {
            background |= row.pixelColor(x, y) == QColor(Qt::white);
            text |= row.pixelColor(x, y).lightness() < 100;
        }
    }
    QVERIFY(background); // transparent: the container shows through
    QVERIFY(text);
}

void LabelContainerTest::pressGoesToTheTopmostVisibleElement()
{
    LabelContainer container;
    container.resize(200, 100);
    LabelElement element = templateElement();
    element.left = 0;
    element.top = 0;
    LabelArray* below = container.addArray(element);
    element.left = twips(30);
    element.visible = false;
    LabelArray* above = container.addArray(element);
    QVERIFY(above->load(1));
    above->setVisible(1, true);
    auto* button = new QPushButton(&container);
    button->setGeometry(0, 50, 40, 20);
    container.show();
    QVERIFY(QTest::qWaitForWindowExposed(&container));
    QSignalSpy pressed(&container, &LabelContainer::labelPressed);

    QTest::mousePress(container.windowHandle(), Qt::RightButton, Qt::ShiftModifier, QPoint(32, 4));
    QTest::mouseRelease(container.windowHandle(), Qt::RightButton, Qt::ShiftModifier, QPoint(32, 4));
    QCOMPARE(pressed.size(), 1);
    auto press = pressed.takeFirst().at(0).value<LabelPress>();
    QCOMPARE(press.array, above);
    QCOMPARE(press.index, 1);
    QCOMPARE(press.button, Qt::RightButton);
    QCOMPARE(press.modifiers, Qt::ShiftModifier);
    QCOMPARE(press.position, QPoint(twips(2), twips(4)));
    QCOMPARE(press.globalPosition, container.mapToGlobal(QPoint(32, 4)));

    // Left of the upper element only the lower one is there; the invisible element 0 of the upper
    // array lies at the same place and takes nothing.
    QTest::mouseClick(container.windowHandle(), Qt::LeftButton, {}, QPoint(10, 4));
    QCOMPARE(pressed.size(), 1);
    QCOMPARE(pressed.takeFirst().at(0).value<LabelPress>().array, below);

    // A child widget over the labels takes its own presses.
    QTest::mouseClick(container.windowHandle(), Qt::LeftButton, {}, QPoint(10, 55));
    QCOMPARE(pressed.size(), 0);
}

QTEST_MAIN(LabelContainerTest)
#include "tst_labelcontainer.moc"

void LabelContainerTest::longCaptionIsCut()
{
    LabelElement element = templateElement();
    element.caption = u"ok"_s;
    QCOMPARE(element.shownCaption(), element.caption);
    element.caption = u"a caption far too long for the 60 pixels of the element"_s;
    const QString shown = element.shownCaption();
    QVERIFY(shown.endsWith(u'…'));
    QVERIFY(element.caption.startsWith(shown.chopped(1)));
    QFont bold = element.font;
    bold.setBold(true);
    QVERIFY(QFontMetrics(bold).horizontalAdvance(shown) <= element.pixelRect().width());
}

void LabelContainerTest::readableColours_data()
{
    QTest::addColumn<QColor>("color");
    QTest::addColumn<QColor>("background");
    QTest::addColumn<bool>("kept");
    QTest::newRow("black on white") << QColor(Qt::black) << QColor(Qt::white) << true;
    QTest::newRow("red on white") << QColor(Qt::red) << QColor(Qt::white) << true;
    QTest::newRow("yellow on white: darkened") << QColor(Qt::yellow) << QColor(Qt::white) << false;
    QTest::newRow("black on dark grey: lightened") << QColor(Qt::black) << QColor(0x24, 0x24, 0x24) << false;
    QTest::newRow("navy on dark grey: lightened") << QColor(0, 0, 0x80) << QColor(0x24, 0x24, 0x24) << false;
    QTest::newRow("grey on mid grey") << QColor(0x80, 0x80, 0x80) << QColor(0x77, 0x77, 0x77) << false;
}

// A colour that reads is kept; one that does not is moved just far enough to reach 3:1.
void LabelContainerTest::readableColours()
{
    QFETCH(QColor, color);
    QFETCH(QColor, background);
    QFETCH(bool, kept);
    const QColor drawn = readableOn(color, background);
    QCOMPARE(drawn == color, kept);
    QVERIFY(contrastRatio(drawn, background) >= 3.0);
    if (!kept) {
        // One step back toward the chosen colour would no longer read.
        const auto back = [](int from, int to) { return to + (from > to ? -1 : from < to ? 1 : 0); };
        const QColor nearer(back(color.red(), drawn.red()), back(color.green(), drawn.green()),
                            back(color.blue(), drawn.blue()));
        QVERIFY(contrastRatio(nearer, background) < 3.0 + 0.1);
    }
}
