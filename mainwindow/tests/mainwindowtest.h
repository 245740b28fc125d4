#pragma once

#include "mainwindow/frmmain.h"
#include "store/calendar.h"
#include "store/duetext.h"
#include "store/module1.h"
#include "widgets/labelarray.h"
#include "widgets/labelcontainer.h"
#include "widgets/tests/dialogtesting.h"

#include <QTest>

#include <climits>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Every test runs on the same day, so due dates can be written as days from today.
inline const DayNumber testToday = civilDay(2024, 3, 15);

struct TaskSpec
{
    std::string title;
    int dueInDays = 0;
    std::string deleted = "N";
    std::string description = {};
    std::string forWhom = "Sam";
};

struct RuleSpec
{
    std::int16_t value = 0;
    std::int32_t color = 0;
    std::string unit = "d";
    std::int16_t popup = 0;
};

// As dueInDays: a task whose date was never set (day, month and year 0).
inline constexpr int noDueDate = INT_MIN;

inline TaskRecord taskFrom(const TaskSpec& given)
{
    const CivilDate due = given.dueInDays == noDueDate ? CivilDate{0, 0, 0} : civilDate(testToday + given.dueInDays);
    TaskRecord task;
    task.title = given.title;
    task.forWhom = given.forWhom;
    task.year = static_cast<std::int16_t>(due.year);
    task.month = static_cast<std::int16_t>(due.month);
    task.day = static_cast<std::int16_t>(due.day);
    task.hour = 9;
    task.minute = 30;
    task.description = given.description;
    task.deleted = given.deleted;
    return task;
}

// Saves `store` as a new tasks.txt: a store that has not read the old file may not write over it.
inline bool saveAsNewTaskFile(Module1& store)
{
    std::error_code ec;
    std::filesystem::remove("tasks.txt", ec);
    return store.saveTasks().ok;
}

// Writes tasks.txt in the test's scratch folder; frmMain reads it at start-up.
inline bool writeTaskFile(const std::vector<TaskSpec>& tasks, const std::vector<RuleSpec>& rules = {})
{
    Module1 store;
    for (const TaskSpec& given : tasks)
        store.taskList[static_cast<std::size_t>(store.taskCount++)] = taskFrom(given);
    for (const RuleSpec& given : rules)
        store.ruleList[static_cast<std::size_t>(store.ruleCount++)] = {given.value, given.unit, given.color,
                                                                       given.popup};
    return saveAsNewTaskFile(store);
}

// The captions of one label array over the rows 1 to the last.
inline QStringList rowCaptions(const LabelArray& array)
{
    QStringList captions;
    for (int row = 1; row < array.count(); ++row)
        captions << array[row].caption;
    return captions;
}

// The painted row arrays, found by name as controls are.
inline const LabelArray& rowCells(const frmMain& w, const char* name)
{
    const LabelArray* cells = control<LabelContainer>(w, "lstContainer").array(QString::fromLatin1(name));
    if (!cells)
        qFatal("no row array %s", name);
    return *cells;
}
inline const LabelArray& lblTitle(const frmMain& w)
{
    return rowCells(w, "lblTitle");
}
inline const LabelArray& lblFor(const frmMain& w)
{
    return rowCells(w, "lblFor");
}
inline const LabelArray& lblDue(const frmMain& w)
{
    return rowCells(w, "lblDue");
}
inline const LabelArray& lblID2(const frmMain& w)
{
    return rowCells(w, "lblID2");
}

// Where the layout put a control, in twips as computed.
inline QRect twipsOf(const frmMain& w, const char* name)
{
    return w.twipsGeometry(control<QWidget>(w, name));
}

inline void showWindow(frmMain& window)
{
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
}

inline void showActive(frmMain& w)
{
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
}

enum class Shown { no, exposed, active };

// Writes the task file before the window reads it; a file that cannot be written fails the test.
struct TaskFileWritten
{
    TaskFileWritten(const std::vector<TaskSpec>& tasks, const std::vector<RuleSpec>& rules)
    {
        QVERIFY(writeTaskFile(tasks, rules));
    }
};

// The main window started on a task file of these tasks and rules, bound in one line:
// `auto&& [store, w] = WindowWith(tasks);`
struct WindowWith : TaskFileWritten
{
    explicit WindowWith(const std::vector<TaskSpec>& tasks, Shown shown = Shown::no) : WindowWith(tasks, {}, shown) {}
    WindowWith(const std::vector<TaskSpec>& tasks, const std::vector<RuleSpec>& rules, Shown shown = Shown::no)
        : TaskFileWritten(tasks, rules)
    {
        if (shown == Shown::exposed)
            showWindow(w);
        else if (shown == Shown::active)
            showActive(w);
    }

    Module1 store;
    frmMain w{store};
};
