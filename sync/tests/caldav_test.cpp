#include "sync/davaddress.h"
#include "sync/davjobs.h"
#include "sync/tests/jobtesting.h"
#include "sync/tests/radicaleserver.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;
using Outcome = DavJob::Outcome;

QString vtodo(const QString& uid, const QString& summary, const QString& more = {})
{
    return u"BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\nBEGIN:VTODO\r\nUID:%1\r\n"
           "DTSTAMP:20260101T000000Z\r\nSUMMARY:%2\r\n%3END:VTODO\r\nEND:VCALENDAR\r\n"_s.arg(uid, summary, more);
}

DavAccount accountAt(const QUrl& url, const QString& password = RadicaleServer::password)
{
    return DavAccount{url, RadicaleServer::user, password};
}

QSet<QString> pathsOf(const QList<ItemVersion>& items)
{
    QSet<QString> paths;
    for (const ItemVersion& item : items)
        paths.insert(item.href.path());
    return paths;
}

class CalDav : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { server = new RadicaleServer; }
    static void TearDownTestSuite() { delete server; }

    TaskList makeList(const QString& name)
    {
        const auto job = ranJob<MakeTaskListJob>(&session, server->home(), name);
        EXPECT_EQ(job->outcome(), Outcome::Succeeded) << job->detail().toStdString();
        return job->created();
    }
    std::pair<Outcome, QByteArray> put(const QUrl& href, const QString& summary, const QByteArray& etag = {})
    {
        const auto job = ranJob<PutJob>(&session, href, vtodo(href.fileName().chopped(4), summary).toUtf8(), etag);
        return {job->outcome(), job->etag()};
    }

    static inline RadicaleServer* server = nullptr;
    DavSession session{accountAt(server->root())};
};

TEST_F(CalDav, DiscoveryListsOnlyTaskListsFromTheRootOrFromAListsAddress)
{
    const TaskList tasks = makeList(u"Taskwyn"_s);
    ASSERT_TRUE(server->runOtherClient(
        u"client.principal().make_calendar(name='Events', supported_calendar_component_set=['VEVENT'])"_s));

    const auto fromRoot = ranJob<DiscoveryJob>(&session);
    ASSERT_EQ(fromRoot->outcome(), Outcome::Succeeded) << fromRoot->detail().toStdString();
    EXPECT_EQ(fromRoot->calendarHome(), server->home());
    ASSERT_EQ(fromRoot->taskLists().size(), 1);
    const TaskList& found = fromRoot->taskLists().first();
    EXPECT_EQ(std::tuple(found.url, found.displayName, found.offersSyncCollection),
              std::tuple(tasks.url, u"Taskwyn"_s, true));

    DavSession direct(accountAt(tasks.url));
    const auto fromList = ranJob<DiscoveryJob>(&direct);
    ASSERT_EQ(fromList->taskLists().size(), 1);
    EXPECT_EQ(fromList->taskLists().first().url, tasks.url);

    DavSession wrong(accountAt(server->root(), u"wrong"_s));
    EXPECT_EQ(ranJob<DiscoveryJob>(&wrong)->outcome(), Outcome::PasswordRefused);
}

TEST_F(CalDav, WritesAndDeletesOnlyTheVersionItKnows)
{
    const QUrl href = newItemUrl(makeList(u"Preconditions"_s).url, u"a-1@example"_s);
    const auto [created, first] = put(href, u"first"_s);
    ASSERT_EQ(created, Outcome::Succeeded);
    EXPECT_EQ(put(href, u"again"_s).first, Outcome::PreconditionFailed);
    const auto [changed, second] = put(href, u"second"_s, first);
    ASSERT_EQ(changed, Outcome::Succeeded);
    EXPECT_NE(second, first);
    EXPECT_EQ(put(href, u"stale"_s, first).first, Outcome::PreconditionFailed);
    EXPECT_EQ(ranJob<DeleteJob>(&session, href, first)->outcome(), Outcome::PreconditionFailed);
    EXPECT_EQ(ranJob<DeleteJob>(&session, href, second)->outcome(), Outcome::Succeeded);
    EXPECT_EQ(ranJob<DeleteJob>(&session, href, second)->outcome(), Outcome::NotFound);
}

