#include "notify/reminders.h"

#include "notify/desktopnotifier.h"
#include "os/startuptrace.h"
#include "os/xdgdirs.h"
#include "store/module1.h"
#include "store/popups.h"
#include "widgets/afterfirstpaint.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSettings>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

const QString notificationsKey = u"notifications/enabled"_s;

QSettings userSettings()
{
    return QSettings(u"taskwyn"_s, u"taskwyn"_s);
}

std::filesystem::path sentRecordFile()
{
    const std::filesystem::path state = stateHome();
    return state.empty() ? state : state / "taskwyn" / "notified";
}

QIcon trayIcon(const QWidget& window)
{
    const QIcon own = QApplication::windowIcon();
    if (!own.isNull() && !own.availableSizes().isEmpty())
        return own;
    return QIcon::fromTheme(u"x-office-calendar"_s, window.style()->standardIcon(QStyle::SP_FileDialogDetailedView));
}

} // namespace

Reminders::Reminders(const Module1& store, QWidget* window)
    : QObject(window), store_(store), window_(window), notifier_(new DesktopNotifier(store, sentRecordFile(), this)),
      notificationsOption_(new QAction(tr("Desktop &Notifications"), this)), tray_(new QSystemTrayIcon(this)),
      pendingUpdate_(new QTimer(this))
{
    pendingUpdate_->setSingleShot(true);
    pendingUpdate_->setInterval(0);
    connect(pendingUpdate_, &QTimer::timeout, this, &Reminders::update);
    notificationsOption_->setObjectName(u"menu_notify"_s);
    notificationsOption_->setCheckable(true);
    notificationsOption_->setChecked(userSettings().value(notificationsKey, true).toBool());
    connect(notificationsOption_, &QAction::toggled, this, &Reminders::notificationsToggled);
    connect(notifier_, &DesktopNotifier::attentionWanted, this, &Reminders::attentionWanted);

    tray_->setObjectName(u"tray"_s);
    tray_->setIcon(trayIcon(*window));
    auto* menu = new QMenu(window);
    menu->setObjectName(u"trayMenu"_s);
    QAction* attention = menu->addAction(tr("Immediate &Attention"));
    attention->setObjectName(u"trayAttention"_s);
    connect(attention, &QAction::triggered, this, &Reminders::attentionWanted);
    menu->addSeparator();
    QAction* exit = menu->addAction(tr("&Exit"));
    exit->setObjectName(u"trayExit"_s);
    connect(exit, &QAction::triggered, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    tray_->setContextMenu(menu);
    connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason != QSystemTrayIcon::Trigger && reason != QSystemTrayIcon::DoubleClick)
            return;
        window_->setWindowState(window_->windowState() & ~Qt::WindowMinimized);
        window_->show();
        window_->raise();
        window_->activateWindow();
    });
    // Neither the tray nor the notification service is needed for the window's first paint.
    afterFirstPaint(*window, [this] {
        started_ = true;
        if (QSystemTrayIcon::isSystemTrayAvailable())
            tray_->show();
        update();
        startupPhaseEnded("tray and notifications");
    });
}

void Reminders::update()
{
    const DayNumber day = today();
    const std::vector<PopupMatch> matches = popupMatches(store_.tasks(), store_.rules(), day);
    const std::size_t count = matches.size();
    tray_->setToolTip(count == 1
                          ? tr("%1: 1 task needs attention").arg(QCoreApplication::applicationName())
                          : tr("%1: %2 tasks need attention").arg(QCoreApplication::applicationName()).arg(count));
    if (notificationsOption_->isChecked())
        notifier_->update(matches, day);
}

void Reminders::scheduleUpdate()
{
    // The start does the first update.
    if (started_ && !pendingUpdate_->isActive())
        pendingUpdate_->start();
}

void Reminders::notificationsToggled(bool on)
{
    userSettings().setValue(notificationsKey, on);
    if (on)
        update();
}
