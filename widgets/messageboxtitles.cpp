#include "widgets/messageboxtitles.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

namespace {

// The title bar's own buttons and icon, as the common window managers draw them.
constexpr int titleBarRoom = 160;

} // namespace

void MessageBoxTitles::install()
{
    static MessageBoxTitles* installed = nullptr;
    if (installed)
        return;
    installed = new MessageBoxTitles(qApp);
    qApp->installEventFilter(installed);
}

int MessageBoxTitles::widthFor(const QString& title)
{
    return QFontMetrics(QApplication::font("QMdiSubWindowTitleBar")).horizontalAdvance(title) + titleBarRoom;
}

// On Show the box has not fixed its size yet: a spacer across its grid makes it that wide.
bool MessageBoxTitles::eventFilter(QObject* watched, QEvent* event)
{
    auto* box = event->type() == QEvent::Show ? qobject_cast<QMessageBox*>(watched) : nullptr;
    auto* grid = box ? qobject_cast<QGridLayout*>(box->layout()) : nullptr;
    if (grid && box->property("titleWidened").isNull()) {
        box->setProperty("titleWidened", true);
        grid->addItem(new QSpacerItem(widthFor(box->windowTitle()), 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    return QObject::eventFilter(watched, event);
}