TEST_F(CalDav, FindsChangesSinceATokenOrByListingAndFetchesThem)
{
    TaskList list = makeList(u"Changes"_s);
    const QUrl a = newItemUrl(list.url, u"a"_s), b = newItemUrl(list.url, u"b"_s), c = newItemUrl(list.url, u"c"_s);
    const QUrl fromOtherClient = newItemUrl(list.url, u"d"_s);
    const QByteArray etagOfA = put(a, u"a"_s).second, etagOfC = (put(b, u"b"_s), put(c, u"c"_s).second);
    const auto initial = ranJob<ChangesJob>(&session, list, QString());
    EXPECT_TRUE(initial->changes().complete);
    EXPECT_EQ(pathsOf(initial->changes().changed), (QSet<QString>{a.path(), b.path(), c.path()}));

    put(a, u"edited"_s, etagOfA);
    EXPECT_EQ(ranJob<DeleteJob>(&session, c, etagOfC)->outcome(), Outcome::Succeeded);
    ASSERT_TRUE(server->runOtherClient(
        u"client.calendar(url='%1').save_todo(ical=sys.argv[4])"_s.arg(list.url.toString()),
        vtodo(u"d"_s, u"x"_s,
              u"RRULE:FREQ=WEEKLY\r\nPRIORITY:1\r\nCATEGORIES:home,garden\r\nX-OTHER-APP:kept\r\nBEGIN:VALARM\r\n"
              "ACTION:DISPLAY\r\nTRIGGER:-PT15M\r\nDESCRIPTION:x\r\nEND:VALARM\r\n"_s)));

    const auto delta = ranJob<ChangesJob>(&session, list, initial->changes().syncToken);
    EXPECT_FALSE(delta->changes().complete);
    EXPECT_EQ(pathsOf(delta->changes().changed), (QSet<QString>{a.path(), fromOtherClient.path()}));
    EXPECT_EQ(delta->changes().removed, QList<QUrl>{c});
    EXPECT_NE(delta->changes().syncToken, initial->changes().syncToken);

    // An expired token, or a server without tokens: every item is listed.
    const auto expired = ranJob<ChangesJob>(&session, list, u"http://radicale.org/ns/sync/0"_s);
    list.offersSyncCollection = false;
    const auto listing = ranJob<ChangesJob>(&session, list, delta->changes().syncToken);
    for (const auto* full : {expired.get(), listing.get()}) {
        EXPECT_TRUE(full->changes().complete);
        EXPECT_EQ(pathsOf(full->changes().changed), (QSet<QString>{a.path(), b.path(), fromOtherClient.path()}));
    }
    const int requestsBefore = session.requestsSent();
    const auto unchanged = ranJob<ChangesJob>(&session, list, listing->changes().syncToken);
    EXPECT_FALSE(unchanged->changes().complete);
    EXPECT_TRUE(unchanged->changes().changed.isEmpty());
    EXPECT_EQ(session.requestsSent(), requestsBefore + 1);

    const auto fetched = ranJob<MultigetJob>(&session, list.url, QList<QUrl>{a, fromOtherClient, c});
    ASSERT_EQ(fetched->items().size(), 2);
    EXPECT_EQ(fetched->missing(), QList<QUrl>{c});
    for (const FetchedItem& item : fetched->items()) {
        EXPECT_FALSE(item.etag.isEmpty());
        for (const char* kept : {"RRULE:FREQ=WEEKLY", "BEGIN:VALARM", "CATEGORIES:home,garden", "X-OTHER-APP:kept"})
            EXPECT_EQ(item.calendarData.contains(kept), item.href.path() == fromOtherClient.path()) << kept;
    }
}

