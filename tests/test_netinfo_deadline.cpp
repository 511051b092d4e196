#include "base/tool_error.h"
#include "net/resolver.h"
#include "netinfo/ip_lookup.h"
#include "netinfo/whois_lookup.h"
#include "netinfo_fakes.h"

#include <chrono>
#include <gtest/gtest.h>

// A stalled server holds a request until the fixture shuts down: far longer than a request's own
// 30 s time-out, so only the lookup's time limit can end the wait. The limits below are short so
// that a test waits a second or two; the bounds checked are well under one request's own
// time-out, which the lookup used to wait once for every address.

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr int kStallMs = 120'000;
constexpr milliseconds kShortLimit{1'500};
constexpr auto kWellUnderOneTimeOut = std::chrono::seconds(10);

class ListedResolver : public Resolver {
public:
    explicit ListedResolver(QStringList addresses) : addresses_(std::move(addresses)) {}
    Resolution resolve(const QString&) override { return {{}, addresses_}; }
    QString reverse(const QString&) override { return {}; }

private:
    QStringList addresses_;
};

} // namespace

TEST(LookupDeadline, AStalledRdapServerIsAskedOnceAndEveryAddressOfItGetsItsReason) {
    FixtureServer http;
    const auto json = [](QByteArray body, int delayMs = 0) {
        return FixtureServer::Page(200, "application/rdap+json", std::move(body), delayMs);
    };
    http.add("/rdap/ipv4.json", json(fakes::ipv4Bootstrap(http.base())));
    http.add("/apnic/ip/1.1.1.1",
             json(fakes::network("APNIC-LABS", "1.1.1.0", "1.1.1.255", "APNIC Research")));
    const QStringList stalled = {QStringLiteral("8.8.8.8"), QStringLiteral("8.8.4.4"),
                                 QStringLiteral("8.1.2.3")};
    for (const QString& address : stalled)
        http.add("/arin/ip/" + address.toStdString(), json("{}", kStallMs));
    EndpointTable endpoints;
    endpoints.set(Endpoint::RdapBootstrapHost, http.base());
    CurlFetcher fetcher;
    ListedResolver resolver(QStringList{QStringLiteral("1.1.1.1")} + stalled);

    const auto start = Clock::now();
    const IpLookup r =
        runIpLookup({fetcher, resolver, endpoints, kShortLimit}, QStringLiteral("stalled.example"));
    EXPECT_LT(Clock::now() - start, kWellUnderOneTimeOut);

    ASSERT_EQ(r.addresses.size(), 4u);
    EXPECT_EQ(r.addresses[0].owner, QStringLiteral("APNIC Research"));
    EXPECT_TRUE(r.addresses[0].rdapProblem.isEmpty());
    const QString reason = r.addresses[1].rdapProblem;
    EXPECT_TRUE(reason.contains(QStringLiteral("超时"))) << reason.toStdString();
    for (size_t i = 1; i < r.addresses.size(); ++i)
        EXPECT_EQ(r.addresses[i].rdapProblem, reason) << i;
    EXPECT_EQ(http.requests().filter(QStringLiteral("/arin/")),
              QStringList{QStringLiteral("/arin/ip/8.8.8.8")});
}

TEST(LookupDeadline, AWhoisLookupWhoseRegistryStallsEndsWithinItsTimeLimit) {
    fakes::Registries fake(fakes::Referrals::WithPorts, kStallMs);
    CurlFetcher fetcher;
    TcpWhoisClient whois;
    const auto start = Clock::now();
    try {
        runWhoisLookup(fetcher, whois, fake.endpoints(), QStringLiteral("example.cn"), {},
                       kShortLimit);
        ADD_FAILURE() << "a registry that never answers gave a record";
    } catch (const ToolError& e) {
        EXPECT_TRUE(e.description().contains(fake.registry->hostPort()))
            << e.description().toStdString();
    }
    EXPECT_LT(Clock::now() - start, kWellUnderOneTimeOut);
    EXPECT_EQ(fake.iana->questions(), QStringList{QStringLiteral("cn")});
}

TEST(LookupDeadline, NothingIsAskedOnceTheTimeLimitIsUsedUp) {
    fakes::Registries fake;
    CurlFetcher fetcher;
    TcpWhoisClient whois;
    const Deadline spent(milliseconds(0));
    EXPECT_THROW(spent.left(), ToolError);
    EXPECT_THROW(runWhoisLookup(fetcher, whois, fake.endpoints(), QStringLiteral("example.com"), {},
                                milliseconds(0)),
                 ToolError);
    EXPECT_TRUE(fake.http.requests().isEmpty());
    EXPECT_TRUE(fake.iana->questions().isEmpty());
}
