#include "base/tool_error.h"
#include "net/http_fetch.h"
#include "netinfo/ip_lookup.h"
#include "netinfo/referral_target.h"
#include "netinfo/whois_lookup.h"
#include "netinfo_fakes.h"

#include <gtest/gtest.h>

namespace {

// The public names of the tests' endpoints and registries, mapped to their servers on
// 127.0.0.1; a request anywhere else is noted and fails, so a referral that was wrongly
// followed shows without waiting for an address that does not answer.
const QString kIanaName = QStringLiteral("whois.iana.test");
const QString kBootstrapBase = QStringLiteral("https://rdap-data.test");
const QString kRegistryBase = QStringLiteral("https://rdap.registry.test");

class MappedWhois : public WhoisClient {
public:
    std::vector<std::pair<QString, WhoisFixture*>> names;
    QStringList elsewhere;

    QByteArray query(const HostPort& server, const QString& question) override {
        for (const auto& [name, fixture] : names)
            if (server.host == name && server.port == kWhoisPort)
                return tcp_.query({QStringLiteral("127.0.0.1"), fixture->port()}, question);
        elsewhere << QStringLiteral("%1:%2").arg(server.host).arg(server.port);
        throw ToolError(QStringLiteral("测试之外的 WHOIS 服务器"));
    }

private:
    TcpWhoisClient tcp_;
};

class MappedFetcher : public Fetcher {
public:
    explicit MappedFetcher(const QString& local) : local_(local) {}
    QStringList elsewhere;

    HttpResponse get(const QString& url) override {
        for (const QString& base : {kBootstrapBase, kRegistryBase})
            if (url.startsWith(base + u'/'))
                return curl_.get(local_ + url.mid(base.size()));
        elsewhere << url;
        throw ToolError(QStringLiteral("测试之外的地址"));
    }

private:
    QString local_;
    CurlFetcher curl_;
};

// Knows no names and no reverse names: the IP lookup below is asked about an address.
class NoNames : public Resolver {
public:
    Resolution resolve(const QString& host) override {
        throw ToolError(QStringLiteral("无法解析域名“%1”").arg(host));
    }
    QString reverse(const QString&) override { return {}; }
};

// The three ways a referral leads back into the user's machine or network.
const char* const kLocalReferrals[] = {"127.0.0.1", "10.0.0.1", "[::1]"};
const char* const kLocalKinds[] = {"回环地址", "内网地址", "回环地址"};

} // namespace

