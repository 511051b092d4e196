#include "track/result_address.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>
#include <QUrlQuery>

namespace {

// The value of a parameter of a link's query, still percent-encoded; empty when it has none.
QString parameter(const QString& link, const QString& name) {
    const qsizetype mark = link.indexOf(u'?');
    if (mark < 0)
        return {};
    const QString key = name + u'=';
    for (const QString& pair : link.mid(mark + 1).split(u'&'))
        if (pair.startsWith(key))
            return pair.mid(key.size());
    return {};
}

QString bingTarget(const QString& link) {
    if (!link.contains(QStringLiteral("/ck/a?")))
        return link;
    const QString u = parameter(link, QStringLiteral("u"));
    if (!u.startsWith(QStringLiteral("a1")))
        return {};
    // Bing drops the padding; Qt wants it for a strict decoding.
    QByteArray encoded = u.mid(2).toLatin1();
    encoded.append(QByteArray((4 - encoded.size() % 4) % 4, '='));
    const auto decoded = QByteArray::fromBase64Encoding(
        encoded, QByteArray::Base64UrlEncoding | QByteArray::AbortOnBase64DecodingErrors);
    return decoded ? QString::fromUtf8(*decoded) : QString();
}

} // namespace

QString resultAddress(const QString& strategy, const QString& value) {
    const QString v = value.trimmed();
    if (strategy == u"baidu-mu")
        return v.contains(QStringLiteral("nourl")) ? QString() : v;
    if (strategy == u"data-log")
        return QJsonDocument::fromJson(v.toUtf8())
            .object()
            .value(QStringLiteral("mu"))
            .toString()
            .trimmed();
    if (strategy == u"bing-ck")
        return bingTarget(v);
    if (strategy == u"uddg") {
        const QString target = parameter(v, QStringLiteral("uddg"));
        return target.isEmpty() ? v : QUrl::fromPercentEncoding(target.toUtf8());
    }
    return v;
}
