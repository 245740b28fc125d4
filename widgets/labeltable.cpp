#include "widgets/labeltable.h"

#include "widgets/accessiblecache.h"
#include "widgets/labelcontainer.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <QPointer>
#include <QWindow>

#include <algorithm>
#include <map>

namespace {

QAccessibleInterface* interfaceOf(QObject* object)
{
    return object ? QAccessible::queryAccessibleInterface(object) : nullptr;
}

// A header button lying on the table: a column header that sorts when pressed.
class HeaderAccessible : public QAccessibleWidget
{
public:
    explicit HeaderAccessible(QWidget* header) : QAccessibleWidget(header, QAccessible::ColumnHeader) {}

    QString text(QAccessible::Text t) const override
    {
        QString text = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && text.isEmpty()) {
            if (const auto* button = qobject_cast<const QAbstractButton*>(widget()))
                text = QString(button->text()).remove(u'&');
        }
        return text;
    }

    QStringList actionNames() const override
    {
        QStringList names = QAccessibleWidget::actionNames();
        if (qobject_cast<const QAbstractButton*>(widget()))
            names.prepend(pressAction());
        return names;
    }

    void doAction(const QString& actionName) override
    {
        auto* button = qobject_cast<QAbstractButton*>(widget());
        if (button && actionName == pressAction())
            button->animateClick(); // queued: a reader's call returns before the list is sorted
        else
            QAccessibleWidget::doAction(actionName);
    }
};

// One cell, made when a reader asks for it. It holds only its place and reads the label each time.
class CellAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface
{
public:
    CellAccessible(LabelContainer* container, int row, int column) : container_(container), row_(row), column_(column)
    {
    }

    bool isValid() const override
    {
        const LabelTable* table = model();
        return table && row_ < table->rowCount() && column_ < table->columnCount();
    }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return container_ ? container_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override { return table(); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }

    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name && isValid() ? model()->text(row_, column_) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect cell = model()->cellRect(row_, column_);
        return {container_->mapToGlobal(cell.topLeft()), cell.size()};
    }

    QAccessible::Role role() const override { return QAccessible::Cell; }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        state.selectable = true;
        state.focusable = true;
        state.selected = isSelected();
        state.focused = state.selected && column_ == 0 && container_->hasFocus();
        const QRect cell = model()->cellRect(row_, column_);
        state.offscreen = !container_->visibleRegion().intersects(cell);
        state.invisible = !container_->isVisible();
        return state;
    }

    void* interface_cast(QAccessible::InterfaceType t) override
    {
        return t == QAccessible::TableCellInterface ? static_cast<QAccessibleTableCellInterface*>(this) : nullptr;
    }

    bool isSelected() const override { return isValid() && model()->selectedRow() == row_; }
    QList<QAccessibleInterface*> columnHeaderCells() const override
    {
        QAccessibleInterface* header = isValid() ? interfaceOf(model()->column(column_).header) : nullptr;
        return header ? QList<QAccessibleInterface*>{header} : QList<QAccessibleInterface*>{};
    }
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return column_; }
    int rowIndex() const override { return row_; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return interfaceOf(container_); }

private:
    const LabelTable* model() const { return LabelTable::of(container_); }

    QPointer<LabelContainer> container_;
    int row_;
    int column_;
};

class TableAccessible : public QAccessibleWidget, public QAccessibleTableInterface
{
public:
    explicit TableAccessible(LabelContainer* container) : QAccessibleWidget(container, QAccessible::Table) {}
    ~TableAccessible() override { dropCells(); }

    int childCount() const override
    {
        const LabelTable* table = model();
        return table ? table->childIndex(table->rowCount(), 0) : 0;
    }

    QAccessibleInterface* child(int index) const override
    {
        const LabelTable* table = model();
        if (!table || index < 0)
            return nullptr;
        const int columns = table->columnCount();
        if (index < columns)
            return interfaceOf(table->column(index).header);
        return cellAt(index / columns - 1, index % columns);
    }

    int indexOfChild(const QAccessibleInterface* child) const override
    {
        const LabelTable* table = model();
        if (!table || !child)
            return -1;
        if (const int column = table->columnOfHeader(child->object()); column >= 0)
            return column;
        auto* cell = const_cast<QAccessibleInterface*>(child)->tableCellInterface();
        if (!cell || cell->table() != this)
            return -1;
        return table->childIndex(cell->rowIndex(), cell->columnIndex());
    }

    QAccessibleInterface* childAt(int x, int y) const override
    {
        const LabelTable* table = model();
        if (!table)
            return nullptr;
        const QPoint point = widget()->mapFromGlobal(QPoint(x, y));
        for (int column = 0; column < table->columnCount(); ++column) {
            const QWidget* header = table->column(column).header;
            if (header && header->isVisible() && header->geometry().contains(point))
                return interfaceOf(table->column(column).header);
        }
        for (int row = 0; row < table->rowCount(); ++row) {
            for (int column = 0; column < table->columnCount(); ++column) {
                if (table->cellRect(row, column).contains(point))
                    return cellAt(row, column);
            }
        }
        return nullptr;
    }

    QAccessibleInterface* focusChild() const override
    {
        const LabelTable* table = model();
        const std::optional<int> row = table ? table->selectedRow() : std::nullopt;
        return row && widget()->hasFocus() ? cellAt(*row, 0) : QAccessibleWidget::focusChild();
    }

