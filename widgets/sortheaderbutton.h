#pragma once

#include <QPushButton>

#include <optional>

// A column header that shows, with a painted mark beside its caption, which way the list is sorted
// by its column. The caption itself never changes.
class SortHeaderButton : public QPushButton
{
    Q_OBJECT

public:
    using QPushButton::QPushButton;

    // Nothing: the list is sorted by another column.
    void setSortOrder(std::optional<Qt::SortOrder> order);
    std::optional<Qt::SortOrder> sortOrder() const { return order_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<Qt::SortOrder> order_;
};
