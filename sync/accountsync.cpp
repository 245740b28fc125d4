#include "sync/accountsync.h"

#include "store/module1.h"
#include "sync/davsession.h"
#include "sync/secretstore.h"

#include <QTimer>

using Outcome = SyncResult::Outcome;

AccountSync::AccountSync(Module1& store, SecretStore& secrets, SyncEngine::SaveFlow save, QObject* parent)
    : QObject(parent), store_(store), secrets_(secrets), save_(std::move(save))
{
}

AccountSync::~AccountSync() = default;

void AccountSync::start()
{
    running_ = true;
    result_ = {};
    const std::optional<SyncAccount> account = loadSyncAccount(store_.taskFile());
    if (!account)
        return finishWith(Outcome::NotSetUp, {});
    secrets_.read(SecretStore::accountKey(account->server, account->user),
                  [this, account = *account, alive = QPointer(this)](const SecretStore::Answer& answer) {
                      if (!alive || !running_)
                          return;
                      if (answer.kind != SecretStore::Answer::Kind::Found)
                          return finishWith(Outcome::NoPassword, answer.detail);
                      connectWith(account, answer.password);
                  });
}

void AccountSync::connectWith(const SyncAccount& account, const QString& password)
{
    session_ = std::make_unique<DavSession>(DavAccount{account.server, account.user, password});
    // Without the list's properties the engine would ask for them each time: the account keeps
    // what the set-up found, and a server that stopped offering sync tokens is listed in full.
    const TaskList list{account.taskList, {}, {}, account.offersSyncCollection};
    engine_ = new SyncEngine(store_, session_.get(), list, save_, this);
    if (removalsAgreed_)
        engine_->agreeToRemovals();
    if (busy_)
        engine_->holdChangesWhile(busy_);
    connect(engine_, &SyncEngine::progress, this, &AccountSync::progress);
    connect(engine_, &SyncEngine::finished, this, &AccountSync::engineFinished);
    engine_->start();
}

void AccountSync::cancel()
{
    if (!running_)
        return;
    if (engine_)
        return engine_->cancel();
    finishWith(Outcome::Cancelled, {});
}

void AccountSync::engineFinished()
{
    result_ = engine_->result();
    engine_->deleteLater();
    running_ = false;
    emit finished();
}

void AccountSync::finishWith(Outcome outcome, const QString& detail)
{
    running_ = false;
    result_.outcome = outcome;
    result_.detail = detail;
    // As the engine does: the caller hears of the end from the event loop, never from inside start().
    QTimer::singleShot(0, this, &AccountSync::finished);
}
