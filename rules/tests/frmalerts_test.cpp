#include "rules/frmalerts.h"
#include "widgets/tests/dialogtesting.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QFrame>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

namespace {

// Rule n (1-based) due within n * 10 days, in a colour of its own.
AlertRule numberedRule(int n)
{
    return AlertRule{static_cast<std::int16_t>(n * 10), "d", 0x000011 * n, 0};
}

void seedRuleFile(Module1& store, int rules)
{
    for (int i = 0; i < rules; ++i)
        store.ruleList[static_cast<std::size_t>(i)] = numberedRule(i + 1);
    store.ruleCount = static_cast<std::int16_t>(rules);
    QVERIFY(store.saveTasks().ok);
    QVERIFY(store.loadTasks().ok);
}

} // namespace

class FrmAlertsTest : public QObject, DialogOnStore<frmAlerts>
{
    Q_OBJECT

private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }

    void noRulesCountsSlotZeroAsRuleOne();
    void navigationStopsAtBothEnds();
    void newShowsAFreshLastRule();
    void newIsDisabledWhileTheTableIsFull();
    void deleteShowsTheRuleThatTookItsPlace_data();
    void deleteShowsTheRuleThatTookItsPlace();
    void intervalBoxStoresTheLeadingNumberClamped_data();
    void intervalBoxStoresTheLeadingNumberClamped();
    void intervalBoxSelectsAllOnFocus();
    void cancelRestoresTheFileWithoutRedrawing_data();
    void cancelRestoresTheFileWithoutRedrawing();
    void popupBoxIsSavedByEnter();
    void colourPicker_data();
    void colourPicker();
    void controlsAreNamedForScreenReaders_data();
    void controlsAreNamedForScreenReaders() { compareAccessibleNames(*dialog); }

private:
    void openWith(int rules)
    {
        seedRuleFile(*store, rules);
        dialog->prepare(store->rules());
        dialog->show();
    }
    QLineEdit& lblID() { return control<QLineEdit>(*dialog, "lblID"); }
    QLineEdit& txtInterval() { return control<QLineEdit>(*dialog, "txtInterval"); }
    QCheckBox& chkAlert() { return control<QCheckBox>(*dialog, "chkAlert"); }
    QColor swatch() { return control<QFrame>(*dialog, "pctColor").palette().color(QPalette::Window); }
    void click(const char* name) { QTest::mouseClick(&control<QPushButton>(*dialog, name), Qt::LeftButton); }
};

void FrmAlertsTest::noRulesCountsSlotZeroAsRuleOne()
{
    openWith(0);
    QCOMPARE(dialog->rules().size(), 1U);
    QCOMPARE(lblID().text(), QStringLiteral("1"));
    QCOMPARE(dialog->rules()[0].unit, std::string("d"));
    QCOMPARE(txtInterval().text(), QStringLiteral("0"));
}

void FrmAlertsTest::navigationStopsAtBothEnds()
{
    openWith(3);
    click("cmdBack");
    QCOMPARE(lblID().text(), QStringLiteral("1"));
    click("cmdNext");
    click("cmdNext");
    QCOMPARE(lblID().text(), QStringLiteral("3"));
    QCOMPARE(txtInterval().text(), QStringLiteral("30"));
    QCOMPARE(swatch(), QColor(0x33, 0, 0));
    click("cmdNext");
    QCOMPARE(lblID().text(), QStringLiteral("3"));
    click("cmdBack");
    QCOMPARE(lblID().text(), QStringLiteral("2"));
    QCOMPARE(txtInterval().text(), QStringLiteral("20"));
}

void FrmAlertsTest::newShowsAFreshLastRule()
{
    openWith(3);
    chkAlert().click();
    click("cmdNew");

    QCOMPARE(dialog->rules().size(), 4U);
    QCOMPARE(lblID().text(), QStringLiteral("4"));
    QCOMPARE(txtInterval().text(), QStringLiteral("0"));
    QCOMPARE(swatch(), QColor(Qt::black));
    QVERIFY(!chkAlert().isChecked());
    QVERIFY(dialog->rules()[3] == (AlertRule{0, "d", 0, 0}));
    click("cmdBack");
    QCOMPARE(lblID().text(), QStringLiteral("3"));
    QCOMPARE(txtInterval().text(), QStringLiteral("30"));
}

