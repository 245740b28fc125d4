#pragma once

#include <QObject>
#include <QString>

#include <filesystem>
#include <memory>

class QLocalServer;
class QLockFile;

// One running Taskwyn per task file. The lock is kept in the user's runtime folder, keyed by the
// task file's canonical path, never beside the file: a synced folder must not carry it to another
// machine and keep the user out there. A second start asks the first, over a local socket, to
// come to the front, and ends.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    enum class Claim {
        Claimed,     // this process holds the task file, having taken over a lock whose holder is gone
        RaisedOther, // a running Taskwyn holds it and was asked to come to the front
        Unreachable, // a running Taskwyn holds it but does not answer
    };

    explicit SingleInstance(const std::filesystem::path& taskFile, QObject* parent = nullptr);
    ~SingleInstance() override;

    [[nodiscard]] Claim claim();
    // What main() returns when the claim failed, after telling the user why where it has to.
    static int refuse(Claim claim, const std::filesystem::path& taskFile);

    QString lockPath() const { return base_ + QStringLiteral(".lock"); }
    QString serverName() const { return base_ + QStringLiteral(".sock"); }

signals:
    void raiseRequested();

private:
    bool askToRaise() const;
    void listen();

    QString base_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
};
