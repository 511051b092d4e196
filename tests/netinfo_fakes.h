#pragma once

#include "base/tool_error.h"
#include "fixture_server.h"
#include "net/endpoint_table.h"
#include "net/whois_client.h"
#include "whois_fixture.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

// The registries of the IP and WHOIS tests, all on free ports of 127.0.0.1: IANA's bootstrap
// files and the RDAP servers of .com and of the addresses on one HTTP fixture, and the WHOIS
// servers of IANA, of a registry and of a registrar. The records are ours, in the shapes the RFCs
// and the registries use.
namespace fakes {

// The names IANA's referral and the thin registry's record give the WHOIS servers, without a
// port as the real ones are written. ".test" never resolves, so a query that missed
// LoopbackWhois would fail rather than leave the machine.
inline const QString kRegistryName = QStringLiteral("whois.registry.test");
inline const QString kRegistrarName = QStringLiteral("whois.registrar.test");

// A WhoisClient for lookups made in the test's own process: port 43 of a name it knows is asked
// at that name's fixture (at port 1 of 127.0.0.1, where nothing listens, once the test has shut
// the fixture), and a failure names the server as the lookup asked for it. Any other server is
// asked as given.
class LoopbackWhois : public WhoisClient {
public:
    struct Route {
        QString name;
        const std::unique_ptr<WhoisFixture>* fixture;
    };
    explicit LoopbackWhois(std::vector<Route> routes) : routes_(std::move(routes)) {}

    QByteArray query(const HostPort& server, const QString& question) override {
        for (const Route& route : routes_) {
            if (server.host.compare(route.name, Qt::CaseInsensitive) != 0)
                continue;
            if (server.port != kWhoisPort) {
                ADD_FAILURE() << route.name.toStdString() << " asked at port " << server.port;
                throw ToolError(
                    QStringLiteral("WHOIS 服务器 %1 只在端口 %2").arg(route.name).arg(kWhoisPort));
            }
            const HostPort at{QStringLiteral("127.0.0.1"),
                              *route.fixture ? (*route.fixture)->port() : quint16(1)};
            try {
                return tcp_.query(at, question);
            } catch (const ToolError& e) {
                throw ToolError(e.description().replace(
                    QStringLiteral("127.0.0.1:%1").arg(at.port),
                    QStringLiteral("%1:%2").arg(route.name).arg(kWhoisPort)));
            }
        }
        return tcp_.query(server, question);
    }

private:
    std::vector<Route> routes_;
    TcpWhoisClient tcp_;
};

inline QByteArray dnsBootstrap(const QString& base) {
    return QStringLiteral(R"({
  "version": "1.0", "publication": "2026-11-30T18:00:02Z",
  "description": "Some text",
  "services": [
    [["net", "com"], ["%1/com/v1/", "%2/com/v1/"]],
    [["org", "mytld"], ["%1/org/"]]
  ]
})")
        .arg(base, QString(base).replace(QStringLiteral("http://"), QStringLiteral("ftp://")))
        .toUtf8();
}

inline QByteArray ipv4Bootstrap(const QString& base) {
    return QStringLiteral(R"({"version": "1.0", "publication": "2026-11-30T18:00:02Z",
  "services": [
    [["8.0.0.0/8", "127.0.0.0/8"], ["%1/arin/"]],
    [["1.0.0.0/8"], ["%1/apnic/"]]
  ]})")
        .arg(base)
        .toUtf8();
}

inline QByteArray ipv6Bootstrap(const QString& base) {
    return QStringLiteral(
               R"({"version": "1.0", "services": [[["2001:4800::/23", "::1/128"], ["%1/arin/"]]]})")
        .arg(base)
        .toUtf8();
}

