#include "mainwindow/windowsync.h"

#include "commands/datacommands.h"
#include "commands/storereports.h"
#include "commands/syncmessages.h"
#include "os/startuptrace.h"
#include "store/calendar.h"
#include "sync/accountsync.h"
#include "sync/secretstore.h"
#include "syncsetup/frmsync.h"
#include "widgets/afterfirstpaint.h"
#include "widgets/dialogframe.h"

#include <QAction>
#include <QDateTime>
#include <QEvent>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>
#include <QUndoStack>

#include <chrono>
#include <utility>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using Outcome = SyncResult::Outcome;

namespace {

// Long enough to gather a burst of edits into one run, short enough that another device soon sees them.
constexpr auto afterSaveDelay = 3s;
// Brings in what other devices changed while nothing happens here.
constexpr auto syncInterval = 5min;

// The title of every window the sync opens, as of its set-up dialog.
QString syncTitle()
{
    return frmSync::tr("Sync with Server");
}

QString statusTextNow(const SyncResult& result)
{
    return syncStatusText(result, QDateTime::fromSecsSinceEpoch(epochSeconds(now())));
}

} // namespace

WindowSync::WindowSync(CommandContext& commands, QUndoStack& history, Selection selection, QStatusBar& statusBar)
    : QObject(commands.window), store_(commands.store), window_(*commands.window), commands_(commands),
      history_(history), selection_(std::move(selection)), secrets_(new SecretStore(passwordService, this)),
      status_(new QToolButton(&statusBar)), syncNow_(new QAction(tr("&Sync Now"), this)),
      unsavedListener_(commands.store.onUnsavedCleared([this] {
          if (pending_)
              QTimer::singleShot(0, this, &WindowSync::startIfFree);
      })),
      savedListener_(commands.store.onSaved([this] {
          if (!ownSave_)
              afterSave_.start();
      }))
{
    setObjectName(u"windowSync"_s);
    status_->setObjectName(u"syncStatus"_s);
    status_->setAutoRaise(true);
    status_->hide();
    statusBar.addPermanentWidget(status_);
    connect(status_, &QToolButton::clicked, this, &WindowSync::showDetails);

    syncNow_->setObjectName(u"menu_syncnow"_s);
    syncNow_->setShortcut(QKeySequence(Qt::Key_F5));
    syncNow_->setEnabled(loadSyncAccount(store_.taskFile()).has_value());
    connect(syncNow_, &QAction::triggered, this, &WindowSync::syncNow);

    afterSave_.setSingleShot(true);
    afterSave_.setInterval(afterSaveDelay);
    connect(&afterSave_, &QTimer::timeout, this, [this] { request({}); });
    periodic_.setInterval(syncInterval);
    connect(&periodic_, &QTimer::timeout, this, [this] { request({}); });
    periodic_.start();
    window_.installEventFilter(this);
    // The window has loaded the task file by then; the secret store and the network wait for its
    // first paint.
    afterFirstPaint(window_, [this] { request({}); });
}

WindowSync::~WindowSync()
{
    store_.removeUnsavedListener(unsavedListener_);
    store_.removeSavedListener(savedListener_);
    stopRun();
    SyncResult ended;
    ended.outcome = Outcome::Cancelled;
    answer(waiting_, ended);
}

void WindowSync::syncNow()
{
    request({.byUser = true});
}

void WindowSync::syncNowAndTell(Reply done)
{
    waiting_.push_back(std::move(done));
    request({.byUser = true});
}

void WindowSync::answer(std::vector<Reply>& replies, const SyncResult& result)
{
    for (const Reply& reply : std::exchange(replies, {}))
        reply(result);
}

void WindowSync::setUp()
{
    const bool interrupted = run_ != nullptr;
    stopRun();
    state_ = State::SettingUp;
    frmSync dialog(store_.taskFile(), *secrets_, &window_);
    const int answer = dialog.exec();
    state_ = State::Idle;
    if (answer == frmSync::Stopped) {
        status_->hide();
        syncNow_->setEnabled(false);
        last_.reset();
        pending_.reset();
        passwordDeclined_ = false;
        return;
    }
    if (answer == QDialog::Accepted || interrupted)
        request({.byUser = answer == QDialog::Accepted});
    else
        startIfFree();
}

