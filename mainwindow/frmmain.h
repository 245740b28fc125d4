#pragma once

#include "commands/datacommands.h"
#include "ical/exchange.h"
#include "mainwindow/navigationpane.h"
#include "store/module1.h"
#include "widgets/labelcontainer.h"
#include "widgets/placed.h"
#include "widgets/safehtmlview.h"

#include <QMainWindow>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class FindBar;
class frmAlerts;
class frmStartup;
class frmTask;
class LabelTable;
class ListKeyboard;
class RepeatingTasks;
class QAction;
class QDialog;
class QDropEvent;
class QDragEnterEvent;
class QFrame;
class QMenu;
class QMouseEvent;
class QPlainTextEdit;
class QPushButton;
class QScrollBar;
class QStatusBar;
class QUndoStack;
template <typename T> class QFutureWatcher;
class WindowSync;
struct SyncResult;

// The main window: the navigation pane and its views, the task list with its headers, selection
// and rule colours, the description box, the splitter between them, the menus with the task
// commands, and the status bar. Positions and sizes are in twips.
class frmMain : public QMainWindow
{
    Q_OBJECT

public:
    explicit frmMain(Module1& store, QWidget* parent = nullptr);
    ~frmMain() override;

    // Rebuilds every row from taskList, sorted by sortKey, for the current view.
    void drawList();
    // Appends one row; `id` is the task's slot.
    void addListTask(const std::string& wtitle, const std::string& wfor, const std::string& wdue, std::int16_t id);
    // Removes every row and clears the selection.
    void cleanList();
    // Selects row `Index` (1-based row number) and shows its task's description.
    void highlight(std::int16_t Index);
    // Text colour and weight of row `Index` from the colour rules.
    void setColor(std::int16_t Index);
    // Places every control from the window size, splitPercent and taskCount.
    void layoutPass();

    // Opens the task editor on a new, empty task.
    void new_task();
    // Recycles the selected task, or deletes a recycled one for good, after asking.
    void deleteTask();
    // A click on button `Index` of the navigation pane: switches the view.
    void Image1_Click(int Index);

    // Brings the window to the front on the attention view; with a dialog open, only the dialog.
    void bringUpAttention();

    // Syncs the task file with its server now and calls `done` with the result when the sync ended.
    void syncNow(std::function<void(const SyncResult&)> done);

    // What the load at start-up found; the caller decides what to tell the user.
    const LoadReport& loadReport() const { return loadReport_; }

    // The window's state, for the tests that check it.
    std::int16_t selectedIndex() const { return selectedIndex_; } // slot of the selected task + 1; 0 = none
    bool showRecycled() const { return showRecycled_; }
    std::int16_t splitPercent() const { return splitPercent_; } // the list's share of the height above the status bar
    // Where the layout put one of the window's placed controls, in twips as computed (Qt rounds
    // them to pixels); an empty rectangle for any other widget.
    QRect twipsGeometry(const QWidget& control) const;

signals:
    // Every row has its colours from the tables and today's date: after each redraw and each
    // change of day.
    void rowsColoured();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void createListPane(QWidget* client);
    void createRowTemplates();
    void createStatusBar();
    void createMenus();
    void Form_Load();

    void editTask();
    void undeleteTask();
    void manageRules();
    void showAbout();
    bool askDelete(bool permanently);
    // Delete on a repeating task: done for this time, the whole series recycled, or nothing.
    enum class RepeatAnswer { Cancel, DoneForThisTime, RecycleSeries };
    RepeatAnswer askDeleteRepeating();
    std::unique_ptr<DataCommand> deleteStep(std::int16_t slot, const TaskRecord& task);
    bool runEditor(QDialog& editor);
    void pushEdited(std::unique_ptr<DataCommand> step, const TaskRecord& edited);
    bool hasSelection() const;
    std::optional<TaskRecord> selectedTask() const;
    void saveAndReload();
    void reselectAfterSort(const std::optional<TaskRecord>& chosen);
    void redrawSelecting(const std::optional<TaskRecord>& chosen);
    frmTask& taskEditor();
    frmAlerts& ruleEditor();

