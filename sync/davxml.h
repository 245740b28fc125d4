#pragma once

#include <QList>
#include <QPair>
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
    QStringList elements;       // every element inside it, at any depth, once
    QStringList componentNames; // the name attributes of CalDAV comp elements inside it
};

struct DavResponse
{
    QString href;
    int status = 0; // the response's own status, as sync-collection gives for removed members
    // Only those reported with status 200, by name. A list, as a response holds a handful and a
    // hash table per response would take a listing's memory many times over.
    QList<QPair<QString, DavProperty>> properties;
};

struct Multistatus
{
    QList<DavResponse> responses;
    QString syncToken;
    QString errorString; // empty when the answer was well-formed
};

// Far more than a task table holds; an answer that lists more is refused rather than read, so that
// no listing can take the memory.
inline constexpr qsizetype maxResponses = 200000;

[[nodiscard]] Multistatus parseMultistatus(const QByteArray& body);

// The precondition names inside a DAV:error answer, e.g. "{DAV:}valid-sync-token".
[[nodiscard]] QSet<QString> parseDavErrorConditions(const QByteArray& body);

// The status code in "HTTP/1.1 404 Not Found", or 0.
[[nodiscard]] int parseStatusLine(QStringView line);

[[nodiscard]] QString clarkName(const char* ns, const char* localName);
