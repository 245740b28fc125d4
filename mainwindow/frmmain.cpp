#include "mainwindow/frmmain.h"
#include "mainwindow/dayclock.h"
#include "mainwindow/findbar.h"
#include "mainwindow/listkeyboard.h"
#include "mainwindow/repeatingtasks.h"
#include "mainwindow/taskfilefollower.h"
#include "mainwindow/windowsync.h"

#include "alertpage/frmstartup.h"
#include "notify/reminders.h"
#include "os/startuptrace.h"
#include "store/calendar.h"
#include "store/duetext.h"
#include "store/ruleeval.h"
#include "widgets/bgrcolor.h"
#include "widgets/labelcontainer.h"
#include "widgets/labeltable.h"
#include "widgets/linebreaks.h"
#include "widgets/messageboxtitles.h"
#include "widgets/readablecolor.h"
#include "widgets/sortheaderbutton.h"
#include "widgets/twips.h"
#include "widgets/wheelscroller.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <QUndoStack>

#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>

using namespace Qt::StringLiterals;

namespace {

// The window's design, in twips.
constexpr int clientWidth = 10305;
constexpr int clientHeight = 5670; // from the menu bar down to the window's bottom edge
constexpr int menuPaneWidth = 1335;
constexpr int listLeft = 1320;
constexpr int lineHeight = 255; // of a header, a row and the status bar
constexpr int scrollBarWidth = 255;
constexpr int splitterHeight = 45;
constexpr int firstStatusPanelWidth = 1440;
constexpr qreal descriptionPointSize = 9.75;
constexpr std::int16_t startSplitPercent = 50;

// The layout pass's figures.
constexpr int rightMargin = 75;      // between the list and the window's right edge
constexpr int splitterGap = 30;      // between the list and the description box
constexpr int scrollBarOverlap = 45; // how far the scroll bar reaches back over the list's right edge
constexpr int dueHeaderShortfall = 90;

struct HeaderDesign
{
    const char* caption;
    const char* name;
    int left; // before the first layout pass
    int width;
    double share; // of the list's width, after it
};

constexpr std::array<HeaderDesign, 3> headerDesigns = {{
    {QT_TRANSLATE_NOOP("frmMain", "Title"), "cmdTitle", 0, 855, 0.4},
    {QT_TRANSLATE_NOOP("frmMain", "For"), "cmdFor", 840, 735, 0.25},
    {QT_TRANSLATE_NOOP("frmMain", "Due"), "cmdDue", 1560, 735, 0.35},
}};

// Where element 0 of each row array lies, before the first layout pass lines it up under its header.
struct CellDesign
{
    int left;
    int width;
};
constexpr CellDesign titleCell{0, 975};
constexpr CellDesign forCell{960, 855};
constexpr CellDesign dueCell{1800, 975};
constexpr CellDesign idCell{2640, 375};

// The selection keeps the design's dark blue under every palette: white on it reads on light and
// dark backgrounds alike, and it stays apart from the rule colours.
const QColor highlightBack(0, 0, 100);

int fractionOf(double fraction, int total);

// The due column's width for a window `windowWidth` twips wide, as the layout pass makes it.
int dueColumnAt(int windowWidth)
{
    return fractionOf(headerDesigns[2].share, windowWidth - rightMargin - menuPaneWidth - scrollBarWidth) -
           dueHeaderShortfall;
}

int percentOf(int total, int percent)
{
    return static_cast<int>(std::lround(total * percent / 100.0));
}

int fractionOf(double fraction, int total)
{
    return static_cast<int>(std::lround(fraction * total));
}

// The box drops these keys (see typesIntoBox), so they are the window's Undo and Redo even there.
bool isUndoOrRedo(const QKeyEvent& key)
{
    return key.matches(QKeySequence::Undo) || key.matches(QKeySequence::Redo);
}

// Whether a key would change the description box. Character keys (control characters included)
// and the editing shortcuts do; Delete, the arrows and Tab (which moves the focus on) do not.
bool typesIntoBox(const QKeyEvent& key)
{
    if (key.key() == Qt::Key_Delete || key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab)
        return false;
    if (!key.text().isEmpty())
        return true;
    return key.matches(QKeySequence::Paste) || key.matches(QKeySequence::Cut) || isUndoOrRedo(key);
}

// Holds back the repaints that each change of a cell asks for until a batch of changes is done;
// then the list is repainted once.
class RepaintsHeldBack
{
public:
    explicit RepaintsHeldBack(QWidget* widget) : widget_(widget), wasEnabled_(widget->updatesEnabled())
    {
        widget_->setUpdatesEnabled(false);
    }
    ~RepaintsHeldBack() { widget_->setUpdatesEnabled(wasEnabled_); }
    RepaintsHeldBack(const RepaintsHeldBack&) = delete;
    RepaintsHeldBack& operator=(const RepaintsHeldBack&) = delete;

private:
    QWidget* widget_;
    bool wasEnabled_;
};

// The header of the column the rows are sorted by shows which way; a key that sorts nothing, none.
void showSortMarks(const std::array<QPushButton*, 3>& headers, std::int16_t sortKey)
{
    for (std::int16_t column = 0; column < 3; ++column) {
        std::optional<Qt::SortOrder> order;
        if (sortKey == column)
            order = Qt::AscendingOrder;
        else if (sortKey == column + SortKey::descending)
            order = Qt::DescendingOrder;
        static_cast<SortHeaderButton*>(headers[static_cast<std::size_t>(column)])->setSortOrder(order);
    }
}

// The widest due text a row can show, in twips, with the row font in bold: the month names and the
// time of day depend on the locale (a 12-hour clock adds "AM" or "PM").
int widestDueText(const QFont& rowFont)
{
    QFont bold = rowFont;
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    int widest = 0;
    for (std::int16_t month = 1; month <= 12; ++month) {
        for (std::int16_t hour = 0; hour < 24; ++hour) {
            TaskRecord task;
            task.day = 28;
            task.month = month;
            task.year = 2028;
            task.hour = hour;
            task.minute = 58;
            task.second = 58;
            widest = std::max(widest, metrics.horizontalAdvance(QString::fromStdString(dueText(task))));
        }
    }
    return twips(widest + 1);
}

QLabel* statusPanel(QWidget* parent)
{
    auto* panel = new QLabel(parent);
    panel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    return panel;
}

} // namespace