    void exportTasks();
    void chooseImport();
    void startImport(const std::vector<std::filesystem::path>& files);
    void planImported();
    void appendImported();
    void showImportSummary(const ical::ImportSummary& summary);

    void followOutsideChange();
    void showListView(bool recycled);
    void showAttentionView();
    // Writes the attention page afresh, which sorts the table by due date, and shows it.
    void refreshAttentionPage();

    void openFindBar();
    void filterList();
    void findBarClosed();
    void bringSelectionIntoView();
    int findBarRoom() const;
    void placeFindBar();

    void showSelected(std::int16_t Index);
    void headerClicked(int column);
    void rowPressed(const LabelPress& press);
    void scrollList(int value);
    void fitScrollRange();
    void alignRowsWithHeaders();
    bool splitterMouse(QMouseEvent* event);
    void recolourRows();
    void followNewDay();

    int rowHeight() const;
    int lastRow() const;
    std::optional<int> slotOfRow(int row) const;
    int statusBarTop() const;

    static constexpr int twipsPerScrollStep = 15;

    Module1& store_;
    // Every change to the user's data, for Undo and Redo; lives for the run.
    QUndoStack* history_ = nullptr;
    CommandContext commands_;
    LoadReport loadReport_;
    std::int16_t selectedIndex_ = 0;
    bool showRecycled_ = false;
    std::int16_t splitPercent_ = 50;
    bool splitterDragging_ = false;

    Placed<NavigationPane> pctMenu;
    Placed<QWidget> pctContainer;
    Placed<LabelContainer> lstContainer;
    Placed<QScrollBar> vscroll;
    Placed<QPushButton> cmdTitle;
    Placed<QPushButton> cmdFor;
    Placed<QPushButton> cmdDue;
    LabelArray* lblTitle = nullptr;
    LabelArray* lblFor = nullptr;
    LabelArray* lblDue = nullptr;
    LabelArray* lblID2 = nullptr; // hidden: the caption holds the row's slot
    Placed<QPlainTextEdit> txtDescription;
    Placed<QFrame> sepa1;
    Placed<SafeHtmlView> WebBrowser1;
    Placed<FindBar> findBar_;
    QStatusBar* StatusBar1 = nullptr;

    QMenu* Menu_Tasks = nullptr;
    QAction* menu_new = nullptr;
    QAction* menu_modify = nullptr;
    QAction* menu_delete = nullptr;
    QAction* menu_export = nullptr;
    QAction* menu_import = nullptr;
    QAction* menu_exi = nullptr;
    QMenu* menu_edit = nullptr;
    QAction* menu_find = nullptr;
    QAction* menu_undo = nullptr;
    QAction* menu_redo = nullptr;
    QMenu* menu_options = nullptr;
    QAction* menu_manage = nullptr;
    QAction* menu_sync = nullptr;
    QMenu* menu_view = nullptr;
    QMenu* menu_help = nullptr;
    QAction* menu_about = nullptr;
    QMenu* menu_short = nullptr; // the pop-up menu of a row; never in the menu bar
    QAction* menu_modify2 = nullptr;
    QAction* menu_delete2 = nullptr;
    QAction* menu_undelete = nullptr;

    // One import at a time: its files are read, and its forms kept, away from the drawing thread;
    // the tasks are appended once no dialog edits the tables.
    QFutureWatcher<ical::CalendarFiles>* importReading_ = nullptr;
    QFutureWatcher<std::optional<FileFailure>>* formsKeeping_ = nullptr;
    std::optional<ical::ImportPlan> importPlan_;

    frmTask* taskEditor_ = nullptr;
    frmAlerts* ruleEditor_ = nullptr;
    WindowSync* sync_ = nullptr;
    std::unique_ptr<frmStartup> attentionPage_;
    // The rows as screen readers see them.
    LabelTable* listTable_ = nullptr;
    ListKeyboard* keyboard_ = nullptr;
    std::unique_ptr<RepeatingTasks> repeating_;
};
