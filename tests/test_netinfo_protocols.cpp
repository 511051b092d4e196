#include "base/charset.h"
#include "base/tool_error.h"
#include "fixture_server.h"
#include "net/stop.h"
#include "net/whois_client.h"
#include "netinfo/rdap.h"
#include "netinfo/whois_protocol.h"
#include "netinfo_fakes.h"

#include <QJsonDocument>
#include <chrono>
#include <future>
#include <gtest/gtest.h>

namespace {

QDateTime utc(const char* iso) {
    return QDateTime::fromString(QLatin1String(iso), Qt::ISODate).toUTC();
}

QJsonObject object(const QByteArray& json) {
    return QJsonDocument::fromJson(json).object();
}

// A domain answer whose remarks hold depth levels of open (arrays, or objects of one member)
// around a list of zeros, about bytes long in all.
QByteArray nestedAnswer(int depth, char open, qsizetype bytes) {
    const QByteArray level = open == '[' ? QByteArray("[") : QByteArray(R"({"r":)");
    const QByteArray head =
        R"({"objectClassName":"domain","ldhName":"x.cn","remarks":)" + level.repeated(depth) + '[';
    const QByteArray tail = ']' + QByteArray(open == '[' ? "]" : "}").repeated(depth) + '}';
    const qsizetype zeros = std::max<qsizetype>(1, (bytes - head.size() - tail.size()) / 2);
    return head + QByteArray("0,").repeated(zeros - 1) + '0' + tail;
}

} // namespace

TEST(RdapBootstrap, PicksTheServiceOfTheTopLevelDomainOrTheLongestPrefix) {
    FixtureServer server;
    const QString base = server.base();
    server.add("/rdap/dns.json", {200, "application/json", fakes::dnsBootstrap(base)});
    server.add("/rdap/ipv4.json", {200, "application/json",
                                   QStringLiteral(R"({"services": [[["8.0.0.0/8"], ["%1/wide/"]],
                                                 [["8.8.8.0/24"], ["%1/narrow"]]]})")
                                       .arg(base)
                                       .toUtf8()});
    server.add("/rdap/ipv6.json", {200, "application/json", fakes::ipv6Bootstrap(base)});
    CurlFetcher fetcher;
    EndpointTable endpoints;
    endpoints.set(Endpoint::RdapBootstrapHost, base);
    RdapBootstrap b(fetcher, endpoints);
    const struct {
        const char* asked;
        QString service;
    } domains[] = {
        {"example.com", base + QStringLiteral("/com/v1/")},
        {"EXAMPLE.NET", base + QStringLiteral("/com/v1/")},
        {"a.b.mytld", base + QStringLiteral("/org/")},
        {"example.cn", QString()},
        {"examplecom", QString()},
    };
    for (const auto& d : domains)
        EXPECT_EQ(b.serviceForDomain(QLatin1String(d.asked)), d.service) << d.asked;
    EXPECT_EQ(b.serviceForAddress(QStringLiteral("8.8.8.8")), base + QStringLiteral("/narrow/"));
    EXPECT_EQ(b.serviceForAddress(QStringLiteral("8.8.4.4")), base + QStringLiteral("/wide/"));
    EXPECT_EQ(b.serviceForAddress(QStringLiteral("9.9.9.9")), QString());
    EXPECT_EQ(b.serviceForAddress(QStringLiteral("2001:4860:4860::8888")),
              base + QStringLiteral("/arin/"));
    // Each file is fetched once per run, whatever is asked.
    EXPECT_EQ(server.requests().size(), 3);
}

