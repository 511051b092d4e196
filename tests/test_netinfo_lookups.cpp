#include "base/program_folder.h"
#include "base/tool_error.h"
#include "country_data.h"
#include "net/resolver.h"
#include "netinfo/ip_lookup.h"
#include "netinfo/lookup_text.h"
#include "netinfo/whois_lookup.h"
#include "netinfo_fakes.h"
#include "program_folder_guard.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QDateTime utc(const char* iso) {
    return QDateTime::fromString(QLatin1String(iso), Qt::ISODate).toUTC();
}

// Answers for names of its own; any other address has no reverse name.
class FakeResolver : public Resolver {
public:
    Resolution resolve(const QString& host) override {
        if (host == u"www.example.com")
            return {
                {QStringLiteral("example.com.cdn.example.net"), QStringLiteral("edge.example.net")},
                {QStringLiteral("8.8.8.8"), QStringLiteral("::1"), QStringLiteral("10.0.0.1")}};
        throw ToolError(QStringLiteral("无法解析域名“%1”").arg(host));
    }
    QString reverse(const QString& address) override {
        return address == u"8.8.8.8" ? QStringLiteral("dns.google") : QString();
    }
};

} // namespace

TEST(WhoisLookup, AnswersFromRdapAndTheRegistrarsRecord) {
    fakes::Registries fake;
    CurlFetcher fetcher;
    WhoisClient& whois = fake.whois;
    QStringList steps;
    const DomainRecord r =
        runWhoisLookup(fetcher, whois, fake.endpoints(), QStringLiteral("www.example.com"),
                       [&](const QString& what, int, int) { steps << what; });
    EXPECT_EQ(r.answer, DomainRecord::Answer::Record);
    EXPECT_EQ(r.domain, QStringLiteral("example.com"));
    EXPECT_EQ(r.source, QStringLiteral("rdap"));
    EXPECT_EQ(r.server, fake.http.base() + QStringLiteral("/com/v1/domain/example.com"));
    EXPECT_EQ(r.registrar, QStringLiteral("RESERVED-Internet Assigned Numbers Authority"));
    EXPECT_EQ(r.expires, utc("2026-08-13T04:00:00Z")) << "the registry's date comes first";
    EXPECT_TRUE(r.raw.contains(QStringLiteral("=== 注册商 RDAP")));
    EXPECT_TRUE(r.raw.contains(QStringLiteral("Example Registrant")));
    EXPECT_TRUE(r.registrarNote.isEmpty());
    EXPECT_EQ(steps.size(), 3);
    EXPECT_TRUE(fake.iana->questions().isEmpty()) << "no WHOIS for a TLD with RDAP";
}

TEST(WhoisLookup, FallsBackToWhoisThroughIanaForATldWithoutRdap) {
    fakes::Registries fake;
    CurlFetcher fetcher;
    WhoisClient& whois = fake.whois;
    const DomainRecord cn =
        runWhoisLookup(fetcher, whois, fake.endpoints(), QStringLiteral("www.example.cn"));
    EXPECT_EQ(cn.source, QStringLiteral("whois"));
    EXPECT_EQ(cn.server, fakes::kRegistryName);
    EXPECT_EQ(cn.registrar, QStringLiteral("北京新网数码信息技术有限公司"));
    EXPECT_EQ(cn.created, utc("2003-03-17T04:20:05Z"));
    EXPECT_EQ(cn.raw, QString::fromUtf8(fakes::cnnicRecord()));
    EXPECT_EQ(fake.iana->questions(), QStringList{QStringLiteral("cn")});
    EXPECT_EQ(fake.registry->questions(), QStringList{QStringLiteral("example.cn")});
    EXPECT_TRUE(fake.registrar->questions().isEmpty()) << "a thick registry refers nowhere";

    const DomainRecord cc =
        runWhoisLookup(fetcher, whois, fake.endpoints(), QStringLiteral("example.cc"));
    EXPECT_EQ(fake.registrar->questions(), QStringList{QStringLiteral("example.cc")});
    EXPECT_EQ(cc.registrar, QStringLiteral("Example Registrar, Inc."));
    EXPECT_TRUE(cc.raw.contains(QStringLiteral("=== 注册商 WHOIS：whois.registrar.test ===")));
    EXPECT_TRUE(cc.raw.contains(QStringLiteral("Example Holdings")));
}

