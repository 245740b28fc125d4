#pragma once

#include "sync/davjob.h"
#include "sync/davjobs.h"
#include "sync/syncaccount.h"

#include <QDialog>
#include <QPointer>

#include <filesystem>
#include <memory>
#include <optional>

class DavSession;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class SecretStore;

// "Sync with Server": finds the task lists of an account, lets the user pick one or create one, and
// keeps the choice for one task file. exec() gives Accepted once the account is kept, Stopped once
// syncing was stopped, Rejected otherwise. Everything that talks to the server or the secret store
// runs asynchronously; while it does, the dialog shows it and the user can stop it.
class frmSync : public QDialog
{
    Q_OBJECT

public:
    static constexpr int Stopped = 2;

    frmSync(std::filesystem::path taskFile, SecretStore& secrets, QWidget* parent);
    ~frmSync() override;

private:
    void createControls();
    void showAccount(const SyncAccount& account);
    void findOrStop();
    void findTaskLists();
    void discoveryFinished();
    void createTaskList();
    void creationFinished();
    void runJob(DavJob* job, void (frmSync::*onFinished)(), const QString& doing);
    [[nodiscard]] const DavJob* takeSucceededJob();
    void addTaskList(const TaskList& list);
    void forgetFoundLists();
    void keepAccount();
    void passwordKept(const SyncAccount& account, bool keptInStore, const QString& problem);
    void stopSyncing();
    [[nodiscard]] std::optional<QUrl> serverAddress();
    void setBusy(const QString& doing);
    void setIdle(const QString& message);
    void updateButtons();

    std::filesystem::path taskFile_;
    SecretStore& secrets_;
    std::optional<SyncAccount> kept_;
    std::unique_ptr<DavSession> session_;
    QPointer<DavJob> running_;
    QUrl home_;
    bool savingPassword_ = false;

    QLineEdit* txtServer = nullptr;
    QLineEdit* txtUser = nullptr;
    QLineEdit* txtPassword = nullptr;
    QLabel* lblPasswordNotKept = nullptr;
    QPushButton* cmdFind = nullptr;
    QListWidget* lstTaskLists = nullptr;
    QPushButton* cmdCreate = nullptr;
    QProgressBar* barBusy = nullptr;
    QLabel* lblStatus = nullptr;
    QPushButton* cmdStopSyncing = nullptr;
    QDialogButtonBox* buttons = nullptr;
};
