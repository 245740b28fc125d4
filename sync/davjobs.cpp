#include "sync/davjobs.h"

#include "sync/davxml.h"

#include <QCryptographicHash>
#include <QRegularExpression>
#include <QUuid>

using namespace Qt::StringLiterals;

namespace {

// A sync-collection answer in more parts than this is a server going round in circles.
constexpr int maxParts = 1000;
// As import: a task larger than this is no task, and libical's reading grows with its square.
constexpr qsizetype maxItemBytes = qsizetype{1} << 20;

const QByteArray propfindVerb = QByteArrayLiteral("PROPFIND");
const QByteArray reportVerb = QByteArrayLiteral("REPORT");

const QByteArray selfQuery = QByteArrayLiteral(
    R"(<?xml version="1.0" encoding="utf-8"?>)"
    R"(<d:propfind xmlns:d="DAV:" xmlns:c="urn:ietf:params:xml:ns:caldav" xmlns:cs="http://calendarserver.org/ns/">)"
    R"(<d:prop><d:resourcetype/><d:current-user-principal/><c:calendar-home-set/><d:displayname/>)"
    R"(<c:supported-calendar-component-set/><cs:getctag/><d:supported-report-set/></d:prop></d:propfind>)");

const QByteArray homeQuery = QByteArrayLiteral(R"(<?xml version="1.0" encoding="utf-8"?>)"
                                               R"(<d:propfind xmlns:d="DAV:" xmlns:c="urn:ietf:params:xml:ns:caldav">)"
                                               R"(<d:prop><c:calendar-home-set/></d:prop></d:propfind>)");

const QByteArray listQuery = QByteArrayLiteral(
    R"(<?xml version="1.0" encoding="utf-8"?>)"
    R"(<d:propfind xmlns:d="DAV:" xmlns:c="urn:ietf:params:xml:ns:caldav" xmlns:cs="http://calendarserver.org/ns/">)"
    R"(<d:prop><d:resourcetype/><d:displayname/><c:supported-calendar-component-set/><cs:getctag/>)"
    R"(<d:supported-report-set/></d:prop></d:propfind>)");

const QByteArray ctagQuery = QByteArrayLiteral(
    R"(<?xml version="1.0" encoding="utf-8"?>)"
    R"(<d:propfind xmlns:d="DAV:" xmlns:cs="http://calendarserver.org/ns/"><d:prop><cs:getctag/></d:prop></d:propfind>)");

const QByteArray etagQuery =
    QByteArrayLiteral(R"(<?xml version="1.0" encoding="utf-8"?>)"
                      R"(<d:propfind xmlns:d="DAV:"><d:prop><d:resourcetype/><d:getetag/></d:prop></d:propfind>)");

QByteArray xmlText(const QString& text)
{
    return text.toHtmlEscaped().toUtf8();
}

const DavProperty* propertyOf(const DavResponse& response, const char* ns, const char* name)
{
    const QString wanted = clarkName(ns, name);
    const auto found = std::find_if(response.properties.cbegin(), response.properties.cend(),
                                    [&wanted](const auto& property) { return property.first == wanted; });
    return found == response.properties.cend() ? nullptr : &found->second;
}

QString textOf(const DavResponse& response, const char* ns, const char* name)
{
    const DavProperty* property = propertyOf(response, ns, name);
    return property ? property->text.trimmed() : QString();
}

QString firstHref(const DavResponse& response, const char* ns, const char* name)
{
    const DavProperty* property = propertyOf(response, ns, name);
    return property && !property->hrefs.isEmpty() ? property->hrefs.first() : QString();
}

bool isCollection(const DavResponse& response)
{
    const DavProperty* type = propertyOf(response, dav::ns, "resourcetype");
    return type && type->elements.contains(clarkName(dav::ns, "collection"));
}

// A calendar without a component set accepts every component (RFC 4791 5.2.3).
bool holdsTasks(const DavResponse& response)
{
    const DavProperty* type = propertyOf(response, dav::ns, "resourcetype");
    if (!type || !type->elements.contains(clarkName(dav::caldavNs, "calendar")))
        return false;
    const DavProperty* components = propertyOf(response, dav::caldavNs, "supported-calendar-component-set");
    return !components || components->componentNames.contains("VTODO"_L1);
}

TaskList taskListFrom(const QUrl& url, const DavResponse& response)
{
    const DavProperty* reports = propertyOf(response, dav::ns, "supported-report-set");
    return TaskList{url, textOf(response, dav::ns, "displayname"), textOf(response, dav::calendarServerNs, "getctag"),
                    reports && reports->elements.contains(clarkName(dav::ns, "sync-collection"))};
}

// The same item or collection, with or without the slash a server may add.
QString resourceKey(const QUrl& url)
{
    const QString path = url.path();
    return path.endsWith(u'/') ? path.chopped(1) : path;
}

bool isSameResource(const QUrl& left, const QUrl& right)
{
    return resourceKey(left) == resourceKey(right);
}

QUrl asFolder(const QUrl& url)
{
    QUrl folder = url;
    if (!folder.path().endsWith(u'/'))
        folder.setPath(folder.path() + u'/');
    return folder;
}

QByteArray ifMatchValue(const QByteArray& etag)
{
    return etag.startsWith('"') || etag.startsWith("W/") ? etag : '"' + etag + '"';
}

} // namespace

void DiscoveryJob::run()
{
    const QUrl server = session()->account().server;
    if (server.path().isEmpty() || server.path() == "/"_L1)
        examine(server.resolved(QUrl(u"/.well-known/caldav"_s)), false);
    else
        examine(server, true);
}

void DiscoveryJob::examine(const QUrl& url, bool wellKnownTried)
{
    send(Request{propfindVerb, url, xmlBodyHeaders("0"), selfQuery},
         [this, wellKnownTried](const Answer& answer) { examineAnswer(answer, wellKnownTried); });
}

void DiscoveryJob::examineAnswer(const Answer& answer, bool wellKnownTried)
{
    // A server without the well-known address may still answer at the address the user gave.
    if (answer.status != 207 && !wellKnownTried)
        return examine(session()->account().server, true);
    const std::optional<Multistatus> multistatus = expectMultistatus(answer);
    if (!multistatus)
        return;
    if (multistatus->responses.isEmpty())
        return finishWith(Outcome::BadAnswer, u"no properties"_s);
    const DavResponse& self = multistatus->responses.first();
    if (holdsTasks(self)) {
        taskLists_.append(taskListFrom(answer.url, self));
        return succeed();
    }
    if (const std::optional<QUrl> home = hrefOf(answer.url, self, dav::caldavNs, "calendar-home-set"))
        return listHome(*home);
    if (const std::optional<QUrl> principal = hrefOf(answer.url, self, dav::ns, "current-user-principal"))
        return findHome(*principal);
    finishWith(Outcome::NoTaskService, answer.url.toDisplayString());
}

std::optional<QUrl> DiscoveryJob::hrefOf(const QUrl& base, const DavResponse& response, const char* ns,
                                         const char* name)
{
    const QString href = firstHref(response, ns, name);
    return href.isEmpty() ? std::nullopt : hrefOnOrigin(base, href);
}

void DiscoveryJob::findHome(const QUrl& principal)
{
    send(Request{propfindVerb, principal, xmlBodyHeaders("0"), homeQuery}, [this](const Answer& answer) {
        const std::optional<Multistatus> multistatus = expectMultistatus(answer);
        if (!multistatus)
            return;
        const std::optional<QUrl> home =
            multistatus->responses.isEmpty()
                ? std::nullopt
                : hrefOf(answer.url, multistatus->responses.first(), dav::caldavNs, "calendar-home-set");
        if (!home)
            return finishWith(Outcome::NoTaskService, answer.url.toDisplayString());
        listHome(*home);
    });
}

void DiscoveryJob::listHome(const QUrl& home)
{
    home_ = home;
    send(Request{propfindVerb, home, xmlBodyHeaders("1"), listQuery}, [this](const Answer& answer) {
        const std::optional<Multistatus> multistatus = expectMultistatus(answer);
        if (!multistatus)
            return;
        for (const DavResponse& response : multistatus->responses) {
            if (!holdsTasks(response))
                continue;
            if (const std::optional<QUrl> url = hrefOnOrigin(answer.url, response.href))
                taskLists_.append(taskListFrom(*url, response));
        }
        succeed();
    });
}

MakeTaskListJob::MakeTaskListJob(DavSession* session, const QUrl& home, const QString& displayName, QObject* parent)
    : DavJob(session, parent)
{
    created_.url = asFolder(home).resolved(QUrl(QUuid::createUuid().toString(QUuid::WithoutBraces) + u'/'));
    created_.displayName = displayName;
}

void MakeTaskListJob::run()
{
    const QByteArray body =
        R"(<?xml version="1.0" encoding="utf-8"?>)"
        R"(<c:mkcalendar xmlns:d="DAV:" xmlns:c="urn:ietf:params:xml:ns:caldav"><d:set><d:prop><d:displayname>)" +
        xmlText(created_.displayName) +
        R"(</d:displayname><c:supported-calendar-component-set><c:comp name="VTODO"/>)"
        R"(</c:supported-calendar-component-set></d:prop></d:set></c:mkcalendar>)";
    send(Request{QByteArrayLiteral("MKCALENDAR"), created_.url, xmlBodyHeaders("0"), body},
         [this](const Answer& answer) {
             if (!expectStatus(answer, {201}))
                 return;
             // The new list's own properties say whether it offers sync tokens.
             send(Request{propfindVerb, created_.url, xmlBodyHeaders("0"), listQuery}, [this](const Answer& read) {
                 if (read.status == 207 && !read.multistatus.responses.isEmpty())
                     created_ = taskListFrom(created_.url, read.multistatus.responses.first());
                 succeed();
             });
         });
}

ChangesJob::ChangesJob(DavSession* session, TaskList list, QString syncToken, QObject* parent)
    : DavJob(session, parent), list_(std::move(list)), syncToken_(std::move(syncToken))
{
}

void ChangesJob::run()
{
    changes_.complete = syncToken_.isEmpty();
    if (list_.offersSyncCollection)
        reportChanges(syncToken_);
    else
        compareCtag();
}

void ChangesJob::compareCtag()
{
    send(Request{propfindVerb, list_.url, xmlBodyHeaders("0"), ctagQuery}, [this](const Answer& answer) {
        const QList<DavResponse>& responses = answer.multistatus.responses;
        const QString ctag = answer.status == 207 && !responses.isEmpty()
                                 ? textOf(responses.first(), dav::calendarServerNs, "getctag")
                                 : QString();
        if (!expectToken(ctag))
            return;
        if (ctag.isEmpty() || ctag != syncToken_)
            return listEtags(ctag);
        changes_.syncToken = ctag;
        succeed();
    });
}

void ChangesJob::reportChanges(const QString& token)
{
    tokensAsked_.insert(token);
    const QByteArray body = R"(<?xml version="1.0" encoding="utf-8"?>)"
                            R"(<d:sync-collection xmlns:d="DAV:"><d:sync-token>)" +
                            xmlText(token) +
                            R"(</d:sync-token><d:sync-level>1</d:sync-level>)"
                            R"(<d:prop><d:getetag/></d:prop></d:sync-collection>)";
    send(Request{reportVerb, list_.url, xmlBodyHeaders("0"), body}, [this, token](const Answer& answer) {
        const bool tokenRefused = answer.status != 207 &&
                                  parseDavErrorConditions(answer.body).contains(clarkName(dav::ns, "valid-sync-token"));
        if (tokenRefused && !token.isEmpty()) {
            changes_ = ServerChanges{true, {}, {}, {}};
            return reportChanges(QString());
        }
        if (answer.status == 400 || answer.status == 403 || answer.status == 405 || answer.status == 501)
            return compareCtag();
        const std::optional<Multistatus> multistatus = expectMultistatus(answer);
        if (!multistatus || !expectToken(multistatus->syncToken))
            return;
        const QString& next = multistatus->syncToken;
        changes_.syncToken = next;
        const std::optional<bool> truncated = collect(multistatus->responses, answer.url);
        if (!truncated || !*truncated)
            return truncated ? succeed() : void();
        // A server that sends its changes in parts marks all but the last; the token it gives
        // continues from there (RFC 6578 3.6). One that goes round in circles is not followed.
        if (!next.isEmpty() && !tokensAsked_.contains(next) && tokensAsked_.size() < maxParts)
            return reportChanges(next);
        finishWith(Outcome::BadAnswer, u"the server sent only part of its changes"_s);
    });
}

void ChangesJob::listEtags(const QString& ctag)
{
    send(Request{propfindVerb, list_.url, xmlBodyHeaders("1"), etagQuery}, [this, ctag](const Answer& answer) {
        const std::optional<Multistatus> multistatus = expectMultistatus(answer);
        if (!multistatus)
            return;
        changes_ = ServerChanges{true, {}, {}, ctag};
        const std::optional<bool> truncated = collect(multistatus->responses, answer.url);
        if (truncated && *truncated)
            return finishWith(Outcome::BadAnswer, u"the server listed only part of the task list"_s);
        if (truncated)
            succeed();
    });
}

std::optional<bool> ChangesJob::collect(const QList<DavResponse>& responses, const QUrl& base)
{
    bool truncated = false;
    QList<ItemVersion> changed;
    QList<QUrl> removed;
    QSet<QString> listed;
    for (const DavResponse& response : responses) {
        const std::optional<QUrl> resolved = hrefOnOrigin(base, response.href);
        if (!resolved)
            continue;
        const QUrl& href = *resolved;
        if (isSameResource(href, list_.url)) {
            truncated = truncated || response.status == 507;
            continue;
        }
        // Whatever a server names outside the list is never written or deleted on its word.
        if (!keepInside(href, list_.url))
            continue;
        const QString etag = textOf(response, dav::ns, "getetag");
        if (!expectToken(etag))
            return std::nullopt;
        if (response.status == 404)
            removed.append(href);
        else if (!etag.isEmpty() && !isCollection(response))
            changed.append(ItemVersion{href, etag.toUtf8()});
        else
            continue;
        listed.insert(resourceKey(href));
    }
    // What a later part of the changes says of an item replaces what an earlier part said.
    changes_.changed.removeIf([&listed](const ItemVersion& item) { return listed.contains(resourceKey(item.href)); });
    changes_.removed.removeIf([&listed](const QUrl& href) { return listed.contains(resourceKey(href)); });
    changes_.changed += changed;
    changes_.removed += removed;
    return truncated;
}

MultigetJob::MultigetJob(DavSession* session, QUrl list, QList<QUrl> hrefs, QObject* parent)
    : DavJob(session, parent), list_(std::move(list)), hrefs_(std::move(hrefs))
{
}

void MultigetJob::run()
{
    fetchFrom(0);
}

void MultigetJob::fetchFrom(qsizetype first)
{
    if (first >= hrefs_.size())
        return findMissing();
    const QList<QUrl> part = hrefs_.mid(first, maxItemsPerRequest);
    QByteArray body = R"(<?xml version="1.0" encoding="utf-8"?>)"
                      R"(<c:calendar-multiget xmlns:d="DAV:" xmlns:c="urn:ietf:params:xml:ns:caldav">)"
                      R"(<d:prop><d:getetag/><c:calendar-data/></d:prop>)";
    for (const QUrl& href : part)
        body += "<d:href>" + xmlText(href.path(QUrl::FullyEncoded)) + "</d:href>";
    body += "</c:calendar-multiget>";
    send(Request{reportVerb, list_, xmlBodyHeaders("1"), body},
         [this, next = first + part.size()](const Answer& answer) {
             const std::optional<Multistatus> multistatus = expectMultistatus(answer);
             if (!multistatus)
                 return;
             for (const DavResponse& response : multistatus->responses) {
                 if (!take(response, answer.url))
                     return;
             }
             fetchFrom(next);
         });
}

bool MultigetJob::take(const DavResponse& response, const QUrl& base)
{
    const DavProperty* data = propertyOf(response, dav::caldavNs, "calendar-data");
    if (!data)
        return true;
    const QString etag = textOf(response, dav::ns, "getetag");
    if (!expectToken(etag))
        return false;
    const std::optional<QUrl> href = hrefOnOrigin(base, response.href);
    if (!href || !keepInside(*href, list_))
        return true;
    QByteArray calendar = data->text.toUtf8();
    // Kept without its data, so that it counts neither as fetched nor as gone.
    if (calendar.size() > maxItemBytes) {
        calendar.clear();
        countIgnored();
    }
    items_.append(FetchedItem{*href, etag.toUtf8(), calendar});
    return true;
}

void MultigetJob::findMissing()
{
    QSet<QString> asked;
    for (const QUrl& href : std::as_const(hrefs_))
        asked.insert(resourceKey(href));
    // An answer may name items nobody asked for; they are not this list's business here.
    items_.removeIf([&asked](const FetchedItem& item) { return !asked.contains(resourceKey(item.href)); });
    QSet<QString> fetched;
    for (const FetchedItem& item : std::as_const(items_))
        fetched.insert(resourceKey(item.href));
    for (const QUrl& href : std::as_const(hrefs_)) {
        if (!fetched.contains(resourceKey(href)))
            missing_.append(href);
    }
    succeed();
}

PutJob::PutJob(DavSession* session, QUrl href, QByteArray calendarData, QByteArray etag, QObject* parent)
    : DavJob(session, parent), href_(std::move(href)), calendarData_(std::move(calendarData)), etag_(std::move(etag))
{
}

void PutJob::run()
{
    HttpHeaders headers{{QByteArrayLiteral("Content-Type"), QByteArrayLiteral("text/calendar; charset=utf-8")}};
    if (etag_.isEmpty())
        headers.append({QByteArrayLiteral("If-None-Match"), QByteArrayLiteral("*")});
    else
        headers.append({QByteArrayLiteral("If-Match"), ifMatchValue(etag_)});
    send(Request{QByteArrayLiteral("PUT"), href_, headers, calendarData_}, [this](const Answer& answer) {
        if (!expectStatus(answer, {200, 201, 204}) || !expectToken(QString::fromUtf8(answer.etag)))
            return;
        newEtag_ = answer.etag;
        succeed();
    });
}

DeleteJob::DeleteJob(DavSession* session, QUrl href, QByteArray etag, QObject* parent)
    : DavJob(session, parent), href_(std::move(href)), etag_(std::move(etag))
{
}

void DeleteJob::run()
{
    const HttpHeaders headers{{QByteArrayLiteral("If-Match"), ifMatchValue(etag_)}};
    send(Request{QByteArrayLiteral("DELETE"), href_, headers, {}}, [this](const Answer& answer) {
        if (expectStatus(answer, {200, 204}))
            succeed();
    });
}

QUrl newItemUrl(const QUrl& list, const QString& uid)
{
    static const QRegularExpression safe(u"^[A-Za-z0-9_@-][A-Za-z0-9_.@-]{0,199}$"_s);
    const QString name =
        safe.match(uid).hasMatch()
            ? uid
            : QString::fromLatin1(QCryptographicHash::hash(uid.toUtf8(), QCryptographicHash::Sha256).toHex());
    return asFolder(list).resolved(QUrl(name + u".ics"_s));
}
