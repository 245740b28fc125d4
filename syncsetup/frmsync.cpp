#include "syncsetup/frmsync.h"

#include "commands/filemessages.h"
#include "commands/syncmessages.h"
#include "sync/accountchange.h"
#include "sync/davaddress.h"
#include "sync/davsession.h"
#include "sync/secretstore.h"
#include "sync/syncstate.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

const QString newListName = u"Taskwyn"_s;
// Beside the list's address in each row, so that the account keeps how its changes are asked for.
constexpr int offersSyncCollectionRole = Qt::UserRole + 1;

// The name a kept task list was chosen by, so that the dialog shows it again rather than its address.
QSettings userSettings()
{
    return QSettings(u"taskwyn"_s, u"taskwyn"_s);
}

QString nameKeyOf(const QUrl& taskList)
{
    return u"taskListNames/"_s + QString::fromLatin1(taskList.toEncoded().toBase64(QByteArray::Base64UrlEncoding));
}

QLineEdit* addTextRow(QFormLayout* form, const QString& caption, const char* name)
{
    auto* box = new QLineEdit;
    box->setObjectName(QString::fromLatin1(name));
    form->addRow(caption, box);
    return box;
}

} // namespace

frmSync::frmSync(std::filesystem::path taskFile, SecretStore& secrets, QWidget* parent)
    : QDialog(parent), taskFile_(std::move(taskFile)), secrets_(secrets), kept_(loadSyncAccount(taskFile_))
{
    setWindowTitle(tr("Sync with Server"));
    createControls();
    if (kept_)
        showAccount(*kept_);
    setIdle(kept_ ? tr("This task file syncs with the task list below.")
                  : tr("Give the server's address, your user name and password, then find your task lists."));
}

frmSync::~frmSync()
{
    // The job dies with its session; it must not report to a dialog that is half gone.
    if (running_)
        running_->disconnect(this);
}

void frmSync::createControls()
{
    auto* form = new QFormLayout;
    txtServer = addTextRow(form, tr("Server &address:"), "txtServer");
    txtServer->setPlaceholderText(u"https://dav.example.org"_s);
    txtUser = addTextRow(form, tr("&User name:"), "txtUser");
    txtPassword = addTextRow(form, tr("&Password:"), "txtPassword");
    txtPassword->setEchoMode(QLineEdit::Password);
    lblPasswordNotKept = new QLabel(tr("No secret store answers: the password is not kept, and Taskwyn asks for it "
                                       "again after the next start."));
    lblPasswordNotKept->setWordWrap(true);
    lblPasswordNotKept->setVisible(secrets_.knownMissing());
    form->addRow(lblPasswordNotKept);
    cmdFind = new QPushButton(tr("&Find Task Lists"));
    cmdFind->setObjectName(u"cmdFind"_s);
    form->addRow(QString(), cmdFind);
    lstTaskLists = new QListWidget;
    lstTaskLists->setObjectName(u"lstTaskLists"_s);
    form->addRow(tr("Task &lists:"), lstTaskLists);
    cmdCreate = new QPushButton(tr("&Create \"%1\"").arg(newListName));
    cmdCreate->setObjectName(u"cmdCreate"_s);
    form->addRow(QString(), cmdCreate);

    barBusy = new QProgressBar;
    barBusy->setRange(0, 0);
    barBusy->setTextVisible(false);
    lblStatus = new QLabel;
    lblStatus->setObjectName(u"lblStatus"_s);
    lblStatus->setWordWrap(true);
    buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    cmdStopSyncing = buttons->addButton(tr("Stop Syncing"), QDialogButtonBox::DestructiveRole);
    cmdStopSyncing->setObjectName(u"cmdStopSyncing"_s);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(u"cmdOk"_s);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(barBusy);
    layout->addWidget(lblStatus);
    layout->addWidget(buttons);
    resize(520, 440);

    for (QLineEdit* box : {txtServer, txtUser, txtPassword})
        connect(box, &QLineEdit::textEdited, this, &frmSync::forgetFoundLists);
    connect(cmdFind, &QPushButton::clicked, this, &frmSync::findOrStop);
    connect(cmdCreate, &QPushButton::clicked, this, &frmSync::createTaskList);
    connect(lstTaskLists, &QListWidget::currentItemChanged, this, &frmSync::updateButtons);
    connect(buttons, &QDialogButtonBox::accepted, this, &frmSync::keepAccount);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(cmdStopSyncing, &QPushButton::clicked, this, &frmSync::stopSyncing);
}

