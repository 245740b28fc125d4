#pragma once

#include "sync/davsession.h"
#include "sync/davxml.h"

#include <QObject>
#include <QPointer>

#include <chrono>
#include <functional>
#include <optional>

class QNetworkReply;

// One asynchronous conversation with the server: start() returns at once and finished() follows
// exactly once, with the outcome as a fact for the caller to word.
class DavJob : public QObject
{
    Q_OBJECT

public:
    enum class Outcome {
        Succeeded,
        NetworkFailure,     // no answer: offline, refused, reset, timed out
        TlsFailure,         // the server's certificate did not verify
        RefusedAddress,     // http:// to another machine, or not a web address
        RefusedRedirect,    // the server sent us elsewhere than https on the same host
        PasswordRefused,    // 401
        PreconditionFailed, // 412: the item changed on the server since its ETag was known
        NotFound,           // 404 or 410
        ServerBusy,         // 429 or 503: come back later, after retryAfter() where the server says
        ServerFailure,      // any other refusal
        BadAnswer,          // an answer the program cannot read
        NoTaskService,      // the address offers no calendars
        Cancelled,          // cancel() was called
    };
    Q_ENUM(Outcome)

    void start();
    // Ends the job at once, its request aborted, as when the user stops syncing or quits.
    void cancel();
    Outcome outcome() const { return outcome_; }
    // Technical detail for the log and the details view: the HTTP status line or the network error.
    QString detail() const { return detail_; }
    // How long a busy server asked to be left alone, up to an hour; zero when it did not say.
    std::chrono::seconds retryAfter() const { return retryAfter_; }
    // Addresses from the server's answers that were not followed or taken in, as outside the
    // account's origin or the task list, and items too large to read.
    int ignored() const { return ignored_; }

signals:
    void finished();

protected:
    explicit DavJob(DavSession* session, QObject* parent);

    struct Request
    {
        QByteArray verb;
        QUrl url;
        HttpHeaders headers;
        QByteArray body;
    };
    struct Answer
    {
        int status = 0;
        QUrl url; // where the answer came from, after redirects
        QByteArray body;
        QByteArray etag;
        Multistatus multistatus; // the body of a 207 answer, read on a worker thread; else empty
    };
    using AnswerHandler = std::function<void(const Answer&)>;

    virtual void run() = 0;
    // Handles redirects, network and TLS failures and 401 itself; every other answer goes to `onAnswer`.
    void send(const Request& request, AnswerHandler onAnswer);
    // Fails the job with the outcome for the answer's status unless it is one of `accepted`.
    [[nodiscard]] bool expectStatus(const Answer& answer, std::initializer_list<int> accepted);
    // The answer's multistatus, or nullopt when the job failed for the answer's status or form.
    [[nodiscard]] std::optional<Multistatus> expectMultistatus(const Answer& answer);
    // `href` from an answer to `base`, resolved, or nothing (and counted) when it leaves the origin.
    [[nodiscard]] std::optional<QUrl> hrefOnOrigin(const QUrl& base, const QString& href);
    // Whether `url` is a member of the collection `folder`; counted when it is not.
    [[nodiscard]] bool keepInside(const QUrl& url, const QUrl& folder);
    void countIgnored() { ++ignored_; }
    // Fails the job as a bad answer unless `value` may go into a later request's header.
    [[nodiscard]] bool expectToken(const QString& value);
    void succeed();
    // Ends the job with `outcome`; later calls change nothing.
    void finishWith(Outcome outcome, const QString& detail);
    DavSession* session() const { return session_; }

private:
    void sendHop(const Request& request, AnswerHandler onAnswer, int redirectsLeft);
    void refuse(DavSession::Refusal refusal, const QUrl& url);
    void receive(QNetworkReply* reply, const Request& request, AnswerHandler onAnswer, int redirectsLeft);
    void answerAfterReading(Answer answer, AnswerHandler onAnswer);

    QPointer<DavSession> session_;
    Outcome outcome_ = Outcome::Succeeded;
    QString detail_;
    bool finished_ = false;
    bool overlong_ = false;
    bool overdue_ = false;
    std::chrono::seconds retryAfter_{0};
    int ignored_ = 0;
};

// An XML request body; the header every DAV request with a body carries.
[[nodiscard]] HttpHeaders xmlBodyHeaders(const QByteArray& depth);