TEST(WhoisLookup, NoMatchAndRateLimitsAreAnswersNotErrors) {
    fakes::Registries fake;
    CurlFetcher fetcher;
    WhoisClient& whois = fake.whois;
    const struct {
        const char* host;
        DomainRecord::Answer answer;
        const char* source;
        const char* notice;
    } cases[] = {
        {"free.com", DomainRecord::Answer::NoMatch, "rdap", "没有找到 free.com 的注册信息"},
        {"busy.com", DomainRecord::Answer::RateLimited, "rdap", "查询过于频繁"},
        {"free.cn", DomainRecord::Answer::NoMatch, "whois", "没有找到 free.cn 的注册信息"},
        {"busy.cn", DomainRecord::Answer::RateLimited, "whois", "查询过于频繁"},
    };
    for (const auto& c : cases) {
        const DomainRecord r =
            runWhoisLookup(fetcher, whois, fake.endpoints(), QLatin1String(c.host));
        EXPECT_EQ(r.answer, c.answer) << c.host;
        EXPECT_EQ(r.source, QLatin1String(c.source)) << c.host;
        EXPECT_TRUE(domainNotice(r).contains(QString::fromUtf8(c.notice)))
            << c.host << ": " << domainNotice(r).toStdString();
    }
}

TEST(WhoisLookup, ARegistrarThatFailsLeavesTheRegistrysAnswer) {
    fakes::Registries fake;
    fake.registrar.reset(); // nothing answers for the registrar any more
    CurlFetcher fetcher;
    WhoisClient& whois = fake.whois;
    const DomainRecord r =
        runWhoisLookup(fetcher, whois, fake.endpoints(), QStringLiteral("example.cc"));
    EXPECT_EQ(r.answer, DomainRecord::Answer::Record);
    EXPECT_EQ(r.registrar, QStringLiteral("Example Registrar, Inc."));
    EXPECT_TRUE(r.registrarNote.contains(QStringLiteral("whois.registrar.test:43")))
        << r.registrarNote.toStdString();
    EXPECT_TRUE(domainSummary(r).last().startsWith(QStringLiteral("注册商记录：")));
}

TEST(WhoisLookup, FailuresNameWhatFailed) {
    fakes::Registries fake;
    CurlFetcher fetcher;
    WhoisClient& whois = fake.whois;
    const EndpointTable good = fake.endpoints();
    EndpointTable noIana = good;
    noIana.set(Endpoint::WhoisHost, QStringLiteral("127.0.0.1:1"));
    const struct {
        const char* name;
        const EndpointTable& endpoints;
        const char* host;
        const char* says;
    } cases[] = {
        {"IANA unreachable", noIana, "example.cn", "127.0.0.1:1"},
        {"public suffix", good, "com.cn", "公共后缀"},
    };
    for (const auto& c : cases) {
        try {
            runWhoisLookup(fetcher, whois, c.endpoints, QLatin1String(c.host));
            ADD_FAILURE() << c.name << " succeeded";
        } catch (const ToolError& e) {
            EXPECT_TRUE(e.description().contains(QString::fromUtf8(c.says)))
                << c.name << ": " << e.description().toStdString();
        }
    }
}

