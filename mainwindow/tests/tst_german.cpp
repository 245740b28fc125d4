#include "alertpage/pagefile.h"
#include "editor/frmtask.h"
#include "mainwindow/tests/commandtesting.h"
#include "rules/frmalerts.h"
#include "widgets/messageboxtitles.h"
#include "widgets/translations.h"

#include <QAbstractButton>
#include <QLabel>
#include <QMenuBar>

using namespace Qt::Literals::StringLiterals;

// The window on a German desktop: the program's catalogue and Qt's own are loaded the way main() does.
class GermanTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        pinToday(testToday);
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        installTranslations(*QCoreApplication::instance());
    }
    void cleanup() { QCOMPARE(QApplication::topLevelWidgets().size(), 0); }

    void windowSpeaksGerman();
    void dialogCaptionsFitTheirControls();
};

void GermanTest::windowSpeaksGerman()
{
    auto&& [store, w] = WindowWith({{"Alpha", 1}}, {{7, 0x0000FF, "d", popupOn}}, Shown::active);
    QStringList menus;
    for (const QAction* menu : w.menuBar()->actions())
        menus << menu->text();
    QCOMPARE(menus, (QStringList{u"&Aufgaben"_s, u"&Bearbeiten"_s, u"&Optionen"_s, u"A&nsicht"_s, u"&Hilfe"_s}));
    QCOMPARE(control<QAbstractButton>(w, "cmdDue").text(), u"Fällig"_s);
    QCOMPARE(menuItem(w, "menu_sync").text(), u"Mit &Server abgleichen…"_s);
    QCOMPARE(paneCaption(w, NavigationPane::Attention).text(), u"Sofort erledigen"_s);
    QCOMPARE(hotArea(w, NavigationPane::AllItems).accessibleName(), u"Alle"_s);
    for (int i = 0; i < NavigationPane::buttonCount; ++i) {
        const QLabel& caption = paneCaption(w, i);
        const QRect needed = caption.fontMetrics().boundingRect(
            caption.rect(), int(caption.alignment()) | Qt::TextWordWrap, caption.text());
        QVERIFY2(needed.height() <= caption.height(), qPrintable(caption.text())); // no line cut off
    }

    clickPane(w, NavigationPane::Attention);
    const std::string page = testsupport::readBytes(alertPagePath());
    for (const char* words : {"<title>Hinweise</title>", "<h2>Achtung!</h2>", "<B>Für: </b> Sam",
                              "<b>Fällig: </b> March", " um ", "noch 1 Tag </small>"})
        QVERIFY2(page.find(words) != std::string::npos, words);
    clickPane(w, NavigationPane::AllItems);

    // The German access keys reach the editor; the about box speaks German too.
    ModalScript script;
    script.then(pressButton(u"&Abbrechen"_s)).then(clickBoxButton(QMessageBox::Ok));
    pickByAccessKeys(w, Qt::Key_A, &control<QMenu>(w, "Menu_Tasks"), Qt::Key_N);
    QTRY_COMPARE(script.seen().size(), 1);
    menuItem(w, "menu_about").trigger();
    QVERIFY2(script.problems().isEmpty(), qPrintable(script.problems()));
    QCOMPARE(script.seen()[0].title, u"Aufgabe anlegen / bearbeiten"_s);
    QVERIFY2(script.seen()[1].text.contains(u"Eine schnelle, verlässliche Aufgabenliste"_s),
             qPrintable(script.seen()[1].text));
    // The file keeps its English keys whatever the language.
    QVERIFY(fileText().find("ttl=Alpha\r\nfor=Sam\r\n") != std::string::npos);

    // A failed save is worded by the window, in German too; nothing can be renamed over a folder.
    std::filesystem::remove("tasks.txt");
    std::filesystem::create_directory("tasks.txt");
    w.highlight(static_cast<std::int16_t>(rowOf(w, u"Alpha"_s)));
    script.then(clickBoxButton(QMessageBox::Yes)).then(clickBoxButton(QMessageBox::Ok));
    menuItem(w, "menu_delete").trigger();
    QCOMPARE_GE(script.seen()[2].width, MessageBoxTitles::widthFor(script.seen()[2].title)); // the whole title shows
    QVERIFY2(script.problems().isEmpty(), qPrintable(script.problems()));
    const QString failure = script.seen().constLast().text;
    QVERIFY2(failure.startsWith(u"Die Datei „tasks.txt“ kann nicht geschrieben werden:\n"_s), qPrintable(failure));
}

// German captions are longer: the dialogs shrink their font until every caption fits its control.
void GermanTest::dialogCaptionsFitTheirControls()
{
    Module1 store;
    frmTask editor(store, nullptr);
    frmAlerts rules(store, nullptr);
    for (QWidget* dialog : std::initializer_list<QWidget*>{&editor, &rules}) {
        for (const QLabel* label : dialog->findChildren<QLabel*>())
            QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(),
                     qPrintable(label->text()));
        for (const QPushButton* button : dialog->findChildren<QPushButton*>()) {
            const QString caption = QString(button->text()).remove(u'&');
            QVERIFY2(button->fontMetrics().horizontalAdvance(caption) < button->width(), qPrintable(caption));
        }
    }
    QCOMPARE(control<QAbstractButton>(rules, "cmdSelect").text(), u"Aus&wählen..."_s);
    // What a screen reader says follows the language too.
    QCOMPARE(control<QWidget>(editor, "txtDay").accessibleName(), u"Fälligkeitstag"_s);
    QCOMPARE(control<QWidget>(rules, "txtInterval").accessibleName(), u"Tage"_s);
}

QTEST_MAIN(GermanTest)
#include "tst_german.moc"
