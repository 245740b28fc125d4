#pragma once

#include <QObject>

class DesktopNotifier;
class Module1;
class QAction;
class QSystemTrayIcon;
class QTimer;
class QWidget;

// What the rules with popup set do outside the list: desktop notifications, which a checkable
// menu item turns off (remembered with the user's settings), and a tray icon, where the desktop
// offers a tray, that counts the tasks needing attention and leads to them.
class Reminders : public QObject
{
    Q_OBJECT

public:
    Reminders(const Module1& store, QWidget* window);

    // The item for the window's menus that turns notifications on and off.
    QAction* notificationsOption() const { return notificationsOption_; }

    // Follows the tables and today's date: after every redraw and change of day.
    void update();
    // The same, once the event loop is back: a burst of redraws costs one walk over the tables,
    // and a redraw itself costs none.
    void scheduleUpdate();

signals:
    // The user asked for the attention view, from a notification or the tray.
    void attentionWanted();

private:
    void notificationsToggled(bool on);

    const Module1& store_;
    QWidget* window_;
    DesktopNotifier* notifier_;
    QAction* notificationsOption_;
    QSystemTrayIcon* tray_;
    QTimer* pendingUpdate_;
    bool started_ = false; // once the window was first painted
};