TEST(WhoisLookup, WithoutTheBootstrapFileWhoisAnswersAndSaysWhy) {
    fakes::Registries fake;
    CurlFetcher fetcher;
    WhoisClient& whois = fake.whois;
    EndpointTable endpoints = fake.endpoints();
    endpoints.set(Endpoint::RdapBootstrapHost, fake.http.base() + QStringLiteral("/nothing"));
    const DomainRecord r = runWhoisLookup(fetcher, whois, endpoints, QStringLiteral("example.cn"));
    EXPECT_EQ(r.source, QStringLiteral("whois"));
    EXPECT_EQ(r.answer, DomainRecord::Answer::Record);
    EXPECT_TRUE(r.rdapNote.contains(QStringLiteral("/nothing/rdap/dns.json")));
    EXPECT_TRUE(domainSummary(r).last().startsWith(QStringLiteral("RDAP：无法取得 RDAP 引导文件")));

    endpoints.set(Endpoint::WhoisHost, QStringLiteral("127.0.0.1:1"));
    try {
        runWhoisLookup(fetcher, whois, endpoints, QStringLiteral("example.cn"));
        FAIL() << "neither RDAP nor WHOIS could be asked";
    } catch (const ToolError& e) {
        EXPECT_TRUE(e.description().contains(QStringLiteral("/nothing/rdap/dns.json")) &&
                    e.description().contains(QStringLiteral("127.0.0.1:1")))
            << e.description().toStdString();
    }
}

