#pragma once

#include <QObject>
#include <QString>

#include <filesystem>
#include <functional>
#include <memory>

class QLocalServer;
class QLocalSocket;
class QLockFile;

// One running Taskwyn per task file. The lock is kept in the user's runtime folder, keyed by the
// task file's canonical path, never beside the file: a synced folder must not carry it to another
// machine and keep the user out there. A second start asks the holder, over a local socket, to
// come to the front, and ends; `taskwyn --sync` asks it to sync, so that the sync state has one writer.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    enum class Claim {
        Claimed,     // this process holds the task file, having taken over a lock whose holder is gone
        RaisedOther, // a running Taskwyn holds it and was asked to come to the front
        Unreachable, // a running Taskwyn holds it but does not answer
    };
    // What the holder answered to a sync request: the exit status for the command line and its words.
    struct SyncAnswer
    {
        bool answered = false; // false: the holder did not answer, or knows no sync request
        int exitStatus = 1;
        QString text;
    };
    using SyncReply = std::function<void(int exitStatus, const QString& text)>;

    explicit SingleInstance(const std::filesystem::path& taskFile, QObject* parent = nullptr);
    ~SingleInstance() override;

    // For the window: takes the task file, or brings its holder to the front. A holder without a
    // window (a sync from the command line) is waited for.
    [[nodiscard]] Claim claim();
    // For the command line: takes the task file when no one holds it. A start that wants the window
    // meanwhile waits until the lock is given up.
    [[nodiscard]] bool takeWithoutWindow();
    // Asks the holder to sync now and waits for the result. Blocks: for the command line only.
    [[nodiscard]] SyncAnswer askToSync() const;
    // What main() returns when the claim failed, after telling the user why where it has to.
    static int refuse(Claim claim, const std::filesystem::path& taskFile);

    QString lockPath() const { return base_ + QStringLiteral(".lock"); }
    QString serverName() const { return base_ + QStringLiteral(".sock"); }

signals:
    void raiseRequested();
    // Answer through `reply` once, when the sync has ended; the asking process waits for it.
    void syncRequested(const SingleInstance::SyncReply& reply);

private:
    bool take();
    enum class RaiseAnswer { Raised, Busy, None };
    RaiseAnswer askToRaise() const;
    void listen();
    void answer(QLocalSocket* peer);

    QString base_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
    bool hasWindow_ = false;
};