frmMain::frmMain(Module1& store, QWidget* parent)
    : QMainWindow(parent), store_(store),
      history_(new QUndoStack(this)), commands_{store, this,
                                                [this](const std::optional<TaskRecord>& task) {
                                                    redrawSelecting(task);
                                                }},
      repeating_(std::make_unique<RepeatingTasks>(store.taskFile()))
{
    MessageBoxTitles::install();
    setWindowTitle(QCoreApplication::applicationName());
    auto* client = new QWidget(this);
    client->setObjectName(u"client"_s);
    setCentralWidget(client);
    createStatusBar();
    startupPhaseEnded("status bar");
    createListPane(client);
    startupPhaseEnded("list pane");
    sync_ = new WindowSync(
        commands_, *history_, [this] { return selectedTask(); }, *StatusBar1);
    // The forms of a sync are kept after the task file: only then does the list know what repeats.
    connect(sync_, &WindowSync::runEnded, this, [this] {
        if (repeating_->refresh())
            drawList();
    });
    startupPhaseEnded("sync set-up");
    createMenus();
    startupPhaseEnded("menus");
    keyboard_ =
        new ListKeyboard({*lstContainer.get(), *lblFor, pctContainer, cmdFor, *vscroll.get(), twipsPerScrollStep,
                          *menu_short, [this](int row) { highlight(static_cast<std::int16_t>(row)); },
                          [this] { editTask(); }, [this] { deleteTask(); }});
    QWidget* previous = pctMenu->hotArea(NavigationPane::buttonCount - 1);
    for (QWidget* next : std::initializer_list<QWidget*>{lstContainer.get(), findBar_->field(), txtDescription.get()}) {
        setTabOrder(previous, next);
        previous = next;
    }
    auto* reminders = new Reminders(store_, this);
    menu_options->addAction(reminders->notificationsOption());
    connect(this, &frmMain::rowsColoured, reminders, &Reminders::scheduleUpdate);
    connect(reminders, &Reminders::attentionWanted, this, &frmMain::bringUpAttention);
    startupPhaseEnded("notifier and tray");

    // The client area lies below the menu bar. It is widened where the system font would cut the
    // due column's longest text, so that the columns keep their shares.
    const int dueShortfall = widestDueText(lstContainer->font()) - dueColumnAt(clientWidth);
    int width = clientWidth;
    if (dueShortfall > 0)
        width += static_cast<int>(std::ceil(dueShortfall / headerDesigns[2].share));
    if (const QScreen* screen = this->screen())
        width = std::min(width, twips(screen->availableGeometry().width()));
    resize(px(std::max(width, clientWidth)), px(clientHeight) + menuBar()->sizeHint().height());
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    startupPhaseEnded("window size");

    // The layout follows the client area, whatever changed its size.
    client->installEventFilter(this);
    Form_Load();
    connect(new TaskFileFollower(store_, this), &TaskFileFollower::changedElsewhere, this,
            &frmMain::followOutsideChange);
    setAcceptDrops(true);
}