bool WindowSync::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &window_ && event->type() == QEvent::Show && state_ == State::WaitingToAsk) {
        state_ = State::AskingPassword;
        QTimer::singleShot(0, this, &WindowSync::askPassword);
    }
    return QObject::eventFilter(watched, event);
}

void WindowSync::request(Request wanted)
{
    // A busy server's wish holds for the runs nobody asked for; the periodic one comes after it.
    if (!wanted.byUser && last_ && last_->retryAt.isValid() && QDateTime::currentDateTime() < last_->retryAt)
        return;
    const Request before = pending_.value_or(Request{});
    pending_ = Request{before.byUser || wanted.byUser, before.removalsAgreed || wanted.removalsAgreed};
    startIfFree();
}

// A run asked for while another runs, a dialog is open or a change is not saved waits for its end.
// A dialog that waits for an answer leads to a change: the run is tried again a little later.
void WindowSync::startIfFree()
{
    if (!pending_ || state_ != State::Idle || store_.hasUnsavedChanges())
        return;
    if (answerAwaited()) {
        afterSave_.start();
        return;
    }
    running_ = *std::exchange(pending_, std::nullopt);
    const std::optional<SyncAccount> account = loadSyncAccount(store_.taskFile());
    syncNow_->setEnabled(account.has_value());
    if (!account) {
        status_->hide();
        SyncResult none;
        none.outcome = Outcome::NotSetUp;
        answer(waiting_, none);
        return;
    }
    start(*account);
}

void WindowSync::start(const SyncAccount& account)
{
    // This run sends every save so far.
    afterSave_.stop();
    if (running_.byUser)
        passwordDeclined_ = false;
    account_ = account;
    chosen_ = selection_();
    replying_ = std::exchange(waiting_, {});
    run_ = new AccountSync(
        store_, *secrets_, [this](Module1& store) { return saveMerged(store); }, this);
    if (running_.removalsAgreed)
        run_->agreeToRemovals();
    run_->holdChangesWhile(answerAwaited);
    connect(run_, &AccountSync::progress, this, &WindowSync::showProgress);
    connect(run_, &AccountSync::finished, this, &WindowSync::runFinished);
    showStatus(tr("Syncing…"));
    state_ = State::Running;
    run_->start();
    startupPhaseEnded("sync under way");
}

void WindowSync::stopRun()
{
    if (!run_)
        return;
    run_->disconnect(this);
    run_->cancel();
    run_->deleteLater();
    run_ = nullptr;
    state_ = State::Idle;
    // Whoever waited for this run hears of the next one.
    waiting_.insert(waiting_.begin(), replying_.begin(), replying_.end());
    replying_.clear();
}

// The server's changes are in the tables: saved as the window saves, and shown at once, since the
// rows name slots that the changes may have moved.
bool WindowSync::saveMerged(Module1& store)
{
    ownSave_ = true;
    const bool saved = saveTasksAsking(&window_, store) == SaveOutcome::Saved;
    ownSave_ = false;
    std::optional<TaskRecord> chosen = chosen_;
    if (chosen && !chosen->uid.empty()) {
        if (const std::optional<std::int16_t> slot = store.slotOfUid(chosen->uid))
            chosen = store.taskList[static_cast<std::size_t>(*slot)];
    }
    if (commands_.changed)
        commands_.changed(chosen);
    return saved;
}

void WindowSync::showProgress(int done, int total)
{
    // The tables change right after a batch comes in: the selection as it is then is the one to keep.
    chosen_ = selection_();
    showStatus(tr("Syncing %1 of %2…").arg(done).arg(total));
}

void WindowSync::runFinished()
{
    const SyncResult result = run_->result();
    run_->deleteLater();
    run_ = nullptr;
    state_ = State::Idle;
    const std::optional<SyncResult> previous = std::exchange(last_, result);
    // Had the save failed, the tables might hold another version, which the tasks would double.
    if (!result.removedHere.empty() && result.outcome != Outcome::SaveFailed)
        recordRemoval(result.removedHere);
    if (result.outcome == Outcome::NotSetUp)
        status_->hide();
    else
        showStatus(statusTextNow(result));
    answer(replying_, result);
    if (result.outcome == Outcome::NoPassword || result.outcome == Outcome::PasswordRefused)
        wantPassword();
    else if (result.asksUser() && (running_.byUser || !previous || previous->outcome != result.outcome))
        explain(result);
    emit runEnded();
    startIfFree();
}

