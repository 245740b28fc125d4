#include "sync/secretstore.h"

#include <QTimer>
#include <QUrl>
#include <qt6keychain/keychain.h>

SecretStore::SecretStore(QString service, QObject* parent) : QObject(parent), service_(std::move(service)) {}

QString SecretStore::accountKey(const QUrl& server, const QString& user)
{
    return user + QLatin1Char('@') +
           server.adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment).toString();
}

SecretStore::Answer SecretStore::answerFor(int error, const QString& errorString)
{
    switch (error) {
    case QKeychain::NoError:
        return Answer{Answer::Kind::Found, {}, {}, true};
    case QKeychain::EntryNotFound:
        return Answer{Answer::Kind::Missing, {}, {}, false};
    case QKeychain::NoBackendAvailable:
    case QKeychain::NotImplemented:
    case QKeychain::OtherError:
        noStore_ = true;
        return Answer{Answer::Kind::NoStore, {}, errorString, false};
    default:
        return Answer{Answer::Kind::Failed, {}, errorString, false};
    }
}

void SecretStore::read(const QString& key, Reply reply)
{
    if (noStore_) {
        const auto held = heldForThisRun_.constFind(key);
        const Answer answer = held == heldForThisRun_.cend() ? Answer{Answer::Kind::NoStore, {}, {}, false}
                                                             : Answer{Answer::Kind::Found, *held, {}, false};
        QTimer::singleShot(0, this, [answer, reply = std::move(reply)] { reply(answer); });
        return;
    }
    auto* job = new QKeychain::ReadPasswordJob(service_, this);
    job->setInsecureFallback(false); // the fallback would write the password to a plain settings file
    job->setKey(key);
    connect(job, &QKeychain::Job::finished, this, [this, reply = std::move(reply)](QKeychain::Job* done) {
        Answer answer = answerFor(done->error(), done->errorString());
        if (answer.kind == Answer::Kind::Found)
            answer.password = static_cast<QKeychain::ReadPasswordJob*>(done)->textData();
        reply(answer);
    });
    job->start();
}

void SecretStore::write(const QString& key, const QString& password, Reply reply)
{
    const auto holdForThisRun = [this, key, password](Answer answer) {
        if (answer.kind == Answer::Kind::NoStore)
            heldForThisRun_.insert(key, password);
        return answer;
    };
    if (noStore_) {
        const Answer answer = holdForThisRun(Answer{Answer::Kind::NoStore, {}, {}, false});
        QTimer::singleShot(0, this, [answer, reply = std::move(reply)] { reply(answer); });
        return;
    }
    auto* job = new QKeychain::WritePasswordJob(service_, this);
    job->setInsecureFallback(false);
    job->setKey(key);
    job->setTextData(password);
    connect(job, &QKeychain::Job::finished, this,
            [this, holdForThisRun, reply = std::move(reply)](QKeychain::Job* done) {
                reply(holdForThisRun(answerFor(done->error(), done->errorString())));
            });
    job->start();
}

void SecretStore::remove(const QString& key, Reply reply)
{
    heldForThisRun_.remove(key);
    if (noStore_) {
        QTimer::singleShot(0, this, [reply = std::move(reply)] {
            reply(Answer{Answer::Kind::Missing, {}, {}, false});
        });
        return;
    }
    auto* job = new QKeychain::DeletePasswordJob(service_, this);
    job->setInsecureFallback(false);
    job->setKey(key);
    connect(job, &QKeychain::Job::finished, this, [this, reply = std::move(reply)](QKeychain::Job* done) {
        const bool gone = done->error() == QKeychain::NoError || done->error() == QKeychain::EntryNotFound;
        reply(gone ? Answer{Answer::Kind::Missing, {}, {}, false} : answerFor(done->error(), done->errorString()));
    });
    job->start();
}
