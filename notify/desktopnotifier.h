#pragma once

#include "store/popups.h"

#include <QObject>

#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

class Module1;
class NotificationsProxy;

// Tells the desktop, through the freedesktop notification service, of each live task that a rule
// with popup set calls for: once per task and rule a day, across restarts, and in one notification
// for all past the first few of a round. Without a bus or a service nothing happens and nothing is
// said.
class DesktopNotifier : public QObject
{
    Q_OBJECT

public:
    // `sentRecord` keeps what was sent today; with an empty path it is kept for the run only.
    DesktopNotifier(const Module1& store, std::filesystem::path sentRecord, QObject* parent = nullptr);
    ~DesktopNotifier() override;

    // Sends what `today`'s matches (popupMatches of the store) call for and was not sent yet.
    void update(const std::vector<PopupMatch>& matches, DayNumber today);

signals:
    // The user chose one of our notifications.
    void attentionWanted();

private:
    struct Outgoing
    {
        std::vector<std::string> keys; // one task, or all that the last of a round stands for
        QString summary;
        QString body;
        DayNumber day;
    };

    bool connectToService();
    void sendWaiting();
    void askCapabilities();
    void send(const Outgoing& outgoing);
    void sent(const std::vector<std::string>& keys, DayNumber day, std::optional<uint> id);
    void actionInvoked(uint id, const QString& actionKey);
    static QString reminderBody(TaskRecord& task);
    void catchUpWithToday(DayNumber day);

    const Module1& store_;
    std::filesystem::path sentRecord_;
    std::optional<SentReminders> sent_;
    bool recordChanged_ = false;
    std::vector<Outgoing> waiting_;
    std::set<std::string> inFlight_;
    std::set<uint> shown_; // ids of our notifications still on screen
    std::optional<bool> bodyMarkup_;
    bool askingCapabilities_ = false;
    bool askAgain_ = false;
    NotificationsProxy* proxy_ = nullptr;
};