// The registry's record of example.com, linking to the registrar's.
inline QByteArray registryDomain(const QString& base) {
    return QStringLiteral(R"({
  "objectClassName": "domain",
  "handle": "2336799_DOMAIN_COM-VRSN",
  "ldhName": "EXAMPLE.COM",
  "links": [
    {"value": "%1/com/v1/domain/EXAMPLE.COM", "rel": "self",
     "href": "%1/com/v1/domain/EXAMPLE.COM", "type": "application/rdap+json"},
    {"value": "%1/registrar/domain/EXAMPLE.COM", "rel": "related",
     "href": "%1/registrar/domain/EXAMPLE.COM", "type": "application/rdap+json"}
  ],
  "status": ["client delete prohibited", "client transfer prohibited", "client update prohibited"],
  "entities": [{
    "objectClassName": "entity", "handle": "376", "roles": ["registrar"],
    "publicIds": [{"type": "IANA Registrar ID", "identifier": "376"}],
    "vcardArray": ["vcard", [["version", {}, "text", "4.0"], ["fn", {}, "text", "RESERVED-Internet Assigned Numbers Authority"]]],
    "entities": [{"objectClassName": "entity", "roles": ["abuse"],
      "vcardArray": ["vcard", [["version", {}, "text", "4.0"], ["fn", {}, "text", "Abuse Desk"]]]}]
  }],
  "events": [
    {"eventAction": "registration", "eventDate": "1995-08-14T04:00:00Z"},
    {"eventAction": "expiration", "eventDate": "2026-08-13T04:00:00Z"},
    {"eventAction": "last changed", "eventDate": "2025-08-14T07:01:39Z"},
    {"eventAction": "last update of RDAP database", "eventDate": "2026-12-07T09:00:00Z"}
  ],
  "secureDNS": {"delegationSigned": true, "dsData": [{"keyTag": 370, "algorithm": 13, "digestType": 2, "digest": "BE74359954660069D5C63D200C39F5603827D7DD02B56F120EE9F3A86764247C"}]},
  "nameservers": [
    {"objectClassName": "nameserver", "ldhName": "A.IANA-SERVERS.NET"},
    {"objectClassName": "nameserver", "ldhName": "B.IANA-SERVERS.NET"}
  ],
  "rdapConformance": ["rdap_level_0", "icann_rdap_technical_implementation_guide_0"]
})")
        .arg(base)
        .toUtf8();
}

// The registrar's record: it alone tells the registrar's full name in the registrar's words.
inline QByteArray registrarDomain() {
    return R"({
  "objectClassName": "domain", "ldhName": "example.com",
  "entities": [{"objectClassName": "entity", "roles": ["registrant"],
    "vcardArray": ["vcard", [["version", {}, "text", "4.0"], ["fn", {}, "text", "Example Registrant"]]]}],
  "events": [{"eventAction": "expiration", "eventDate": "2027-08-13T04:00:00.000Z"}]
})";
}

inline QByteArray rdapNotFound() {
    return R"({"errorCode": 404, "title": "Not Found", "description": ["The domain was not found."]})";
}

inline QByteArray rdapTooMany() {
    return R"({"errorCode": 429, "title": "Too Many Requests"})";
}

inline QByteArray network(const char* name, const char* start, const char* end, const char* owner) {
    return QStringLiteral(R"({
  "objectClassName": "ip network", "handle": "NET-%2-1", "startAddress": "%2", "endAddress": "%3",
  "ipVersion": "v4", "name": "%1", "type": "DIRECT ALLOCATION", "country": "us",
  "entities": [
    {"objectClassName": "entity", "roles": ["abuse"],
     "vcardArray": ["vcard", [["version", {}, "text", "4.0"], ["fn", {}, "text", "Abuse"]]]},
    {"objectClassName": "entity", "roles": ["registrant"],
     "vcardArray": ["vcard", [["version", {}, "text", "4.0"], ["fn", {}, "text", "%4"]]]}
  ]
})")
        .arg(QLatin1String(name), QLatin1String(start), QLatin1String(end),
             QString::fromUtf8(owner))
        .toUtf8();
}