frmMain::~frmMain() = default;

void frmMain::createListPane(QWidget* client)
{
    pctMenu = Placed(new NavigationPane(client), 0, 0, menuPaneWidth, 0);
    connect(pctMenu.get(), &NavigationPane::image1Clicked, this, &frmMain::Image1_Click);

    pctContainer = Placed(new QWidget(client), listLeft, 0, 0, 0);
    pctContainer->setObjectName(u"pctContainer"_s);
    pctContainer->setBackgroundRole(QPalette::Dark);
    pctContainer->setAutoFillBackground(true);

    lstContainer = Placed(new LabelContainer(pctContainer.get()), 0, 0, 0, 0);
    lstContainer->setObjectName(u"lstContainer"_s);
    lstContainer->setBackgroundRole(QPalette::Base);
    lstContainer->setAutoFillBackground(true);
    lstContainer->setFocusPolicy(Qt::StrongFocus);
    lstContainer->installEventFilter(this);
    connect(lstContainer.get(), &LabelContainer::labelPressed, this, &frmMain::rowPressed);

    vscroll = Placed(new QScrollBar(Qt::Vertical, pctContainer.get()), 0, 0, scrollBarWidth, 0);
    vscroll->setObjectName(u"vscroll"_s);
    vscroll->setRange(0, 0);
    vscroll->setSingleStep(1);
    vscroll->setPageStep(1);
    // valueChanged also fires while the thumb is dragged (tracking is on).
    connect(vscroll.get(), &QScrollBar::valueChanged, this, &frmMain::scrollList);

    const std::array<Placed<QPushButton>*, 3> headers{&cmdTitle, &cmdFor, &cmdDue};
    for (std::size_t column = 0; column < headers.size(); ++column) {
        const HeaderDesign& design = headerDesigns[column];
        Placed<QPushButton> button(new SortHeaderButton(tr(design.caption), lstContainer.get()), design.left, 0,
                                   design.width, lineHeight);
        button->setObjectName(QString::fromLatin1(design.name));
        connect(button.get(), &QPushButton::clicked, this, [this, column] { headerClicked(static_cast<int>(column)); });
        *headers[column] = button;
    }
    createRowTemplates();
    new WheelScroller(vscroll.get(), twipsPerScrollStep, rowHeight(), {lstContainer.get(), vscroll.get()});
    listTable_ = new LabelTable(*lstContainer.get(),
                                {{lblTitle, cmdTitle.get()}, {lblFor, cmdFor.get()}, {lblDue, cmdDue.get()}});
    connect(listTable_, &LabelTable::selectRequested, this, [this](int row) { keyboard_->moveSelection(row + 1); });

    txtDescription = Placed(new QPlainTextEdit(client), listLeft, 0, 0, 0);
    txtDescription->setObjectName(u"txtDescription"_s);
    txtDescription->setAccessibleName(tr("Description"));
    QFont descriptionFont(u"MS Sans Serif"_s);
    descriptionFont.setStyleHint(QFont::SansSerif);
    descriptionFont.setPointSizeF(descriptionPointSize);
    txtDescription->setFont(descriptionFont);
    txtDescription->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtDescription->setTabChangesFocus(true);
    txtDescription->installEventFilter(this);

    // Created after the description box so that it lies over the box's top edge.
    sepa1 = Placed(new QFrame(client), menuPaneWidth, 0, 0, splitterHeight);
    sepa1->setObjectName(u"sepa1"_s);
    sepa1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    sepa1->setCursor(Qt::SizeVerCursor);
    sepa1->installEventFilter(this);

    findBar_ = Placed(new FindBar(client), listLeft, 0, 0, 0);
    connect(findBar_.get(), &FindBar::queryChanged, this, &frmMain::filterList);
    connect(findBar_.get(), &FindBar::closed, this, &frmMain::findBarClosed);
    connect(findBar_.get(), &FindBar::intoList, this, [this] {
        lstContainer->setFocus(Qt::OtherFocusReason);
        if (!keyboard_->highlightedRow())
            keyboard_->moveSelection(1);
    });

    WebBrowser1 = Placed(new SafeHtmlView(client), menuPaneWidth, 0, 0, 0);
    WebBrowser1->setObjectName(u"WebBrowser1"_s);
    WebBrowser1->hide();
}

