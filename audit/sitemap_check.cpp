#include "audit/sitemap_check.h"

#include "audit/sitemap.h"

#include <QUrl>

namespace {

// sitemaps.org: a <loc> is under 2,048 characters.
constexpr qsizetype kMaxLocLength = 2047;

} // namespace

SitemapCheck checkSitemapFile(const QByteArray& body, const QString& location) {
    SitemapCheck check;
    if (body.size() > kMaxSitemapBytes) {
        check.problems << QStringLiteral("文件超过 %1 MB 的上限").arg(kMaxSitemapBytes >> 20);
        return check;
    }
    const SitemapFile parsed = parseSitemap(body);
    if (!parsed.error.isEmpty()) {
        check.problems << parsed.error;
        return check;
    }
    check.index = !parsed.sitemaps.isEmpty();
    const QStringList& listed = check.index ? parsed.sitemaps : parsed.pages;
    check.entries = int(listed.size());
    if (listed.size() > kMaxSitemapUrls)
        check.problems << QStringLiteral("列出 %1 个网址，超过每个文件 %2 个的上限")
                              .arg(listed.size())
                              .arg(kMaxSitemapUrls);
    const QUrl at(location);
    const bool remote =
        at.scheme() == QLatin1String("http") || at.scheme() == QLatin1String("https");
    QString host = remote ? at.host().toLower() : QString();
    const QString folder =
        remote ? at.resolved(QUrl(QStringLiteral("."))).toString(QUrl::FullyEncoded) : QString();
    for (const QString& entry : listed) {
        const QUrl url(entry);
        const QString scheme = url.scheme().toLower();
        if (scheme != QLatin1String("http") && scheme != QLatin1String("https")) {
            check.problems << QStringLiteral("不是 http 或 https 网址：%1").arg(entry);
            continue;
        }
        if (entry.size() > kMaxLocLength)
            check.problems
                << QStringLiteral("网址超过 %1 个字符：%2").arg(kMaxLocLength).arg(entry);
        if (host.isEmpty())
            host = url.host().toLower();
        if (url.host().toLower() != host) {
            check.problems << QStringLiteral("列出了别的网站的网址：%1").arg(entry);
            continue;
        }
        if (remote && !url.toString(QUrl::FullyEncoded).startsWith(folder))
            check.problems << QStringLiteral("只能列出 %1 之下的网址：%2").arg(folder, entry);
    }
    return check;
}
