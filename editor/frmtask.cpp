#include "editor/frmtask.h"

#include "commands/storereports.h"
#include "store/duetext.h"
#include "store/number.h"
#include "widgets/dialogframe.h"
#include "widgets/linebreaks.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>

#include <array>
#include <limits>

namespace {

const QString lineFeed = QStringLiteral("\n");
const QString carriageReturn = QStringLiteral("\r");
const QString recordLineBreak = QStringLiteral("\r\n");

// The box's raw text keeps non-breaking spaces, which its plain text would turn into blanks.
// Its paragraph and line separators, and any CR that came in with pasted text, become CR LF.
std::string storedDescription(const QPlainTextEdit& box)
{
    QString text = box.document()->toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n').replace(QChar::LineSeparator, u'\n');
    text.replace(recordLineBreak, lineFeed).replace(carriageReturn, lineFeed);
    return text.replace(lineFeed, recordLineBreak).toStdString();
}

QLineEdit* makeBox(QWidget* parent, const char* name, int left, int top, int width, bool centred)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setMaxLength(std::numeric_limits<int>::max()); // a longer title must not be cut when shown
    placeTwips(*box, left, top, width, 285);
    if (centred)
        box->setAlignment(Qt::AlignCenter);
    return box;
}

// Enter must not press either button: neither is the default, nor becomes it when focused.
QPushButton* makeCommandButton(QWidget* parent, const char* name, const QString& caption, int left)
{
    QPushButton* button = makeButton(parent, name, caption, left, 2880, 975);
    button->setAutoDefault(false);
    return button;
}

} // namespace

frmTask::frmTask(Module1& store, QWidget* parent) : QDialog(parent), store_(store)
{
    setObjectName(QStringLiteral("frmTask"));
    makeFixedDialog(*this, tr("New / Edit task"), 3975, 3225);
    createControls();
    chainTabOrder(
        {txtTitle, txtFor, txtDay, lstMonth, txtYear, txtHour, txtMinute, txtSecond, txtDescript, Command1, Command2});
    connectFields();
    fitFontToCaptions(*this);
}

void frmTask::createControls()
{
    makeLabel(this, "Label1", tr("Title:"), 120, 120, 975);
    makeLabel(this, "Label2", tr("For:"), 120, 480, 975);
    makeLabel(this, "Label3", tr("Due:"), 120, 840, 975);
    makeLabel(this, "Label5", tr("(yyyy)"), 3240, 1200, 615, Qt::AlignHCenter | Qt::AlignTop);
    makeLabel(this, "Label6", tr("Time:"), 120, 1440, 615);
    makeLabel(this, "Label4", tr("Description:"), 120, 1800, 975);
    Label7[0] = makeLabel(this, "Label7_0", QStringLiteral(":"), 1800, 1440, 255, Qt::AlignCenter);
    Label7[1] = makeLabel(this, "Label7_1", QStringLiteral(":"), 1200, 1440, 255, Qt::AlignCenter);

    txtTitle = makeBox(this, "txtTitle", 840, 120, 3015, false);
    txtFor = makeBox(this, "txtFor", 840, 480, 3015, false);
    txtDay = makeBox(this, "txtDay", 840, 840, 375, true);

    lstMonth = new QComboBox(this);
    lstMonth->setObjectName(QStringLiteral("lstMonth"));
    // The list is read by position, so its captions may follow the user's language.
    static constexpr std::array<const char*, 12> monthNames{
        QT_TR_NOOP("January"),   QT_TR_NOOP("February"), QT_TR_NOOP("March"),    QT_TR_NOOP("April"),
        QT_TR_NOOP("May"),       QT_TR_NOOP("June"),     QT_TR_NOOP("July"),     QT_TR_NOOP("August"),
        QT_TR_NOOP("September"), QT_TR_NOOP("October"),  QT_TR_NOOP("November"), QT_TR_NOOP("December")};
    static_assert(monthNames.size() == englishMonthNames.size());
    for (const char* month : monthNames)
        lstMonth->addItem(tr(month));
    lstMonth->setMaxVisibleItems(12);
    placeTwips(*lstMonth, 1320, 840, 1815, 315);

    txtYear = makeBox(this, "txtYear", 3240, 840, 615, true);
    txtHour = makeBox(this, "txtHour", 840, 1440, 375, true);
    txtMinute = makeBox(this, "txtMinute", 1440, 1440, 375, true);
    txtSecond = makeBox(this, "txtSecond", 2040, 1440, 375, true);

    txtDescript = new QPlainTextEdit(this);
    txtDescript->setObjectName(QStringLiteral("txtDescript"));
    txtDescript->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtDescript->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff); // long lines wrap
    txtDescript->setTabChangesFocus(true);
    placeTwips(*txtDescript, 120, 2040, 3735, 735);

    Command1 = makeCommandButton(this, "Command1", tr("&Ok"), 2880);
    Command2 = makeCommandButton(this, "Command2", tr("&Cancel"), 1800);

    nameInputs(*this, {{txtTitle, QT_TR_NOOP("Title"), "Label1"},
                       {txtFor, QT_TR_NOOP("For"), "Label2"},
                       {txtDay, QT_TR_NOOP("Due day"), "Label3"},
                       {lstMonth, QT_TR_NOOP("Due month")},
                       {txtYear, QT_TR_NOOP("Due year"), "Label5"},
                       {txtHour, QT_TR_NOOP("Hour"), "Label6"},
                       {txtMinute, QT_TR_NOOP("Minute")},
                       {txtSecond, QT_TR_NOOP("Second")},
                       {txtDescript, QT_TR_NOOP("Description"), "Label4"}});
}

