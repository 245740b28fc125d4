#include "sync/davxml.h"

#include <QBuffer>
#include <QXmlStreamReader>

using namespace Qt::StringLiterals;

namespace {

QString clarkOf(const QXmlStreamReader& reader)
{
    return u'{' + reader.namespaceUri().toString() + u'}' + reader.name().toString();
}

bool isElement(const QXmlStreamReader& reader, const char* ns, const char* localName)
{
    return reader.namespaceUri() == QLatin1StringView(ns) && reader.name() == QLatin1StringView(localName);
}

// Reads the element the reader stands on, up to and including its end.
DavProperty readProperty(QXmlStreamReader& reader)
{
    DavProperty property;
    int depth = 1;
    while (depth > 0 && !reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement:
            if (const QString name = clarkOf(reader); !property.elements.contains(name))
                property.elements.append(name);
            if (isElement(reader, dav::ns, "href")) {
                // reads up to the href's end, so the depth stays
                property.hrefs.append(reader.readElementText(QXmlStreamReader::IncludeChildElements).trimmed());
                break;
            }
            if (isElement(reader, dav::caldavNs, "comp"))
                property.componentNames.append(reader.attributes().value("name"_L1).toString().toUpper());
            ++depth;
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        case QXmlStreamReader::Characters:
            if (depth == 1)
                property.text += reader.text();
            break;
        default:
            break;
        }
    }
    return property;
}

void readPropstat(QXmlStreamReader& reader, DavResponse& response)
{
    QList<QPair<QString, DavProperty>> properties;
    int status = 0;
    while (reader.readNextStartElement()) {
        if (isElement(reader, dav::ns, "prop")) {
            while (reader.readNextStartElement()) {
                const QString name = clarkOf(reader);
                properties.append({name, readProperty(reader)});
            }
        } else if (isElement(reader, dav::ns, "status")) {
            status = parseStatusLine(reader.readElementText());
        } else {
            reader.skipCurrentElement();
        }
    }
    if (status == 200)
        response.properties += properties;
}

DavResponse readResponse(QXmlStreamReader& reader)
{
    DavResponse response;
    while (reader.readNextStartElement()) {
        if (isElement(reader, dav::ns, "href"))
            response.href = reader.readElementText().trimmed();
        else if (isElement(reader, dav::ns, "status"))
            response.status = parseStatusLine(reader.readElementText());
        else if (isElement(reader, dav::ns, "propstat"))
            readPropstat(reader, response);
        else
            reader.skipCurrentElement();
    }
    return response;
}

} // namespace

QString clarkName(const char* ns, const char* localName)
{
    return u'{' + QLatin1StringView(ns) + u'}' + QLatin1StringView(localName);
}

int parseStatusLine(QStringView line)
{
    const QList<QStringView> words = line.trimmed().split(u' ', Qt::SkipEmptyParts);
    return words.size() >= 2 ? words.at(1).toInt() : 0;
}

Multistatus parseMultistatus(const QByteArray& body)
{
    Multistatus result;
    // Read through a device, the reader decodes a block at a time; given the bytes, it would hold
    // all of them decoded at once, twice the answer's size.
    QBuffer device;
    device.setData(body);
    device.open(QIODevice::ReadOnly);
    QXmlStreamReader reader(&device);
    if (!reader.readNextStartElement() || !isElement(reader, dav::ns, "multistatus")) {
        result.errorString = reader.hasError() ? reader.errorString() : u"not a multistatus answer"_s;
        return result;
    }
    while (reader.readNextStartElement()) {
        if (isElement(reader, dav::ns, "response") && result.responses.size() == maxResponses) {
            result.errorString = u"more than %1 responses in one answer"_s.arg(maxResponses);
            return result;
        }
        if (isElement(reader, dav::ns, "response"))
            result.responses.append(readResponse(reader));
        else if (isElement(reader, dav::ns, "sync-token"))
            result.syncToken = reader.readElementText().trimmed();
        else
            reader.skipCurrentElement();
    }
    if (reader.hasError())
        result.errorString = reader.errorString();
    return result;
}

QSet<QString> parseDavErrorConditions(const QByteArray& body)
{
    QSet<QString> conditions;
    QXmlStreamReader reader(body);
    if (!reader.readNextStartElement() || !isElement(reader, dav::ns, "error"))
        return conditions;
    while (reader.readNextStartElement()) {
        conditions.insert(clarkOf(reader));
        reader.skipCurrentElement();
    }
    return conditions;
}
