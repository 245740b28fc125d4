#pragma once

#include "editor/frmtask.h"
#include "mainwindow/tests/mainwindowtest.h"
#include "os/tests/filetesting.h"
#include "widgets/tests/dialogtesting.h"

#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <fstream>
#include <iterator>
#include <string>

struct NewTaskInput
{
    QString title;
    QString forWhom;
    QString day;
    int monthDownPresses = 0; // from no month shown, Down picks January, then February...
    QString year;
};

// Types a task into the editor's boxes, picks the month from the list, and presses "&Ok".
inline ModalScript::Answer typeTaskAndOk(const NewTaskInput& input)
{
    return [input](QWidget& editor) {
        QTest::keyClicks(&control<QLineEdit>(editor, "txtTitle"), input.title);
        QTest::keyClicks(&control<QLineEdit>(editor, "txtFor"), input.forWhom);
        retype(control<QLineEdit>(editor, "txtDay"), input.day);
        auto& month = control<QComboBox>(editor, "lstMonth");
        for (int i = 0; i < input.monthDownPresses; ++i)
            QTest::keyClick(&month, Qt::Key_Down);
        retype(control<QLineEdit>(editor, "txtYear"), input.year);
        QTest::mouseClick(&dialogButton(editor, QStringLiteral("&Ok")), Qt::LeftButton);
    };
}

inline QFrame& hotArea(frmMain& w, int index)
{
    return control<QFrame>(w, qPrintable(QStringLiteral("Image1_%1").arg(index)));
}

inline QLabel& paneCaption(frmMain& w, int index)
{
    return control<QLabel>(w, qPrintable(QStringLiteral("Label1_%1").arg(index)));
}

// The one bold caption of the pane, or -1 when there is none or more than one.
inline int boldCaption(frmMain& w)
{
    int bold = -1;
    for (int i = 0; i < 4; ++i) {
        if (paneCaption(w, i).font().bold()) {
            if (bold >= 0)
                return -1;
            bold = i;
        }
    }
    return bold;
}

inline int framedButtons(frmMain& w)
{
    int framed = 0;
    for (int i = 0; i < 4; ++i)
        framed += hotArea(w, i).frameShape() != QFrame::NoFrame;
    return framed;
}

// A left click on a button of the navigation pane; a button reacts on the release.
inline void clickPane(frmMain& w, int index)
{
    QTest::mouseClick(&hotArea(w, index), Qt::LeftButton);
}

inline QAction& menuItem(const frmMain& w, const char* name)
{
    return control<QAction>(w, name);
}

inline std::string fileText(const std::string& path = "tasks.txt")
{
    return testsupport::readBytes(path);
}

// The lines a task's block has in the file, from its title to "act=addtask"; empty when absent.
inline std::string taskBlock(const std::string& file, const std::string& title)
{
    const std::size_t start = file.find("ttl=" + title + "\r\n");
    if (start == std::string::npos)
        return {};
    const std::string end = "act=addtask\r\n";
    const std::size_t stop = file.find(end, start);
    return stop == std::string::npos ? std::string() : file.substr(start, stop + end.size() - start);
}

// The row that shows the task of `title`, 0 when none does.
inline int rowOf(const frmMain& w, const QString& title)
{
    return static_cast<int>(rowCaptions(lblTitle(w)).indexOf(title)) + 1;
}

// Rows drawn as selected; a sound list has at most one.
inline QList<int> highlightedRows(const frmMain& w)
{
    QList<int> rows;
    for (int row = 1; row < lblFor(w).count(); ++row) {
        if (lblFor(w)[row].opaque)
            rows << row;
    }
    return rows;
}

inline QString selectedTitle(const frmMain& w, const Module1& store)
{
    if (w.selectedIndex() < 1)
        return {};
    return QString::fromStdString(store.taskList[static_cast<std::size_t>(w.selectedIndex() - 1)].title);
}

// Opens a menu of the bar with Alt and its access key, then picks an item by its access key.
inline void pickByAccessKeys(frmMain& w, Qt::Key menuKey, QMenu* menu, Qt::Key itemKey)
{
    QTest::keyClick(w.windowHandle(), menuKey, Qt::AltModifier);
    QTRY_VERIFY(menu->isVisible());
    QTest::keyClick(menu, itemKey);
}

// A command of the menu bar, and the pane button that gives it too, if any.
struct Command
{
    const char* item;
    const char* menu;
    Qt::Key menuKey;
    Qt::Key itemKey;
    int paneButton = -1;
};
inline const Command newTaskCommand{"menu_new", "Menu_Tasks", Qt::Key_T, Qt::Key_N, NavigationPane::NewTask};
inline const Command rulesCommand{"menu_manage", "menu_options", Qt::Key_O, Qt::Key_C};
inline const Command aboutCommand{"menu_about", "menu_help", Qt::Key_H, Qt::Key_A};

// The ways to give a command, as rows of a test: "menu item", "menu by access keys", "pane button".
inline void addRoutes(std::initializer_list<const char*> routes)
{
    QTest::addColumn<QString>("route");
    for (const char* route : routes)
        QTest::newRow(route) << QString::fromLatin1(route);
}

inline void give(frmMain& w, const Command& command, const QString& route)
{
    if (route == u"pane button")
        clickPane(w, command.paneButton);
    else if (route == u"menu by access keys")
        pickByAccessKeys(w, command.menuKey, &control<QMenu>(w, command.menu), command.itemKey);
    else
        menuItem(w, command.item).trigger();
}
