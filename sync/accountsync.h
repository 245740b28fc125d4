#pragma once

#include "sync/syncaccount.h"
#include "sync/syncengine.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class DavSession;
class SecretStore;

// One sync of a task file with the account kept for it: the account from the user's settings, the
// password from the secret store (or as held there for this run), a session, then the engine. The
// window and `taskwyn --sync` run it alike, so they share the account, the state and the wording.
// start() returns at once; progress() follows while it runs and finished() once at its end, also
// when there was nothing to run (Outcome::NotSetUp or Outcome::NoPassword).
class AccountSync : public QObject
{
    Q_OBJECT

public:
    AccountSync(Module1& store, SecretStore& secrets, SyncEngine::SaveFlow save, QObject* parent = nullptr);
    ~AccountSync() override;

    void start();
    // This run removes here what the server removed, however many: the user has agreed.
    void agreeToRemovals() { removalsAgreed_ = true; }
    // As SyncEngine::holdChangesWhile.
    void holdChangesWhile(std::function<bool()> busy) { busy_ = std::move(busy); }
    // Ends the run at once, as when the user stops syncing or quits; finished() follows.
    void cancel();
    const SyncResult& result() const { return result_; }

signals:
    void progress(int done, int total);
    void finished();

private:
    void connectWith(const SyncAccount& account, const QString& password);
    void engineFinished();
    void finishWith(SyncResult::Outcome outcome, const QString& detail);

    Module1& store_;
    SecretStore& secrets_;
    SyncEngine::SaveFlow save_;
    std::unique_ptr<DavSession> session_;
    QPointer<SyncEngine> engine_;
    bool running_ = false;
    bool removalsAgreed_ = false;
    std::function<bool()> busy_;
    SyncResult result_;
};