TEST(IpLookup, ResolvesLocalhostThroughTheSystem) {
    fakes::Registries fake;
    CurlFetcher fetcher;
    SystemResolver resolver;
    const EndpointTable endpoints = fake.endpoints();
    const IpLookup r = runIpLookup({fetcher, resolver, endpoints}, QStringLiteral("localhost"));
    ASSERT_FALSE(r.addresses.empty());
    const IpAddressRow& first = r.addresses.front();
    EXPECT_EQ(first.address, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(first.family, QStringLiteral("IPv4"));
    EXPECT_EQ(first.reverse, QStringLiteral("localhost"));
    EXPECT_TRUE(first.countryCode.isEmpty()) << "loopback is in no country";
    EXPECT_EQ(first.network, QStringLiteral("LOOPBACK-TEST (127.0.0.0 - 127.255.255.255)"));
    EXPECT_EQ(first.owner, QStringLiteral("测试网络"));
    EXPECT_TRUE(r.aliases.isEmpty());
}

TEST(IpLookup, EveryAddressGetsItsRowAndAFailedRdapLookupOnlyItsReason) {
    SKIP_WITHOUT_COUNTRY_DATABASE();
    fakes::Registries fake;
    CurlFetcher fetcher;
    FakeResolver resolver;
    const EndpointTable endpoints = fake.endpoints();
    QStringList streamed;
    const IpLookup r =
        runIpLookup({fetcher, resolver, endpoints}, QStringLiteral("www.example.com"),
                    [&](const IpAddressRow& row) { streamed << row.address; });
    EXPECT_EQ(r.aliases.size(), 2);
    ASSERT_EQ(r.addresses.size(), 3u);
    EXPECT_EQ(streamed, QStringList({QStringLiteral("8.8.8.8"), QStringLiteral("::1"),
                                     QStringLiteral("10.0.0.1")}));
    const struct {
        const char* reverse;
        const char* countryCode;
        const char* country;
        const char* owner;
        const char* problem;
    } expected[] = {
        {"dns.google", "US", "美国", "Google LLC", ""},
        {"", "", "", "", "没有该地址的记录"},
        {"", "", "", "", "没有列出该地址所在的地址段"},
    };
    for (size_t i = 0; i < std::size(expected); ++i) {
        const IpAddressRow& row = r.addresses[i];
        EXPECT_EQ(row.reverse, QLatin1String(expected[i].reverse)) << i;
        EXPECT_EQ(row.countryCode, QLatin1String(expected[i].countryCode)) << i;
        EXPECT_EQ(row.country, QString::fromUtf8(expected[i].country)) << i;
        EXPECT_EQ(row.owner, QLatin1String(expected[i].owner)) << i;
        EXPECT_TRUE(row.rdapProblem.contains(QString::fromUtf8(expected[i].problem))) << i;
        EXPECT_EQ(row.rdapProblem.isEmpty(), !*expected[i].problem) << i;
    }
    EXPECT_EQ(ipColumns(r.addresses[1])[2], QStringLiteral("-"));
    EXPECT_EQ(ipColumns(r.addresses[0])[3], QStringLiteral("美国（US）"));
    EXPECT_EQ(ipColumns(r.addresses[0])[5], QStringLiteral("Google LLC（US）"));
}

TEST(IpLookup, ABootstrapThatCannotBeFetchedFailsNoRowAndIsAskedOnce) {
    SKIP_WITHOUT_COUNTRY_DATABASE();
    fakes::Registries fake;
    CurlFetcher fetcher;
    FakeResolver resolver;
    EndpointTable endpoints = fake.endpoints();
    endpoints.set(Endpoint::RdapBootstrapHost, fake.http.base() + QStringLiteral("/gone"));
    const IpLookup r =
        runIpLookup({fetcher, resolver, endpoints}, QStringLiteral("www.example.com"));
    ASSERT_EQ(r.addresses.size(), 3u);
    EXPECT_EQ(r.addresses[0].countryCode, QStringLiteral("US"));
    for (const IpAddressRow& row : r.addresses)
        EXPECT_TRUE(row.rdapProblem.contains(QStringLiteral("/gone/rdap/ipv")))
            << row.address.toStdString();
    EXPECT_EQ(fake.http.requests(), QStringList({QStringLiteral("/gone/rdap/ipv4.json"),
                                                 QStringLiteral("/gone/rdap/ipv6.json")}));
    EXPECT_THROW(runIpLookup({fetcher, resolver, endpoints}, QStringLiteral("nowhere.example")),
                 ToolError);
}

// A build from source runs before scripts/fetch-ip-data.sh has fetched the country database: the
// lookup still answers, and every row says why its country is missing and how to fetch it.
TEST(IpLookup, AMissingCountryDatabaseLeavesTheCountryToItsReason) {
    QTemporaryDir data;
    ASSERT_TRUE(QDir(data.path()).mkpath(QStringLiteral("config")));
    ASSERT_TRUE(QFile::copy(program_folder::file(QStringLiteral("/config/country_names.tsv")),
                            data.filePath(QStringLiteral("config/country_names.tsv"))));
    const ProgramFolderGuard folder(data.path());
    fakes::Registries fake;
    CurlFetcher fetcher;
    FakeResolver resolver;
    EndpointTable endpoints = fake.endpoints();
    const IpLookup r =
        runIpLookup({fetcher, resolver, endpoints}, QStringLiteral("www.example.com"));
    ASSERT_EQ(r.addresses.size(), 3u);
    const IpAddressRow& google = r.addresses[0];
    EXPECT_TRUE(google.countryCode.isEmpty());
    EXPECT_EQ(google.owner, QStringLiteral("Google LLC")) << "RDAP is still asked";
    for (const IpAddressRow& row : r.addresses) {
        EXPECT_TRUE(row.countryProblem.contains(QStringLiteral("geo-whois-asn-country.mmdb")) &&
                    row.countryProblem.contains(QStringLiteral("bash scripts/fetch-ip-data.sh")))
            << row.countryProblem.toStdString();
        EXPECT_EQ(ipColumns(row)[3], QStringLiteral("-"));
    }
    const QStringList notes = ipColumnNotes(google);
    EXPECT_EQ(notes[3], google.countryProblem);
    EXPECT_TRUE(notes[0].isEmpty() && notes[5].isEmpty()) << "RDAP answered";
    const QStringList both = ipColumnNotes(r.addresses[1]);
    EXPECT_EQ(both[3].split(u'\n'),
              QStringList({r.addresses[1].countryProblem,
                           QStringLiteral("RDAP 查询失败：") + r.addresses[1].rdapProblem}));
    EXPECT_EQ(both[0], both[3].split(u'\n').last()) << "the registry's failure on every column";
}
