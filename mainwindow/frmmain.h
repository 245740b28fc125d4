#pragma once

#include "labelcontainer.h"
#include "listhost.h"
#include "module1.h"
#include "placed.h"

#include <QMainWindow>

#include <cstdint>
#include <optional>
#include <string>

class QFrame;
class QKeyEvent;
class QLabel;
class QMenu;
class QMouseEvent;
class QPlainTextEdit;
class QPushButton;
class QScrollBar;
class QStatusBar;
class QTimer;

// The main window: the task list with its headers, selection and rule colours, the description
// box, the splitter between them and the status bar. Positions and sizes are in twips.
class frmMain : public QMainWindow, public ListHost
{
    Q_OBJECT

public:
    explicit frmMain(Module1& store, QWidget* parent = nullptr);
    ~frmMain() override;

    // Rebuilds every row from taskList, sorted by sortKey, for the current view.
    void drawList() override;
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

    // What the load at start-up found; the caller decides what to tell the user.
    const LoadReport& loadReport() const { return loadReport_; }

    // Window fields that the views, the commands and the editors read and write.
    std::int16_t selectedIndex = 0; // slot of the selected task + 1; 0 = none
    bool showRecycled = false;
    std::int16_t splitPercent = 50; // the list's share of the height above the status bar
    bool splitterDragging = false;

    Placed<QWidget> pctMenu;
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
    Placed<QWidget> WebBrowser1;
    QStatusBar* StatusBar1 = nullptr;
    QMenu* menu_short = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createListPane(QWidget* client);
    void createRowTemplates();
    void createStatusBar();
    void Form_Load();

    void showSelected(std::int16_t Index);
    void headerClicked(int column);
    void rowPressed(const LabelPress& press);
    void scrollList(int value);
    void fitScrollRange();
    void alignRowsWithHeaders();
    bool splitterMouse(QMouseEvent* event);
    void showToday();
    void scheduleMidnight();

    int rowHeight() const;
    int lastRow() const;
    std::optional<int> slotOfRow(int row) const;
    int statusBarTop() const;

    Module1& store_;
    LoadReport loadReport_;
    QLabel* datePanel_ = nullptr;
    QTimer* midnight_ = nullptr;
};
