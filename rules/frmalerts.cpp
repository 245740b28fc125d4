#include "rules/frmalerts.h"

#include "commands/storereports.h"
#include "store/number.h"
#include "widgets/bgrcolor.h"
#include "widgets/dialogframe.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {

constexpr int frameLeft = 120;
constexpr int frameTop = 120;
// The caption's blanks leave room for the buttons that lie across the frame's top edge.
constexpr int captionBlanks = 41;
// Counted in days, the unit the rule walk needs.
const AlertRule newRule{0, "d", 0, 0};

} // namespace

frmAlerts::frmAlerts(Module1& store, QWidget* parent) : QDialog(parent), store_(store)
{
    setObjectName(QStringLiteral("frmAlerts"));
    makeFixedDialog(*this, tr("Colors & Alerts"), 3585, 2595);
    createControls();
    chainTabOrder({cmdBack, cmdNext, cmdNew, txtInterval, cmdSelect, chkAlert, cmdDelete, cmdOk, cmdCancel, lblID});
    connectControls();
    fitFontToCaptions(*this);
}

void frmAlerts::createControls()
{
    Frame1 = new QGroupBox(tr("Rule #") + QString(captionBlanks, u' '), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    placeTwips(*Frame1, frameLeft, frameTop, 3375, 2055);
    createRuleControls();

    // Created after the frame, so they lie on top of its caption line.
    cmdBack = makeButton(this, "cmdBack", QStringLiteral("<"), 840, 120, 375);
    lblID = new QLineEdit(this);
    lblID->setObjectName(QStringLiteral("lblID"));
    lblID->setReadOnly(true); // the rule number cannot be typed over
    QPalette face = lblID->palette();
    face.setColor(QPalette::Base, face.color(QPalette::Window));
    lblID->setPalette(face);
    placeTwips(*lblID, 1200, 120, 495, 285);
    cmdNext = makeButton(this, "cmdNext", QStringLiteral(">"), 1680, 120, 375);
    cmdNew = makeButton(this, "cmdNew", tr("&New"), 2040, 120, 495);

    cmdOk = makeButton(this, "cmdOk", tr("&Ok"), 2760, 2280, 735);
    cmdOk->setDefault(true);
    cmdCancel = makeButton(this, "cmdCancel", tr("&Cancel"), 1920, 2280, 735);

    // Unnamed, every input inside the frame would be read out as its blank-padded caption.
    nameInputs(*this, {{Frame1, QT_TR_NOOP("Rule #")},
                       {cmdBack, QT_TR_NOOP("Previous rule")},
                       {lblID, QT_TR_NOOP("Rule number")},
                       {cmdNext, QT_TR_NOOP("Next rule")},
                       {txtInterval, QT_TR_NOOP("Days"), "Label2"},
                       {pctColor, QT_TR_NOOP("Colour"), "Label4"},
                       {chkAlert, QT_TR_NOOP("Popup at startup"), "Label5"}});
}

void frmAlerts::createRuleControls()
{
    makeLabel(Frame1, "Label2", tr("If project is due in:"), 120, 360, 1335);
    txtInterval = new QLineEdit(Frame1);
    txtInterval->setObjectName(QStringLiteral("txtInterval"));
    txtInterval->setAlignment(Qt::AlignCenter);
    txtInterval->installEventFilter(this);
    placeTwips(*txtInterval, 1560, 360, 615, 285);
    makeLabel(Frame1, "Label3", tr("days or less,"), 2280, 360, 975);

    makeLabel(Frame1, "Label4", tr("Change color to:"), 120, 840, 1455);
    pctColor = new QFrame(Frame1);
    pctColor->setObjectName(QStringLiteral("pctColor"));
    pctColor->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pctColor->setAutoFillBackground(true);
    placeTwips(*pctColor, 1560, 840, 615, 255);
    cmdSelect = makeButton(Frame1, "cmdSelect", tr("&Select..."), 2280, 840, 855);

    makeLabel(Frame1, "Label5", tr("Popup at Startup?"), 120, 1320, 1455);
    chkAlert = new QCheckBox(Frame1);
    chkAlert->setObjectName(QStringLiteral("chkAlert"));
    placeTwips(*chkAlert, 1920, 1320, 255, 255);
    makeLabel(Frame1, "Label6", tr("yes"), 2280, 1320, 615);

    cmdDelete = makeButton(Frame1, "cmdDelete", tr("&Delete"), 2280, 1680, 855);
}

void frmAlerts::connectControls()
{
    // Only the user's edits change the copy: drawAlert filling the boxes leaves the rule as it was.
    connect(txtInterval, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (AlertRule* rule = shownRule())
            rule->value = numberOfText<std::int16_t>(text.toStdString());
    });
    connect(chkAlert, &QCheckBox::clicked, this, [this](bool ticked) {
        if (AlertRule* rule = shownRule())
            rule->popup = ticked ? popupOn : std::int16_t{0};
    });
    connect(cmdBack, &QPushButton::clicked, this, &frmAlerts::backClicked);
    connect(cmdNext, &QPushButton::clicked, this, &frmAlerts::nextClicked);
    connect(cmdNew, &QPushButton::clicked, this, &frmAlerts::newClicked);
    connect(cmdDelete, &QPushButton::clicked, this, &frmAlerts::deleteClicked);
    connect(cmdSelect, &QPushButton::clicked, this, &frmAlerts::selectClicked);
    connect(cmdOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdCancel, &QPushButton::clicked, this, &frmAlerts::reject);
}

