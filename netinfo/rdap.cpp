#include "netinfo/rdap.h"

#include "base/tool_error.h"

#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <optional>

namespace {

QString slashEnded(QString url) {
    if (!url.endsWith(u'/'))
        url += u'/';
    return url;
}

// A service's addresses, https preferred: the file lists http ones too, for the same server.
QString preferredUrl(const QJsonArray& urls) {
    QString chosen;
    for (const QJsonValue& u : urls) {
        const QString url = u.toString();
        if (url.startsWith(QStringLiteral("https://")))
            return slashEnded(url);
        if (chosen.isEmpty() && url.startsWith(QStringLiteral("http://")))
            chosen = slashEnded(url);
    }
    return chosen;
}

QDateTime utc(const QString& text) {
    QDateTime t = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!t.isValid())
        t = QDateTime::fromString(text, Qt::ISODate);
    return t.isValid() ? t.toUTC() : QDateTime();
}

// The "fn" of an entity's jCard (RFC 7095): ["vcard", [["fn", {}, "text", "Name"], …]].
QString fullName(const QJsonObject& entity) {
    const QJsonArray card = entity.value(QStringLiteral("vcardArray")).toArray();
    for (const QJsonValue& property : card.at(1).toArray()) {
        const QJsonArray p = property.toArray();
        if (p.at(0).toString() == u"fn")
            return p.at(3).toString().trimmed();
    }
    return {};
}

bool hasRole(const QJsonObject& entity, const char* role) {
    return entity.value(QStringLiteral("roles")).toArray().contains(QLatin1String(role));
}

// The entities of object, and those nested in them (registrars list their contacts inside).
QList<QJsonObject> entities(const QJsonObject& object) {
    QList<QJsonObject> all;
    for (const QJsonValue& e : object.value(QStringLiteral("entities")).toArray()) {
        all << e.toObject();
        all << entities(e.toObject());
    }
    return all;
}

// A valid JSON text laid out with two spaces a level, its members in the server's order (a
// QJsonDocument sorts them, which scatters "objectClassName", "handle" and "ldhName" that
// registries put first); nothing once it grows longer than limit.
std::optional<QString> laidOut(const QString& text, qsizetype limit) {
    QString out;
    int depth = 0;
    bool inString = false;
    const auto newline = [&] {
        if (out.size() + 1 + 2 * depth > limit)
            return false;
        out += u'\n';
        out.resize(out.size() + 2 * depth, u' ');
        return true;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (out.size() > limit)
            return std::nullopt;
        const QChar c = text[i];
        if (inString) {
            out += c;
            if (c == u'\\' && i + 1 < text.size())
                out += text[++i];
            else if (c == u'"')
                inString = false;
            continue;
        }
        if (c.isSpace())
            continue;
        switch (c.unicode()) {
        case u'"':
            inString = true;
            out += c;
            break;
        case u'{':
        case u'[': {
            qsizetype next = i + 1;
            while (next < text.size() && text[next].isSpace())
                ++next;
            out += c;
            if (next < text.size() && (text[next] == u'}' || text[next] == u']')) {
                out += text[next];
                i = next;
            } else {
                ++depth;
                if (!newline())
                    return std::nullopt;
            }
            break;
        }
        case u'}':
        case u']':
            --depth;
            if (!newline())
                return std::nullopt;
            out += c;
            break;
        case u',':
            out += c;
            if (!newline())
                return std::nullopt;
            break;
        case u':':
            out += QStringLiteral(": ");
            break;
        default:
            out += c;
        }
    }
    if (out.size() > limit)
        return std::nullopt;
    return out;
}

} // namespace

