#pragma once

// scriptedserver.py on a free loopback port: a CalDAV server that answers well until told to
// misbehave, and logs every request it gets and every connection to the addresses it lures to.

#include "os/tests/filetesting.h"

#include <QProcess>
#include <QThread>
#include <QUrl>

#include <filesystem>
#include <stdexcept>

class ScriptedServer
{
public:
    ScriptedServer()
    {
        setMode("good");
        process_.setProcessChannelMode(QProcess::ForwardedChannels);
        process_.start(QStringLiteral(TASKWYN_SYSTEM_PYTHON),
                       {QStringLiteral(TASKWYN_SCRIPTED_SERVER), QString::fromStdString(folder_.path().string())});
        for (int attempt = 0; attempt < 200 && !std::filesystem::exists(folder_ / "port"); ++attempt)
            QThread::msleep(50);
        if (!std::filesystem::exists(folder_ / "port"))
            throw std::runtime_error("scriptedserver.py did not start");
        port_ = std::stoi(testsupport::readBytes(folder_ / "port"));
    }
    ~ScriptedServer()
    {
        process_.kill();
        process_.waitForFinished();
    }

    QUrl url(const char* path) const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(port_).arg(QLatin1StringView(path)));
    }
    void setMode(const std::string& mode) const { testsupport::writeBytes(folder_ / "mode", mode); }
    // One JSON line per request: [method, path, headers].
    std::string requests() const { return readIfThere("requests.log"); }
    // One line per connection to an address the answers named elsewhere.
    std::string trapped() const { return readIfThere("trap.log"); }

private:
    std::string readIfThere(const char* name) const
    {
        return std::filesystem::exists(folder_ / name) ? testsupport::readBytes(folder_ / name) : std::string();
    }

    testsupport::ScratchFolder folder_;
    QProcess process_;
    int port_ = 0;
};