// The kept list stands in the list until the user changes the address, the name or the password.
void frmSync::showAccount(const SyncAccount& account)
{
    txtServer->setText(account.server.toString());
    txtUser->setText(account.user);
    addTaskList(TaskList{account.taskList,
                         userSettings().value(nameKeyOf(account.taskList)).toString(),
                         {},
                         account.offersSyncCollection});
}

void frmSync::findOrStop()
{
    if (running_)
        running_->cancel();
    else
        findTaskLists();
}

void frmSync::findTaskLists()
{
    const std::optional<QUrl> server = serverAddress();
    if (!server)
        return;
    forgetFoundLists();
    session_ = std::make_unique<DavSession>(DavAccount{*server, txtUser->text(), txtPassword->text()});
    runJob(new DiscoveryJob(session_.get(), session_.get()), &frmSync::discoveryFinished,
           tr("Looking for task lists…"));
}

void frmSync::discoveryFinished()
{
    const auto* job = qobject_cast<const DiscoveryJob*>(takeSucceededJob());
    if (!job)
        return;
    home_ = job->calendarHome();
    for (const TaskList& list : job->taskLists())
        addTaskList(list);
    if (lstTaskLists->count() == 1)
        lstTaskLists->setCurrentRow(0);
    setIdle(lstTaskLists->count() > 0 ? tr("Choose the task list this file syncs with.")
                                      : tr("The server holds no task list yet; create one."));
}

// A second list of the same name would leave the user guessing which one this file syncs with.
void frmSync::createTaskList()
{
    const QList<QListWidgetItem*> sameName = lstTaskLists->findItems(newListName, Qt::MatchExactly);
    if (!sameName.isEmpty() &&
        QMessageBox::question(this, windowTitle(),
                              tr("The server already holds a task list named \"%1\". Sync with it instead of "
                                 "creating a second one?")
                                  .arg(newListName)) == QMessageBox::Yes) {
        lstTaskLists->setCurrentItem(sameName.first());
        return;
    }
    runJob(new MakeTaskListJob(session_.get(), home_, newListName, session_.get()), &frmSync::creationFinished,
           tr("Creating the task list \"%1\"…").arg(newListName));
}

void frmSync::creationFinished()
{
    const auto* job = qobject_cast<const MakeTaskListJob*>(takeSucceededJob());
    if (!job)
        return;
    addTaskList(job->created());
    lstTaskLists->setCurrentRow(lstTaskLists->count() - 1);
    setIdle(tr("Created the task list \"%1\".").arg(newListName));
}

void frmSync::runJob(DavJob* job, void (frmSync::*onFinished)(), const QString& doing)
{
    running_ = job;
    connect(job, &DavJob::finished, this, onFinished);
    setBusy(doing);
    job->start();
}

// The job that just finished, when it succeeded; otherwise the user is told why, and null.
const DavJob* frmSync::takeSucceededJob()
{
    const DavJob* job = running_.data();
    running_ = nullptr;
    if (job->outcome() == DavJob::Outcome::Succeeded)
        return job;
    setIdle(davOutcomeText(job->outcome(), job->detail()));
    return nullptr;
}

void frmSync::addTaskList(const TaskList& list)
{
    auto* item = new QListWidgetItem(list.displayName.isEmpty() ? list.url.path() : list.displayName, lstTaskLists);
    item->setData(Qt::UserRole, list.url);
    item->setData(offersSyncCollectionRole, list.offersSyncCollection);
    item->setToolTip(list.url.toString());
}

