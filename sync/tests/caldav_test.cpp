#include "sync/davaddress.h"
#include "sync/davjobs.h"
#include "sync/tests/davtesting.h"
#include "sync/tests/radicaleserver.h"

#include <QTcpServer>
#include <QTimer>

namespace {

using namespace Qt::StringLiterals;
using Outcome = DavJob::Outcome;

QString text(const std::string& value)
{
    return QString::fromStdString(value);
}

QByteArray vtodo(const QString& uid, const QString& summary)
{
    return QStringLiteral("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\nBEGIN:VTODO\r\nUID:%1\r\n"
                          "DTSTAMP:20260101T000000Z\r\nSUMMARY:%2\r\nEND:VTODO\r\nEND:VCALENDAR\r\n")
        .arg(uid, summary)
        .toUtf8();
}

// Another CalDAV client, which writes without preconditions.
void runOtherClient(const RadicaleServer& server, const QString& script, const QStringList& arguments)
{
    QProcess python;
    python.setProcessChannelMode(QProcess::ForwardedChannels);
    python.start(QStringLiteral(TASKWYN_SYSTEM_PYTHON),
                 QStringList{u"-c"_s,
                             u"import caldav, sys\nclient = caldav.DAVClient(sys.argv[1], username=sys.argv[2], "
                             "password=sys.argv[3])\n"_s +
                                 script,
                             server.root().toString(), text(RadicaleServer::user), text(RadicaleServer::password)} +
                     arguments);
    ASSERT_TRUE(python.waitForFinished(60000));
    ASSERT_EQ(python.exitCode(), 0);
}

QSet<QString> hrefsOf(const QList<ItemVersion>& items)
{
    QSet<QString> hrefs;
    for (const ItemVersion& item : items)
        hrefs.insert(item.href.path());
    return hrefs;
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
    QByteArray put(const QUrl& href, const QByteArray& data, const QByteArray& etag = {})
    {
        const auto job = ranJob<PutJob>(&session, href, data, etag);
        EXPECT_EQ(job->outcome(), Outcome::Succeeded) << job->detail().toStdString();
        return job->etag();
    }

    static inline RadicaleServer* server = nullptr;
    DavSession session{DavAccount{server->root(), text(RadicaleServer::user), text(RadicaleServer::password)}};
};

TEST_F(CalDav, DiscoveryListsOnlyTaskListsFromTheRootOrFromAListsAddress)
{
    const TaskList tasks = makeList(QStringLiteral("Taskwyn"));
    runOtherClient(
        *server, u"client.principal().make_calendar(name='Events', supported_calendar_component_set=['VEVENT'])"_s, {});

    const auto fromRoot = ranJob<DiscoveryJob>(&session);
    ASSERT_EQ(fromRoot->outcome(), Outcome::Succeeded) << fromRoot->detail().toStdString();
    EXPECT_EQ(fromRoot->calendarHome(), server->home());
    ASSERT_EQ(fromRoot->taskLists().size(), 1);
    EXPECT_EQ(fromRoot->taskLists().first().url, tasks.url);
    EXPECT_EQ(fromRoot->taskLists().first().displayName, QStringLiteral("Taskwyn"));
    EXPECT_TRUE(fromRoot->taskLists().first().offersSyncCollection);
    EXPECT_FALSE(fromRoot->taskLists().first().ctag.isEmpty());

    DavSession direct(DavAccount{tasks.url, session.account().user, session.account().password});
    const auto fromList = ranJob<DiscoveryJob>(&direct);
    ASSERT_EQ(fromList->outcome(), Outcome::Succeeded);
    ASSERT_EQ(fromList->taskLists().size(), 1);
    EXPECT_EQ(fromList->taskLists().first().url, tasks.url);
}

TEST_F(CalDav, WritesAndDeletesOnlyTheVersionItKnows)
{
    const QUrl href = newItemUrl(makeList(QStringLiteral("Preconditions")).url, QStringLiteral("a-1@example"));
    const QByteArray first = put(href, vtodo(QStringLiteral("a-1@example"), QStringLiteral("first")));
    ASSERT_FALSE(first.isEmpty());
    EXPECT_EQ(
        ranJob<PutJob>(&session, href, vtodo(QStringLiteral("a-1@example"), QStringLiteral("again")), QByteArray())
            ->outcome(),
        Outcome::PreconditionFailed);
    const QByteArray second = put(href, vtodo(QStringLiteral("a-1@example"), QStringLiteral("second")), first);
    EXPECT_NE(second, first);
    EXPECT_EQ(
        ranJob<PutJob>(&session, href, vtodo(QStringLiteral("a-1@example"), QStringLiteral("stale")), first)->outcome(),
        Outcome::PreconditionFailed);
    EXPECT_EQ(ranJob<DeleteJob>(&session, href, first)->outcome(), Outcome::PreconditionFailed);
    EXPECT_EQ(ranJob<DeleteJob>(&session, href, second)->outcome(), Outcome::Succeeded);
    EXPECT_EQ(ranJob<DeleteJob>(&session, href, second)->outcome(), Outcome::NotFound);
}

TEST_F(CalDav, FindsChangesSinceATokenOrByListingAndFetchesThem)
{
    TaskList list = makeList(QStringLiteral("Changes"));
    QHash<QString, QUrl> href;
    QHash<QString, QByteArray> etag;
    for (const QString& uid : {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}) {
        href[uid] = newItemUrl(list.url, uid);
        etag[uid] = put(href[uid], vtodo(uid, uid));
    }
    const auto initial = ranJob<ChangesJob>(&session, list, QString());
    EXPECT_TRUE(initial->changes().complete);
    EXPECT_EQ(initial->changes().changed.size(), 3);

    put(href[u"a"_s], vtodo(QStringLiteral("a"), QStringLiteral("edited")), etag[u"a"_s]);
    EXPECT_EQ(ranJob<DeleteJob>(&session, href[u"c"_s], etag[u"c"_s])->outcome(), Outcome::Succeeded);
    runOtherClient(
        *server,
        u"client.calendar(url=sys.argv[4]).save_todo(ical='BEGIN:VCALENDAR\\r\\nVERSION:2.0\\r\\nPRODID:-//"
        "other//EN\\r\\nBEGIN:VTODO\\r\\nUID:d\\r\\nDTSTAMP:20260101T000000Z\\r\\nSUMMARY:from elsewhere\\r\\n"
        "RRULE:FREQ=WEEKLY\\r\\nPRIORITY:1\\r\\nCATEGORIES:home,garden\\r\\nX-OTHER-APP:kept\\r\\n"
        "BEGIN:VALARM\\r\\nACTION:DISPLAY\\r\\nTRIGGER:-PT15M\\r\\nDESCRIPTION:x\\r\\nEND:VALARM\\r\\n"
        "END:VTODO\\r\\nEND:VCALENDAR\\r\\n')"_s,
        {list.url.toString()});

    const auto delta = ranJob<ChangesJob>(&session, list, initial->changes().syncToken);
    ASSERT_EQ(delta->outcome(), Outcome::Succeeded) << delta->detail().toStdString();
    EXPECT_FALSE(delta->changes().complete);
    ASSERT_EQ(delta->changes().changed.size(), 2);
    const QUrl otherClients = newItemUrl(list.url, u"d"_s);
    EXPECT_EQ(hrefsOf(delta->changes().changed), (QSet<QString>{href[u"a"_s].path(), otherClients.path()}));
    ASSERT_EQ(delta->changes().removed.size(), 1);
    EXPECT_EQ(delta->changes().removed.first().path(), href[u"c"_s].path());
    EXPECT_NE(delta->changes().syncToken, initial->changes().syncToken);

    const auto expired = ranJob<ChangesJob>(&session, list, QStringLiteral("http://radicale.org/ns/sync/0"));
    list.offersSyncCollection = false;
    const auto listing = ranJob<ChangesJob>(&session, list, delta->changes().syncToken);
    for (const auto* full : {expired.get(), listing.get()}) {
        EXPECT_EQ(full->outcome(), Outcome::Succeeded);
        EXPECT_TRUE(full->changes().complete);
        EXPECT_EQ(hrefsOf(full->changes().changed),
                  (QSet<QString>{href[u"a"_s].path(), href[u"b"_s].path(), otherClients.path()}));
    }

    const auto fetched = ranJob<MultigetJob>(&session, list.url, QList<QUrl>{href[u"a"_s], otherClients, href[u"c"_s]});
    ASSERT_EQ(fetched->outcome(), Outcome::Succeeded);
    ASSERT_EQ(fetched->items().size(), 2);
    ASSERT_EQ(fetched->missing(), QList<QUrl>{href[u"c"_s]});
    for (const FetchedItem& item : fetched->items()) {
        EXPECT_FALSE(item.etag.isEmpty());
        const bool fromOtherClient = item.href.path() == otherClients.path();
        for (const char* kept : {"RRULE:FREQ=WEEKLY", "BEGIN:VALARM", "CATEGORIES:home,garden", "X-OTHER-APP:kept"})
            EXPECT_EQ(item.calendarData.contains(kept), fromOtherClient) << kept;
    }
}

TEST_F(CalDav, AWrongPasswordIsRefusedAsSuch)
{
    DavSession wrong(DavAccount{server->root(), text(RadicaleServer::user), QStringLiteral("wrong")});
    EXPECT_EQ(ranJob<DiscoveryJob>(&wrong)->outcome(), Outcome::PasswordRefused);
}

TEST(CalDavServer, AStoppedHungOrUnverifiedServerFailsInsteadOfHanging)
{
    RadicaleServer hanging;
    DavSession session(DavAccount{hanging.root(), text(RadicaleServer::user), text(RadicaleServer::password)});
    session.setTransferTimeout(std::chrono::milliseconds(500));
    hanging.pause();
    EXPECT_EQ(ranJob<DiscoveryJob>(&session)->outcome(), Outcome::NetworkFailure);

    session.setTransferTimeout(std::chrono::seconds(30));
    DiscoveryJob stopped(&session);
    QTimer::singleShot(300, [&hanging] { hanging.stop(); });
    EXPECT_EQ(runJob(stopped), Outcome::NetworkFailure);

    RadicaleServer selfSigned(RadicaleServer::Transport::SelfSignedHttps);
    DavSession tls(DavAccount{selfSigned.root(), text(RadicaleServer::user), text(RadicaleServer::password)});
    EXPECT_EQ(ranJob<DiscoveryJob>(&tls)->outcome(), Outcome::TlsFailure);
}

// A loopback server that answers every request with one canned answer and keeps what it was sent.
class CannedServer
{
public:
    explicit CannedServer(QByteArray answer) : answer_(std::move(answer))
    {
        server_.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            QTcpSocket* peer = server_.nextPendingConnection();
            QObject::connect(peer, &QTcpSocket::readyRead, [this, peer] {
                received += peer->readAll();
                if (received.contains("\r\n\r\n"))
                    peer->write(answer_), peer->disconnectFromHost();
            });
        });
    }
    QUrl url(const char* path) const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(QLatin1StringView(path)));
    }
    QByteArray received;

