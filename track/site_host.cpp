#include "track/site_host.h"

#include <QUrl>

namespace {

QString withoutWww(const QString& host) {
    return host.startsWith(QStringLiteral("www.")) ? host.mid(4) : host;
}

} // namespace

QString addressHost(const QString& address) {
    QString a = address.trimmed();
    if (a.startsWith(QStringLiteral("//")))
        a.prepend(QStringLiteral("http:"));
    else if (!a.contains(QStringLiteral("://")))
        a.prepend(QStringLiteral("http://"));
    QString host = QString::fromLatin1(QUrl::toAce(QUrl(a).host())).toLower();
    while (host.endsWith(u'.'))
        host.chop(1);
    return host;
}

bool hostMatches(const QString& resultHost, const QString& siteHost, bool exactHost) {
    if (resultHost.isEmpty() || siteHost.isEmpty())
        return false;
    if (exactHost)
        return resultHost == siteHost;
    const QString result = withoutWww(resultHost);
    const QString site = withoutWww(siteHost);
    return result == site || result.endsWith(u'.' + site);
}
