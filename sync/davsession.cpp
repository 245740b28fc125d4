#include "sync/davsession.h"

#include "sync/davaddress.h"

#include <QLoggingCategory>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

// Requests by method and address only: never a header, so never a password.
Q_LOGGING_CATEGORY(davRequests, "taskwyn.sync.requests", QtWarningMsg)

bool isHeaderToken(QByteArrayView value)
{
    return std::none_of(value.begin(), value.end(), [](char c) { return static_cast<uchar>(c) < 0x20 || c == 0x7f; });
}

DavSession::DavSession(DavAccount account, QObject* parent)
    : QObject(parent), network_(new QNetworkAccessManager(this)), account_(std::move(account))
{
    // Redirects are checked by the jobs themselves, and a cookie could outlive a changed password.
    network_->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    network_->setCookieJar(nullptr);
}

bool DavSession::isOnOrigin(const QUrl& url) const
{
    return isAcceptedServerAddress(url) && isSameOrigin(url, account_.server);
}

DavSession::Refusal DavSession::refusalOf(const QUrl& url, const HttpHeaders& headers) const
{
    if (!isOnOrigin(url))
        return Refusal::Address;
    const auto unsafe = [](const auto& header) { return !isHeaderToken(header.second); };
    if (std::any_of(headers.begin(), headers.end(), unsafe))
        return Refusal::HeaderValue;
    return requestsSent_ >= limits_.maxRequests ? Refusal::TooManyRequests : Refusal::None;
}

QNetworkReply* DavSession::send(const QByteArray& verb, const QUrl& url, const HttpHeaders& headers,
                                const QByteArray& body)
{
    if (refusalOf(url, headers) != Refusal::None)
        return nullptr;
    QNetworkRequest request(url);
    request.setTransferTimeout(static_cast<int>(limits_.transferTimeout.count()));
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArrayLiteral("Taskwyn"));
    for (const auto& [name, value] : headers)
        request.setRawHeader(name, value);
    const QByteArray credentials = (account_.user + QLatin1Char(':') + account_.password).toUtf8();
    request.setRawHeader(QByteArrayLiteral("Authorization"), "Basic " + credentials.toBase64());
    ++requestsSent_;
    qCDebug(davRequests) << verb << url.toDisplayString();
    return network_->sendCustomRequest(request, verb, body);
}