void FrmAlertsTest::newIsDisabledWhileTheTableIsFull()
{
    openWith(1);
    dialog->prepare(std::vector<AlertRule>(Module1::ruleSlots - 1, numberedRule(1)));
    auto& cmdNew = control<QPushButton>(*dialog, "cmdNew");
    QVERIFY(cmdNew.isEnabled());
    click("cmdNew");
    QCOMPARE(dialog->rules().size(), std::size_t{Module1::ruleSlots});
    QCOMPARE(lblID().text(), QString::number(Module1::ruleSlots));
    QVERIFY(!cmdNew.isEnabled());
    click("cmdNew");
    QCOMPARE(dialog->rules().size(), std::size_t{Module1::ruleSlots});
    click("cmdDelete");
    QVERIFY(cmdNew.isEnabled());
}

void FrmAlertsTest::deleteShowsTheRuleThatTookItsPlace_data()
{
    QTest::addColumn<int>("rules");
    QTest::addColumn<int>("deleted");
    QTest::addColumn<int>("shownNumber");
    QTest::addColumn<int>("shownValue");
    QTest::addColumn<int>("rulesLeft");
    QTest::newRow("rule 2 of 4") << 4 << 2 << 2 << 30 << 3;
    QTest::newRow("rule 4 of 4") << 4 << 4 << 1 << 10 << 3;
    QTest::newRow("the only rule") << 1 << 1 << 1 << 10 << 1;
}

void FrmAlertsTest::deleteShowsTheRuleThatTookItsPlace()
{
    QFETCH(int, rules);
    QFETCH(int, deleted);
    QFETCH(int, shownNumber);
    QFETCH(int, shownValue);
    QFETCH(int, rulesLeft);
    openWith(rules);
    for (int n = 1; n < deleted; ++n)
        click("cmdNext");

    click("cmdDelete");

    QCOMPARE(lblID().text(), QString::number(shownNumber));
    QCOMPARE(txtInterval().text(), QString::number(shownValue));
    QCOMPARE(dialog->rules().size(), std::size_t(rulesLeft));
    for (int slot = 0; slot < rulesLeft; ++slot) {
        const int original = rules == 1 || slot + 1 < deleted ? slot + 1 : slot + 2;
        QVERIFY(dialog->rules()[static_cast<std::size_t>(slot)] == numberedRule(original));
    }
}

void FrmAlertsTest::intervalBoxStoresTheLeadingNumberClamped_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("stored");
    QTest::newRow("trailing letter") << QStringLiteral("5x") << 5;
    QTest::newRow("empty box") << QString() << 0;
    QTest::newRow("negative") << QStringLiteral("-2") << -2;
    QTest::newRow("half to even") << QStringLiteral("2.5") << 2;
    QTest::newRow("too large") << QStringLiteral("99999") << 32767;
    QTest::newRow("too small") << QStringLiteral("-99999") << -32768;
}

void FrmAlertsTest::intervalBoxStoresTheLeadingNumberClamped()
{
    QFETCH(QString, typed);
    QFETCH(int, stored);
    openWith(2);
    click("cmdNext");
    retype(txtInterval(), typed);
    QCOMPARE(dialog->rules()[1].value, stored);
    QCOMPARE(dialog->rules()[0].value, 10);
}

void FrmAlertsTest::intervalBoxSelectsAllOnFocus()
{
    openWith(1);
    QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
    control<QPushButton>(*dialog, "cmdNew").setFocus();
    txtInterval().deselect();
    QTest::mouseClick(&txtInterval(), Qt::LeftButton);
    QTRY_COMPARE(txtInterval().selectedText(), QStringLiteral("10"));
}

void FrmAlertsTest::cancelRestoresTheFileWithoutRedrawing_data()
{
    addCancelWays();
}

