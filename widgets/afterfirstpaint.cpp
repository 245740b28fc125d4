#include "widgets/afterfirstpaint.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace {

// A window shown minimised is not painted until the user opens it; its work does not wait for that.
constexpr int longestWaitMs = 1000;

class FirstPaintWatch : public QObject
{
public:
    FirstPaintWatch(QWidget& window, std::function<void()> work) : QObject(&window), work_(std::move(work))
    {
        window.installEventFilter(this);
        QTimer::singleShot(0, this, [this, &window] {
            if (!window.isVisible())
                runOnce();
        });
        QTimer::singleShot(longestWaitMs, this, &FirstPaintWatch::runOnce);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        // The paint events come before the window's contents are flushed to the screen: the work
        // waits for the event loop once more.
        if (event->type() == QEvent::Paint)
            QTimer::singleShot(0, this, &FirstPaintWatch::runOnce);
        return false;
    }

private:
    void runOnce()
    {
        if (!work_)
            return;
        std::exchange(work_, {})();
        deleteLater();
    }

    std::function<void()> work_;
};

} // namespace

void afterFirstPaint(QWidget& window, std::function<void()> work)
{
    new FirstPaintWatch(window, std::move(work));
}