TEST(RdapGet, TellsRecordsFromErrorObjects) {
    FixtureServer server;
    server.add("/found", {200, "application/rdap+json", fakes::registrarDomain()});
    server.add("/missing", {404, "application/rdap+json", fakes::rdapNotFound()});
    server.add("/busy", {429, "application/rdap+json", fakes::rdapTooMany()});
    server.add("/broken", {500, "application/rdap+json",
                           R"({"errorCode": 500, "title": "Internal Server Error"})"});
    const std::pair<const char*, const char*> oddCodes[] = {{"string", R"("404")"},
                                                            {"null", "null"},
                                                            {"big", "4040"},
                                                            {"fraction", "404.5"},
                                                            {"small", "99"}};
    for (const auto& [name, code] : oddCodes)
        server.add(std::string("/code/") + name,
                   {200, "application/rdap+json",
                    QByteArray(R"({"errorCode": )") + code + R"(, "title": "Gone"})"});
    server.add("/html", {200, "text/html", "<h1>Maintenance</h1>"});
    server.add("/html404", {404, "text/html", "<h1>Not Found</h1>"});
    server.add("/empty429", {429, "text/plain", ""});
    server.add("/gateway", {502, "application/json", "{}"});
    CurlFetcher fetcher;
    const struct {
        const char* path;
        std::optional<RdapReply::Kind> kind; // nothing: an error
        const char* says = "";
    } cases[] = {
        {"/found", RdapReply::Kind::Found},
        {"/missing", RdapReply::Kind::NotFound},
        {"/busy", RdapReply::Kind::RateLimited},
        {"/broken", std::nullopt, "答复错误 500：Internal Server Error"},
        {"/html", std::nullopt, "不是 JSON 对象"},
        {"/html404", RdapReply::Kind::NotFound},
        {"/empty429", RdapReply::Kind::RateLimited},
        {"/gateway", std::nullopt, "答复错误 502"},
        {"/code/string", std::nullopt, "错误代码 \"404\" 不是 100 到 599 的整数：Gone"},
        {"/code/null", std::nullopt, "错误代码 null 不是"},
        {"/code/big", std::nullopt, "错误代码 4040 不是"},
        {"/code/fraction", std::nullopt, "错误代码 404.5 不是"},
        {"/code/small", std::nullopt, "错误代码 99 不是"},
    };
    for (const auto& c : cases) {
        const QString url = server.base() + QLatin1String(c.path);
        try {
            const RdapReply r = rdapGet(fetcher, url);
            ASSERT_TRUE(c.kind) << c.path;
            EXPECT_EQ(r.kind, *c.kind) << c.path;
            if (r.kind == RdapReply::Kind::Found) {
                EXPECT_TRUE(r.text().contains(u'\n')) << "laid out: " << c.path;
            }
        } catch (const ToolError& e) {
            EXPECT_FALSE(c.kind) << c.path << ": " << e.description().toStdString();
            EXPECT_TRUE(e.description().contains(QString::fromUtf8(c.says)) &&
                        e.description().contains(url))
                << e.description().toStdString();
        }
    }
}

TEST(RdapGet, LaysTheAnswerOutInTheServersOrder) {
    FixtureServer server;
    server.add("/d", {200, "application/rdap+json",
                      R"({"objectClassName":"domain","ldhName":"x.cn","remarks":[{"description":)"
                      R"(["a \"quoted\", {odd} [text]: here"]}],"status":[],"events":{}})"});
    CurlFetcher fetcher;
    EXPECT_EQ(rdapGet(fetcher, server.base() + QStringLiteral("/d")).text(),
              QStringLiteral("{\n"
                             "  \"objectClassName\": \"domain\",\n"
                             "  \"ldhName\": \"x.cn\",\n"
                             "  \"remarks\": [\n"
                             "    {\n"
                             "      \"description\": [\n"
                             "        \"a \\\"quoted\\\", {odd} [text]: here\"\n"
                             "      ]\n"
                             "    }\n"
                             "  ],\n"
                             "  \"status\": [],\n"
                             "  \"events\": {}\n"
                             "}"));
}

