#pragma once

#include <QAccessible>
#include <QObject>
#include <QRect>
#include <QString>

#include <optional>
#include <vector>

class LabelArray;
class LabelContainer;
class QWidget;

// Shows the label arrays painted by a LabelContainer to assistive technology as a table, since a
// painted label is no widget a screen reader could find. One column per array, headed by a widget
// (a header button) lying on the container; one row per element from 1 on, element 0 being the
// template; the row drawn opaque is the selected one. Cells are read from the arrays whenever a
// reader asks, and none is made while no reader asks, so redraws cost nothing extra.
class LabelTable : public QObject
{
    Q_OBJECT

public:
    struct Column
    {
        const LabelArray* cells = nullptr;
        QWidget* header = nullptr;
    };

    // Becomes a child of the container, which from then on reads as a table.
    LabelTable(LabelContainer& container, std::vector<Column> columns);

    // The table a container reads as, or nullptr.
    static LabelTable* of(const QObject* container);

    LabelContainer& container() const;
    int columnCount() const { return static_cast<int>(columns_.size()); }
    const Column& column(int index) const { return columns_[static_cast<std::size_t>(index)]; }
    int columnOfHeader(const QObject* header) const;
    int rowCount() const;
    QString text(int row, int column) const;
    // In the container's pixels.
    QRect cellRect(int row, int column) const;
    std::optional<int> selectedRow() const;
    // The headers come first among the table's children, then the cells row by row.
    int childIndex(int row, int column) const { return columnCount() * (row + 1) + column; }

    // After a redraw: every row may have changed, so cells a reader holds are dropped.
    void rowsReset();
    // `row` is now the selected one: a reader speaks it.
    void rowSelected(int row);

signals:
    // A reader asked for `row` to be selected.
    void selectRequested(int row);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void announceFocusedRow();
    void announce(QAccessible::Event type, int row);

    std::vector<Column> columns_;
};
