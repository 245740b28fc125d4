#include "sync/davjob.h"

#include "sync/davaddress.h"

#include <QFutureWatcher>
#include <QNetworkReply>
#include <QSslError>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

using namespace Qt::StringLiterals;

namespace {

constexpr int maxRedirects = 5;
// A server that asks for a day's rest is more likely broken than busy.
constexpr std::chrono::seconds maxRetryAfter = std::chrono::hours(1);
// Far above any real task list, low enough that a broken server cannot eat the memory.
constexpr qint64 maxAnswerBytes = qint64{256} * 1024 * 1024;

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

QString statusLine(QNetworkReply* reply, int status)
{
    return u"HTTP %1 %2"_s.arg(status).arg(reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString());
}

// A connection lost after the status line leaves a body cut short, which is no answer at all.
bool isNetworkError(QNetworkReply::NetworkError error)
{
    return error > QNetworkReply::NoError && error < QNetworkReply::ProxyConnectionRefusedError;
}

// Qt does not always tell a connection closed before the announced length arrived. A compressed
// body is announced in its compressed length, so only a plain one can be compared.
bool isCutShort(QNetworkReply* reply, const QByteArray& body)
{
    const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
    return length.isValid() && !reply->hasRawHeader(QByteArrayLiteral("Content-Encoding")) &&
           body.size() < length.toLongLong();
}

} // namespace

DavJob::DavJob(DavSession* session, QObject* parent) : QObject(parent), session_(session) {}

void DavJob::start()
{
    // finished() never comes before start() has returned, whatever happens.
    QTimer::singleShot(0, this, [this] {
        if (finished_)
            return;
        if (!session_)
            return finishWith(Outcome::NetworkFailure, u"the connection was closed"_s);
        run();
    });
}

void DavJob::cancel()
{
    finishWith(Outcome::Cancelled, {});
    for (QNetworkReply* reply : findChildren<QNetworkReply*>())
        reply->abort();
}

void DavJob::send(const Request& request, AnswerHandler onAnswer)
{
    sendHop(request, std::move(onAnswer), maxRedirects);
}