private:
    QTcpServer server_;
    QByteArray answer_;
};

TEST(CalDavServer, CredentialsAndRedirectsStayWithTheConfiguredOrigin)
{
    struct Row
    {
        const char* answer;
        bool sameOrigin;
        Outcome outcome;
    };
    const Row rows[] = {
        {"HTTP/1.1 204 No Content\r\nContent-Length: 0\r\n\r\n", true, Outcome::Succeeded},
        {"HTTP/1.1 204 No Content\r\nContent-Length: 0\r\n\r\n", false, Outcome::Succeeded},
        {"HTTP/1.1 301 Moved\r\nLocation: https://elsewhere.example/x\r\nContent-Length: 0\r\n\r\n", true,
         Outcome::RefusedRedirect},
        {"HTTP/1.1 301 Moved\r\nLocation: http://127.0.0.2/x\r\nContent-Length: 0\r\n\r\n", true,
         Outcome::RefusedRedirect},
        {"HTTP/1.1 500 Broken\r\nContent-Length: 0\r\n\r\n", true, Outcome::ServerFailure},
        {"", true, Outcome::NetworkFailure},
    };
    for (const Row& row : rows) {
        CannedServer canned(row.answer);
        const QUrl origin = row.sameOrigin ? canned.url("/") : QUrl(QStringLiteral("http://127.0.0.1:1/"));
        DavSession session(DavAccount{origin, QStringLiteral("ada"), QStringLiteral("pw")});
        EXPECT_EQ(ranJob<PutJob>(&session, canned.url("/x.ics"), "data", QByteArray())->outcome(), row.outcome)
            << row.answer;
        EXPECT_EQ(canned.received.contains("Authorization: Basic"), row.sameOrigin) << row.answer;
        EXPECT_TRUE(canned.received.contains("If-None-Match: *"));
        EXPECT_EQ(session.requestsSent(), 1);
    }
}

