#include "app/singleinstance.h"

#include "os/xdgdirs.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QMessageBox>

namespace fs = std::filesystem;
using namespace Qt::StringLiterals;

namespace {

constexpr int answerTimeoutMs = 3000;
const QByteArray raiseRequest = "raise\n";
const QByteArray raiseAnswer = "raised\n";

// The same file by whatever path it was named, whether it exists yet or not.
QByteArray canonicalName(const fs::path& taskFile)
{
    std::error_code ec;
    fs::path canonical = fs::weakly_canonical(fs::absolute(taskFile, ec), ec);
    if (ec)
        canonical = fs::absolute(taskFile, ec);
    return QByteArray::fromStdString(canonical.string());
}

} // namespace

SingleInstance::SingleInstance(const fs::path& taskFile, QObject* parent) : QObject(parent)
{
    const QByteArray key =
        QCryptographicHash::hash(canonicalName(taskFile), QCryptographicHash::Sha256).toHex().left(16);
    base_ = QString::fromStdString((runtimeFolder() / "taskwyn-").string()) + QString::fromLatin1(key);
}

SingleInstance::~SingleInstance() = default;

SingleInstance::Claim SingleInstance::claim()
{
    lock_ = std::make_unique<QLockFile>(lockPath());
    // Never stale by age, only when its holder's process is gone: a Taskwyn may run for months.
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(0)) {
        listen();
        return Claim::Claimed;
    }
    lock_.reset();
    return askToRaise() ? Claim::RaisedOther : Claim::Unreachable;
}

bool SingleInstance::askToRaise() const
{
    QLocalSocket socket;
    socket.connectToServer(serverName());
    if (!socket.waitForConnected(answerTimeoutMs))
        return false;
    socket.write(raiseRequest);
    if (!socket.waitForBytesWritten(answerTimeoutMs))
        return false;
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(answerTimeoutMs))
            return false;
    }
    return socket.readLine() == raiseAnswer;
}

void SingleInstance::listen()
{
    // A socket left by a Taskwyn that was killed would stop the listen; the lock says it is dead.
    QLocalServer::removeServer(serverName());
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(serverName()))
        return; // then a second start says the file is open elsewhere, which is still true
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* peer = server_->nextPendingConnection()) {
            connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
            connect(peer, &QLocalSocket::readyRead, this, [this, peer] {
                if (!peer->canReadLine())
                    return;
                if (peer->readLine() == raiseRequest) {
                    emit raiseRequested();
                    peer->write(raiseAnswer);
                }
                peer->disconnectFromServer();
            });
        }
    });
}

int SingleInstance::refuse(Claim claim, const fs::path& taskFile)
{
    if (claim != Claim::Unreachable)
        return 0;
    std::error_code ec;
    const fs::path shown = fs::absolute(taskFile, ec);
    QMessageBox::warning(
        nullptr, QCoreApplication::applicationName(),
        u"The task file \"%1\" is open in another %2 window that does not answer.\nSwitch to that "
        "window, or end it if it hangs, then start again."_s.arg(
            QString::fromStdString((ec ? taskFile : shown).string()), QCoreApplication::applicationName()));
    return 1;
}