// Laid out, every element of a nested answer takes its depth's indentation: 20 KB a thousand
// levels deep made 22 MB. Qt's parser refuses more than 1024 levels, so the deepest answer that
// is laid out is just below that; a deeper one stays as received.
TEST(RdapGet, NestedAnswersStayNearTheBodysSize) {
    FixtureServer server;
    const struct {
        const char* name;
        QByteArray body;
        int status = 200;
        RdapReply::Kind kind = RdapReply::Kind::Found;
    } cases[] = {
        {"arrays 1000 deep", nestedAnswer(1000, '[', 20'000)},
        {"objects 1000 deep", nestedAnswer(1000, '{', 20'000)},
        {"arrays 100 deep", nestedAnswer(100, '[', 20'000)},
        {"arrays 5000 deep, not found", nestedAnswer(5000, '[', 20'000), 404,
         RdapReply::Kind::NotFound},
    };
    CurlFetcher fetcher;
    int page = 0;
    for (const auto& c : cases) {
        const std::string path = "/" + std::to_string(++page);
        server.add(path, {c.status, "application/rdap+json", c.body});
        const RdapReply r = rdapGet(fetcher, server.base() + QString::fromStdString(path));
        EXPECT_EQ(r.kind, c.kind) << c.name;
        const QString text = r.text();
        EXPECT_LE(text.size(), rdapTextBound(c.body.size())) << c.name;
        EXPECT_EQ(text, QString::fromUtf8(c.body)) << c.name << ": too long laid out, as received";
    }
}

TEST(RdapGet, AMegabyteNestedAnswerStaysNearItsSize) {
    FixtureServer server;
    const QByteArray body = nestedAnswer(1000, '[', 1 << 20);
    server.add("/deep", {200, "application/rdap+json", body});
    CurlFetcher fetcher;
    const RdapReply r = rdapGet(fetcher, server.base() + QStringLiteral("/deep"));
    EXPECT_EQ(r.text().size(), body.size());
}

TEST(RdapGet, TheBoundHoldsOrdinaryAnswersLaidOutAndNoMoreThanAFetchTakes) {
    const qsizetype cap = FetchLimits{}.maxBodyBytes;
    const struct {
        qsizetype body, bound;
    } cases[] = {{0, 0}, {1'000, 8'000}, {cap / 8, cap}, {cap, cap}, {cap + 1, cap + 1}};
    for (const auto& c : cases)
        EXPECT_EQ(rdapTextBound(c.body), c.bound) << c.body;
    for (const QByteArray& answer :
         {fakes::registrarDomain(), fakes::registryDomain(QStringLiteral("https://r")),
          fakes::rdapNotFound()}) {
        const QByteArray compact = QJsonDocument::fromJson(answer).toJson(QJsonDocument::Compact);
        RdapReply r;
        r.body = compact;
        r.json = true;
        EXPECT_TRUE(r.text().contains(u'\n')) << compact.toStdString();
    }
}

TEST(RdapRecords, DomainSummaryComesFromEventsEntitiesAndLinks) {
    const RdapDomain d = readRdapDomain(object(fakes::registryDomain(QStringLiteral("https://r"))));
    EXPECT_EQ(d.registrar, QStringLiteral("RESERVED-Internet Assigned Numbers Authority"));
    EXPECT_EQ(d.created, utc("1995-08-14T04:00:00Z"));
    EXPECT_EQ(d.expires, utc("2026-08-13T04:00:00Z"));
    EXPECT_EQ(d.updated, utc("2025-08-14T07:01:39Z"));
    EXPECT_EQ(d.nameServers, QStringList({QStringLiteral("a.iana-servers.net"),
                                          QStringLiteral("b.iana-servers.net")}));
    EXPECT_EQ(d.status.size(), 3);
    EXPECT_EQ(d.dnssec, QStringLiteral("signedDelegation"));
    EXPECT_EQ(d.registrarUrl, QStringLiteral("https://r/registrar/domain/EXAMPLE.COM"));

    const RdapDomain own = readRdapDomain(object(fakes::registrarDomain()));
    EXPECT_EQ(own.expires, utc("2027-08-13T04:00:00Z")) << "milliseconds are read too";
    EXPECT_TRUE(own.registrar.isEmpty()) << "a registrant is no registrar";
    EXPECT_TRUE(own.dnssec.isEmpty());
}

TEST(RdapRecords, NetworkOwnerIsTheRegistrant) {
    const RdapNetwork n =
        readRdapNetwork(object(fakes::network("GOGL", "8.8.8.0", "8.8.8.255", "Google LLC")));
    EXPECT_EQ(n.name, QStringLiteral("GOGL (8.8.8.0 - 8.8.8.255)"));
    EXPECT_EQ(n.owner, QStringLiteral("Google LLC"));
    EXPECT_EQ(n.country, QStringLiteral("US"));
}

TEST(WhoisText, SummariesOfTheRegistriesLayouts) {
    const QDateTime none;
    const struct {
        const char* name;
        QByteArray bytes;
        QString registrar;
        QDateTime created, expires, updated;
        QStringList nameServers, status;
        QString dnssec, registrarServer;
    } cases[] = {
        {"CNNIC, Beijing time",
         fakes::cnnicRecord(),
         QStringLiteral("北京新网数码信息技术有限公司"),
         utc("2003-03-17T04:20:05Z"),
         utc("2027-03-17T04:48:36Z"),
         none,
         {QStringLiteral("ns1.example.cn"), QStringLiteral("ns2.example.cn")},
         {QStringLiteral("clientDeleteProhibited"), QStringLiteral("clientTransferProhibited")},
         QStringLiteral("unsigned"),
         QString()},
        {"Verisign, thin",
         fakes::thinRecord(QStringLiteral("whois.registrar.example")),
         QStringLiteral("Example Registrar, Inc."),
         utc("1995-08-14T04:00:00Z"),
         utc("2025-08-13T04:00:00Z"),
         utc("2024-08-14T07:02:37Z"),
         {QStringLiteral("a.iana-servers.net"), QStringLiteral("b.iana-servers.net")},
         {QStringLiteral("clientDeleteProhibited")},
         QStringLiteral("signedDelegation"),
         QStringLiteral("whois.registrar.example")},
        {"CNNIC in GBK",
         charset::encodeGbk(QString::fromUtf8(fakes::cnnicRecord())),
         QStringLiteral("北京新网数码信息技术有限公司"),
         utc("2003-03-17T04:20:05Z"),
         utc("2027-03-17T04:48:36Z"),
         none,
         {QStringLiteral("ns1.example.cn"), QStringLiteral("ns2.example.cn")},
         {QStringLiteral("clientDeleteProhibited"), QStringLiteral("clientTransferProhibited")},
         QStringLiteral("unsigned"),
         QString()},
        {"referral as an address",
         "Domain Name: EXAMPLE.CC\nRegistrar WHOIS Server: https://whois.registrar.example/\n"
         "Creation Date: 2001-02-03\nName Server: NS1.EXAMPLE.CC.\n",
         QString(),
         utc("2001-02-03T00:00:00Z"),
         none,
         none,
         {QStringLiteral("ns1.example.cc")},
         {},
         QString(),
         QStringLiteral("whois.registrar.example")},
    };
    for (const auto& c : cases) {
        const QString text = decodeWhois(c.bytes);
        const WhoisSummary s = readWhoisSummary(text);
        EXPECT_EQ(whoisVerdict(text), WhoisVerdict::Record) << c.name;
        EXPECT_EQ(s.registrar, c.registrar) << c.name;
        EXPECT_EQ(s.created, c.created) << c.name;
        EXPECT_EQ(s.expires, c.expires) << c.name;
        EXPECT_EQ(s.updated, c.updated) << c.name;
        EXPECT_EQ(s.nameServers, c.nameServers) << c.name;
        EXPECT_EQ(s.status, c.status) << c.name;
        EXPECT_EQ(s.dnssec, c.dnssec) << c.name;
        EXPECT_EQ(registrarWhoisServer(text), c.registrarServer) << c.name;
    }
}

TEST(WhoisText, AnswersWithoutARecord) {
    const struct {
        const char* text;
        WhoisVerdict verdict;
    } cases[] = {
        {"No matching record.\r\n", WhoisVerdict::NoMatch},
        {"No match for \"FREE-EXAMPLE.COM\".\r\n>>> Last update of whois database: "
         "2026-12-07T09:00:00Z <<<\r\n",
         WhoisVerdict::NoMatch},
        {"%% NOT FOUND\n", WhoisVerdict::NoMatch},
        {"", WhoisVerdict::NoMatch},
        {"%ERROR:201: access denied - query rate limit exceeded\r\n", WhoisVerdict::RateLimited},
        {"Your connection limit exceeded. Please slow down and try again later.\n",
         WhoisVerdict::RateLimited},
        {"Domain: example.de\nStatus: connect\n% Rate limits apply to all queries\n",
         WhoisVerdict::Record},
        {"Domain Name: EXAMPLE.CC\nNOTICE: no data found is not an answer here\n",
         WhoisVerdict::Record},
    };
    for (const auto& c : cases)
        EXPECT_EQ(whoisVerdict(QString::fromUtf8(c.text)), c.verdict) << c.text;
    EXPECT_EQ(whoisReferral(QString::fromUtf8(
                  fakes::ianaReferral(QStringLiteral("cn"), QStringLiteral("whois.cnnic.cn")))),
              QStringLiteral("whois.cnnic.cn"));
    EXPECT_TRUE(whoisReferral(QStringLiteral("domain: TEST\nstatus: ACTIVE\n")).isEmpty());
}

TEST(TcpWhoisClient, SendsTheQueryLineAndReadsToTheClose) {
    const QByteArray big(200 * 1024, 'x');
    WhoisFixture server([&](const QString& q) {
        return q == u"big" ? big : QByteArray("answer to ") + q.toUtf8() + "\r\n";
    });
    ASSERT_TRUE(server.listening());
    TcpWhoisClient client;
    const HostPort at{QStringLiteral("127.0.0.1"), server.port()};
    EXPECT_EQ(client.query(at, QStringLiteral("example.cn")),
              QByteArray("answer to example.cn\r\n"));
    EXPECT_EQ(client.query(at, QStringLiteral("例子.中国")),
              QByteArray("answer to xn--fsqu00a.xn--fiqs8s\r\n"))
        << "names go out in their ASCII form";
    EXPECT_EQ(client.query(at, QStringLiteral("big")), big);
    EXPECT_EQ(client.query({QStringLiteral("localhost"), server.port()}, QStringLiteral("a.cn")),
              QByteArray("answer to a.cn\r\n"));
}

TEST(TcpWhoisClient, BoundedInTimeAndSize) {
    WhoisFixture slow([](const QString&) { return QByteArray("late"); }, 3000);
    WhoisFixture large([](const QString&) { return QByteArray(64 * 1024, 'x'); });
    const struct {
        const char* name;
        HostPort server;
        WhoisLimits limits;
        const char* says;
    } cases[] = {
        {"slow",
         {QStringLiteral("127.0.0.1"), slow.port()},
         {std::chrono::milliseconds(1000), std::chrono::milliseconds(300), 1024 * 1024},
         "没有答完"},
        {"large",
         {QStringLiteral("127.0.0.1"), large.port()},
         {std::chrono::milliseconds(1000), std::chrono::milliseconds(5000), 16 * 1024},
         "超过 16 KB"},
        {"closed port", {QStringLiteral("127.0.0.1"), 1}, {}, "无法连接"},
    };
    for (const auto& c : cases) {
        TcpWhoisClient client(c.limits);
        try {
            client.query(c.server, QStringLiteral("example.cn"));
            ADD_FAILURE() << c.name << " answered";
        } catch (const ToolError& e) {
            EXPECT_TRUE(e.description().contains(QString::fromUtf8(c.says)))
                << c.name << ": " << e.description().toStdString();
        }
    }
}

TEST(TcpWhoisClient, AStopEndsTheWaitPromptly) {
    WhoisFixture silent([](const QString&) { return QByteArray("late"); }, 20000);
    StopFlag flag;
    auto run = std::async(std::launch::async, [&] {
        const StopScope scope(flag);
        TcpWhoisClient client;
        try {
            client.query({QStringLiteral("127.0.0.1"), silent.port()}, QStringLiteral("a.cn"));
        } catch (const ToolStopped&) {
            return true;
        }
        return false;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const auto asked = std::chrono::steady_clock::now();
    flag.request();
    ASSERT_EQ(run.wait_for(std::chrono::seconds(2)), std::future_status::ready);
    EXPECT_TRUE(run.get());
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::milliseconds(500));
}
