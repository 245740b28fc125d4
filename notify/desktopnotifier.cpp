#include "notify/desktopnotifier.h"

#include "os/privatefile.h"
#include "store/duetext.h"
#include "store/module1.h"

#include <QDBusAbstractInterface>
#include <QDBusConnection>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

const QString notificationService = u"org.freedesktop.Notifications"_s;
const QString objectPath = u"/org/freedesktop/Notifications"_s;
const QString defaultAction = u"default"_s;

std::string readWhole(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

// The service's signals as Qt signals: QDBusAbstractInterface relays the D-Bus signals of the
// same name, so they connect like any other.
class NotificationsProxy : public QDBusAbstractInterface
{
    Q_OBJECT

public:
    NotificationsProxy(const QDBusConnection& bus, QObject* parent)
        : QDBusAbstractInterface(notificationService, objectPath, "org.freedesktop.Notifications", bus, parent)
    {
    }

signals:
    void ActionInvoked(uint id, const QString& actionKey);
    void NotificationClosed(uint id, uint reason);
};

DesktopNotifier::DesktopNotifier(const Module1& store, std::filesystem::path sentRecord, QObject* parent)
    : QObject(parent), store_(store), sentRecord_(std::move(sentRecord))
{
}

DesktopNotifier::~DesktopNotifier() = default;

void DesktopNotifier::update(const std::vector<PopupMatch>& matches, DayNumber day)
{
    catchUpWithToday(day);
    if (!proxy_) {
        const QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected())
            return;
        proxy_ = new NotificationsProxy(bus, this);
        connect(proxy_, &NotificationsProxy::ActionInvoked, this, &DesktopNotifier::actionInvoked);
        connect(proxy_, &NotificationsProxy::NotificationClosed, this, [this](uint id) { shown_.erase(id); });
    }

    // The texts are taken now: slots change with the next sort.
    waiting_.clear();
    const auto tasks = store_.tasks();
    const auto rules = store_.rules();
    for (const PopupMatch& match : matches) {
        TaskRecord task = tasks[static_cast<std::size_t>(match.slot)];
        const QString title = QString::fromStdString(task.title);
        waiting_.push_back(
            {reminderKey(task, rules[match.rule]), title.isEmpty() ? QCoreApplication::applicationName() : title,
             tr("For: %1\nDue: %2").arg(QString::fromStdString(task.forWhom), QString::fromStdString(dueText(task))),
             day});
    }
    sendWaiting();
}

void DesktopNotifier::catchUpWithToday(DayNumber day)
{
    if (sent_ && sent_->day == day)
        return;
    sent_ = readSentReminders(sentRecord_.empty() ? std::string() : readWhole(sentRecord_), day);
}

void DesktopNotifier::sendWaiting()
{
    const auto notYetSent = [this](const Outgoing& one) {
        return sent_->keys.count(one.key) == 0 && inFlight_.count(one.key) == 0;
    };
    if (std::none_of(waiting_.begin(), waiting_.end(), notYetSent))
        return;
    if (!bodyMarkup_) {
        askCapabilities(); // its answer comes back here
        return;
    }
    for (Outgoing& one : waiting_) {
        if (!notYetSent(one))
            continue;
        // A server that reads markup would take a task's text for markup, images from the net included.
        if (*bodyMarkup_)
            one.body = one.body.toHtmlEscaped();
        send(one);
    }
    waiting_.clear();
}

void DesktopNotifier::askCapabilities()
{
    if (askingCapabilities_)
        return;
    askingCapabilities_ = true;
    auto* watcher = new QDBusPendingCallWatcher(proxy_->asyncCall(u"GetCapabilities"_s), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
        call->deleteLater();
        askingCapabilities_ = false;
        const QDBusPendingReply<QStringList> reply = *call;
        // No service: asked again at the next update.
        if (reply.isError())
            return;
        bodyMarkup_ = reply.value().contains(u"body-markup"_s);
        sendWaiting();
    });
}

void DesktopNotifier::send(const Outgoing& outgoing)
{
    const QString desktopEntry = QGuiApplication::desktopFileName();
    QVariantMap hints;
    if (!desktopEntry.isEmpty())
        hints.insert(u"desktop-entry"_s, desktopEntry);
    const QString icon = desktopEntry.isEmpty() ? QCoreApplication::applicationName().toLower() : desktopEntry;

    inFlight_.insert(outgoing.key);
    const QDBusPendingCall call =
        proxy_->asyncCall(u"Notify"_s, QCoreApplication::applicationName(), uint{0}, icon, outgoing.summary,
                          outgoing.body, QStringList{defaultAction, tr("Show")}, hints, -1);
    auto* watcher = new QDBusPendingCallWatcher(call, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, key = outgoing.key, day = outgoing.day](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                const QDBusPendingReply<uint> reply = *finished;
                sentOne(key, day, reply.isError() ? std::nullopt : std::optional<uint>(reply.value()));
            });
}

void DesktopNotifier::sentOne(const std::string& key, DayNumber day, std::optional<uint> id)
{
    inFlight_.erase(key);
    if (id) {
        shown_.insert(*id);
        if (sent_->day == day)
            recordChanged_ = sent_->keys.insert(key).second || recordChanged_;
    }
    // One write for a whole round of notifications.
    if (inFlight_.empty() && recordChanged_ && !sentRecord_.empty()) {
        recordChanged_ = false;
        // Unwritten, the record is lost only at the end of the run: a restart may repeat a
        // reminder, which is not worth interrupting the user for.
        (void)writePrivateFile(sentRecord_, sentRemindersText(*sent_));
    }
}

void DesktopNotifier::actionInvoked(uint id, const QString& actionKey)
{
    if (actionKey == defaultAction && shown_.count(id) != 0)
        emit attentionWanted();
}

#include "desktopnotifier.moc"
