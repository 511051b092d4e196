#include "audit/audit_types.h"

#include <QJsonArray>

QJsonObject FetchResult::toJson() const {
    return {{QStringLiteral("url"), url},
            {QStringLiteral("kind"), kind == LinkKind::Page ? 0 : 1},
            {QStringLiteral("depth"), depth},
            {QStringLiteral("status"), status},
            {QStringLiteral("error"), error},
            {QStringLiteral("location"), location},
            {QStringLiteral("type"), QString::fromLatin1(contentType)},
            {QStringLiteral("html"), html},
            {QStringLiteral("title"), title},
            {QStringLiteral("description"), description},
            {QStringLiteral("has_description"), hasDescription},
            {QStringLiteral("h1s"), h1s},
            {QStringLiteral("noindex"), noindex},
            {QStringLiteral("canonical"), canonical},
            {QStringLiteral("charset"), charset},
            {QStringLiteral("mismatch"), mismatch},
            {QStringLiteral("bytes"), bytes},
            {QStringLiteral("ms"), ms},
            {QStringLiteral("truncated"), truncated},
            {QStringLiteral("images_no_alt"), QJsonArray::fromStringList(imagesNoAlt)},
            {QStringLiteral("insecure"), QJsonArray::fromStringList(insecure)}};
}

FetchResult FetchResult::fromJson(const QJsonObject& o) {
    FetchResult r;
    auto strings = [&](const char* key) {
        QStringList list;
        for (const auto& v : o.value(QLatin1String(key)).toArray())
            list << v.toString();
        return list;
    };
    r.url = o.value(QLatin1String("url")).toString();
    r.kind = o.value(QLatin1String("kind")).toInt() == 0 ? LinkKind::Page : LinkKind::Resource;
    r.depth = o.value(QLatin1String("depth")).toInt();
    r.status = o.value(QLatin1String("status")).toInt();
    r.error = o.value(QLatin1String("error")).toString();
    r.location = o.value(QLatin1String("location")).toString();
    r.contentType = o.value(QLatin1String("type")).toString().toLatin1();
    r.html = o.value(QLatin1String("html")).toBool();
    r.title = o.value(QLatin1String("title")).toString();
    r.description = o.value(QLatin1String("description")).toString();
    r.hasDescription = o.value(QLatin1String("has_description")).toBool();
    r.h1s = o.value(QLatin1String("h1s")).toInt();
    r.noindex = o.value(QLatin1String("noindex")).toBool();
    r.canonical = o.value(QLatin1String("canonical")).toString();
    r.charset = o.value(QLatin1String("charset")).toString();
    r.mismatch = o.value(QLatin1String("mismatch")).toString();
    r.bytes = o.value(QLatin1String("bytes")).toInteger();
    r.ms = o.value(QLatin1String("ms")).toInteger();
    r.truncated = o.value(QLatin1String("truncated")).toBool();
    r.imagesNoAlt = strings("images_no_alt");
    r.insecure = strings("insecure");
    return r;
}