// IANA's answer for a top-level domain.
inline QByteArray ianaReferral(const QString& tld, const QString& server) {
    return QStringLiteral(
               "%% IANA WHOIS server\n%% for more information on IANA, visit http://www.iana.org\n"
               "%% This query returned 1 object\n\n"
               "domain:       %1\n\norganisation: Registry of %1\n"
               "address:      Somewhere\n\nnserver:      A.DNS.%1 203.119.25.1\n"
               "whois:        %2\n\nstatus:       ACTIVE\nremarks:      Registration information: "
               "http://www.example\n"
               "refer:        %2\n\ncreated:      1990-11-28\nchanged:      2025-01-01\nsource:    "
               "   IANA\n")
        .arg(tld.toUpper(), server)
        .toUtf8();
}

// A registry in CNNIC's layout; Beijing times without a zone.
inline QByteArray cnnicRecord() {
    return "Domain Name: example.cn\r\n"
           "ROID: 20030312s10001s00033735-cn\r\n"
           "Domain Status: clientDeleteProhibited\r\n"
           "Domain Status: clientTransferProhibited\r\n"
           "Registrant: "
           "\xe7\xa4\xba\xe4\xbe\x8b\xe7\xbd\x91\xe7\xbb\x9c\xe6\x9c\x89\xe9\x99\x90\xe5\x85\xac"
           "\xe5\x8f\xb8\r\n"
           "Registrant Contact Email: dns@example.cn\r\n"
           "Sponsoring Registrar: "
           "\xe5\x8c\x97\xe4\xba\xac\xe6\x96\xb0\xe7\xbd\x91\xe6\x95\xb0\xe7\xa0\x81\xe4\xbf\xa1"
           "\xe6\x81\xaf\xe6\x8a\x80\xe6\x9c\xaf\xe6\x9c\x89\xe9\x99\x90\xe5\x85\xac\xe5\x8f\xb8\r"
           "\n"
           "Name Server: ns1.example.cn\r\n"
           "Name Server: ns2.example.cn\r\n"
           "Registration Time: 2003-03-17 12:20:05\r\n"
           "Expiration Time: 2027-03-17 12:48:36\r\n"
           "DNSSEC: unsigned\r\n";
}

// A thin registry in Verisign's layout, referring to the registrar's server.
inline QByteArray thinRecord(const QString& registrarServer) {
    return QStringLiteral(
               "   Domain Name: EXAMPLE.CC\r\n"
               "   Registry Domain ID: 4564567_DOMAIN_CC-VRSN\r\n"
               "   Registrar WHOIS Server: %1\r\n"
               "   Registrar URL: http://www.registrar.example\r\n"
               "   Updated Date: 2024-08-14T07:02:37Z\r\n"
               "   Creation Date: 1995-08-14T04:00:00Z\r\n"
               "   Registry Expiry Date: 2025-08-13T04:00:00Z\r\n"
               "   Registrar: Example Registrar, Inc.\r\n"
               "   Registrar IANA ID: 376\r\n"
               "   Domain Status: clientDeleteProhibited "
               "https://icann.org/epp#clientDeleteProhibited\r\n"
               "   Name Server: A.IANA-SERVERS.NET\r\n"
               "   Name Server: B.IANA-SERVERS.NET\r\n"
               "   DNSSEC: signedDelegation\r\n"
               ">>> Last update of whois database: 2026-12-07T09:00:00Z <<<\r\n\r\n"
               "NOTICE: The expiration date displayed in this record is the date the registrar's "
               "sponsorship of the domain name registration in the registry is currently set to "
               "expire. TERMS OF USE: You are not authorized to access or query our Whois "
               "database through the use of electronic processes that are high-volume.\r\n")
        .arg(registrarServer)
        .toUtf8();
}

