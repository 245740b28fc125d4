#pragma once

// A real CalDAV server for tests: Radicale on a free loopback port, with its own storage folder and
// one htpasswd user, stopped with the test.

#include "os/tests/filetesting.h"

#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QUrl>

#include <csignal>
#include <stdexcept>

using namespace Qt::StringLiterals;

class RadicaleServer
{
public:
    enum class Transport { Http, SelfSignedHttps };

    explicit RadicaleServer(Transport transport = Transport::Http) : port_(freePort())
    {
        const auto& dir = folder_.path();
        testsupport::writeBytes(dir / "users", (user + u':' + password + u'\n').toStdString());
        std::string server = "[server]\nhosts = 127.0.0.1:" + std::to_string(port_) + "\n";
        if (transport == Transport::SelfSignedHttps) {
            run(u"openssl"_s,
                {u"req"_s, u"-x509"_s, u"-newkey"_s, u"rsa:2048"_s, u"-nodes"_s, u"-days"_s, u"1"_s, u"-subj"_s,
                 u"/CN=127.0.0.1"_s, u"-keyout"_s, path("key.pem"), u"-out"_s, path("cert.pem")});
            server += "ssl = True\ncertificate = " + (dir / "cert.pem").string() +
                      "\nkey = " + (dir / "key.pem").string() + "\n";
            scheme_ = "https";
        }
        const std::string config = server + "[auth]\ntype = htpasswd\nhtpasswd_encryption = plain\ndelay = 0\n" +
                                   "htpasswd_filename = " + (dir / "users").string() + "\n[storage]\n" +
                                   "filesystem_folder = " + (dir / "collections").string() +
                                   "\n[logging]\nlevel = warning\n";
        testsupport::writeBytes(dir / "config", config);
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(QStringLiteral(TASKWYN_SYSTEM_PYTHON), {u"-m"_s, u"radicale"_s, u"--config"_s, path("config")});
        waitUntilListening();
    }
    ~RadicaleServer() { stop(); }
    RadicaleServer(const RadicaleServer&) = delete;
    RadicaleServer& operator=(const RadicaleServer&) = delete;

    QUrl root() const
    {
        return QUrl(QString::fromLatin1(scheme_) + u"://127.0.0.1:"_s + QString::number(port_) + u'/');
    }
    // Where the user's own collections live.
    QUrl home() const { return root().resolved(QUrl(user + u'/')); }

    // Ends the server at once, in the middle of whatever it was doing.
    void stop()
    {
        process_.kill();
        process_.waitForFinished();
    }
    // A server that hangs: it keeps its connections and never answers.
    void pause() const { ::kill(static_cast<pid_t>(process_.processId()), SIGSTOP); }

    inline static const QString user = u"ada"_s;
    inline static const QString password = u"pässwörd 1"_s;

private:
    static int freePort()
    {
        QTcpServer probe;
        if (!probe.listen(QHostAddress::LocalHost, 0))
            throw std::runtime_error("no free loopback port");
        return probe.serverPort();
    }
    QString path(const char* name) const { return QString::fromStdString((folder_.path() / name).string()); }
    static void run(const QString& program, const QStringList& arguments)
    {
        QProcess process;
        process.start(program, arguments);
        if (!process.waitForFinished(60000) || process.exitCode() != 0)
            throw std::runtime_error("could not run " + program.toStdString());
    }
    void waitUntilListening() const
    {
        for (int attempt = 0; attempt < 200 && process_.state() != QProcess::NotRunning; ++attempt) {
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port_));
            if (probe.waitForConnected(100))
                return;
            QThread::msleep(50);
        }
        throw std::runtime_error("radicale did not start");
    }

    testsupport::ScratchFolder folder_;
    QProcess process_;
    int port_;
    const char* scheme_ = "http";
};