void DavJob::sendHop(const Request& request, AnswerHandler onAnswer, int redirectsLeft)
{
    if (finished_)
        return;
    if (!session_)
        return finishWith(Outcome::NetworkFailure, u"the connection was closed"_s);
    QNetworkReply* reply = session_->send(request.verb, request.url, request.headers, request.body);
    if (!reply)
        return refuse(session_->refusalOf(request.url, request.headers), request.url);
    reply->setParent(this); // a job deleted mid-request aborts its request
    QTimer::singleShot(session_->limits().answerDeadline, reply, [this, reply] {
        overdue_ = true;
        reply->abort();
    });
    auto sslErrors = std::make_shared<QStringList>();
    connect(reply, &QNetworkReply::sslErrors, this, [sslErrors](const QList<QSslError>& errors) {
        for (const QSslError& error : errors)
            sslErrors->append(error.errorString());
    });
    connect(reply, &QNetworkReply::downloadProgress, this, [this, reply](qint64 received, qint64) {
        if (received > maxAnswerBytes) {
            overlong_ = true;
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::finished, this, [=, this] {
        reply->deleteLater();
        if (reply->error() == QNetworkReply::SslHandshakeFailedError)
            return finishWith(Outcome::TlsFailure,
                              sslErrors->isEmpty() ? reply->errorString() : sslErrors->join(u"; "_s));
        receive(reply, request, onAnswer, redirectsLeft);
    });
}

void DavJob::refuse(DavSession::Refusal refusal, const QUrl& url)
{
    switch (refusal) {
    case DavSession::Refusal::Address:
        return finishWith(Outcome::RefusedAddress, url.toDisplayString());
    case DavSession::Refusal::HeaderValue:
        return finishWith(Outcome::BadAnswer, u"a server's text with control characters"_s);
    case DavSession::Refusal::TooManyRequests:
        return finishWith(Outcome::ServerFailure,
                          u"more than %1 requests in one sync"_s.arg(session_->limits().maxRequests));
    case DavSession::Refusal::None:
        break;
    }
    finishWith(Outcome::NetworkFailure, url.toDisplayString());
}

void DavJob::receive(QNetworkReply* reply, const Request& request, AnswerHandler onAnswer, int redirectsLeft)
{
    if (overlong_)
        return finishWith(Outcome::BadAnswer, u"the answer is larger than %1 MiB"_s.arg(maxAnswerBytes >> 20));
    if (overdue_)
        return finishWith(Outcome::NetworkFailure,
                          u"no full answer within %1 s"_s.arg(session_->limits().answerDeadline.count() / 1000.0));
    const QVariant statusAttribute = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!statusAttribute.isValid() || isNetworkError(reply->error()))
        return finishWith(Outcome::NetworkFailure, reply->errorString());
    const int status = statusAttribute.toInt();
    if (status == 401)
        return finishWith(Outcome::PasswordRefused, statusLine(reply, status));
    if (isRedirect(status)) {
        // Qt's parsed header drops relative addresses, which servers send.
        const QUrl target = request.url.resolved(QUrl::fromEncoded(reply->rawHeader(QByteArrayLiteral("Location"))));
        if (redirectsLeft == 0 || !isAcceptedRedirect(request.url, target))
            return finishWith(Outcome::RefusedRedirect, target.toDisplayString());
        Request next = request;
        next.url = target;
        return sendHop(next, std::move(onAnswer), redirectsLeft - 1);
    }
    detail_ = statusLine(reply, status);
    if (status == 429 || status == 503) {
        // Only the seconds form; a date would need this machine's clock to agree with the server's.
        const auto asked = std::chrono::seconds(reply->rawHeader(QByteArrayLiteral("Retry-After")).trimmed().toUInt());
        retryAfter_ = std::min(asked, maxRetryAfter);
        return finishWith(Outcome::ServerBusy, detail_);
    }
    Answer answer{status, request.url, reply->readAll(), reply->rawHeader(QByteArrayLiteral("ETag")), {}};
    if (isCutShort(reply, answer.body))
        return finishWith(Outcome::NetworkFailure, u"the answer was cut short"_s);
    if (status != 207)
        return onAnswer(answer);
    answerAfterReading(std::move(answer), std::move(onAnswer));
}

void DavJob::answerAfterReading(Answer answer, AnswerHandler onAnswer)
{
    // A whole task list's answer takes longer to read than a frame lasts.
    const QByteArray body = answer.body;
    auto* reading = new QFutureWatcher<Multistatus>(this);
    connect(reading, &QFutureWatcherBase::finished, this,
            [this, reading, answer = std::move(answer), onAnswer = std::move(onAnswer)]() mutable {
                reading->deleteLater();
                if (finished_)
                    return;
                answer.multistatus = reading->result();
                onAnswer(answer);
            });
    reading->setFuture(QtConcurrent::run(parseMultistatus, body));
}

bool DavJob::expectStatus(const Answer& answer, std::initializer_list<int> accepted)
{
    if (std::find(accepted.begin(), accepted.end(), answer.status) != accepted.end())
        return true;
    if (answer.status == 412)
        finishWith(Outcome::PreconditionFailed, detail_);
    else if (answer.status == 404 || answer.status == 410)
        finishWith(Outcome::NotFound, detail_);
    else
        finishWith(Outcome::ServerFailure, detail_);
    return false;
}

std::optional<Multistatus> DavJob::expectMultistatus(const Answer& answer)
{
    if (!expectStatus(answer, {207}))
        return std::nullopt;
    if (!answer.multistatus.errorString.isEmpty()) {
        finishWith(Outcome::BadAnswer, answer.multistatus.errorString);
        return std::nullopt;
    }
    return answer.multistatus;
}

std::optional<QUrl> DavJob::hrefOnOrigin(const QUrl& base, const QString& href)
{
    const QUrl url = base.resolved(QUrl(href));
    if (session_ && session_->isOnOrigin(url))
        return url;
    ++ignored_;
    return std::nullopt;
}

bool DavJob::keepInside(const QUrl& url, const QUrl& folder)
{
    if (isInside(url, folder))
        return true;
    ++ignored_;
    return false;
}

bool DavJob::expectToken(const QString& value)
{
    if (isHeaderToken(value.toUtf8()))
        return true;
    finishWith(Outcome::BadAnswer, u"an ETag or sync token with control characters"_s);
    return false;
}

void DavJob::succeed()
{
    finishWith(Outcome::Succeeded, detail_);
}

void DavJob::finishWith(Outcome outcome, const QString& detail)
{
    if (finished_)
        return;
    finished_ = true;
    outcome_ = outcome;
    detail_ = detail;
    emit finished();
}

HttpHeaders xmlBodyHeaders(const QByteArray& depth)
{
    return {{QByteArrayLiteral("Content-Type"), QByteArrayLiteral("application/xml; charset=utf-8")},
            {QByteArrayLiteral("Depth"), depth}};
}