void FrmAlertsTest::cancelRestoresTheFileWithoutRedrawing()
{
    QFETCH(QString, how);
    openWith(3);
    retype(txtInterval(), QStringLiteral("7"));
    click("cmdNew");
    QCOMPARE(dialog->rules()[0].value, 7);
    store->ruleList[0].value = 7;

    leaveDialog(how, *dialog, control<QPushButton>(*dialog, "cmdCancel"), txtInterval());

    QVERIFY(!dialog->isVisible());
    QCOMPARE(store->ruleCount, 3);
    QCOMPARE(store->ruleList[0].value, 10);
    QCOMPARE(accepted.count, 0);
}

void FrmAlertsTest::popupBoxIsSavedByEnter()
{
    seedRuleFile(*store, 2);
    store->ruleList[1].popup = popupOn;
    dialog->prepare(store->rules());
    QTimer::singleShot(0, this, [this] {
        QTest::mouseClick(&chkAlert(), Qt::LeftButton, {}, QPoint(6, 6));
        QCOMPARE(dialog->rules()[0].popup, popupOn);
        click("cmdNext");
        QVERIFY(chkAlert().isChecked());
        QTest::mouseClick(&chkAlert(), Qt::LeftButton, {}, QPoint(6, 6));
        QCOMPARE(dialog->rules()[1].popup, 0);
        QTest::keyClick(&txtInterval(), Qt::Key_Return);
    });
    QCOMPARE(dialog->exec(), int(QDialog::Accepted));

    QCOMPARE(accepted.count, 1);
    QCOMPARE(dialog->rules()[0].popup, popupOn);
    QCOMPARE(dialog->rules()[1].popup, 0);
}

void FrmAlertsTest::colourPicker_data()
{
    QTest::addColumn<bool>("confirmed");
    QTest::addColumn<int>("stored");
    QTest::newRow("cancelled keeps the colour") << false << 0x000022;
    QTest::newRow("chosen colour is stored blue-green-red") << true << 0x563412;
}

void FrmAlertsTest::colourPicker()
{
    QFETCH(bool, confirmed);
    QFETCH(int, stored);
    openWith(2);
    click("cmdNext");
    ModalScript script;
    script.then([confirmed](QWidget& modal) {
        auto& picker = *qobject_cast<QColorDialog*>(&modal);
        picker.setCurrentColor(QColor(0x12, 0x34, 0x56));
        if (confirmed)
            picker.accept();
        else
            picker.reject();
    });
    click("cmdSelect");
    QVERIFY2(script.problems().isEmpty(), qPrintable(script.problems()));

    QCOMPARE(dialog->rules()[1].color, stored);
    QCOMPARE(swatch(), QColor(stored & 0xFF, (stored >> 8) & 0xFF, (stored >> 16) & 0xFF));
    // A reader cannot see the swatch: its description says the colour.
    QCOMPARE(control<QFrame>(*dialog, "pctColor").accessibleDescription(), swatch().name());
}

// Inside the frame, a control without a name of its own would be read as the frame's caption and
// its forty blanks.
void FrmAlertsTest::controlsAreNamedForScreenReaders_data()
{
    addNameColumns();
    const char* rows[][3] = {{"Frame1", "Rule #", ""},
                             {"cmdBack", "Previous rule", ""},
                             {"lblID", "Rule number", ""},
                             {"cmdNext", "Next rule", ""},
                             {"cmdNew", "New", ""},
                             {"txtInterval", "Days", "If project is due in:"},
                             {"pctColor", "Colour", "Change color to:"},
                             {"cmdSelect", "Select...", "Rule #"},
                             {"chkAlert", "Popup at startup", "Popup at Startup?"},
                             {"cmdDelete", "Delete", "Rule #"},
                             {"cmdOk", "Ok", ""},
                             {"cmdCancel", "Cancel", ""}};
    for (const auto& row : rows)
        QTest::newRow(row[0]) << QString::fromLatin1(row[0]) << QString::fromLatin1(row[1])
                              << QString::fromLatin1(row[2]);
}

QTEST_MAIN(FrmAlertsTest)
#include "frmalerts_test.moc"
