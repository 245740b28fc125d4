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
constexpr std::size_t maxNotificationsAtOnce = 10;

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

// A task for nobody in particular has no For line.
QString DesktopNotifier::reminderBody(TaskRecord& task)
{
    const QString due = tr("Due: %1").arg(QString::fromStdString(dueText(task)));
    if (task.forWhom.empty())
        return due;
    return tr("For: %1").arg(QString::fromStdString(task.forWhom)) + u'\n' + due;
}

void DesktopNotifier::update(const std::vector<PopupMatch>& matches, DayNumber day)
{
    catchUpWithToday(day);
    // The texts are taken now: slots change with the next sort.
    waiting_.clear();
    const auto tasks = store_.tasks();
    const auto rules = store_.rules();
    for (const PopupMatch& match : matches) {
        TaskRecord task = tasks[static_cast<std::size_t>(match.slot)];
        std::string key = reminderKey(task, rules[match.rule]);
        if (sent_->keys.count(key) != 0)
            continue;
        const QString title = QString::fromStdString(task.title);
        waiting_.push_back(
            {{std::move(key)}, title.isEmpty() ? QCoreApplication::applicationName() : title, reminderBody(task), day});
    }
    sendWaiting();
}

void DesktopNotifier::catchUpWithToday(DayNumber day)
{
    if (sent_ && sent_->day == day)
        return;
    sent_ = readSentReminders(sentRecord_.empty() ? std::string() : readWhole(sentRecord_), day);
}

bool DesktopNotifier::connectToService()
{
    if (proxy_)
        return true;
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    proxy_ = new NotificationsProxy(bus, this);
    connect(proxy_, &NotificationsProxy::ActionInvoked, this, &DesktopNotifier::actionInvoked);
    connect(proxy_, &NotificationsProxy::NotificationClosed, this, [this](uint id) { shown_.erase(id); });
    return true;
}

void DesktopNotifier::sendWaiting()
{
    std::vector<Outgoing> due;
    std::copy_if(waiting_.begin(), waiting_.end(), std::back_inserter(due),
                 [this](const Outgoing& one) { return inFlight_.count(one.keys.front()) == 0; });
    if (due.empty() || !connectToService())
        return;
    if (!bodyMarkup_) {
        askCapabilities(); // its answer comes back here
        return;
    }
    waiting_.clear();
    // Past a handful, one notification stands for the rest: a long-neglected list would bury the desktop.
    if (due.size() > maxNotificationsAtOnce) {
        Outgoing rest{{}, QCoreApplication::applicationName(), {}, due.front().day};
        for (auto one = due.begin() + maxNotificationsAtOnce - 1; one != due.end(); ++one)
            rest.keys.push_back(one->keys.front());
        rest.body = tr("%1 more tasks need attention.").arg(rest.keys.size());
        due.resize(maxNotificationsAtOnce - 1);
        due.push_back(std::move(rest));
    }
    for (Outgoing& one : due) {
        // A server that reads markup would take a task's text for markup, images from the net included.
        if (*bodyMarkup_)
            one.body = one.body.toHtmlEscaped();
        send(one);
    }
}

void DesktopNotifier::askCapabilities()
{
    if (askingCapabilities_) {
        // The service may have come since the question went out.
        askAgain_ = true;
        return;
    }
    askingCapabilities_ = true;
    askAgain_ = false;
    auto* watcher = new QDBusPendingCallWatcher(proxy_->asyncCall(u"GetCapabilities"_s), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
        call->deleteLater();
        askingCapabilities_ = false;
        const QDBusPendingReply<QStringList> reply = *call;
        if (!reply.isError())
            bodyMarkup_ = reply.value().contains(u"body-markup"_s);
        // Without a service, asked again only at the next update.
        if (!reply.isError() || askAgain_)
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

    inFlight_.insert(outgoing.keys.begin(), outgoing.keys.end());
    const QDBusPendingCall call =
        proxy_->asyncCall(u"Notify"_s, QCoreApplication::applicationName(), uint{0}, icon, outgoing.summary,
                          outgoing.body, QStringList{defaultAction, tr("Show")}, hints, -1);
    auto* watcher = new QDBusPendingCallWatcher(call, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, keys = outgoing.keys, day = outgoing.day](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                const QDBusPendingReply<uint> reply = *finished;
                sent(keys, day, reply.isError() ? std::nullopt : std::optional<uint>(reply.value()));
            });
}

void DesktopNotifier::sent(const std::vector<std::string>& keys, DayNumber day, std::optional<uint> id)
{
    for (const std::string& key : keys) {
        inFlight_.erase(key);
        if (id && sent_->day == day)
            recordChanged_ = sent_->keys.insert(key).second || recordChanged_;
    }
    if (id)
        shown_.insert(*id);
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
