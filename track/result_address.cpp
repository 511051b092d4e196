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

QString base64Target(const AddressRule& rule, const QString& link) {
    if (!link.contains(rule.wrapper))
        return link;
    const QString u = parameter(link, rule.key);
    if (!u.startsWith(rule.prefix))
        return {};
    // Bing drops the padding; Qt wants it for a strict decoding.
    QByteArray encoded = u.mid(rule.prefix.size()).toLatin1();
    encoded.append(QByteArray((4 - encoded.size() % 4) % 4, '='));
    const auto decoded = QByteArray::fromBase64Encoding(
        encoded, QByteArray::Base64UrlEncoding | QByteArray::AbortOnBase64DecodingErrors);
    return decoded ? QString::fromUtf8(*decoded) : QString();
}

} // namespace

QString resultAddress(const AddressRule& rule, const QString& value) {
    const QString v = value.trimmed();
    if (rule.strategy == u"json")
        return QJsonDocument::fromJson(v.toUtf8()).object().value(rule.key).toString().trimmed();
    if (rule.strategy == u"base64-param")
        return base64Target(rule, v);
    if (rule.strategy == u"param") {
        const QString target = parameter(v, rule.key);
        return target.isEmpty() ? v : QUrl::fromPercentEncoding(target.toUtf8());
    }
    return !rule.none.isEmpty() && v.contains(rule.none) ? QString() : v;
}