void frmMain::createRowTemplates()
{
    // The templates stay invisible: element 0 never shows a task, and a press on it would
    // select slot 0 through its blank lblID2 caption.
    const auto element0 = [this](const CellDesign& design) {
        LabelElement element;
        element.caption = u" "_s;
        element.font = lstContainer->font();
        element.left = design.left;
        element.width = design.width;
        element.height = lineHeight;
        return element;
    };
    lblTitle = lstContainer->addArray(element0(titleCell), u"lblTitle"_s);
    lblFor = lstContainer->addArray(element0(forCell), u"lblFor"_s);
    lblDue = lstContainer->addArray(element0(dueCell), u"lblDue"_s);
    lblID2 = lstContainer->addArray(element0(idCell), u"lblID2"_s);
}

void frmMain::createStatusBar()
{
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(u"StatusBar1"_s);
    StatusBar1->setFixedHeight(px(lineHeight));
    setStatusBar(StatusBar1);

    QLabel* first = statusPanel(StatusBar1);
    first->setFixedWidth(px(firstStatusPanelWidth));
    StatusBar1->addWidget(first);
    StatusBar1->addWidget(statusPanel(StatusBar1), 1);
    QLabel* datePanel = statusPanel(StatusBar1);
    StatusBar1->addWidget(datePanel);
    connect(new DayClock(*datePanel, this), &DayClock::dayTurned, this, &frmMain::followNewDay);
}

void frmMain::Form_Load()
{
    splitPercent_ = startSplitPercent;
    showRecycled_ = false;
    store_.sortKey = SortKey::dueAscending;
    loadReport_ = store_.loadTasks();
    startupPhaseEnded("load");
    drawList();
    startupPhaseEnded("rows");
}

// The page counts the days left from the day it was made. The table is already in the page's order,
// so the rows under it stay.
void frmMain::followNewDay()
{
    recolourRows();
    if (!WebBrowser1->isHidden())
        refreshAttentionPage();
}

// The selection, the view and the scroll position stay as they are.
void frmMain::recolourRows()
{
    const RepaintsHeldBack batch(lstContainer.get());
    const std::optional<int> selected = keyboard_->highlightedRow();
    for (int row = 1; row <= lastRow(); ++row)
        setColor(static_cast<std::int16_t>(row));
    if (selected) {
        for (LabelArray* cell : {lblFor, lblTitle, lblDue})
            cell->setForeColor(*selected, Qt::white);
    }
    emit rowsColoured();
}