// What was found belongs to the address, name and password it was found with.
void frmSync::forgetFoundLists()
{
    if (running_)
        running_->cancel();
    lstTaskLists->clear();
    home_.clear();
    updateButtons();
}

void frmSync::keepAccount()
{
    const QListWidgetItem* chosen = lstTaskLists->currentItem();
    if (!chosen || running_ || savingPassword_)
        return;
    const SyncAccount account =
        session_ ? SyncAccount{session_->account().server, chosen->data(Qt::UserRole).toUrl(), session_->account().user,
                               chosen->data(offersSyncCollectionRole).toBool()}
                 : *kept_;
    userSettings().setValue(nameKeyOf(account.taskList), chosen->text());
    // A password not typed anew stays as the store keeps it.
    const QString password = session_ ? session_->account().password : QString();
    if (password.isEmpty()) {
        passwordKept(account, true, {});
        return;
    }
    savingPassword_ = true;
    setBusy(tr("Keeping the password…"));
    secrets_.write(SecretStore::accountKey(account.server, account.user), password,
                   [this, account, alive = QPointer(this)](const SecretStore::Answer& answer) {
                       if (!alive)
                           return;
                       savingPassword_ = false;
                       using Kind = SecretStore::Answer::Kind;
                       passwordKept(account, answer.kind == Kind::Found,
                                    answer.kind == Kind::Failed ? answer.detail : QString());
                   });
}

// A store that refused leaves everything as it was; with no store at all, the password is held for
// this run only, and the user is told so.
void frmSync::passwordKept(const SyncAccount& account, bool keptInStore, const QString& problem)
{
    if (!problem.isEmpty()) {
        setIdle(tr("The secret store did not keep the password: %1").arg(problem));
        return;
    }
    savingPassword_ = true;
    replaceSyncAccount(taskFile_, account, secrets_, [this, keptInStore, alive = QPointer(this)] {
        if (!alive)
            return;
        savingPassword_ = false;
        if (!keptInStore) {
            lblPasswordNotKept->show();
            QMessageBox::information(this, windowTitle(),
                                     tr("No secret store answers, so the password is not kept: Taskwyn holds it for "
                                        "this run only and asks for it again after the next start."));
        }
        accept();
    });
}

void frmSync::stopSyncing()
{
    if (QMessageBox::question(this, windowTitle(),
                              tr("Stop syncing this task file? The tasks stay as they are, here and on the server.")) !=
        QMessageBox::Yes)
        return;
    forgetSyncAccountAndPassword(taskFile_, secrets_, [] {});
    const SyncStateFiles state(taskFile_);
    if (const auto failure = state.remove()) {
        QMessageBox::warning(this, windowTitle(), fileFailureText(*failure));
    } else {
        std::error_code ignored; // an emptied folder left behind holds nothing
        std::filesystem::remove(state.folder(), ignored);
    }
    done(Stopped);
}

std::optional<QUrl> frmSync::serverAddress()
{
    const QString text = txtServer->text().trimmed();
    const QUrl server = serverAddressFromUserText(text);
    if (!server.isEmpty())
        return server;
    setIdle(serverAddressProblemText(text));
    return std::nullopt;
}

void frmSync::setBusy(const QString& doing)
{
    barBusy->show();
    lblStatus->setText(doing);
    cmdFind->setText(tr("&Stop"));
    updateButtons();
}

void frmSync::setIdle(const QString& message)
{
    barBusy->hide();
    lblStatus->setText(message);
    cmdFind->setText(tr("&Find Task Lists"));
    updateButtons();
}

void frmSync::updateButtons()
{
    const bool busy = running_ || savingPassword_;
    buttons->button(QDialogButtonBox::Ok)->setEnabled(!busy && lstTaskLists->currentItem());
    cmdFind->setEnabled(!savingPassword_);
    cmdCreate->setEnabled(!busy && !home_.isEmpty());
    cmdStopSyncing->setVisible(kept_.has_value());
    cmdStopSyncing->setEnabled(!busy);
}
