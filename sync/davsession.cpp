#include "sync/davsession.h"

#include "sync/davaddress.h"

#include <QLoggingCategory>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

// Requests by method and address only: never a header, so never a password.
Q_LOGGING_CATEGORY(davRequests, "taskwyn.sync.requests", QtWarningMsg)

DavSession::DavSession(DavAccount account, QObject* parent)
    : QObject(parent), network_(new QNetworkAccessManager(this)), account_(std::move(account))
{
    // Redirects are checked by the jobs themselves, and a cookie could outlive a changed password.
    network_->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    network_->setCookieJar(nullptr);
}

QNetworkReply* DavSession::send(const QByteArray& verb, const QUrl& url, const HttpHeaders& headers,
                                const QByteArray& body)
{
    QNetworkRequest request(url);
    request.setTransferTimeout(static_cast<int>(transferTimeout_.count()));
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArrayLiteral("Taskwyn"));
    for (const auto& [name, value] : headers)
        request.setRawHeader(name, value);
    if (isSameOrigin(url, account_.server) && isAcceptedServerAddress(url)) {
        const QByteArray credentials = (account_.user + QLatin1Char(':') + account_.password).toUtf8();
        request.setRawHeader(QByteArrayLiteral("Authorization"), "Basic " + credentials.toBase64());
    }
    ++requestsSent_;
    qCDebug(davRequests) << verb << url.toDisplayString();
    return network_->sendCustomRequest(request, verb, body);
}
