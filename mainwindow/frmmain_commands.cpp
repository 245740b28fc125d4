// frmMain's menus, task commands and views.
#include "alertpage/frmstartup.h"
#include "alertpage/pagefile.h"
#include "commands/filemessages.h"
#include "commands/storereports.h"
#include "config-taskwyn.h"
#include "editor/frmtask.h"
#include "mainwindow/findbar.h"
#include "mainwindow/frmmain.h"
#include "mainwindow/listkeyboard.h"
#include "mainwindow/repeatingtasks.h"
#include "mainwindow/windowsync.h"
#include "rules/frmalerts.h"
#include "widgets/dialogframe.h"

#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QUndoStack>

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// Far more than a session's changes; each step holds a task or the rule table.
constexpr int historySteps = 1000;

QAction* addMenuItem(QMenu* menu, const QString& caption, const char* name)
{
    QAction* item = menu->addAction(caption);
    item->setObjectName(QString::fromLatin1(name));
    return item;
}

QMenu* addMenu(QMenuBar* bar, const QString& caption, const char* name)
{
    QMenu* menu = bar->addMenu(caption);
    menu->setObjectName(QString::fromLatin1(name));
    return menu;
}

PageWords pageWords()
{
    const auto words = [](const QString& text) { return text.toStdString(); };
    return {words(frmMain::tr("Alerts")),
            words(frmMain::tr("Attention!")),
            words(frmMain::tr("For: ")),
            words(frmMain::tr("Due: ")),
            words(frmMain::tr(" at ")),
            words(frmMain::tr("%1 days left")),
            words(frmMain::tr("%1 days left", "one day")),
            words(frmMain::tr("Today!")),
            words(frmMain::tr("Late!"))};
}

} // namespace

