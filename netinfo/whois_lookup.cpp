#include "netinfo/whois_lookup.h"

#include "base/tool_error.h"
#include "netinfo/domain_name.h"
#include "netinfo/rdap.h"
#include "netinfo/referral_target.h"
#include "netinfo/whois_protocol.h"

#include <QUrl>

namespace {

void tell(const Progress& progress, const QString& what, int step) {
    if (progress)
        progress(what, step, 0);
}

QString hostPortText(const HostPort& hp) {
    const QString host = hp.host.contains(u':') ? u'[' + hp.host + u']' : hp.host;
    return hp.port == kWhoisPort ? host : QStringLiteral("%1:%2").arg(host).arg(hp.port);
}

HostPort serverNamed(const QString& text, const char* what) {
    const auto parsed = parseHostPort(text, kWhoisPort);
    if (const QString* why = std::get_if<QString>(&parsed))
        throw ToolError(
            QStringLiteral("%1“%2”有误：%3").arg(QString::fromUtf8(what), echoed(text), *why));
    return std::get<HostPort>(parsed);
}

void fillBlanks(DomainRecord& r, const QString& registrar, const QDateTime& created,
                const QDateTime& expires, const QDateTime& updated, const QStringList& ns,
                const QStringList& status, const QString& dnssec) {
    if (r.registrar.isEmpty())
        r.registrar = registrar;
    if (!r.created.isValid())
        r.created = created;
    if (!r.expires.isValid())
        r.expires = expires;
    if (!r.updated.isValid())
        r.updated = updated;
    if (r.nameServers.isEmpty())
        r.nameServers = ns;
    if (r.status.isEmpty())
        r.status = status;
    if (r.dnssec.isEmpty())
        r.dnssec = dnssec;
}

DomainRecord::Answer answerOf(RdapReply::Kind kind) {
    switch (kind) {
    case RdapReply::Kind::NotFound:
        return DomainRecord::Answer::NoMatch;
    case RdapReply::Kind::RateLimited:
        return DomainRecord::Answer::RateLimited;
    case RdapReply::Kind::Found:
        break;
    }
    return DomainRecord::Answer::Record;
}

DomainRecord::Answer answerOf(WhoisVerdict verdict) {
    switch (verdict) {
    case WhoisVerdict::NoMatch:
        return DomainRecord::Answer::NoMatch;
    case WhoisVerdict::RateLimited:
        return DomainRecord::Answer::RateLimited;
    case WhoisVerdict::Record:
        break;
    }
    return DomainRecord::Answer::Record;
}

void byRdap(DomainRecord& r, Fetcher& fetcher, const EndpointTable& endpoints,
            const QString& service, const Progress& progress) {
    r.source = QStringLiteral("rdap");
    const QString start = endpoints.base(Endpoint::RdapBootstrapHost);
    r.server = service + QStringLiteral("domain/") + QString::fromLatin1(QUrl::toAce(r.domain));
    tell(progress, QStringLiteral("注册局 RDAP"), 2);
    allowRdapReferral(service, start, QStringLiteral("IANA 引导文件给出的 RDAP 服务器"));
    const RdapReply registry = rdapGet(fetcher, r.server);
    r.answer = answerOf(registry.kind);
    r.raw = registry.text();
    if (r.answer != DomainRecord::Answer::Record)
        return;
    const RdapDomain d = readRdapDomain(registry.object);
    fillBlanks(r, d.registrar, d.created, d.expires, d.updated, d.nameServers, d.status, d.dnssec);
    if (d.registrarUrl.isEmpty())
        return;
    tell(progress, QStringLiteral("注册商 RDAP"), 3);
    try {
        allowRdapReferral(d.registrarUrl, start, QStringLiteral("注册局给出的注册商 RDAP 地址"));
        const RdapReply registrar = rdapGet(fetcher, d.registrarUrl);
        if (registrar.kind != RdapReply::Kind::Found) {
            r.registrarNote = QStringLiteral("注册商的 RDAP 服务器 %1 %2")
                                  .arg(echoed(d.registrarUrl),
                                       registrar.kind == RdapReply::Kind::NotFound
                                           ? QStringLiteral("没有该域名的记录")
                                           : QStringLiteral("拒绝了查询（查询过于频繁）"));
            return;
        }
        const RdapDomain own = readRdapDomain(registrar.object);
        fillBlanks(r, own.registrar, own.created, own.expires, own.updated, own.nameServers,
                   own.status, own.dnssec);
        r.raw += QStringLiteral("\n\n=== 注册商 RDAP：%1 ===\n\n").arg(d.registrarUrl) +
                 registrar.text();
    } catch (const ToolError& e) {
        r.registrarNote = e.description();
    }
}

void byWhois(DomainRecord& r, WhoisClient& whois, const Deadline& deadline,
             const EndpointTable& endpoints, const Progress& progress) {
    r.source = QStringLiteral("whois");
    const HostPort iana = endpoints.whoisServer();
    const QString tld = r.domain.section(u'.', -1);
    tell(progress, QStringLiteral("IANA WHOIS"), 2);
    const QString referral =
        whoisReferral(decodeWhois(whois.queryWithin(iana, tld, deadline.left())));
    if (referral.isEmpty())
        throw ToolError(QStringLiteral("顶级域名 .%1 既没有 RDAP 服务器，IANA 的 WHOIS 服务器 %2 "
                                       "也没有给出它的 WHOIS 服务器")
                            .arg(echoed(tld), hostPortText(iana)));
    const HostPort registry = serverNamed(referral, "IANA 给出的 WHOIS 服务器");
    allowWhoisReferral(registry, iana, QStringLiteral("IANA 给出的 WHOIS 服务器"));
    r.server = hostPortText(registry);
    tell(progress, QStringLiteral("注册局 WHOIS"), 3);
    const QString text = decodeWhois(whois.queryWithin(registry, r.domain, deadline.left()));
    r.answer = answerOf(whoisVerdict(text));
    r.raw = text;
    if (r.answer != DomainRecord::Answer::Record)
        return;
    const WhoisSummary s = readWhoisSummary(text);
    fillBlanks(r, s.registrar, s.created, s.expires, s.updated, s.nameServers, s.status, s.dnssec);
    const QString thin = registrarWhoisServer(text);
    if (thin.isEmpty() || thin.compare(registry.host, Qt::CaseInsensitive) == 0)
        return;
    tell(progress, QStringLiteral("注册商 WHOIS"), 4);
    try {
        const HostPort registrar = serverNamed(thin, "注册局给出的注册商 WHOIS 服务器");
        allowWhoisReferral(registrar, iana, QStringLiteral("注册局给出的注册商 WHOIS 服务器"));
        const QString own = decodeWhois(whois.queryWithin(registrar, r.domain, deadline.left()));
        if (whoisVerdict(own) != WhoisVerdict::Record) {
            r.registrarNote = QStringLiteral("注册商的 WHOIS 服务器 %1 没有给出记录")
                                  .arg(hostPortText(registrar));
            return;
        }
        const WhoisSummary o = readWhoisSummary(own);
        fillBlanks(r, o.registrar, o.created, o.expires, o.updated, o.nameServers, o.status,
                   o.dnssec);
        r.raw +=
            QStringLiteral("\n\n=== 注册商 WHOIS：%1 ===\n\n").arg(hostPortText(registrar)) + own;
    } catch (const ToolError& e) {
        r.registrarNote = e.description();
    }
}

} // namespace

DomainRecord runWhoisLookup(Fetcher& fetcher, WhoisClient& whois, const EndpointTable& endpoints,
                            const QString& host, const Progress& progress,
                            std::chrono::milliseconds timeLimit) {
    const Deadline deadline(timeLimit);
    DeadlineFetcher limited(fetcher, deadline);
    DomainRecord r;
    r.domain = registrableDomain(host);
    tell(progress, QStringLiteral("RDAP 引导文件"), 1);
    RdapBootstrap bootstrap(limited, endpoints);
    QString service;
    try {
        service = bootstrap.serviceForDomain(r.domain);
    } catch (const ToolError& e) {
        // Port 43 may still be open where IANA's data host is not.
        r.rdapNote = QStringLiteral("无法取得 RDAP 引导文件，改用 WHOIS：%1").arg(e.description());
    }
    if (!service.isEmpty()) {
        byRdap(r, limited, endpoints, service, progress);
        return r;
    }
    try {
        byWhois(r, whois, deadline, endpoints, progress);
    } catch (const ToolError& e) {
        if (r.rdapNote.isEmpty())
            throw;
        throw ToolError(r.rdapNote + QStringLiteral("；WHOIS 也失败了：") + e.description());
    }
    return r;
}
