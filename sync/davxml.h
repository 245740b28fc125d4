#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

// The parts of a WebDAV multistatus answer (RFC 4918) that CalDAV clients read, parsed with
// QXmlStreamReader. Names are in Clark notation: "{DAV:}getetag".

namespace dav {
inline constexpr auto ns = "DAV:";
inline constexpr auto caldavNs = "urn:ietf:params:xml:ns:caldav";
inline constexpr auto calendarServerNs = "http://calendarserver.org/ns/";
} // namespace dav

struct DavProperty
{
    QString text;               // the property's own text: an ETag, a name, calendar data
    QStringList hrefs;          // every DAV:href inside it, in order
    QSet<QString> elements;     // every element inside it, at any depth
    QStringList componentNames; // the name attributes of CalDAV comp elements inside it
};

struct DavResponse
{
    QString href;
    int status = 0;                         // the response's own status, as sync-collection gives for removed members
    QHash<QString, DavProperty> properties; // only those reported with status 200
};

struct Multistatus
{
    QList<DavResponse> responses;
    QString syncToken;
    QString errorString; // empty when the answer was well-formed
};

[[nodiscard]] Multistatus parseMultistatus(const QByteArray& body);

// The precondition names inside a DAV:error answer, e.g. "{DAV:}valid-sync-token".
[[nodiscard]] QSet<QString> parseDavErrorConditions(const QByteArray& body);

// The status code in "HTTP/1.1 404 Not Found", or 0.
[[nodiscard]] int parseStatusLine(QStringView line);

[[nodiscard]] QString clarkName(const char* ns, const char* localName);