    void* interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TableInterface)
            return static_cast<QAccessibleTableInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }

    QAccessibleInterface* cellAt(int row, int column) const override
    {
        const LabelTable* table = model();
        if (!table || row < 0 || row >= table->rowCount() || column < 0 || column >= table->columnCount())
            return nullptr;
        const int index = table->childIndex(row, column);
        if (const auto known = cells_.find(index); known != cells_.end()) {
            if (QAccessibleInterface* cell = QAccessible::accessibleInterface(known->second))
                return cell;
        }
        auto* cell = new CellAccessible(static_cast<LabelContainer*>(widget()), row, column);
        cells_[index] = QAccessible::registerAccessibleInterface(cell);
        return cell;
    }

    int selectedCellCount() const override { return static_cast<int>(selectedCells().size()); }
    QList<QAccessibleInterface*> selectedCells() const override
    {
        QList<QAccessibleInterface*> cells;
        for (const int row : selectedRows()) {
            for (int column = 0; column < columnCount(); ++column)
                cells << cellAt(row, column);
        }
        return cells;
    }

    QString columnDescription(int column) const override
    {
        const LabelTable* table = model();
        if (!table || column < 0 || column >= table->columnCount())
            return {};
        QAccessibleInterface* header = interfaceOf(table->column(column).header);
        return header ? header->text(QAccessible::Name) : QString();
    }
    QString rowDescription(int) const override { return {}; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return static_cast<int>(selectedRows().size()); }
    int columnCount() const override { return model() ? model()->columnCount() : 0; }
    int rowCount() const override { return model() ? model()->rowCount() : 0; }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override
    {
        const std::optional<int> row = model() ? model()->selectedRow() : std::nullopt;
        return row ? QList<int>{*row} : QList<int>{};
    }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override { return model() && model()->selectedRow() == row; }

    // The list keeps one row selected: a reader may move the selection, not clear it.
    bool selectRow(int row) override
    {
        if (row < 0 || row >= rowCount())
            return false;
        emit model()->selectRequested(row);
        return true;
    }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }

    void modelChange(QAccessibleTableModelChangeEvent*) override { dropCells(); }

private:
    LabelTable* model() const { return LabelTable::of(widget()); }

    void dropCells()
    {
        for (const auto& [index, id] : cells_)
            QAccessible::deleteAccessibleInterface(id);
        cells_.clear();
    }

    mutable std::map<int, QAccessible::Id> cells_;
};

QAccessibleInterface* labelTableFactory(const QString&, QObject* object)
{
    if (LabelTable::of(object))
        return new TableAccessible(static_cast<LabelContainer*>(object));
    if (const LabelTable* table = LabelTable::of(object->parent()); table && table->columnOfHeader(object) >= 0)
        return new HeaderAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

} // namespace

LabelTable::LabelTable(LabelContainer& container, std::vector<Column> columns)
    : QObject(&container), columns_(std::move(columns))
{
    static const bool installed = [] {
        QAccessible::installFactory(labelTableFactory);
        return true;
    }();
    Q_UNUSED(installed);
    setObjectName(QStringLiteral("labelTable"));
    container.installEventFilter(this);
    forgetAccessibleInterface(&container);
    for (const Column& each : columns_)
        forgetAccessibleInterface(each.header);
}

LabelTable* LabelTable::of(const QObject* container)
{
    const auto* labels = qobject_cast<const LabelContainer*>(container);
    return labels ? labels->findChild<LabelTable*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

LabelContainer& LabelTable::container() const
{
    return *static_cast<LabelContainer*>(parent());
}

int LabelTable::columnOfHeader(const QObject* header) const
{
    for (int index = 0; index < columnCount(); ++index) {
        if (header && column(index).header == header)
            return index;
    }
    return -1;
}

int LabelTable::rowCount() const
{
    return columns_.empty() ? 0 : std::max(columns_.front().cells->count() - 1, 0);
}

QString LabelTable::text(int row, int column) const
{
    const LabelArray& cells = *this->column(column).cells;
    return cells.exists(row + 1) ? cells[row + 1].caption : QString();
}

QRect LabelTable::cellRect(int row, int column) const
{
    const LabelArray& cells = *this->column(column).cells;
    return cells.exists(row + 1) ? cells[row + 1].pixelRect() : QRect();
}

std::optional<int> LabelTable::selectedRow() const
{
    if (columns_.empty())
        return std::nullopt;
    const LabelArray& cells = *columns_.front().cells;
    for (int element = 1; element < cells.count(); ++element) {
        if (cells[element].visible && cells[element].opaque)
            return element - 1;
    }
    return std::nullopt;
}

void LabelTable::rowsReset()
{
    if (!QAccessible::isActive())
        return;
    QAccessibleTableModelChangeEvent reset(&container(), QAccessibleTableModelChangeEvent::ModelReset);
    QAccessible::updateAccessibility(&reset);
}

void LabelTable::rowSelected(int row)
{
    if (!QAccessible::isActive() || row < 0 || row >= rowCount())
        return;
    announce(QAccessible::Selection, row);
    if (container().hasFocus())
        announce(QAccessible::Focus, row);
}

bool LabelTable::eventFilter(QObject* watched, QEvent* event)
{
    // Queued: Qt announces the focused container itself after this event; the row must come after.
    if (watched == parent() && event->type() == QEvent::FocusIn && QAccessible::isActive())
        QMetaObject::invokeMethod(this, &LabelTable::announceFocusedRow, Qt::QueuedConnection);
    return QObject::eventFilter(watched, event);
}

void LabelTable::announceFocusedRow()
{
    if (const std::optional<int> row = selectedRow(); row && container().hasFocus())
        announce(QAccessible::Focus, *row);
}

// A row is told by its first cell.
void LabelTable::announce(QAccessible::Event type, int row)
{
    QAccessibleEvent event(&container(), type);
    event.setChild(childIndex(row, 0));
    QAccessible::updateAccessibility(&event);
}
