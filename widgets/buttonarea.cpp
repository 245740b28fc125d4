#include "widgets/buttonarea.h"

#include "widgets/accessiblecache.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QWidget>

namespace {

class ButtonArea : public QObject
{
public:
    ButtonArea(QWidget& area, std::function<void()> press) : QObject(&area), press_(std::move(press))
    {
        setObjectName(QStringLiteral("buttonArea"));
        area.installEventFilter(this);
    }

    static ButtonArea* of(const QObject* area)
    {
        return area ? area->findChild<ButtonArea*>(QStringLiteral("buttonArea"), Qt::FindDirectChildrenOnly) : nullptr;
    }

    void press() const { press_(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == parent() && event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<const QKeyEvent*>(event);
            const bool pressing =
                key->key() == Qt::Key_Space || key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
            if (pressing && key->modifiers() == Qt::NoModifier && !key->isAutoRepeat()) {
                press();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> press_;
};

class ButtonAreaAccessible : public QAccessibleWidget
{
public:
    explicit ButtonAreaAccessible(QWidget* area) : QAccessibleWidget(area, QAccessible::Button) {}

    QStringList actionNames() const override { return QStringList{pressAction()} + QAccessibleWidget::actionNames(); }

    void doAction(const QString& actionName) override
    {
        if (actionName != pressAction()) {
            QAccessibleWidget::doAction(actionName);
            return;
        }
        // Queued: a press may open a modal dialog, and the reader waits for its call to return.
        if (const ButtonArea* area = ButtonArea::of(widget()))
            QMetaObject::invokeMethod(
                widget(), [area] { area->press(); }, Qt::QueuedConnection);
    }
};

QAccessibleInterface* buttonAreaFactory(const QString&, QObject* object)
{
    return ButtonArea::of(object) ? new ButtonAreaAccessible(static_cast<QWidget*>(object)) : nullptr;
}

} // namespace

void actAsButton(QWidget& area, const QString& name, std::function<void()> press)
{
    static const bool installed = [] {
        QAccessible::installFactory(buttonAreaFactory);
        return true;
    }();
    Q_UNUSED(installed);
    new ButtonArea(area, std::move(press));
    area.setAccessibleName(name);
    area.setFocusPolicy(Qt::StrongFocus);
    forgetAccessibleInterface(&area);
}