TEST(CalDavServer, AStoppedHungOrUnverifiedServerFailsInsteadOfHanging)
{
    RadicaleServer hanging;
    DavSession session(accountAt(hanging.root()));
    session.setTransferTimeout(std::chrono::milliseconds(500));
    hanging.pause();
    EXPECT_EQ(ranJob<DiscoveryJob>(&session)->outcome(), Outcome::NetworkFailure);

    session.setTransferTimeout(std::chrono::seconds(30));
    DiscoveryJob cancelled(&session), stopped(&session);
    QTimer::singleShot(300, &cancelled, &DavJob::cancel);
    EXPECT_EQ(runJob(cancelled), Outcome::Cancelled);
    QTimer::singleShot(300, [&hanging] { hanging.stop(); });
    EXPECT_EQ(runJob(stopped), Outcome::NetworkFailure);

    RadicaleServer selfSigned(RadicaleServer::Transport::SelfSignedHttps);
    DavSession tls(accountAt(selfSigned.root()));
    EXPECT_EQ(ranJob<DiscoveryJob>(&tls)->outcome(), Outcome::TlsFailure);
}

// A loopback server that answers its requests with canned answers, one after the other (the last one
// again and again), and keeps what it was sent.
class CannedServer
{
public:
    explicit CannedServer(QList<QByteArray> answers) : answers_(std::move(answers))
    {
        server_.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            QTcpSocket* peer = server_.nextPendingConnection();
            QObject::connect(peer, &QTcpSocket::readyRead, [this, peer, request = QByteArray()]() mutable {
                request += peer->readAll();
                const qsizetype headerEnd = request.indexOf("\r\n\r\n");
                const auto length = QRegularExpression(u"Content-Length: (\\d+)"_s).match(QString::fromLatin1(request));
                if (headerEnd < 0 || request.size() < headerEnd + 4 + length.captured(1).toInt())
                    return;
                received += request;
                peer->write(answers_.size() > 1 ? answers_.takeFirst() : answers_.first());
                peer->disconnectFromHost();
            });
        });
    }
    QUrl url(const QString& path) const { return QUrl(u"http://127.0.0.1:%1%2"_s.arg(server_.serverPort()).arg(path)); }
    QByteArray received;

private:
    QTcpServer server_;
    QList<QByteArray> answers_;
};

QByteArray answer(const char* status, const QByteArray& body = {}, const char* headers = "")
{
    return "HTTP/1.1 " + QByteArray(status) + "\r\n" + headers + "Content-Length: " + QByteArray::number(body.size()) +
           "\r\n\r\n" + body;
}

TEST(CalDavServer, CredentialsAndRedirectsStayWithTheConfiguredOrigin)
{
    const std::tuple<QByteArray, bool, Outcome> rows[] = {
        {answer("204 No Content"), true, Outcome::Succeeded},
        {answer("204 No Content"), false, Outcome::RefusedAddress},
        {answer("301 Moved", {}, "Location: https://elsewhere.example/x\r\n"), true, Outcome::RefusedRedirect},
        {answer("301 Moved", {}, "Location: http://127.0.0.2/x\r\n"), true, Outcome::RefusedRedirect},
        {answer("500 Broken"), true, Outcome::ServerFailure},
        {answer("503 Busy", {}, "Retry-After: 120\r\n"), true, Outcome::ServerBusy},
        {"", true, Outcome::NetworkFailure},
    };
    for (const auto& [canned, sameOrigin, outcome] : rows) {
        CannedServer server({canned});
        DavSession session(DavAccount{sameOrigin ? server.url(u"/"_s) : QUrl(u"http://127.0.0.1:1/"_s), u"ada"_s, {}});
        const auto put = ranJob<PutJob>(&session, server.url(u"/x.ics"_s), "data", QByteArray());
        EXPECT_EQ(put->outcome(), outcome) << canned.data();
        EXPECT_EQ(put->retryAfter().count(), outcome == Outcome::ServerBusy ? 120 : 0);
        EXPECT_EQ(server.received.contains("Authorization: Basic"), sameOrigin) << canned.data();
        EXPECT_EQ(server.received.contains("If-None-Match: *"), sameOrigin);
        EXPECT_EQ(session.requestsSent(), sameOrigin ? 1 : 0);
    }
}

