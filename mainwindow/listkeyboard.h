#pragma once

#include "widgets/placed.h"

#include <QObject>

#include <functional>
#include <optional>

class LabelArray;
class LabelContainer;
class QKeyEvent;
class QMenu;
class QPushButton;
class QScrollBar;

// The list is operated from the keyboard as any list is: the arrows, Home, End and the page keys
// move the selection and bring it into view, Enter edits, Delete deletes, and the menu keys open the
// row's menu. It takes the keys pressed in the rows' container. Figures are in twips.
class ListKeyboard : public QObject
{
    Q_OBJECT

public:
    // What the keyboard needs of the list it serves.
    struct List
    {
        LabelContainer& container;
        // A column of the rows: element 0 is the template, the rows are 1 on; the selected one is opaque.
        const LabelArray& rows;
        const Placed<QWidget>& pane; // the part of the container in view
        const Placed<QPushButton>& header;
        QScrollBar& scroll;
        int twipsPerScrollStep;
        QMenu& rowMenu;
        std::function<void(int row)> highlight;
        std::function<void()> edit;
        std::function<void()> remove;
    };

    explicit ListKeyboard(List list);

    // Selects `row`, or the nearest row there is, and scrolls it into view.
    void moveSelection(int row);
    std::optional<int> highlightedRow() const;
    void scrollRowIntoView(int row);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool listKey(const QKeyEvent& key);
    int rowsPerPage() const;
    void openRowMenu();
    int rowHeight() const;
    int lastRow() const;

    List list_;
};
