#include "sync/davaddress.h"

#include <QHostAddress>

using namespace Qt::StringLiterals;

namespace {

int portOf(const QUrl& url)
{
    return url.port(url.scheme() == "https"_L1 ? 443 : 80);
}

} // namespace

bool isLoopbackHost(const QString& host)
{
    if (host.compare("localhost"_L1, Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

bool isAcceptedServerAddress(const QUrl& url)
{
    if (!url.isValid() || url.host().isEmpty() || !url.userInfo().isEmpty())
        return false;
    if (url.scheme() == "https"_L1)
        return true;
    return url.scheme() == "http"_L1 && isLoopbackHost(url.host());
}

QUrl serverAddressFromUserText(const QString& text)
{
    const QString trimmed = text.trimmed();
    QUrl url(trimmed.contains("://"_L1) ? trimmed : u"https://"_s + trimmed, QUrl::StrictMode);
    if (!isAcceptedServerAddress(url))
        return {};
    if (url.path().isEmpty())
        url.setPath(u"/"_s);
    return url.adjusted(QUrl::RemoveFragment);
}

bool isSameOrigin(const QUrl& left, const QUrl& right)
{
    return left.scheme() == right.scheme() && left.host().compare(right.host(), Qt::CaseInsensitive) == 0 &&
           portOf(left) == portOf(right);
}

bool isAcceptedRedirect(const QUrl& from, const QUrl& to)
{
    return to.isValid() && isAcceptedServerAddress(to) && isSameOrigin(from, to);
}

bool isInside(const QUrl& url, const QUrl& folder)
{
    QString prefix = folder.path();
    if (!prefix.endsWith(u'/'))
        prefix += u'/';
    // Dot segments would let a path that starts inside the folder end outside it.
    const QString path = url.adjusted(QUrl::NormalizePathSegments).path();
    return isSameOrigin(url, folder) && path.size() > prefix.size() && path.startsWith(prefix) &&
           !path.contains("/../"_L1) && !path.endsWith("/.."_L1);
}