TEST(CalDavAddresses, PlainHttpOnlyToThisMachineAndRedirectsOnlyToHttpsOnTheSameHost)
{
    for (const char* accepted :
         {"https://dav.example.org/", "http://localhost:5232/", "http://127.0.0.1:5232/x/", "http://[::1]:5232/"})
        EXPECT_TRUE(isAcceptedServerAddress(QUrl(QString::fromLatin1(accepted)))) << accepted;
    for (const char* refused : {"http://dav.example.org/", "http://192.168.1.2/", "ftp://dav.example.org/",
                                "https://ada:pw@dav.example.org/", "dav.example.org"})
        EXPECT_FALSE(isAcceptedServerAddress(QUrl(QString::fromLatin1(refused)))) << refused;

    const std::tuple<const char*, const char*, bool> redirects[] = {
        {"https://a.example/x", "https://a.example:8443/y", true},
        {"https://a.example/x", "https://b.example/y", false},
        {"https://a.example/x", "http://a.example/y", false},
        {"http://127.0.0.1:5232/.well-known/caldav", "http://127.0.0.1:5232/", true},
        {"http://127.0.0.1:5232/", "http://127.0.0.1:5233/", false},
        {"http://localhost:5232/", "https://localhost/", true},
    };
    for (const auto& [from, to, accepted] : redirects)
        EXPECT_EQ(isAcceptedRedirect(QUrl(QString::fromLatin1(from)), QUrl(QString::fromLatin1(to))), accepted) << to;

    DavSession remote(DavAccount{QUrl(QStringLiteral("http://dav.example.org/")), QStringLiteral("ada"), {}});
    EXPECT_EQ(ranJob<DiscoveryJob>(&remote)->outcome(), Outcome::RefusedAddress);
    EXPECT_EQ(remote.requestsSent(), 0);
}

} // namespace