bool frmAlerts::eventFilter(QObject* watched, QEvent* event)
{
    // Deferred, so that the mouse press that gave the focus does not undo the selection.
    if (watched == txtInterval && event->type() == QEvent::FocusIn)
        QTimer::singleShot(0, txtInterval, &QLineEdit::selectAll);
    return QDialog::eventFilter(watched, event);
}

std::int16_t frmAlerts::shownNumber() const
{
    return numberOfText<std::int16_t>(lblID->text().toStdString());
}

AlertRule* frmAlerts::shownRule()
{
    const int slot = shownNumber() - 1;
    if (slot < 0 || static_cast<std::size_t>(slot) >= rules_.size())
        return nullptr;
    return &rules_[static_cast<std::size_t>(slot)];
}

void frmAlerts::prepare(std::span<const AlertRule> rules)
{
    rules_.assign(rules.begin(), rules.end());
    if (rules_.empty())
        rules_.push_back(newRule);
    drawAlert(0);
}

void frmAlerts::drawAlert(std::int16_t Index)
{
    if (Index < 0 || static_cast<std::size_t>(Index) >= rules_.size())
        return;
    const AlertRule& rule = rules_[static_cast<std::size_t>(Index)];
    lblID->setText(QString::number(Index + 1));
    paintSwatch(rule.color);
    chkAlert->setChecked(rule.popup == popupOn);
    txtInterval->setText(QString::number(rule.value));
    cmdNew->setEnabled(rules_.size() < Module1::ruleSlots);
}

void frmAlerts::paintSwatch(std::int32_t color)
{
    QPalette swatch = pctColor->palette();
    swatch.setColor(QPalette::Window, colorFromBgr(color));
    pctColor->setPalette(swatch);
    pctColor->setAccessibleDescription(swatch.color(QPalette::Window).name());
}

void frmAlerts::backClicked()
{
    const std::int16_t number = shownNumber();
    if (number > 1)
        drawAlert(static_cast<std::int16_t>(number - 2));
}

void frmAlerts::nextClicked()
{
    const std::int16_t number = shownNumber();
    if (number >= 1 && static_cast<std::size_t>(number) < rules_.size())
        drawAlert(number);
}

void frmAlerts::newClicked()
{
    if (rules_.size() >= Module1::ruleSlots)
        return;
    rules_.push_back(newRule);
    drawAlert(static_cast<std::int16_t>(rules_.size() - 1));
}

// The rule that moves up into the deleted one's place is shown, or the first after the last was
// deleted. The only rule stays: there is always one to show.
void frmAlerts::deleteClicked()
{
    const int k = shownNumber() - 1;
    if (k < 0 || static_cast<std::size_t>(k) >= rules_.size())
        return;
    if (rules_.size() > 1)
        rules_.erase(rules_.begin() + k);
    drawAlert(static_cast<std::size_t>(k) < rules_.size() ? static_cast<std::int16_t>(k) : std::int16_t{0});
}

void frmAlerts::selectClicked()
{
    AlertRule* rule = shownRule();
    if (!rule)
        return;
    const QColor picked = QColorDialog::getColor(colorFromBgr(rule->color), this);
    if (!picked.isValid())
        return; // cancelled: the rule keeps its colour
    rule->color = bgrFromColor(picked);
    paintSwatch(rule->color);
}

void frmAlerts::reject()
{
    readBack(this, store_);
    QDialog::reject();
}
