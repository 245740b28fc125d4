#pragma once

#include "sync/syncaccount.h"
#include "sync/syncengine.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <optional>
#include <vector>

class AccountSync;
class QAction;
class QMessageBox;
class QStatusBar;
class QToolButton;
class QUndoStack;
class SecretStore;
struct CommandContext;

// The sync of the window's task file with its kept account: at start, a little after each save,
// every few minutes and on Sync Now. One run at a time, and none begins while the tables hold what
// the file does not. The status bar tells how the last run went and a click on it the details; a
// password the secret store lacks is asked for, and tasks the server removed can be undone.
class WindowSync : public QObject
{
    Q_OBJECT

public:
    // The task the window has selected, to keep it selected when a run changes the tables.
    using Selection = std::function<std::optional<TaskRecord>()>;
    using Reply = std::function<void(const SyncResult&)>;

    WindowSync(CommandContext& commands, QUndoStack& history, Selection selection, QStatusBar& statusBar);
    ~WindowSync() override;

    QAction* syncNowAction() const { return syncNow_; }
    // Syncs now, or once more after the run in progress.
    void syncNow();
    // As syncNow(), and `done` hears how the run that begins after the request ended.
    void syncNowAndTell(Reply done);
    // The set-up dialog; no run goes on while it is open.
    void setUp();

signals:
    // A run ended, its sync state kept.
    void runEnded();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // What the window's sync is doing; a request that comes meanwhile waits in `pending_`.
    enum class State {
        Idle,
        Running,
        SettingUp,      // the set-up dialog is open
        WaitingToAsk,   // for a password, once the window shows
        AskingPassword, // the password box is open, or its answer is being kept
    };
    struct Request
    {
        bool byUser = false;
        bool removalsAgreed = false; // the user agreed to remove what the server no longer holds
    };

    void request(Request wanted);
    void startIfFree();
    void start(const SyncAccount& account);
    void stopRun();
    bool saveMerged(Module1& store);
    void showProgress(int done, int total);
    void runFinished();
    void showStatus(const QString& text);
    void showDetails();
    void recordRemoval(const std::vector<TaskRecord>& removed);
    void wantPassword();
    void askPassword();
    void keepPassword(const QString& password);
    void passwordAnswered();
    void explain(const SyncResult& result);
    static void answer(std::vector<Reply>& replies, const SyncResult& result);

    // The store outlives the window; the commands are the window's and are used only while it lives.
    Module1& store_;
    QWidget& window_;
    CommandContext& commands_;
    QUndoStack& history_;
    Selection selection_;
    // One for the run, so that a password no store keeps is asked for once per run.
    SecretStore* secrets_;
    QToolButton* status_;
    QAction* syncNow_;
    QTimer afterSave_;
    QTimer periodic_;
    int unsavedListener_;
    int savedListener_;

    State state_ = State::Idle;
    std::optional<Request> pending_;
    Request running_; // of the run in progress or the last one
    QPointer<AccountSync> run_;
    SyncAccount account_;              // of the run in progress or the last one
    std::optional<TaskRecord> chosen_; // selected before the run changed the tables
    std::optional<SyncResult> last_;
    bool ownSave_ = false;          // the run saves the task file: no new run for that save
    bool passwordDeclined_ = false; // asked again only when the user syncs
    QPointer<QMessageBox> explaining_;
    std::vector<Reply> waiting_;  // for the next run
    std::vector<Reply> replying_; // for the run in progress
};
