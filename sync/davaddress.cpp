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
    if (!to.isValid() || !isAcceptedServerAddress(to))
        return false;
    if (to.scheme() == "https"_L1)
        return to.host().compare(from.host(), Qt::CaseInsensitive) == 0;
    return isSameOrigin(from, to);
}
