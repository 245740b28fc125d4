#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QUrl>

#include <chrono>

class QNetworkAccessManager;
class QNetworkReply;

// The account a task file syncs with. The password lives here only while the program runs.
struct DavAccount
{
    QUrl server; // as the user gave it: a server root or a task list's own address
    QString user;
    QString password;
};

using HttpHeaders = QList<QPair<QByteArray, QByteArray>>;

// One connection to one CalDAV server: sends the jobs' requests and counts them. Credentials go
// only to the origin of the configured address, so that no href or redirect can carry them away.
class DavSession : public QObject
{
    Q_OBJECT

public:
    explicit DavSession(DavAccount account, QObject* parent = nullptr);

    const DavAccount& account() const { return account_; }

    // A request that receives nothing for this long fails, so that a server that hangs cannot stall a sync.
    void setTransferTimeout(std::chrono::milliseconds timeout) { transferTimeout_ = timeout; }

    [[nodiscard]] QNetworkReply* send(const QByteArray& verb, const QUrl& url, const HttpHeaders& headers,
                                      const QByteArray& body);
    int requestsSent() const { return requestsSent_; }

private:
    QNetworkAccessManager* network_;
    DavAccount account_;
    std::chrono::milliseconds transferTimeout_{30000};
    int requestsSent_ = 0;
};
