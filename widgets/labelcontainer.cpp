#include "widgets/labelcontainer.h"

#include "widgets/twips.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>

LabelContainer::LabelContainer(QWidget* parent) : QWidget(parent) {}

LabelContainer::~LabelContainer() = default;

LabelArray* LabelContainer::addArray(LabelElement element0, const QString& name)
{
    arrays_.push_back(std::make_unique<LabelArray>(*this, std::move(element0)));
    names_.push_back(name);
    update();
    return arrays_.back().get();
}

const LabelArray* LabelContainer::array(const QString& name) const
{
    const auto found = std::find(names_.begin(), names_.end(), name);
    return found == names_.end() ? nullptr : arrays_[static_cast<std::size_t>(found - names_.begin())].get();
}

std::pair<const LabelArray*, int> LabelContainer::elementAt(QPoint pixelPosition) const
{
    for (auto array = arrays_.rbegin(); array != arrays_.rend(); ++array) {
        for (int index = (*array)->count() - 1; index >= 0; --index) {
            const LabelElement& element = (**array)[index];
            if (element.visible && element.pixelRect().contains(pixelPosition))
                return {array->get(), index};
        }
    }
    return {nullptr, -1};
}

void LabelContainer::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRect dirty = event->rect();
    constexpr int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;
    for (const auto& array : arrays_) {
        for (int index = 0; index < array->count(); ++index) {
            const LabelElement& element = (*array)[index];
            const QRect rect = element.pixelRect();
            if (!element.visible || !rect.intersects(dirty))
                continue;
            if (element.opaque)
                painter.fillRect(rect, element.backColor);
            QFont font = element.font;
            font.setBold(element.bold);
            painter.setFont(font);
            painter.setPen(element.foreColor);
            painter.drawText(rect, flags, element.shownCaption());
        }
    }
}

bool LabelContainer::event(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const auto [array, index] = elementAt(help->pos());
    // Only a cut caption needs its full text shown.
    if (array && (*array)[index].shownCaption() != (*array)[index].caption)
        QToolTip::showText(help->globalPos(), (*array)[index].caption, this, (*array)[index].pixelRect());
    else
        QToolTip::hideText();
    return true;
}

void LabelContainer::mousePressEvent(QMouseEvent* event)
{
    pressed(event, false);
}

void LabelContainer::mouseDoubleClickEvent(QMouseEvent* event)
{
    pressed(event, true);
}

void LabelContainer::pressed(QMouseEvent* event, bool doubleClick)
{
    const QPoint position = event->position().toPoint();
    const auto [array, index] = elementAt(position);
    if (!array) {
        event->ignore();
        return;
    }
    const QPoint inside = position - (*array)[index].pixelRect().topLeft();
    emit labelPressed({array, index, event->button(), event->modifiers(), QPoint(twips(inside.x()), twips(inside.y())),
                       event->globalPosition().toPoint(), doubleClick});
    event->accept();
}
