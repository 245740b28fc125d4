#pragma once

// A real CalDAV server for tests: Radicale on a free loopback port, with its own storage folder and
// one htpasswd user, ended with the test; or xandikos, which has no login and ignores the password.

#include "os/tests/filetesting.h"

#include <QProcess>
#include <QSslSocket>
#include <QTcpServer>
#include <QThread>
#include <QUrl>

#include <csignal>
#include <stdexcept>

class RadicaleServer
{
public:
    enum class Transport { Http, SelfSignedHttps };
    enum class Kind { Radicale, Xandikos };

    explicit RadicaleServer(Transport transport = Transport::Http,
                            Kind kind = qgetenv("TASKWYN_TEST_SERVER") == "xandikos" ? Kind::Xandikos : Kind::Radicale)
        : kind_(kind)
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        port_ = probe.serverPort();
        probe.close();
        testsupport::writeBytes(folder_ / "users",
                                (user + u':' + password + u'\n' + probeLogin() + u'\n').toStdString());
        std::string config = "[server]\nhosts = 127.0.0.1:" + std::to_string(port_) + "\n";
        if (transport == Transport::SelfSignedHttps) {
            QProcess::execute(QStringLiteral("openssl"), QStringLiteral("req -x509 -newkey rsa:2048 -nodes -days 1 "
                                                                        "-subj /CN=127.0.0.1 -keyout %1 -out %2")
                                                             .arg(path("key.pem"), path("cert.pem"))
                                                             .split(u' '));
            config += "ssl = True\ncertificate = " + (folder_ / "cert.pem").string() +
                      "\nkey = " + (folder_ / "key.pem").string() + "\n";
            scheme_ = QStringLiteral("https");
        }
        testsupport::writeBytes(folder_ / "config",
                                config + "[auth]\ntype = htpasswd\nhtpasswd_encryption = plain\ndelay = 0\n" +
                                    "htpasswd_filename = " + (folder_ / "users").string() +
                                    "\n[storage]\nfilesystem_folder = " + (folder_ / "collections").string() +
                                    "\n[logging]\nlevel = warning\n");
        if (kind == Kind::Xandikos)
            process_.setStandardErrorFile(QProcess::nullDevice()); // it logs every request
        else
            process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        start();
    }
    ~RadicaleServer() { stop(); }
    RadicaleServer(const RadicaleServer&) = delete;
    RadicaleServer& operator=(const RadicaleServer&) = delete;

    QUrl root() const { return QUrl(QStringLiteral("%1://127.0.0.1:%2/").arg(scheme_).arg(port_)); }
    // Where the user's own collections live.
    QUrl home() const
    {
        return root().resolved(QUrl(user + QLatin1String(kind_ == Kind::Xandikos ? "/calendars/" : "/")));
    }

    // Ends the server at once, in the middle of whatever it was doing.
    void stop()
    {
        process_.kill();
        process_.waitForFinished();
    }
    // Starts it again after stop(), at the same address with the same storage.
    void start()
    {
        const QString arguments =
            kind_ == Kind::Xandikos
                ? QStringLiteral("-m xandikos -l 127.0.0.1 --defaults --current-user-principal /%1/ -p %2 -d %3")
                      .arg(user, QString::number(port_), path("collections"))
                : QStringLiteral("-m radicale --config %1").arg(path("config"));
        process_.start(QStringLiteral(TASKWYN_SYSTEM_PYTHON), arguments.split(u' '));
        for (int attempt = 0; attempt < 200 && process_.state() != QProcess::NotRunning;
             ++attempt, QThread::msleep(50)) {
            if (answersToProbe())
                return;
        }
        throw std::runtime_error("radicale did not start");
    }
    // A server that hangs: it keeps its connections and never answers.
    void pause() const { ::kill(static_cast<pid_t>(process_.processId()), SIGSTOP); }
    void resume() const { ::kill(static_cast<pid_t>(process_.processId()), SIGCONT); }

    // Runs `script` as another CalDAV client, which writes without preconditions, with `client`
    // logged in and `argument` in sys.argv[4]; true when it ended well.
    bool runOtherClient(const QString& script, const QString& argument = {}) const
    {
        return QProcess::execute(QStringLiteral(TASKWYN_SYSTEM_PYTHON),
                                 {QStringLiteral("-c"),
                                  QStringLiteral("import caldav, sys\nclient = caldav.DAVClient(sys.argv[1], None, "
                                                 "*sys.argv[2:4])\n") +
                                      script,
                                  root().toString(), user, password, argument}) == 0;
    }

    inline static const QString user = QStringLiteral("ada");
    inline static const QString password = QStringLiteral("pässwörd 1");

private:
    // A login only this server knows: a port taken by another test's server between the probe
    // for a free one and the start is not mistaken for this one.
    QString probeLogin() const { return QStringLiteral("probe:") + path("users"); }
    bool answersToProbe() const
    {
        QSslSocket connection;
        connection.setPeerVerifyMode(QSslSocket::VerifyNone);
        const bool tls = scheme_ == u"https";
        if (tls)
            connection.connectToHostEncrypted(QStringLiteral("127.0.0.1"), static_cast<quint16>(port_));
        else
            connection.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port_));
        if (!(tls ? connection.waitForEncrypted(1000) : connection.waitForConnected(100)))
            return false;
        connection.write(
            "PROPFIND / HTTP/1.1\r\nHost: 127.0.0.1\r\nDepth: 0\r\nContent-Length: 0\r\nAuthorization: Basic " +
            probeLogin().toUtf8().toBase64() + "\r\n\r\n");
        while (!connection.canReadLine() && connection.waitForReadyRead(5000)) {
        }
        return connection.readLine().contains(" 207 ");
    }

    QString path(const char* name) const { return QString::fromStdString((folder_ / name).string()); }

    Kind kind_;
    testsupport::ScratchFolder folder_;
    QProcess process_;
    int port_ = 0;
    QString scheme_ = QStringLiteral("http");
};
