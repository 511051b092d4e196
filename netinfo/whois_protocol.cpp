#include "netinfo/whois_protocol.h"

#include "base/charset.h"

#include <QSet>
#include <QStringDecoder>
#include <QTimeZone>

namespace {

enum class Field { Registrar, Created, Expires, Updated, NameServer, Status, Dnssec };

// Labels, compared without case. A time without a zone is UTC unless beijing says it is
// Beijing time, as CNNIC's are.
const struct {
    const char* label;
    Field field;
    bool beijing = false;
} kLabels[] = {
    {"Registrar", Field::Registrar},
    {"Sponsoring Registrar", Field::Registrar},
    {"Creation Date", Field::Created},
    {"Created", Field::Created},
    {"Created On", Field::Created},
    {"Registered on", Field::Created},
    {"Registration Time", Field::Created, true},
    {"Registry Expiry Date", Field::Expires},
    {"Registrar Registration Expiration Date", Field::Expires},
    {"Expiration Date", Field::Expires},
    {"Expiry Date", Field::Expires},
    {"Expires On", Field::Expires},
    {"paid-till", Field::Expires},
    {"Expiration Time", Field::Expires, true},
    {"Updated Date", Field::Updated},
    {"Last Updated On", Field::Updated},
    {"Last Modified", Field::Updated},
    {"changed", Field::Updated},
    {"Name Server", Field::NameServer},
    {"Nameserver", Field::NameServer},
    {"nserver", Field::NameServer},
    {"Domain Status", Field::Status},
    {"Status", Field::Status},
    {"state", Field::Status},
    {"DNSSEC", Field::Dnssec},
};

// Phrases of answers that hold no record, lower case.
const char* const kNoMatch[] = {
    "no match for",
    "no matching record",
    "not found",
    "no data found",
    "no entries found",
    "no object found",
    "domain not found",
    "status: free",
    "is available for registration",
    "the queried object does not exist",
};
const char* const kRateLimited[] = {
    "rate limit", "too many", "query limit", "exceeded", "try again later", "quota",
};

QDateTime whoisTime(const QString& text, bool beijing) {
    const QString t = text.trimmed();
    const QTimeZone zone = beijing ? QTimeZone(8 * 3600) : QTimeZone::utc();
    // "2024-08-13T07:00:00Z", "2024-08-13T07:00:00.000Z", "2024-08-13T07:00:00+08:00", and the
    // same without a zone.
    QDateTime when = QDateTime::fromString(t, Qt::ISODateWithMs);
    if (!when.isValid()) {
        for (const char* format : {"yyyy-MM-dd HH:mm:ss", "yyyy.MM.dd HH:mm:ss", "yyyy.MM.dd",
                                   "dd-MMM-yyyy", "yyyy-MM-dd"}) {
            const QString f = QLatin1String(format);
            when = QDateTime::fromString(t.section(u' ', 0, int(f.count(u' '))), f);
            if (when.isValid())
                break;
        }
    }
    if (!when.isValid())
        return {};
    if (when.timeSpec() == Qt::LocalTime)
        when.setTimeZone(zone);
    return when.toUTC();
}

// Each "label: value" line, label and value trimmed.
template <typename Fn> void forEachField(const QString& text, Fn fn) {
    for (const QString& raw : text.split(u'\n')) {
        const QString line = raw.trimmed();
        if (line.startsWith(u'%') || line.startsWith(u'#') ||
            line.startsWith(QStringLiteral(">>>")))
            continue;
        const qsizetype colon = line.indexOf(u':');
        if (colon <= 0)
            continue;
        fn(line.left(colon).trimmed(), line.mid(colon + 1).trimmed());
    }
}

QString fieldValue(const QString& text, QStringView label) {
    QString found;
    forEachField(text, [&](const QString& l, const QString& v) {
        if (found.isEmpty() && l.compare(label, Qt::CaseInsensitive) == 0)
            found = v;
    });
    return found;
}

} // namespace

QString decodeWhois(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(bytes);
    return utf8.hasError() ? charset::decodeGbk(bytes) : text;
}

QString whoisReferral(const QString& text) {
    return fieldValue(text, u"refer");
}

QString registrarWhoisServer(const QString& text) {
    QString server = fieldValue(text, u"Registrar WHOIS Server");
    // Some registries write it as an address.
    for (const QString& scheme : {QStringLiteral("https://"), QStringLiteral("http://")})
        if (server.startsWith(scheme, Qt::CaseInsensitive))
            server = server.mid(scheme.size()).section(u'/', 0, 0);
    return server;
}

WhoisVerdict whoisVerdict(const QString& text) {
    const QString lower = text.toLower();
    // A record is judged by its fields, never by words inside its legal notice.
    if (!readWhoisSummary(text).nameServers.isEmpty())
        return WhoisVerdict::Record;
    for (const char16_t* label : {u"Domain Name", u"domain", u"Domain"})
        if (!fieldValue(text, label).isEmpty())
            return WhoisVerdict::Record;
    for (const char* phrase : kRateLimited)
        if (lower.contains(QLatin1String(phrase)))
            return WhoisVerdict::RateLimited;
    for (const char* phrase : kNoMatch)
        if (lower.contains(QLatin1String(phrase)))
            return WhoisVerdict::NoMatch;
    return lower.trimmed().isEmpty() ? WhoisVerdict::NoMatch : WhoisVerdict::Record;
}

WhoisSummary readWhoisSummary(const QString& text) {
    WhoisSummary s;
    // A record may repeat a line many thousand times; looking each up in the list so far would
    // make reading it quadratic.
    QSet<QString> seenServers;
    QSet<QString> seenStatus;
    forEachField(text, [&](const QString& label, const QString& value) {
        if (value.isEmpty())
            return;
        for (const auto& row : kLabels) {
            if (label.compare(QLatin1String(row.label), Qt::CaseInsensitive) != 0)
                continue;
            const auto date = [&](QDateTime& slot) {
                if (!slot.isValid())
                    slot = whoisTime(value, row.beijing);
            };
            switch (row.field) {
            case Field::Registrar:
                if (s.registrar.isEmpty())
                    s.registrar = value;
                break;
            case Field::Created:
                date(s.created);
                break;
            case Field::Expires:
                date(s.expires);
                break;
            case Field::Updated:
                date(s.updated);
                break;
            case Field::NameServer: {
                QString ns = value.section(u' ', 0, 0).toLower();
                if (ns.endsWith(u'.'))
                    ns.chop(1);
                if (!seenServers.contains(ns)) {
                    seenServers.insert(ns);
                    s.nameServers << ns;
                }
                break;
            }
            case Field::Status: {
                const QString code = value.section(u' ', 0, 0);
                if (!seenStatus.contains(code)) {
                    seenStatus.insert(code);
                    s.status << code;
                }
                break;
            }
            case Field::Dnssec:
                if (s.dnssec.isEmpty())
                    s.dnssec = value;
                break;
            }
        }
    });
    return s;
}