const QJsonArray& RdapBootstrap::services(const char* file) {
    Fetched& f = file == std::string_view("dns.json")    ? dns_
                 : file == std::string_view("ipv4.json") ? ipv4_
                                                         : ipv6_;
    // A file that failed fails again at once: every address of a run would otherwise wait out
    // the same time-out.
    if (f.failure)
        throw ToolError(*f.failure);
    if (!f.services) {
        const QString url = endpoints_.base(Endpoint::RdapBootstrapHost) +
                            QStringLiteral("/rdap/") + QLatin1String(file);
        try {
            const HttpResponse r = fetcher_.get(url);
            QJsonParseError error;
            const QJsonDocument doc = QJsonDocument::fromJson(r.body, &error);
            const QJsonValue list = doc.object().value(QStringLiteral("services"));
            if (!doc.isObject() || !list.isArray())
                throw ToolError(
                    QStringLiteral("RDAP 引导文件 %1 不是 RFC 9224 格式的 JSON%2")
                        .arg(echoed(url), error.error == QJsonParseError::NoError
                                              ? QString()
                                              : QStringLiteral("（%1）").arg(error.errorString())));
            f.services = list.toArray();
        } catch (const ToolError& e) {
            f.failure = e.description();
            throw;
        }
    }
    return *f.services;
}

QString RdapBootstrap::serviceForDomain(const QString& domain) {
    const QString ace = QString::fromLatin1(QUrl::toAce(domain)).toLower();
    const QJsonArray& list = services("dns.json");
    QString best;
    qsizetype bestLength = -1;
    for (const QJsonValue& service : list) {
        const QJsonArray pair = service.toArray();
        for (const QJsonValue& entry : pair.at(0).toArray()) {
            const QString suffix = entry.toString().toLower();
            const bool matches = ace == suffix || ace.endsWith(u'.' + suffix);
            if (matches && suffix.size() > bestLength) {
                best = preferredUrl(pair.at(1).toArray());
                bestLength = suffix.size();
            }
        }
    }
    return best;
}

QString RdapBootstrap::serviceForAddress(const QString& address) {
    const QHostAddress a(address);
    const bool v4 = a.protocol() == QAbstractSocket::IPv4Protocol;
    const QJsonArray& list = services(v4 ? "ipv4.json" : "ipv6.json");
    QString best;
    int bestLength = -1;
    for (const QJsonValue& service : list) {
        const QJsonArray pair = service.toArray();
        for (const QJsonValue& entry : pair.at(0).toArray()) {
            const QPair<QHostAddress, int> subnet = QHostAddress::parseSubnet(entry.toString());
            if (subnet.second > bestLength && a.isInSubnet(subnet)) {
                best = preferredUrl(pair.at(1).toArray());
                bestLength = subnet.second;
            }
        }
    }
    return best;
}

RdapReply rdapGet(Fetcher& fetcher, const QString& url) {
    const HttpResponse r = fetcher.get(url);
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(r.body, &error);
    RdapReply reply;
    reply.url = url;
    reply.object = doc.object();
    reply.body = r.body;
    reply.json = doc.isObject();
    // The error object's code, else the HTTP status: some servers answer "not found" and "too
    // many requests" with an empty body or a page of their own.
    const QJsonValue errorCode = reply.object.value(QStringLiteral("errorCode"));
    // An HTTP status, or it tells nothing: a string, a fraction or 4040 is still an error
    // object, never a record.
    const double given = errorCode.toDouble(-1);
    const bool validCode =
        errorCode.isDouble() && given == std::floor(given) && given >= 100 && given <= 599;
    const long code = validCode ? long(given) : r.status;
    if (code == 404 || code == 429) {
        reply.kind = code == 404 ? RdapReply::Kind::NotFound : RdapReply::Kind::RateLimited;
        return reply;
    }
    if (!doc.isObject())
        throw ToolError(
            QStringLiteral("RDAP 服务器 %1 的回答不是 JSON 对象%2")
                .arg(echoed(url), error.error == QJsonParseError::NoError
                                      ? QString()
                                      : QStringLiteral("（%1）").arg(error.errorString())));
    if (!errorCode.isUndefined() && !validCode)
        throw ToolError(
            QStringLiteral("RDAP 服务器 %1 答复错误，错误代码 %2 不是 100 到 599 的整数：%3")
                .arg(echoed(url),
                     echoed(QString::fromUtf8(
                                QJsonDocument(QJsonArray{errorCode}).toJson(QJsonDocument::Compact))
                                .chopped(1)
                                .mid(1)),
                     echoed(reply.object.value(QStringLiteral("title")).toString())));
    if (validCode || code >= 400)
        throw ToolError(QStringLiteral("RDAP 服务器 %1 答复错误 %2：%3")
                            .arg(echoed(url))
                            .arg(code)
                            .arg(echoed(reply.object.value(QStringLiteral("title")).toString())));
    return reply;
}

