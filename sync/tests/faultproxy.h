#pragma once

// faultproxy.py in front of a server on loopback: requests through root() are passed on, or
// spoilt at random or as planned (see the script for the faults).

#include <QProcess>
#include <QUrl>

#include <stdexcept>

class FaultProxy
{
public:
    explicit FaultProxy(const QUrl& server)
    {
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(QStringLiteral(TASKWYN_SYSTEM_PYTHON),
                       {QStringLiteral(TASKWYN_FAULT_PROXY), QString::number(server.port())});
        const QByteArray greeting = answer();
        if (!greeting.startsWith("port "))
            throw std::runtime_error("faultproxy did not start");
        port_ = greeting.mid(5).trimmed().toInt();
        root_ = through(server);
    }
    ~FaultProxy()
    {
        process_.closeWriteChannel();
        if (!process_.waitForFinished(2000))
            process_.kill();
    }
    FaultProxy(const FaultProxy&) = delete;
    FaultProxy& operator=(const FaultProxy&) = delete;

    QUrl root() const { return root_; }
    // The same address on the server, reached through the proxy.
    QUrl through(QUrl url) const
    {
        url.setPort(port_);
        return url;
    }
    void setRate(double rate, unsigned seed = 0)
    {
        command("rate " + QByteArray::number(rate) + ' ' + QByteArray::number(seed));
    }
    // The next request with `method` (PUT, DELETE, REPORT …) gets `fault`.
    void spoilNext(const QByteArray& method, const QByteArray& fault) { command("next " + method + ' ' + fault); }

private:
    void command(const QByteArray& line)
    {
        process_.write(line + '\n');
        if (answer() != "ok\n")
            throw std::runtime_error("faultproxy did not take " + line.toStdString());
    }
    QByteArray answer()
    {
        while (!process_.canReadLine() && process_.waitForReadyRead(10000)) {
        }
        return process_.readLine();
    }

    QProcess process_;
    int port_ = 0;
    QUrl root_;
};