TEST(CalDavServer, ChangesSentInPartsAreCollectedUpToTheLastPart)
{
    const auto part = [](const char* token, const QByteArray& responses) {
        return answer("207 Multi-Status", R"(<multistatus xmlns="DAV:"><sync-token>)" + QByteArray(token) +
                                              "</sync-token>" + responses + "</multistatus>");
    };
    const QByteArray truncated = "<response><href>/l/</href><status>HTTP/1.1 507 Insufficient</status></response>";
    CannedServer server({part("t1", R"(<response><href>/l/a.ics</href><propstat><prop><getetag>"1"</getetag></prop>)"
                                    "<status>HTTP/1.1 200 OK</status></propstat></response>" +
                                        truncated +
                                        "<response><href>/other/x.ics</href><status>HTTP/1.1 404 Not "
                                        "Found</status></response>"),
                         part("t2", R"(<response><href>/l/b.ics</href><propstat><prop><getetag>"2"</getetag></prop>)"
                                    "<status>HTTP/1.1 200 OK</status></propstat></response><response><href>/l/a.ics"
                                    "</href><status>HTTP/1.1 404 Not Found</status></response>"),
                         part("t2", truncated)});
    DavSession session(DavAccount{server.url(u"/"_s), u"ada"_s, {}});
    const TaskList list{server.url(u"/l/"_s), {}, {}, true};
    const auto changes = ranJob<ChangesJob>(&session, list, QString());
    EXPECT_EQ(changes->outcome(), Outcome::Succeeded);
    EXPECT_TRUE(changes->changes().complete);
    EXPECT_EQ(pathsOf(changes->changes().changed), QSet<QString>{u"/l/b.ics"_s});
    EXPECT_EQ(changes->changes().removed, QList<QUrl>{server.url(u"/l/a.ics"_s)});
    EXPECT_EQ(changes->changes().syncToken, u"t2"_s);
    // A server that keeps saying "more" without moving on is not taken at its word.
    EXPECT_EQ(ranJob<ChangesJob>(&session, list, u"t2"_s)->outcome(), Outcome::BadAnswer);
}

TEST(CalDavAddresses, PlainHttpOnlyToThisMachineAndRedirectsOnlyWithinTheOrigin)
{
    const std::tuple<const char*, const char*, bool> redirects[] = {
        {"https://a.example/x", "https://a.example:443/y", true},
        {"https://a.example/x", "https://a.example:8443/y", false},
        {"https://a.example/x", "https://b.example/y", false},
        {"https://a.example/x", "http://a.example/y", false},
        {"http://127.0.0.1:5232/.well-known/caldav", "http://127.0.0.1:5232/", true},
        {"http://127.0.0.1:5232/", "http://127.0.0.1:5233/", false},
        {"http://localhost:5232/", "https://localhost/", false},
    };
    // Plain http only to this machine; a password in the address is refused, as it would be kept in the settings.
    for (const auto& [typed, meant] : {std::pair{" dav.example.org ", "https://dav.example.org/"},
                                       {"localhost:5232/dav/#x", "https://localhost:5232/dav/"},
                                       {"http://127.0.0.1:5232", "http://127.0.0.1:5232/"},
                                       {"http://[::1]:5232/", "http://[::1]:5232/"},
                                       {"http://dav.example.org/", ""},
                                       {"http://192.168.1.2/", ""},
                                       {"https://ada:pw@dav.example.org/", ""},
                                       {"https://", ""}})
        EXPECT_EQ(serverAddressFromUserText(QString::fromLatin1(typed)), QUrl(QString::fromLatin1(meant))) << typed;

    for (const auto& [from, to, accepted] : redirects)
        EXPECT_EQ(isAcceptedRedirect(QUrl(QString::fromLatin1(from)), QUrl(QString::fromLatin1(to))), accepted) << to;

    DavSession remote(DavAccount{QUrl(QStringLiteral("http://dav.example.org/")), QStringLiteral("ada"), {}});
    EXPECT_EQ(ranJob<DiscoveryJob>(&remote)->outcome(), Outcome::RefusedAddress);
    EXPECT_EQ(remote.requestsSent(), 0);
}

} // namespace
