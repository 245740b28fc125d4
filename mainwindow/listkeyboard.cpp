#include "mainwindow/listkeyboard.h"

#include "widgets/labelarray.h"
#include "widgets/labelcontainer.h"

#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>

#include <algorithm>
#include <utility>

ListKeyboard::ListKeyboard(List list) : QObject(&list.container), list_(std::move(list))
{
    list_.container.installEventFilter(this);
}

bool ListKeyboard::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &list_.container && event->type() == QEvent::KeyPress)
        return listKey(*static_cast<QKeyEvent*>(event));
    return QObject::eventFilter(watched, event);
}

bool ListKeyboard::listKey(const QKeyEvent& key)
{
    const int current = highlightedRow().value_or(0);
    switch (key.key()) {
    case Qt::Key_Up:
        moveSelection(current > 0 ? current - 1 : 1);
        return true;
    case Qt::Key_Down:
        moveSelection(current + 1);
        return true;
    case Qt::Key_Home:
        moveSelection(1);
        return true;
    case Qt::Key_End:
        moveSelection(lastRow());
        return true;
    case Qt::Key_PageUp:
        moveSelection(current > 0 ? current - rowsPerPage() : 1);
        return true;
    case Qt::Key_PageDown:
        moveSelection(current + rowsPerPage());
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        list_.edit();
        return true;
    case Qt::Key_Delete:
        list_.remove();
        return true;
    case Qt::Key_Menu:
        openRowMenu();
        return true;
    case Qt::Key_F10:
        if (key.modifiers() & Qt::ShiftModifier) {
            openRowMenu();
            return true;
        }
        return false;
    default:
        return false;
    }
}

void ListKeyboard::moveSelection(int row)
{
    if (lastRow() < 1)
        return;
    row = std::clamp(row, 1, lastRow());
    list_.highlight(row);
    scrollRowIntoView(row);
}

std::optional<int> ListKeyboard::highlightedRow() const
{
    for (int row = 1; row <= lastRow(); ++row) {
        if (list_.rows[row].opaque)
            return row;
    }
    return std::nullopt;
}

int ListKeyboard::rowsPerPage() const
{
    return std::max(1, (list_.pane.height() - list_.header.height()) / rowHeight());
}

void ListKeyboard::scrollRowIntoView(int row)
{
    const int step = list_.twipsPerScrollStep;
    const int rowTop = list_.rows[row].top;
    const int viewTop = list_.scroll.value() * step;
    const int viewHeight = list_.pane.height();
    // The first row brings its headers into view with it.
    const int wantedTop = row == 1 ? 0 : rowTop;
    if (wantedTop < viewTop)
        list_.scroll.setValue(wantedTop / step);
    else if (rowTop + rowHeight() > viewTop + viewHeight)
        list_.scroll.setValue((rowTop + rowHeight() - viewHeight + step - 1) / step);
}

void ListKeyboard::openRowMenu()
{
    const std::optional<int> row = highlightedRow();
    const int top = row ? list_.rows[*row].top + rowHeight() : list_.header.height();
    list_.rowMenu.popup(list_.container.mapToGlobal(QPoint(px(list_.rows[0].left), px(top))));
}

int ListKeyboard::rowHeight() const
{
    return list_.rows[0].height;
}

int ListKeyboard::lastRow() const
{
    return list_.rows.count() - 1;
}
