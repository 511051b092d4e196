#include "netinfo/lookup_text.h"

namespace {

constexpr int kIpCountryColumn = 3;

QString orDash(const QString& text) {
    return text.isEmpty() ? QStringLiteral("-") : text;
}

} // namespace

QString localDate(const QDateTime& when) {
    return when.isValid() ? when.toLocalTime().toString(QStringLiteral("yyyy-MM-dd"))
                          : QStringLiteral("-");
}

QString isoTime(const QDateTime& when) {
    return when.isValid() ? when.toUTC().toString(Qt::ISODate) : QString();
}

QStringList ipHeadings() {
    return {QStringLiteral("IP 地址"),   QStringLiteral("类型"), QStringLiteral("反向解析"),
            QStringLiteral("国家/地区"), QStringLiteral("网络"), QStringLiteral("所有者")};
}

QStringList ipColumns(const IpAddressRow& row) {
    const QString country = row.countryCode.isEmpty()
                                ? QStringLiteral("-")
                                : QStringLiteral("%1（%2）").arg(row.country, row.countryCode);
    // The registry's country of the network beside its owner: it can differ from where the
    // offline database places the address (a provider's range used abroad).
    const QString owner = row.owner.isEmpty() || row.networkCountry.isEmpty()
                              ? orDash(row.owner)
                              : QStringLiteral("%1（%2）").arg(row.owner, row.networkCountry);
    return {row.address, row.family, orDash(row.reverse), country, orDash(row.network), owner};
}

QStringList ipColumnNotes(const IpAddressRow& row) {
    const QString rdap =
        row.rdapProblem.isEmpty() ? QString() : QStringLiteral("RDAP 查询失败：") + row.rdapProblem;
    QStringList notes(ipHeadings().size(), rdap);
    QStringList country;
    for (const QString& why : {row.countryProblem, rdap})
        if (!why.isEmpty())
            country << why;
    notes[kIpCountryColumn] = country.join(u'\n');
    return notes;
}

QStringList domainSummary(const DomainRecord& r) {
    QStringList lines{
        QStringLiteral("域名：%1").arg(r.domain),
        QStringLiteral("来源：%1（%2）").arg(r.source.toUpper(), r.server),
        QStringLiteral("注册商：%1").arg(orDash(r.registrar)),
        QStringLiteral("注册日期：%1").arg(localDate(r.created)),
        QStringLiteral("到期日期：%1").arg(localDate(r.expires)),
        QStringLiteral("更新日期：%1").arg(localDate(r.updated)),
        QStringLiteral("域名服务器：%1").arg(orDash(r.nameServers.join(QStringLiteral(", ")))),
        QStringLiteral("状态：%1").arg(orDash(r.status.join(QStringLiteral(", ")))),
        QStringLiteral("DNSSEC：%1").arg(orDash(r.dnssec)),
    };
    if (!r.registrarNote.isEmpty())
        lines << QStringLiteral("注册商记录：%1").arg(r.registrarNote);
    if (!r.rdapNote.isEmpty())
        lines << QStringLiteral("RDAP：%1").arg(r.rdapNote);
    return lines;
}

QString domainNotice(const DomainRecord& r) {
    const QString source = QStringLiteral("%1 %2").arg(r.source.toUpper(), r.server);
    switch (r.answer) {
    case DomainRecord::Answer::NoMatch:
        return QStringLiteral("没有找到 %1 的注册信息（%2 答复没有该域名，它可能尚未注册）")
            .arg(r.domain, source);
    case DomainRecord::Answer::RateLimited:
        return QStringLiteral("%1 拒绝了对 %2 的查询：查询过于频繁，请稍后再试")
            .arg(source, r.domain);
    case DomainRecord::Answer::Record:
        break;
    }
    return {};
}