void WindowSync::showStatus(const QString& text)
{
    status_->setText(text);
    status_->show();
}

void WindowSync::showDetails()
{
    if (last_)
        QMessageBox::information(&window_, syncTitle(), syncDetailsText(*last_));
}

void WindowSync::recordRemoval(const std::vector<TaskRecord>& removed)
{
    history_.push(syncRemovalStep(commands_, removed, store_.taskCount).release());
}

// Once per refusal: after a Cancel the user is asked again only when they sync themselves.
void WindowSync::wantPassword()
{
    if (state_ != State::Idle || (passwordDeclined_ && !running_.byUser))
        return;
    pending_.reset(); // the answer starts the next run
    if (window_.isVisible()) {
        state_ = State::AskingPassword;
        askPassword();
    } else {
        state_ = State::WaitingToAsk;
    }
}

void WindowSync::askPassword()
{
    const bool refused = last_ && last_->outcome == Outcome::PasswordRefused;
    QString text = refused ? tr("The server refused the password of %1 on %2.")
                           : tr("Taskwyn needs the password of %1 on %2 to sync.");
    text = text.arg(account_.user, account_.server.host());
    if (secrets_->knownMissing())
        text += u'\n' + tr("No secret store answers: the password is kept until Taskwyn ends.");
    auto* dialog = new QInputDialog(&window_);
    dialog->setObjectName(u"passwordDialog"_s);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(syncTitle());
    dialog->setLabelText(text + u'\n' + frmSync::tr("&Password:"));
    dialog->setTextEchoMode(QLineEdit::Password);
    connect(dialog, &QInputDialog::textValueSelected, this, &WindowSync::keepPassword);
    connect(dialog, &QDialog::rejected, this, [this] {
        passwordDeclined_ = true;
        passwordAnswered();
        startIfFree(); // what was asked for meanwhile
    });
    dialog->open();
}

void WindowSync::keepPassword(const QString& password)
{
    secrets_->write(
        SecretStore::accountKey(account_.server, account_.user), password, [this](const SecretStore::Answer& answer) {
            passwordAnswered();
            if (answer.kind == SecretStore::Answer::Kind::Found || answer.kind == SecretStore::Answer::Kind::NoStore)
                return request({.byUser = true});
            // Neither kept nor held: running again would only ask again.
            SyncResult failed;
            failed.outcome = Outcome::NoPassword;
            failed.detail = answer.detail;
            last_ = failed;
            showStatus(statusTextNow(failed));
        });
}

void WindowSync::passwordAnswered()
{
    if (state_ == State::AskingPassword)
        state_ = State::Idle;
}

// Nothing is deleted in these cases: the user decides, in the set-up dialog.
void WindowSync::explain(const SyncResult& result)
{
    if (explaining_)
        return;
    explaining_ =
        new QMessageBox(QMessageBox::Warning, syncTitle(), syncDetailsText(result), QMessageBox::Close, &window_);
    explaining_->setObjectName(u"syncQuestion"_s);
    explaining_->setAttribute(Qt::WA_DeleteOnClose);
    explaining_->setInformativeText(tr("Nothing was deleted, here or on the server. Choose the task list again in "
                                       "the sync settings, or stop syncing this task file."));
    QPushButton* settings = explaining_->addButton(tr("&Sync Settings…"), QMessageBox::AcceptRole);
    settings->setObjectName(u"openSyncSettings"_s);
    connect(settings, &QPushButton::clicked, this, &WindowSync::setUp, Qt::QueuedConnection);
    if (result.outcome == Outcome::ManyRemoved) {
        QPushButton* remove = explaining_->addButton(tr("&Remove Them Here"), QMessageBox::DestructiveRole);
        remove->setObjectName(u"agreeToRemovals"_s);
        connect(remove, &QPushButton::clicked, this, [this] { request({.byUser = true, .removalsAgreed = true}); });
    }
    explaining_->open();
}
