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

// A server's text (an ETag, a sync token) may go into a request only without control characters.
[[nodiscard]] bool isHeaderToken(QByteArrayView value);

// How much one session may ask of a server; tests make them short.
struct DavLimits
{
    // A request that receives nothing for this long fails, so that a server that hangs cannot stall a sync.
    std::chrono::milliseconds transferTimeout{30000};
    // A request that is still receiving after this long fails, so that a server sending a byte now
    // and then cannot keep it going.
    std::chrono::milliseconds answerDeadline{std::chrono::minutes(5)};
    // A whole sync, however many requests it takes.
    std::chrono::milliseconds syncDeadline{std::chrono::minutes(15)};
    // Room for a first sync that sends a full task table, with every answer in parts.
    int maxRequests = 100000;
};

// One connection to one CalDAV server: sends the jobs' requests and counts them. Every request goes
// to the origin of the configured address only, so that no href or redirect can carry the password
// or the user's tasks away, and plain http only to this machine.
class DavSession : public QObject
{
    Q_OBJECT

public:
    explicit DavSession(DavAccount account, QObject* parent = nullptr);

    const DavAccount& account() const { return account_; }

    const DavLimits& limits() const { return limits_; }
    void setLimits(const DavLimits& limits) { limits_ = limits; }
    void setTransferTimeout(std::chrono::milliseconds timeout) { limits_.transferTimeout = timeout; }

    // The account's own origin, and plain http only on this machine.
    [[nodiscard]] bool isOnOrigin(const QUrl& url) const;

    enum class Refusal {
        None,
        Address,         // another origin than the account's, or plain http to another machine
        HeaderValue,     // a control character, which would end the header line: a server's text, surely
        TooManyRequests, // limits().maxRequests were sent already
    };
    [[nodiscard]] Refusal refusalOf(const QUrl& url, const HttpHeaders& headers) const;
    // Nothing when refusalOf() refuses the request.
    [[nodiscard]] QNetworkReply* send(const QByteArray& verb, const QUrl& url, const HttpHeaders& headers,
                                      const QByteArray& body);
    int requestsSent() const { return requestsSent_; }

private:
    QNetworkAccessManager* network_;
    DavAccount account_;
    DavLimits limits_;
    int requestsSent_ = 0;
};
