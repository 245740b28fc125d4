#include "widgets/wheelscroller.h"

#include "widgets/twips.h"

#include <QApplication>
#include <QScrollBar>
#include <QWheelEvent>

WheelScroller::WheelScroller(QScrollBar* bar, int twipsPerStep, int twipsPerRow, std::initializer_list<QWidget*> over)
    : QObject(bar), bar_(bar), twipsPerStep_(twipsPerStep), twipsPerRow_(twipsPerRow)
{
    for (QWidget* widget : over)
        widget->installEventFilter(this);
}

bool WheelScroller::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::Wheel)
        return QObject::eventFilter(watched, event);
    const auto& wheel = *static_cast<QWheelEvent*>(event);
    if (wheel.angleDelta().y() == 0 && wheel.pixelDelta().y() == 0)
        return false; // sideways: nothing to scroll
    scroll(wheel);
    event->accept();
    return true;
}

void WheelScroller::scroll(const QWheelEvent& wheel)
{
    // Counted in whole numbers, so that five fifths of a notch come to exactly one notch.
    constexpr long long eighthsPerNotch = 120;
    // Turning the wheel away from the user shows the rows above: the value goes down.
    const long long turn =
        wheel.pixelDelta().y() != 0
            ? -static_cast<long long>(wheel.pixelDelta().y()) * twipsPerPixel * eighthsPerNotch
            : -static_cast<long long>(wheel.angleDelta().y()) * QApplication::wheelScrollLines() * twipsPerRow_;
    // What was left of a turn the other way does not count against this one.
    if (pending_ * turn < 0)
        pending_ = 0;
    pending_ += turn;
    const long long step = eighthsPerNotch * twipsPerStep_;
    const long long steps = pending_ / step;
    pending_ -= steps * step;
    bar_->setValue(bar_->value() + static_cast<int>(steps));
}