QString RdapReply::text() const {
    const QString received = QString::fromUtf8(body);
    if (!json)
        return received;
    const QString trimmed = received.trimmed();
    return laidOut(trimmed, rdapTextBound(body.size())).value_or(trimmed);
}

qsizetype rdapTextBound(qsizetype bodyBytes) {
    return std::max(bodyBytes, std::min(8 * bodyBytes, qsizetype(FetchLimits{}.maxBodyBytes)));
}

RdapDomain readRdapDomain(const QJsonObject& object) {
    RdapDomain d;
    for (const QJsonValue& e : object.value(QStringLiteral("events")).toArray()) {
        const QString action = e.toObject().value(QStringLiteral("eventAction")).toString();
        const QDateTime when = utc(e.toObject().value(QStringLiteral("eventDate")).toString());
        if (action == u"registration")
            d.created = when;
        else if (action == u"expiration")
            d.expires = when;
        else if (action == u"last changed")
            d.updated = when;
    }
    for (const QJsonObject& e : entities(object))
        if (hasRole(e, "registrar") && d.registrar.isEmpty())
            d.registrar = fullName(e);
    for (const QJsonValue& ns : object.value(QStringLiteral("nameservers")).toArray())
        d.nameServers << ns.toObject().value(QStringLiteral("ldhName")).toString().toLower();
    for (const QJsonValue& s : object.value(QStringLiteral("status")).toArray())
        d.status << s.toString();
    const QJsonValue signedValue = object.value(QStringLiteral("secureDNS"))
                                       .toObject()
                                       .value(QStringLiteral("delegationSigned"));
    if (signedValue.isBool())
        d.dnssec =
            signedValue.toBool() ? QStringLiteral("signedDelegation") : QStringLiteral("unsigned");
    for (const QJsonValue& l : object.value(QStringLiteral("links")).toArray()) {
        const QJsonObject link = l.toObject();
        const QString href = link.value(QStringLiteral("href")).toString();
        if (link.value(QStringLiteral("rel")).toString() == u"related" &&
            link.value(QStringLiteral("type")).toString() == u"application/rdap+json" &&
            href.contains(QStringLiteral("/domain/")) && d.registrarUrl.isEmpty())
            d.registrarUrl = href;
    }
    return d;
}

RdapNetwork readRdapNetwork(const QJsonObject& object) {
    RdapNetwork n;
    n.name = object.value(QStringLiteral("name")).toString().trimmed();
    const QString start = object.value(QStringLiteral("startAddress")).toString();
    const QString end = object.value(QStringLiteral("endAddress")).toString();
    if (!start.isEmpty() && !end.isEmpty())
        n.name = QStringLiteral("%1 (%2 - %3)").arg(n.name, start, end).trimmed();
    n.country = object.value(QStringLiteral("country")).toString().toUpper();
    const QList<QJsonObject> all = entities(object);
    for (const QJsonObject& e : all)
        if (hasRole(e, "registrant") && n.owner.isEmpty())
            n.owner = fullName(e);
    for (const QJsonObject& e : all)
        if (n.owner.isEmpty())
            n.owner = fullName(e);
    return n;
}