void frmMain::drawList()
{
    const RepaintsHeldBack batch(lstContainer.get());
    const std::int16_t remembered = selectedIndex_;
    cleanList();
    store_.sortTasks();
    startupPhaseEnded("sort");
    showSortMarks({cmdTitle.get(), cmdFor.get(), cmdDue.get()}, store_.sortKey);
    if (remembered <= store_.taskCount)
        selectedIndex_ = remembered;

    repeating_->refresh();
    int inView = 0;
    for (std::int16_t slot = 0; slot < store_.taskCount; ++slot) {
        TaskRecord& task = store_.taskList[static_cast<std::size_t>(slot)];
        if (isRecycled(task) != showRecycled_)
            continue;
        ++inView;
        if (findBar_->shows(task))
            addListTask(repeating_->formOf(task.uid) ? task.title + " \u21BB" : task.title, task.forWhom, dueText(task),
                        slot);
    }

    lstContainer.setHeight((store_.taskCount + 2) * rowHeight());
    fitScrollRange();
    lstContainer.setHeight(pctContainer.height() + lstContainer.height());

    // addListTask has just coloured every row, so the selection alone is left to draw: the whole
    // of highlight would colour all of them a second time.
    if (selectedIndex_ > 0) {
        for (int row = 1; row <= lastRow(); ++row) {
            if (slotOfRow(row) == selectedIndex_ - 1)
                showSelected(static_cast<std::int16_t>(row));
        }
    }
    // No command may act on a task the find bar hides from the user.
    if (selectedIndex_ > 0 && findBar_->filtering() && !keyboard_->highlightedRow()) {
        selectedIndex_ = 0;
        txtDescription->clear();
    }
    findBar_->showCount(lastRow(), inView);
    emit rowsColoured();
    listTable_->rowsReset();
}

void frmMain::addListTask(const std::string& wtitle, const std::string& wfor, const std::string& wdue, std::int16_t id)
{
    const int n = lblFor->count();
    lblFor->load(n);
    lblTitle->load(n);
    lblDue->load(n);
    lblID2->load(n);

    lblFor->setVisible(n, true);
    lblFor->setCaption(n, QString::fromStdString(wfor));
    const int top = (n - 1) * (*lblFor)[n].height + cmdFor.height();
    lblFor->setTop(n, top);
    for (LabelArray* cell : {lblDue, lblTitle}) {
        cell->setVisible(n, true);
        cell->setTop(n, top);
    }
    lblDue->setCaption(n, QString::fromStdString(wdue));
    lblTitle->setCaption(n, QString::fromStdString(wtitle));
    lblID2->setCaption(n, QString::number(id));
    setColor(static_cast<std::int16_t>(n));
}

void frmMain::cleanList()
{
    selectedIndex_ = 0;
    for (int row = lastRow(); row >= 1; --row) {
        lblFor->unload(row);
        lblTitle->unload(row);
        lblDue->unload(row);
        lblID2->unload(row);
    }
}

void frmMain::highlight(std::int16_t Index)
{
    if (!slotOfRow(Index))
        return;
    const RepaintsHeldBack batch(lstContainer.get());
    for (int row = 1; row <= lastRow(); ++row) {
        for (LabelArray* cell : {lblFor, lblTitle, lblDue})
            cell->setOpaque(row, false);
        setColor(static_cast<std::int16_t>(row));
    }
    showSelected(Index);
    listTable_->rowSelected(Index - 1);
}

void frmMain::showSelected(std::int16_t Index)
{
    const std::optional<int> slot = slotOfRow(Index);
    if (!slot)
        return;
    selectedIndex_ = static_cast<std::int16_t>(*slot + 1);
    for (LabelArray* cell : {lblFor, lblTitle, lblDue}) {
        cell->setOpaque(Index, true);
        cell->setBackColor(Index, highlightBack);
        cell->setForeColor(Index, Qt::white);
    }
    const TaskRecord& task = store_.taskList[static_cast<std::size_t>(*slot)];
    const std::string* repeatingForm = repeating_->formOf(task.uid);
    const std::optional<ical::Repeat> repeat = repeatingForm ? ical::repeatOf(*repeatingForm) : std::nullopt;
    QString text = withLineFeeds(task.description);
    if (repeat)
        text = RepeatingTasks::repeatText(*repeat) + (text.isEmpty() ? QString() : u"\n\n"_s + text);
    txtDescription->setPlainText(text);
}

