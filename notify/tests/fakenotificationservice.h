#pragma once

// A private session bus started by the test, and a stand-in for the desktop's notification service
// on it: it records every call Taskwyn makes, answers as a service does, and sends the signal a
// click on a notification sends.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDebug>
#include <QProcess>
#include <QTemporaryFile>
#include <QTest>
#include <QVariantMap>

using namespace Qt::StringLiterals;

// dbus-daemon with no service files, so that nothing on the machine is started by activation.
class PrivateSessionBus
{
public:
    PrivateSessionBus()
    {
        config_.open();
        config_.write(
            "<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen><auth>EXTERNAL</auth>"
            "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
            "<allow own=\"*\"/></policy>"
            "</busconfig>\n");
        config_.flush();
        daemon_.start(u"dbus-daemon"_s,
                      {u"--config-file="_s + config_.fileName(), u"--nofork"_s, u"--print-address"_s});
        if (daemon_.waitForReadyRead(10000))
            address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    }
    ~PrivateSessionBus()
    {
        daemon_.terminate();
        daemon_.waitForFinished();
    }
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

    // Empty when the daemon did not start.
    const QString& address() const { return address_; }

private:
    QTemporaryFile config_;
    QProcess daemon_;
    QString address_;
};

struct NotifyCall
{
    QString appName;
    uint replacesId;
    QString appIcon;
    QString summary;
    QString body;
    QStringList actions;
    QVariantMap hints;
    int expireTimeout;
};

class FakeNotificationService : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    explicit FakeNotificationService(const QString& busAddress)
        : connection_(QDBusConnection::connectToBus(busAddress, u"fake-notification-service"_s))
    {
        connection_.registerObject(path(), this, QDBusConnection::ExportAllSlots);
    }

    bool start() { return connection_.registerService(service()); }
    bool stop() { return connection_.unregisterService(service()); }

    // What a click on the body of notification `id` sends.
    void click(uint id)
    {
        QDBusMessage signal = QDBusMessage::createSignal(path(), service(), u"ActionInvoked"_s);
        signal << id << u"default"_s;
        connection_.send(signal);
    }

    // Answered once every message `client` sent to the service before it has been handled.
    static bool roundTrip(const QDBusConnection& client)
    {
        const QDBusPendingCall call =
            client.asyncCall(QDBusMessage::createMethodCall(service(), path(), service(), u"GetServerInformation"_s));
        return QTest::qWaitFor([&call] { return call.isFinished(); });
    }

    static QString service() { return u"org.freedesktop.Notifications"_s; }
    static QString path() { return u"/org/freedesktop/Notifications"_s; }

    QList<NotifyCall> calls;
    QStringList capabilities{u"body"_s, u"actions"_s};

public slots:
    uint Notify(const QString& appName, uint replacesId, const QString& appIcon, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints, int expireTimeout)
    {
        qInfo().noquote().nospace() << "Notify(" << appName << ", " << replacesId << ", " << appIcon << ", " << summary
                                    << ", " << QString(body).replace(u'\n', u"\\n"_s) << ", " << actions << ", "
                                    << hints << ", " << expireTimeout << ")";
        calls.append({appName, replacesId, appIcon, summary, body, actions, hints, expireTimeout});
        return static_cast<uint>(calls.size());
    }
    QStringList GetCapabilities()
    {
        qInfo().noquote() << "GetCapabilities() ->" << capabilities;
        return capabilities;
    }
    void CloseNotification(uint) {}
    QString GetServerInformation(QString& vendor, QString& version, QString& specVersion)
    {
        vendor = u"test"_s;
        version = u"1"_s;
        specVersion = u"1.2"_s;
        return u"fake"_s;
    }

private:
    QDBusConnection connection_;
};
