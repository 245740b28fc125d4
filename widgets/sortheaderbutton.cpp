#include "widgets/sortheaderbutton.h"

#include <QPainter>
#include <QStyleOptionHeader>

#include <algorithm>

void SortHeaderButton::setSortOrder(std::optional<Qt::SortOrder> order)
{
    if (order == order_)
        return;
    order_ = order;
    update();
}

void SortHeaderButton::paintEvent(QPaintEvent* event)
{
    QPushButton::paintEvent(event);
    if (!order_)
        return;
    QStyleOptionHeader option;
    option.initFrom(this);
    // The style's own header arrow, at the right end; ascending is SortDown as in Qt's header views,
    // so the mark points the way the desktop's other lists point it.
    option.sortIndicator = *order_ == Qt::AscendingOrder ? QStyleOptionHeader::SortDown : QStyleOptionHeader::SortUp;
    const int size = std::min(height(), style()->pixelMetric(QStyle::PM_HeaderMarkSize, &option, this));
    const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, &option, this);
    option.rect = QRect(width() - size - margin, (height() - size) / 2, size, size);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_IndicatorHeaderArrow, &option, &painter, this);
}