void frmTask::connectFields()
{
    // Only the user's edits change the copy: filling the boxes in prepare leaves it as it was.
    bindText(txtTitle, &TaskRecord::title);
    bindText(txtFor, &TaskRecord::forWhom);
    bindNumber(txtDay, &TaskRecord::day);
    bindNumber(txtYear, &TaskRecord::year);
    bindNumber(txtHour, &TaskRecord::hour);
    bindNumber(txtMinute, &TaskRecord::minute);
    bindNumber(txtSecond, &TaskRecord::second);
    connect(lstMonth, &QComboBox::activated, this,
            [this](int position) { task_.month = static_cast<std::int16_t>(position + 1); });
    connect(txtDescript, &QPlainTextEdit::textChanged, this, &frmTask::descriptionChanged);
    connect(Command1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Command2, &QPushButton::clicked, this, &frmTask::reject);
}

void frmTask::bindText(QLineEdit* box, std::string TaskRecord::*field)
{
    connect(box, &QLineEdit::textEdited, this,
            [this, field](const QString& text) { task_.*field = text.toStdString(); });
}

void frmTask::bindNumber(QLineEdit* box, std::int16_t TaskRecord::*field)
{
    connect(box, &QLineEdit::textEdited, this,
            [this, field](const QString& text) { task_.*field = numberOfText<std::int16_t>(text.toStdString()); });
}

void frmTask::descriptionChanged()
{
    task_.description = storedDescription(*txtDescript);
}

void frmTask::prepare(const TaskRecord& task)
{
    task_ = task;
    txtTitle->setText(QString::fromStdString(task.title));
    txtFor->setText(QString::fromStdString(task.forWhom));
    txtDay->setText(QString::number(task.day));
    txtYear->setText(QString::number(task.year));
    {
        const QSignalBlocker filling(txtDescript);
        txtDescript->setPlainText(withLineFeeds(task.description));
    }
    txtMinute->setText(QString::number(task.minute));
    txtHour->setText(QString::number(task.hour));
    txtSecond->setText(QString::number(task.second));
    // A month the list cannot show selects nothing; the record keeps it until the user picks one.
    lstMonth->setCurrentIndex(task.month >= 1 && task.month <= 12 ? task.month - 1 : -1);
    txtTitle->setFocus();
}

void frmTask::reject()
{
    readBack(this, store_);
    QDialog::reject();
}
