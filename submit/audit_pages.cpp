#include "submit/audit_pages.h"

#include "base/tool_error.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

namespace {

QJsonObject auditOf(const QByteArray& json) {
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    const QJsonObject audit = doc.object();
    if (error.error != QJsonParseError::NoError || !audit.value(u"pages").isArray())
        throw ToolError(
            QStringLiteral("不是网站体检的 JSON 结果（tessivo-cli audit --json 的输出）"));
    return audit;
}

} // namespace

QStringList sitemapPagesOfAudit(const QByteArray& json) {
    const QJsonObject audit = auditOf(json);
    // The audit reports these as problems of the page's address rather than as page fields.
    QSet<QString> excluded;
    for (const QJsonValue& p : audit.value(u"problems").toArray()) {
        const QString kind = p[u"kind"].toString();
        if (kind == QLatin1String("noindex") || kind == QLatin1String("blocked_by_robots") ||
            kind == QLatin1String("canonical_elsewhere"))
            excluded.insert(p[u"url"].toString());
    }
    QStringList pages;
    for (const QJsonValue& p : audit.value(u"pages").toArray()) {
        const QString url = p[u"url"].toString();
        const QString canonical = p[u"canonical"].toString();
        if (p[u"status"].toInt() != 200 || excluded.contains(url) ||
            (!canonical.isEmpty() && canonical != url))
            continue;
        pages << url;
    }
    return pages;
}

QStringList deadLinksOfAudit(const QByteArray& json) {
    QStringList dead;
    for (const QJsonValue& p : auditOf(json).value(u"pages").toArray()) {
        const int status = p[u"status"].toInt();
        if (status == 404 || status == 410)
            dead << p[u"url"].toString();
    }
    return dead;
}
