#include "widgets/sortheaderbutton.h"

#include <QTest>

using namespace Qt::StringLiterals;

class SortHeaderButtonTest : public QObject
{
    Q_OBJECT

private slots:
    // Each order paints its own mark at the right end, clear of the caption.
    void markIsPaintedBesideTheCaption()
    {
        SortHeaderButton button(u"Due"_s);
        button.resize(120, 17);
        const QImage plain = button.grab().toImage();
        button.setSortOrder(Qt::AscendingOrder);
        const QImage ascending = button.grab().toImage();
        button.setSortOrder(Qt::DescendingOrder);
        const QImage descending = button.grab().toImage();

        QVERIFY(ascending != plain);
        QVERIFY(descending != plain);
        QVERIFY(ascending != descending);
        const QRect caption(0, 0, 90, 17);
        QCOMPARE(ascending.copy(caption), plain.copy(caption));
    }
};

QTEST_MAIN(SortHeaderButtonTest)
#include "tst_sortheaderbutton.moc"