void frmMain::setColor(std::int16_t Index)
{
    const std::optional<int> slot = slotOfRow(Index);
    if (!slot)
        return;
    const std::initializer_list<LabelArray*> cells{lblFor, lblTitle, lblDue};
    const QPalette& palette = lstContainer->palette();
    for (LabelArray* cell : cells)
        cell->setForeColor(Index, palette.color(QPalette::Text));

    const RuleWalk walk = walkRules(store_.rules(), today(), dueDay(store_.taskList[static_cast<std::size_t>(*slot)]));
    for (LabelArray* cell : cells) {
        if (walk.leadColor)
            cell->setForeColor(Index, readableOn(colorFromBgr(*walk.leadColor), palette.color(QPalette::Base)));
        // With no rules the weight is left as it was.
        if (walk.lastUnitsLeft)
            cell->setBold(Index, *walk.lastUnitsLeft < 1);
    }
}

void frmMain::headerClicked(int column)
{
    store_.sortKey = SortKey::afterHeaderClick(store_.sortKey, static_cast<SortKey::Column>(column));
    drawList();
}

void frmMain::rowPressed(const LabelPress& press)
{
    if (press.array != lblTitle && press.array != lblFor && press.array != lblDue)
        return;
    highlight(static_cast<std::int16_t>(press.index));
    if (press.button == Qt::RightButton)
        menu_short->popup(press.globalPosition);
    else if (press.button == Qt::LeftButton && press.doubleClick)
        editTask();
}

void frmMain::scrollList(int value)
{
    lstContainer.setTop(-twipsPerScrollStep * value);
}

// One scroll step for every 15 twips by which the rows overflow the pane; when they fit, the list
// goes back to the top.
void frmMain::fitScrollRange()
{
    if (lstContainer.height() > pctContainer.height()) {
        // Lowering the maximum lowers a larger value with it and moves the list through scrollList.
        vscroll->setMaximum(std::abs(lstContainer.height() - pctContainer.height()) / twipsPerScrollStep);
        lstContainer.setTop(-(vscroll->value() * twipsPerScrollStep));
    } else {
        lstContainer.setTop(0);
        vscroll->setMaximum(0);
    }
}

void frmMain::alignRowsWithHeaders()
{
    for (int i = 0; i < lblFor->count(); ++i) {
        lblFor->setLeft(i, cmdFor.left());
        lblFor->setWidth(i, cmdFor.width());
        lblTitle->setWidth(i, cmdTitle.width());
        lblDue->setLeft(i, cmdDue.left());
        lblDue->setWidth(i, cmdDue.width());
    }
}

// Every step reads what the steps before it set. A step whose size comes out negative is refused
// by the control and so skipped; the ones after it go on with the value the control kept.
void frmMain::layoutPass()
{
    const int W = twips(frameGeometry().width());
    const int H = statusBarTop();
    const int P = pctMenu.width();
    const int s = splitPercent_;
    const int R = rowHeight();

    pctContainer.setTop(0);
    pctContainer.setWidth(W - rightMargin - P);
    pctContainer.setHeight(percentOf(H, s) - findBarRoom());
    txtDescription.setTop(pctContainer.top() + pctContainer.height() + findBarRoom() + splitterGap);
    txtDescription.setHeight(percentOf(H, 100 - s) - splitterGap);
    txtDescription.setWidth(pctContainer.width());
    lstContainer.setWidth(pctContainer.width() - vscroll.width());
    lstContainer.setHeight((store_.taskCount + 2) * R);
    sepa1.setTop(txtDescription.top() - splitterGap);
    sepa1.setLeft(P);
    sepa1.setWidth(txtDescription.width());
    vscroll.setHeight(pctContainer.height());
    vscroll.setLeft(lstContainer.width() - scrollBarOverlap);
    cmdTitle.setLeft(0);
    for (Placed<QPushButton>* header : {&cmdTitle, &cmdFor, &cmdDue})
        header->setTop(0);
    cmdTitle.setWidth(fractionOf(headerDesigns[0].share, lstContainer.width()));
    cmdFor.setLeft(cmdTitle.width());
    cmdFor.setWidth(fractionOf(headerDesigns[1].share, lstContainer.width()));
    cmdDue.setLeft(cmdFor.left() + cmdFor.width());
    cmdDue.setWidth(fractionOf(headerDesigns[2].share, lstContainer.width()) - dueHeaderShortfall);
    alignRowsWithHeaders();
    fitScrollRange();
    lstContainer.setHeight(lstContainer.height() + pctContainer.height());
    pctMenu.setHeight(H);
    WebBrowser1.setWidth(txtDescription.width());
    WebBrowser1.setLeft(P);
    WebBrowser1.setTop(0);
    WebBrowser1.setHeight(H);
    placeFindBar();
}