void frmMain::createMenus()
{
    Menu_Tasks = addMenu(menuBar(), tr("&Tasks"), "Menu_Tasks");
    menu_new = addMenuItem(Menu_Tasks, tr("&New Task..."), "menu_new");
    menu_modify = addMenuItem(Menu_Tasks, tr("&Edit..."), "menu_modify");
    menu_delete = addMenuItem(Menu_Tasks, tr("&Delete"), "menu_delete");
    Menu_Tasks->addSeparator();
    menu_import = addMenuItem(Menu_Tasks, tr("&Import Tasks…"), "menu_import");
    menu_export = addMenuItem(Menu_Tasks, tr("E&xport Tasks…"), "menu_export");
    Menu_Tasks->addAction(sync_->syncNowAction());
    Menu_Tasks->addSeparator()->setObjectName(u"menu_sep"_s);
    menu_exi = addMenuItem(Menu_Tasks, tr("&Exit"), "menu_exi");
    menu_edit = addMenu(menuBar(), tr("&Edit"), "menu_edit");
    history_->setUndoLimit(historySteps);
    menu_undo = history_->createUndoAction(menu_edit, tr("&Undo"));
    menu_redo = history_->createRedoAction(menu_edit, tr("&Redo"));
    for (auto [action, name, key] : {std::tuple{menu_undo, u"menu_undo"_s, QKeySequence::Undo},
                                     std::tuple{menu_redo, u"menu_redo"_s, QKeySequence::Redo}}) {
        action->setObjectName(name);
        action->setShortcuts(key);
        menu_edit->addAction(action);
    }
    menu_edit->addSeparator();
    menu_find = addMenuItem(menu_edit, tr("&Find…"), "menu_find");
    menu_find->setShortcut(QKeySequence::Find);
    menu_options = addMenu(menuBar(), tr("&Options"), "menu_options");
    menu_manage = addMenuItem(menu_options, tr("&Colors And Alerts"), "menu_manage");
    menu_sync = addMenuItem(menu_options, tr("&Sync with Server…"), "menu_sync");
    menu_view = addMenu(menuBar(), tr("&View"), "menu_view");
    const std::array<std::pair<const char*, const char*>, 3> views{
        {{QT_TR_NOOP("&Immideate Attention"), "menu_attention"},
         {QT_TR_NOOP("&All Items"), "menu_all"},
         {QT_TR_NOOP("&Recycled"), "menu_recycled"}}};
    for (int index = 0; index < static_cast<int>(views.size()); ++index) {
        const auto& [caption, name] = views[static_cast<std::size_t>(index)];
        QAction* view = addMenuItem(menu_view, tr(caption), name);
        view->setShortcut(QKeySequence(Qt::CTRL | static_cast<Qt::Key>(Qt::Key_1 + index)));
        connect(view, &QAction::triggered, this, [this, index] { Image1_Click(index); });
    }
    menu_help = addMenu(menuBar(), tr("&Help"), "menu_help");
    menu_about = addMenuItem(menu_help, tr("&About"), "menu_about");

    menu_short = new QMenu(tr("&submenu"), this);
    menu_short->setObjectName(u"menu_short"_s);
    menu_modify2 = addMenuItem(menu_short, tr("&Edit..."), "menu_modify2");
    menu_delete2 = addMenuItem(menu_short, tr("&Delete"), "menu_delete2");
    menu_undelete = addMenuItem(menu_short, tr("&Un-Delete"), "menu_undelete");
    menu_undelete->setVisible(false);

    menu_new->setShortcut(QKeySequence::New);
    // Some platforms bind no key to Quit; Ctrl+Q is what users of the others expect.
    const QList<QKeySequence> quitKeys = QKeySequence::keyBindings(QKeySequence::Quit);
    menu_exi->setShortcuts(quitKeys.isEmpty() ? QList{QKeySequence(Qt::CTRL | Qt::Key_Q)} : quitKeys);
    // Enter and Delete act on the selected row only while the list has the focus: elsewhere they
    // belong to the focused button or box.
    menu_modify->setShortcuts({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter), QKeySequence(Qt::Key_F2)});
    menu_delete->setShortcut(QKeySequence::Delete);
    for (QAction* rowCommand : {menu_modify, menu_delete}) {
        rowCommand->setShortcutContext(Qt::WidgetShortcut);
        lstContainer->addAction(rowCommand);
    }
    // The row menu shows the same keys; it has the focus only while it is open.
    for (auto [shown, from] : {std::pair{menu_modify2, menu_modify}, std::pair{menu_delete2, menu_delete}}) {
        shown->setShortcuts(from->shortcuts());
        shown->setShortcutContext(Qt::WidgetShortcut);
    }

    connect(menu_new, &QAction::triggered, this, &frmMain::new_task);
    for (QAction* edit : {menu_modify, menu_modify2})
        connect(edit, &QAction::triggered, this, &frmMain::editTask);
    for (QAction* remove : {menu_delete, menu_delete2})
        connect(remove, &QAction::triggered, this, &frmMain::deleteTask);
    connect(menu_undelete, &QAction::triggered, this, &frmMain::undeleteTask);
    connect(menu_import, &QAction::triggered, this, &frmMain::chooseImport);
    connect(menu_export, &QAction::triggered, this, &frmMain::exportTasks);
    connect(menu_find, &QAction::triggered, this, &frmMain::openFindBar);
    connect(menu_manage, &QAction::triggered, this, &frmMain::manageRules);
    connect(menu_sync, &QAction::triggered, sync_, &WindowSync::setUp);
    connect(menu_about, &QAction::triggered, this, &frmMain::showAbout);
    // Every change has been written by the command that made it: nothing is left to save.
    connect(menu_exi, &QAction::triggered, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

frmTask& frmMain::taskEditor()
{
    if (!taskEditor_)
        taskEditor_ = new frmTask(store_, this);
    return *taskEditor_;
}

frmAlerts& frmMain::ruleEditor()
{
    if (!ruleEditor_)
        ruleEditor_ = new frmAlerts(store_, this);
    return *ruleEditor_;
}

void frmMain::saveAndReload()
{
    (void)saveAndReadBack(this, store_);
}

void frmMain::new_task()
{
    if (store_.taskTableFull()) {
        QMessageBox::information(this, QCoreApplication::applicationName(),
                                 tr("The task list is full: it holds %1 tasks.\nDelete tasks for good from the "
                                    "recycle bin to make room for new ones.")
                                     .arg(Module1::taskSlots));
        return;
    }
    frmTask& editor = taskEditor();
    editor.prepare(TaskRecord{});
    if (runEditor(editor))
        pushEdited(newTaskStep(commands_, store_.taskCount, editor.task()), editor.task());
    drawList();
}

void frmMain::editTask()
{
    if (!hasSelection())
        return;
    const auto slot = static_cast<std::int16_t>(selectedIndex_ - 1);
    const TaskRecord before = store_.taskList[static_cast<std::size_t>(slot)];
    frmTask& editor = taskEditor();
    editor.prepare(before);
    if (runEditor(editor)) {
        if (editor.task() == before)
            saveAndReload();
        else
            pushEdited(editStep(commands_, slot, before, editor.task()), editor.task());
    }
    drawList();
}

// An edited task that no longer matches the find bar stays shown, where it is in the tables: not
// after the user took the other version, or when the step was refused.
void frmMain::pushEdited(std::unique_ptr<DataCommand> step, const TaskRecord& edited)
{
    history_->push(step.release());
    if (commands_.lastSave == SaveOutcome::Saved || commands_.lastSave == SaveOutcome::NotSaved)
        findBar_->keepShowing(edited);
}

bool frmMain::askDelete(bool permanently)
{
    QMessageBox question(QMessageBox::NoIcon, tr("Delete this entry?!"),
                         permanently ? tr("Are you sure? This will delete the item, permanently!!!")
                                     : tr("Are you sure?"),
                         QMessageBox::Yes | QMessageBox::No, this);
    question.setObjectName(u"deleteQuestion"_s);
    return question.exec() == QMessageBox::Yes;
}

frmMain::RepeatAnswer frmMain::askDeleteRepeating()
{
    QMessageBox question(QMessageBox::Question, tr("Delete this entry?!"),
                         tr("This task repeats. Is it done for this time, or should the whole series go to the "
                            "recycle bin?"),
                         QMessageBox::Cancel, this);
    question.setObjectName(u"repeatQuestion"_s);
    QPushButton* once = question.addButton(tr("Done for this time"), QMessageBox::AcceptRole);
    QPushButton* series = question.addButton(tr("Recycle the whole series"), QMessageBox::DestructiveRole);
    question.setDefaultButton(once);
    question.exec();
    if (question.clickedButton() == once)
        return RepeatAnswer::DoneForThisTime;
    return question.clickedButton() == series ? RepeatAnswer::RecycleSeries : RepeatAnswer::Cancel;
}

// The step for Delete on `task`, after asking; nothing when the user keeps it. A repeating task
// done for this time stays live, due at its next occurrence.
std::unique_ptr<DataCommand> frmMain::deleteStep(std::int16_t slot, const TaskRecord& task)
{
    if (isRecycled(task))
        return askDelete(true) ? deleteForGoodStep(commands_, slot, task) : nullptr;
    const std::string* form = repeating_->formOf(task.uid);
    const std::optional<TaskRecord> next = form ? ical::nextOccurrence(task, *form) : std::nullopt;
    if (!next)
        return askDelete(false) ? recycleStep(commands_, slot, task) : nullptr;
    switch (askDeleteRepeating()) {
    case RepeatAnswer::DoneForThisTime:
        return doneOnceStep(commands_, slot, task, *next);
    case RepeatAnswer::RecycleSeries:
        return recycleStep(commands_, slot, task);
    case RepeatAnswer::Cancel:
        break;
    }
    return nullptr;
}

// The task is taken before the question: should another program's change be read meanwhile, the
// step finds it by its record, or refuses.
void frmMain::deleteTask()
{
    if (hasSelection()) {
        const auto slot = static_cast<std::int16_t>(selectedIndex_ - 1);
        const TaskRecord task = store_.taskList[static_cast<std::size_t>(slot)];
        if (std::unique_ptr<DataCommand> step = deleteStep(slot, task)) {
            cleanList();
            history_->push(step.release());
            drawList();
            txtDescription->clear(); // nothing is highlighted now, saved or not
            if (commands_.lastSave == SaveOutcome::NotSaved)
                return; // said once is enough
        }
    }
    saveAndReload();
}

void frmMain::undeleteTask()
{
    if (!hasSelection())
        return;
    const auto slot = static_cast<std::int16_t>(selectedIndex_ - 1);
    const TaskRecord task = store_.taskList[static_cast<std::size_t>(slot)];
    cleanList();
    history_->push(restoreStep(commands_, slot, task).release());
    drawList();
    txtDescription->clear();
}

void frmMain::manageRules()
{
    const std::vector<AlertRule> before(store_.rules().begin(), store_.rules().end());
    frmAlerts& editor = ruleEditor();
    editor.prepare(before);
    if (runEditor(editor)) {
        if (editor.rules() == before)
            saveAndReload();
        else
            history_->push(ruleTableStep(commands_, before, editor.rules()).release());
    }
    drawList();
}

void frmMain::syncNow(std::function<void(const SyncResult&)> done)
{
    sync_->syncNowAndTell(std::move(done));
}

// True after an Ok: the caller makes the change. A Cancel reads the file back in the file's order
// rather than the list's, which would leave the rows naming other tasks' slots: so the selection is
// kept on the task the user has highlighted. The caller redraws.
bool frmMain::runEditor(QDialog& editor)
{
    const std::optional<TaskRecord> chosen = selectedTask();
    // Another program's or the server's change waits meanwhile: the change made after Ok meets it.
    if (editor.exec() == QDialog::Accepted)
        return true;
    store_.sortTasks();
    reselectAfterSort(chosen);
    return false;
}

// After the table was re-sorted, the selection follows the chosen task to its new slot.
void frmMain::reselectAfterSort(const std::optional<TaskRecord>& chosen)
{
    const std::optional<std::int16_t> slot = chosen ? store_.slotOf(*chosen) : std::nullopt;
    selectedIndex_ = slot ? static_cast<std::int16_t>(*slot + 1) : std::int16_t{0};
}

bool frmMain::hasSelection() const
{
    return selectedIndex_ >= 1 && selectedIndex_ <= store_.taskCount;
}

// A copy, so that the task can be found again after a sort has moved it.
std::optional<TaskRecord> frmMain::selectedTask() const
{
    if (!hasSelection())
        return std::nullopt;
    return store_.taskList[static_cast<std::size_t>(selectedIndex_ - 1)];
}

void frmMain::showAbout()
{
    QMessageBox::about(this, tr("About %1").arg(QCoreApplication::applicationName()),
                       tr("%1 %2\n\nA fast, trustworthy desktop task list for one person.")
                           .arg(QCoreApplication::applicationName(), QStringLiteral(TASKWYN_VERSION)));
}

void frmMain::Image1_Click(int Index)
{
    txtDescription->clear();
    pctMenu->markCurrent(Index);
    switch (Index) {
    case NavigationPane::Attention:
        showAttentionView();
        break;
    case NavigationPane::AllItems:
        showListView(false);
        break;
    case NavigationPane::Recycled:
        showListView(true);
        break;
    case NavigationPane::NewTask:
        new_task();
        showListView(false);
        pctMenu->clearBorders();
        pctMenu->markCurrent(NavigationPane::AllItems);
        break;
    default:
        break;
    }
}

// Another program changed the file while no dialog waited for an answer: show its version in the current
// view, with the selection still on the same task where it is still there. A change whose save
// failed is never read over: the user chooses between it and the other version.
void frmMain::followOutsideChange()
{
    const std::optional<TaskRecord> chosen = selectedTask();
    if (store_.hasUnsavedChanges(UnsavedReason::SaveFailed))
        saveAndReload();
    else
        readBack(this, store_);
    redrawSelecting(chosen);
}

// After the tables changed under the list: the attention page is made afresh, or the list is
// redrawn with `chosen` selected where the view shows it.
void frmMain::redrawSelecting(const std::optional<TaskRecord>& chosen)
{
    if (!WebBrowser1->isHidden()) {
        showAttentionView();
        return;
    }
    txtDescription->clear();
    store_.sortTasks();
    reselectAfterSort(chosen && isRecycled(*chosen) == showRecycled_ ? chosen : std::nullopt);
    drawList();
}

void frmMain::showListView(bool recycled)
{
    showRecycled_ = recycled;
    WebBrowser1->hide();
    menu_undelete->setVisible(recycled);
    selectedIndex_ = 0;
    drawList();
}

// The attention page is not filtered: finding starts from the list it covers.
void frmMain::openFindBar()
{
    if (!WebBrowser1->isHidden())
        Image1_Click(showRecycled_ ? NavigationPane::Recycled : NavigationPane::AllItems);
    const bool opening = !findBar_->isOpen();
    findBar_->open();
    if (opening) {
        layoutPass();
        drawList();
    }
}

void frmMain::filterList()
{
    drawList();
    bringSelectionIntoView();
}

void frmMain::findBarClosed()
{
    layoutPass();
    filterList();
    lstContainer->setFocus(Qt::OtherFocusReason);
}

// The list starts at the top unless a selected task is shown: then that stays in view.
void frmMain::bringSelectionIntoView()
{
    if (const std::optional<int> row = keyboard_->highlightedRow())
        keyboard_->scrollRowIntoView(*row);
    else
        vscroll->setValue(0);
}

void frmMain::bringUpAttention()
{
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
    // A dialog waiting for an answer stays in front, over the view it was opened from.
    if (answerAwaited()) {
        QWidget* dialog = QApplication::activeModalWidget();
        dialog->raise();
        dialog->activateWindow();
        return;
    }
    Image1_Click(NavigationPane::Attention);
}

// The page sorts the table by due date. The selection follows the highlighted task to its new
// slot, and the rows under the page are redrawn, so that Edit and Delete still act on the task
// the user chose and not on whichever task moved into its slot.
void frmMain::showAttentionView()
{
    const std::optional<TaskRecord> chosen = selectedTask();
    refreshAttentionPage();
    if (chosen)
        reselectAfterSort(chosen);
    drawList();
    txtDescription->clear();
}

void frmMain::refreshAttentionPage()
{
    if (!attentionPage_)
        attentionPage_ = std::make_unique<frmStartup>();
    if (const std::optional<PageFailure> failure = attentionPage_->makepage(store_, pageWords()))
        WebBrowser1->showMessage(pageFailureText(*failure));
    else if (!WebBrowser1->loadPage(QString::fromStdString(alertPagePath().string())))
        WebBrowser1->showMessage(WebBrowser1->errorString());
    WebBrowser1->show();
    WebBrowser1->raise();
}