TEST(ReferralTarget, ClassifiesLocalAddressesAndNames) {
    const struct {
        const char* host;
        const char* kind;
    } cases[] = {
        {"127.0.0.1", "回环地址"},
        {"127.255.3.4", "回环地址"},
        {"::1", "回环地址"},
        {"::ffff:127.0.0.1", "回环地址"},
        // Shorthands getaddrinfo takes as well.
        {"127.1", "回环地址"},
        {"2130706433", "回环地址"},
        {"0x0a000001", "内网地址"},
        {"10.0.0.1", "内网地址"},
        {"172.16.0.1", "内网地址"},
        {"172.31.255.255", "内网地址"},
        {"192.168.1.1", "内网地址"},
        {"::ffff:192.168.1.1", "内网地址"},
        {"fc00::1", "内网地址"},
        {"fd12:3456::1", "内网地址"},
        {"169.254.169.254", "链路本地地址"},
        {"fe80::1", "链路本地地址"},
        {"febf::1", "链路本地地址"},
        {"0.0.0.0", "未指定地址"},
        {"::", "未指定地址"},
        {"localhost", "本机的名字"},
        {"LocalHost.", "本机的名字"},
        {"whois.localhost", "本机的名字"},
        {"172.32.0.1", ""},
        {"172.15.255.255", ""},
        {"192.169.0.1", ""},
        {"11.0.0.1", ""},
        {"8.8.8.8", ""},
        {"2001:4860:4860::8888", ""},
        {"fec0::1", "内网地址"},
        {"whois.verisign-grs.com", ""},
        {"localhost.example", ""},
        {"notlocalhost", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(localAddressKind(QLatin1String(c.host)), QString::fromUtf8(c.kind)) << c.host;
}

TEST(ReferralTarget, ALocalStartAloneLetsReferralsStayLocalOrLeaveTheirPort) {
    const HostPort publicStart{QStringLiteral("whois.iana.org"), kWhoisPort};
    const HostPort localStart{QStringLiteral("127.0.0.1"), 4343};
    const struct {
        const char* name;
        HostPort server;
        const HostPort& start;
        const char* refusal; // empty when followed
    } whois[] = {
        {"public", {QStringLiteral("whois.nic.cc"), 43}, publicStart, ""},
        {"loopback", {QStringLiteral("127.0.0.1"), 43}, publicStart, "“127.0.0.1”是回环地址"},
        {"v6", {QStringLiteral("::1"), 43}, publicStart, "“[::1]”是回环地址"},
        {"port", {QStringLiteral("whois.nic.cc"), 4343}, publicStart, "端口 4343 不是 WHOIS"},
        {"local start, local server", {QStringLiteral("10.0.0.1"), 43}, localStart, ""},
        {"local start, fixture port", {QStringLiteral("127.0.0.1"), 4344}, localStart, ""},
    };
    for (const auto& c : whois) {
        try {
            allowWhoisReferral(c.server, c.start, QStringLiteral("IANA 给出的 WHOIS 服务器"));
            EXPECT_STREQ(c.refusal, "") << c.name << " was followed";
        } catch (const ToolError& e) {
            EXPECT_TRUE(*c.refusal && e.description().contains(QString::fromUtf8(c.refusal)))
                << c.name << ": " << e.description().toStdString();
            EXPECT_TRUE(e.description().contains(QStringLiteral("WhoisHost"))) << c.name;
        }
    }
    const struct {
        const char* url;
        const char* start;
        const char* refusal;
    } rdap[] = {
        {"https://rdap.verisign.com/com/v1/", "https://data.iana.org", ""},
        {"http://rdap.example:80/", "https://data.iana.org", ""},
        {"https://[::1]/com/", "https://data.iana.org", "“[::1]”是回环地址"},
        {"http://192.168.0.7/", "https://data.iana.org", "“192.168.0.7”是内网地址"},
        {"https://LOCALHOST/", "https://data.iana.org", "“localhost”是本机的名字"},
        {"https://rdap.example:8443/", "https://data.iana.org", "端口 8443 不是 RDAP"},
        {"http://127.0.0.1:8080/com/", "http://127.0.0.1:8000", ""},
        {"http://127.0.0.1:8080/com/", "http://localhost:8000", ""},
    };
    for (const auto& c : rdap) {
        try {
            allowRdapReferral(QLatin1String(c.url), QLatin1String(c.start),
                              QStringLiteral("IANA 引导文件给出的 RDAP 服务器"));
            EXPECT_STREQ(c.refusal, "") << c.url << " was followed";
        } catch (const ToolError& e) {
            EXPECT_TRUE(*c.refusal && e.description().contains(QString::fromUtf8(c.refusal)))
                << c.url << ": " << e.description().toStdString();
        }
    }
}

TEST(ReferralTarget, IanasWhoisReferralIntoTheLocalNetworkIsRefused) {
    FixtureServer http; // the bootstrap file: no RDAP for .cn
    http.add("/rdap/dns.json",
             FixtureServer::Page(200, "application/rdap+json", fakes::dnsBootstrap(http.base())));
    for (size_t i = 0; i < std::size(kLocalReferrals); ++i) {
        const QString referral = QLatin1String(kLocalReferrals[i]);
        WhoisFixture iana([&](const QString& q) { return fakes::ianaReferral(q, referral); });
        MappedWhois whois;
        whois.names = {{kIanaName, &iana}};
        EndpointTable endpoints;
        endpoints.set(Endpoint::RdapBootstrapHost, http.base());
        endpoints.set(Endpoint::WhoisHost, kIanaName);
        CurlFetcher fetcher;
        try {
            runWhoisLookup(fetcher, whois, endpoints, QStringLiteral("example.cn"));
            ADD_FAILURE() << referral.toStdString() << " was followed";
        } catch (const ToolError& e) {
            EXPECT_TRUE(
                e.description().contains(QStringLiteral("IANA 给出的 WHOIS 服务器“%1”是%2")
                                             .arg(referral, QString::fromUtf8(kLocalKinds[i]))))
                << e.description().toStdString();
        }
        EXPECT_EQ(iana.questions(), QStringList{QStringLiteral("cn")});
        EXPECT_TRUE(whois.elsewhere.isEmpty()) << whois.elsewhere.join(u' ').toStdString();
    }
}

TEST(ReferralTarget, ARegistrarReferralIntoTheLocalNetworkLeavesTheRegistrysAnswer) {
    FixtureServer http;
    http.add("/rdap/dns.json",
             FixtureServer::Page(200, "application/rdap+json", fakes::dnsBootstrap(http.base())));
    WhoisFixture iana(
        [](const QString& q) { return fakes::ianaReferral(q, fakes::kRegistryName); });
    for (size_t i = 0; i < std::size(kLocalReferrals); ++i) {
        const QString referral = QLatin1String(kLocalReferrals[i]);
        WhoisFixture registry([&](const QString&) { return fakes::thinRecord(referral); });
        MappedWhois whois;
        whois.names = {{kIanaName, &iana}, {fakes::kRegistryName, &registry}};
        EndpointTable endpoints;
        endpoints.set(Endpoint::RdapBootstrapHost, http.base());
        endpoints.set(Endpoint::WhoisHost, kIanaName);
        CurlFetcher fetcher;
        const DomainRecord r =
            runWhoisLookup(fetcher, whois, endpoints, QStringLiteral("example.cc"));
        EXPECT_EQ(r.answer, DomainRecord::Answer::Record);
        EXPECT_EQ(r.server, fakes::kRegistryName);
        EXPECT_EQ(r.registrar, QStringLiteral("Example Registrar, Inc."));
        EXPECT_TRUE(
            r.registrarNote.contains(QStringLiteral("注册局给出的注册商 WHOIS 服务器“%1”是%2")
                                         .arg(referral, QString::fromUtf8(kLocalKinds[i]))))
            << r.registrarNote.toStdString();
        EXPECT_TRUE(whois.elsewhere.isEmpty()) << whois.elsewhere.join(u' ').toStdString();
    }
}

TEST(ReferralTarget, RdapLinksIntoTheLocalNetworkAreRefused) {
    const QString locals[] = {QStringLiteral("http://127.0.0.1"),
                              QStringLiteral("https://10.0.0.1"), QStringLiteral("https://[::1]")};
    for (size_t i = 0; i < std::size(locals); ++i) {
        const QString& local = locals[i];
        const QString shown = QLatin1String(kLocalReferrals[i]);
        const QString kind = QString::fromUtf8(kLocalKinds[i]);
        const auto json = [](QByteArray body) {
            return FixtureServer::Page(200, "application/rdap+json", std::move(body));
        };
        EndpointTable endpoints;
        endpoints.set(Endpoint::RdapBootstrapHost, kBootstrapBase);
        MappedWhois whois;

        // The bootstrap file sends .com to the local address.
        FixtureServer toLocal;
        toLocal.add("/rdap/dns.json", json(fakes::dnsBootstrap(local)));
        MappedFetcher fetchLocal(toLocal.base());
        try {
            runWhoisLookup(fetchLocal, whois, endpoints, QStringLiteral("example.com"));
            ADD_FAILURE() << local.toStdString() << " was followed";
        } catch (const ToolError& e) {
            EXPECT_TRUE(e.description().contains(
                QStringLiteral("IANA 引导文件给出的 RDAP 服务器“%1”是%2").arg(shown, kind)))
                << e.description().toStdString();
        }
        EXPECT_TRUE(fetchLocal.elsewhere.isEmpty())
            << fetchLocal.elsewhere.join(u' ').toStdString();

        // The registry's link to the registrar leads there.
        FixtureServer registry;
        registry.add("/rdap/dns.json", json(fakes::dnsBootstrap(kRegistryBase)));
        registry.add("/com/v1/domain/example.com", json(fakes::registryDomain(local)));
        MappedFetcher fetchRegistry(registry.base());
        const DomainRecord r =
            runWhoisLookup(fetchRegistry, whois, endpoints, QStringLiteral("example.com"));
        EXPECT_EQ(r.answer, DomainRecord::Answer::Record);
        EXPECT_EQ(r.registrar, QStringLiteral("RESERVED-Internet Assigned Numbers Authority"));
        EXPECT_TRUE(r.registrarNote.contains(
            QStringLiteral("注册局给出的注册商 RDAP 地址“%1”是%2").arg(shown, kind)))
            << r.registrarNote.toStdString();
        EXPECT_TRUE(fetchRegistry.elsewhere.isEmpty())
            << fetchRegistry.elsewhere.join(u' ').toStdString();
    }
}

TEST(ReferralTarget, TheIpLookupRefusesARegistryServerInTheLocalNetwork) {
    FixtureServer http;
    http.add("/rdap/ipv4.json",
             FixtureServer::Page(200, "application/rdap+json",
                                 fakes::ipv4Bootstrap(QStringLiteral("https://10.0.0.1"))));
    EndpointTable endpoints;
    endpoints.set(Endpoint::RdapBootstrapHost, kBootstrapBase);
    MappedFetcher fetcher(http.base());
    NoNames resolver;
    const IpLookup r = runIpLookup({fetcher, resolver, endpoints}, QStringLiteral("8.8.8.8"));
    ASSERT_EQ(r.addresses.size(), 1u);
    EXPECT_TRUE(r.addresses[0].rdapProblem.contains(
        QStringLiteral("IANA 引导文件给出的 RDAP 服务器“10.0.0.1”是内网地址")))
        << r.addresses[0].rdapProblem.toStdString();
    EXPECT_TRUE(fetcher.elsewhere.isEmpty()) << fetcher.elsewhere.join(u' ').toStdString();
}