// The find bar takes its room from the bottom of the list pane while it is open.
int frmMain::findBarRoom() const
{
    return findBar_->isOpen() ? twips(findBar_->sizeHint().height()) : 0;
}

void frmMain::placeFindBar()
{
    findBar_.setLeft(pctContainer.left());
    findBar_.setTop(pctContainer.top() + pctContainer.height());
    findBar_.setWidth(pctContainer.width());
    findBar_.setHeight(findBarRoom());
}

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lstContainer.get() && event->type() == QEvent::PaletteChange && keyboard_) {
        recolourRows();
    } else if (watched == centralWidget() && event->type() == QEvent::Resize) {
        layoutPass();
    } else if (watched == txtDescription.get()) {
        if (event->type() == QEvent::KeyPress)
            return typesIntoBox(*static_cast<QKeyEvent*>(event));
        // Left unaccepted, the keys go on to the window's shortcuts instead of the box's own undo.
        if (event->type() == QEvent::ShortcutOverride)
            return isUndoOrRedo(*static_cast<QKeyEvent*>(event));
        if (event->type() == QEvent::InputMethod)
            return true;
    } else if (watched == sepa1.get()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease:
            return splitterMouse(static_cast<QMouseEvent*>(event));
        default:
            break;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// While a button is held, Qt keeps sending the moves and the release to the splitter even when the
// pointer leaves it, so a drag cannot lose its end.
bool frmMain::splitterMouse(QMouseEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        splitterDragging_ = true;
        break;
    case QEvent::MouseMove:
        if (splitterDragging_)
            sepa1.setTop(sepa1.top() + twips(event->position().toPoint().y()));
        break;
    default: {
        // Clamped so that neither pane can be dropped out of the window.
        const int H = statusBarTop();
        if (H > 0)
            splitPercent_ = static_cast<std::int16_t>(std::clamp<std::int64_t>(floorDiv(sepa1.top() * 100, H), 5, 95));
        layoutPass();
        splitterDragging_ = false;
        break;
    }
    }
    event->accept();
    return true;
}

int frmMain::rowHeight() const
{
    return (*lblFor)[0].height;
}

int frmMain::lastRow() const
{
    return lblFor->count() - 1;
}

std::optional<int> frmMain::slotOfRow(int row) const
{
    if (!lblID2->exists(row))
        return std::nullopt;
    bool ok = false;
    const int slot = (*lblID2)[row].caption.trimmed().toInt(&ok);
    if (!ok || slot < 0 || slot >= Module1::taskSlots)
        return std::nullopt;
    return slot;
}

int frmMain::statusBarTop() const
{
    return twips(StatusBar1->geometry().top() - centralWidget()->geometry().top());
}

QRect frmMain::twipsGeometry(const QWidget& control) const
{
    const std::pair<const QWidget*, QRect> placed[] = {{pctMenu.get(), pctMenu.twips()},
                                                       {pctContainer.get(), pctContainer.twips()},
                                                       {lstContainer.get(), lstContainer.twips()},
                                                       {vscroll.get(), vscroll.twips()},
                                                       {cmdTitle.get(), cmdTitle.twips()},
                                                       {cmdFor.get(), cmdFor.twips()},
                                                       {cmdDue.get(), cmdDue.twips()},
                                                       {txtDescription.get(), txtDescription.twips()},
                                                       {sepa1.get(), sepa1.twips()},
                                                       {WebBrowser1.get(), WebBrowser1.twips()},
                                                       {findBar_.get(), findBar_.twips()}};
    for (const auto& [widget, twips] : placed) {
        if (widget == &control)
            return twips;
    }
    return {};
}