inline QByteArray registrarRecord() {
    return "Domain Name: example.cc\r\n"
           "Registrar: Example Registrar, Inc.\r\n"
           "Registrant Organization: Example Holdings\r\n"
           "Name Server: a.iana-servers.net\r\n";
}

// How the registries' referrals name their WHOIS servers.
enum class Referrals {
    // By kRegistryName and kRegistrarName, reached through Registries::whois.
    ByName,
    // As "127.0.0.1:port", for a tessivo-cli run: the lookup follows a referral with a port as
    // it follows one without, and the program has no seam for a test's WhoisClient.
    WithPorts,
};

// Everything above, served. The registry and registrar servers answer "no match" for names
// beginning with "free" and refuse names beginning with "busy"; the registry holds each answer
// for whoisDelayMs.
struct Registries {
    FixtureServer http;
    std::unique_ptr<WhoisFixture> iana, registry, registrar;
    // The registry's and the registrar's WHOIS servers as the referrals name them.
    QString registryServer, registrarServer;
    // The client for lookups in this process.
    LoopbackWhois whois{{{kRegistryName, &registry}, {kRegistrarName, &registrar}}};

    explicit Registries(Referrals referrals = Referrals::ByName, int whoisDelayMs = 0) {
        const QString base = http.base();
        const auto json = [](QByteArray body, int status = 200) {
            return FixtureServer::Page(status, "application/rdap+json", std::move(body));
        };
        http.add("/rdap/dns.json", json(dnsBootstrap(base)));
        http.add("/rdap/ipv4.json", json(ipv4Bootstrap(base)));
        http.add("/rdap/ipv6.json", json(ipv6Bootstrap(base)));
        http.add("/com/v1/domain/example.com", json(registryDomain(base)));
        http.add("/com/v1/domain/free.com", json(rdapNotFound(), 404));
        http.add("/com/v1/domain/busy.com", json(rdapTooMany(), 429));
        http.add("/registrar/domain/EXAMPLE.COM", json(registrarDomain()));
        http.add("/arin/ip/8.8.8.8", json(network("GOGL", "8.8.8.0", "8.8.8.255", "Google LLC")));
        http.add("/arin/ip/127.0.0.1",
                 json(network("LOOPBACK-TEST", "127.0.0.0", "127.255.255.255", "测试网络")));
        http.add("/arin/ip/::1", json(rdapNotFound(), 404));
        registrar =
            std::make_unique<WhoisFixture>([](const QString&) { return registrarRecord(); });
        registrarServer = referrals == Referrals::ByName ? kRegistrarName : registrar->hostPort();
        registry = std::make_unique<WhoisFixture>(
            [thin = thinRecord(registrarServer)](const QString& q) -> QByteArray {
                if (q.startsWith(QStringLiteral("free")))
                    return "No matching record.\r\n";
                if (q.startsWith(QStringLiteral("busy")))
                    return "%ERROR:201: access denied - query rate limit exceeded\r\n";
                return q.endsWith(QStringLiteral(".cc")) ? thin : cnnicRecord();
            },
            whoisDelayMs);
        registryServer = referrals == Referrals::ByName ? kRegistryName : registry->hostPort();
        iana = std::make_unique<WhoisFixture>(
            [server = registryServer](const QString& q) { return ianaReferral(q, server); });
    }

    EndpointTable endpoints() const {
        EndpointTable t;
        t.set(Endpoint::RdapBootstrapHost, http.base());
        t.set(Endpoint::WhoisHost, iana->hostPort());
        return t;
    }

    // An endpoints file pointing both endpoints here, in dir.
    QString iniFile(const QTemporaryDir& dir) const {
        const QString path = dir.filePath(QStringLiteral("netinfo.ini"));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(QStringLiteral("[endpoints]\nRdapBootstrapHost=%1\nWhoisHost=%2\n")
                    .arg(http.base(), iana->hostPort())
                    .toUtf8());
        return path;
    }
};

} // namespace fakes
