#include "app/singleinstance.h"

#include "os/xdgdirs.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QMessageBox>
#include <QPointer>
#include <QThread>

#include <optional>

namespace fs = std::filesystem;
using namespace Qt::StringLiterals;

namespace {

constexpr int answerTimeoutMs = 3000;
// A first sync of a thousand tasks takes a while; a window that works on it longer hangs.
constexpr int syncTimeoutMs = 10 * 60 * 1000;
// A sync from the command line holds the file for as long as it runs.
constexpr int busyHolderWaitMs = 2 * 60 * 1000;
constexpr unsigned long busyRetryMs = 100;

// One request line, answered by one line; a sync is acknowledged at once and answered when it ended.
// A Taskwyn that does not know a request closes the connection without an answer.
const QByteArray raiseRequest = "raise\n";
const QByteArray raiseAnswer = "raised\n";
const QByteArray busyAnswer = "busy\n";
const QByteArray syncRequest = "sync\n";
const QByteArray syncingAnswer = "syncing\n";
const QByteArray syncedAnswer = "synced";

QByteArray syncedLine(int exitStatus, const QString& text)
{
    return syncedAnswer + ' ' + QByteArray::number(exitStatus) + ' ' + text.toUtf8().toPercentEncoding() + '\n';
}

SingleInstance::SyncAnswer readSyncedLine(const std::optional<QByteArray>& line)
{
    if (!line)
        return {};
    // Without its line end only: an empty text is an empty last part.
    const QList<QByteArray> parts = line->chopped(1).split(' ');
    bool isNumber = false;
    const int exitStatus = parts.value(1).toInt(&isNumber);
    if (parts.size() != 3 || parts[0] != syncedAnswer || !isNumber)
        return {};
    return {true, exitStatus, QString::fromUtf8(QByteArray::fromPercentEncoding(parts[2]))};
}

bool sendRequest(QLocalSocket& socket, const QString& serverName, const QByteArray& request)
{
    socket.connectToServer(serverName);
    if (!socket.waitForConnected(answerTimeoutMs))
        return false;
    socket.write(request);
    return socket.waitForBytesWritten(answerTimeoutMs);
}

// The holder's next line; nothing once it has gone or did not answer in time.
std::optional<QByteArray> readAnswerLine(QLocalSocket& socket, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
            return std::nullopt;
    }
    return socket.readLine();
}

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
    hasWindow_ = true;
    const QDeadlineTimer patience(busyHolderWaitMs);
    while (!take()) {
        const RaiseAnswer answer = askToRaise();
        if (answer == RaiseAnswer::Raised)
            return Claim::RaisedOther;
        if (answer == RaiseAnswer::None || patience.hasExpired())
            return Claim::Unreachable;
        QThread::msleep(busyRetryMs);
    }
    return Claim::Claimed;
}

bool SingleInstance::takeWithoutWindow()
{
    hasWindow_ = false;
    return take();
}

bool SingleInstance::take()
{
    lock_ = std::make_unique<QLockFile>(lockPath());
    // Never stale by age, only when its holder's process is gone: a Taskwyn may run for months.
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(0)) {
        listen();
        return true;
    }
    lock_.reset();
    return false;
}

SingleInstance::RaiseAnswer SingleInstance::askToRaise() const
{
    QLocalSocket socket;
    if (!sendRequest(socket, serverName(), raiseRequest))
        return RaiseAnswer::None;
    const std::optional<QByteArray> line = readAnswerLine(socket, answerTimeoutMs);
    if (line == raiseAnswer)
        return RaiseAnswer::Raised;
    return line == busyAnswer ? RaiseAnswer::Busy : RaiseAnswer::None;
}

SingleInstance::SyncAnswer SingleInstance::askToSync() const
{
    QLocalSocket socket;
    if (!sendRequest(socket, serverName(), syncRequest) || readAnswerLine(socket, answerTimeoutMs) != syncingAnswer)
        return {};
    return readSyncedLine(readAnswerLine(socket, syncTimeoutMs));
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
            connect(peer, &QLocalSocket::readyRead, this, [this, peer] { answer(peer); });
        }
    });
}

void SingleInstance::answer(QLocalSocket* peer)
{
    if (!peer->canReadLine())
        return;
    const QByteArray request = peer->readLine();
    if (request == raiseRequest) {
        if (hasWindow_)
            emit raiseRequested();
        peer->write(hasWindow_ ? raiseAnswer : busyAnswer);
    } else if (request == syncRequest) {
        peer->write(syncingAnswer);
        emit syncRequested([peer = QPointer(peer)](int exitStatus, const QString& text) {
            if (!peer)
                return; // the asking process has gone
            peer->write(syncedLine(exitStatus, text));
            // This process may end right after answering, before its event loop would send it.
            peer->flush();
            peer->disconnectFromServer();
        });
        return;
    }
    peer->disconnectFromServer();
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
