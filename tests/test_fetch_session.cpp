// What the requests of one run share: connections, over HTTP and HTTPS, and nothing else.
#include "base/tool_error.h"
#include "certificate.h"
#include "failure_of.h"
#include "fixture_server.h"
#include "net/http_fetch.h"
#include "net/stop.h"

#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <optional>
#include <thread>

using namespace std::chrono_literals;

TEST(FetchSession, ARunsRequestsComeOnOneConnection) {
    const Certificate certificate;
    const struct {
        bool https;
        bool session;
        int connections;
    } cases[] = {
        {false, true, 1},
        {true, true, 1},
        // A redirect's second request comes on its first one's connection all the same.
        {false, false, 3},
        {true, false, 3},
    };
    for (const auto& c : cases) {
        FixtureServer server(c.https ? &certificate : nullptr);
        server.add("/s", {200, "text/html", "page"});
        server.add("/moved", {302, "text/html", "", 0, "/s"});
        CurlFetcher f(FetchLimits{.caFile = certificate.certFile()});
        std::optional<FetchSession> run;
        if (c.session)
            run.emplace();
        for (const char* path : {"/s?p=1", "/s?p=2", "/moved"})
            EXPECT_EQ(f.get(server.base() + path).body, "page") << server.base().toStdString();
        EXPECT_EQ(server.requests().size(), 4);
        EXPECT_EQ(server.connections(), c.connections) << server.base().toStdString();
    }
}

TEST(FetchSession, ARunResumesItsTlsSessionWhenTheServerClosedTheConnection) {
    const Certificate certificate;
    const struct {
        bool session;
        int resumed;
    } cases[] = {{true, 2}, {false, 0}};
    for (const auto& c : cases) {
        FixtureServer server(&certificate);
        FixtureServer::Page closing{200, "text/html", "page"};
        closing.headers = {{"Connection", "close"}};
        server.add("/s", closing);
        CurlFetcher f(FetchLimits{.caFile = certificate.certFile()});
        std::optional<FetchSession> run;
        if (c.session)
            run.emplace();
        for (int i = 0; i < 3; ++i)
            f.get(server.base() + "/s");
        EXPECT_EQ(server.connections(), 3);
        EXPECT_EQ(server.resumedTlsSessions(), c.resumed) << c.session;
    }
}

TEST(FetchSession, EachRunOpensItsOwnConnection) {
    FixtureServer server;
    server.add("/s", {200, "text/html", "page"});
    CurlFetcher f;
    for (int run = 1; run <= 3; ++run) {
        const FetchSession session;
        f.get(server.base() + "/s");
        f.get(server.base() + "/s");
        EXPECT_EQ(server.connections(), run);
    }
}

TEST(FetchSession, NoCookieGoesFromOneAnswerToTheNextRequest) {
    FixtureServer server;
    FixtureServer::Page login{200, "text/html", "welcome"};
    login.headers = {{"Set-Cookie", "sid=42; Path=/"}};
    server.add("/login", login);
    server.add("/s", {200, "text/html", "page"});
    server.add("/moved", {302, "text/html", "", 0, "/s"});
    CurlFetcher f;
    const FetchSession run;
    f.get(server.base() + "/login");
    f.get(server.base() + "/s");
    f.get(server.base() + "/moved");
    EXPECT_EQ(server.connections(), 1);
    EXPECT_EQ(server.requestHeader("Cookie"), QStringList({"", "", "", ""}));
}

TEST(FetchSession, AStopMidRunEndsAtOnceAndTheNextRunGoesOn) {
    FixtureServer server;
    server.add("/s", {200, "text/html", "page"});
    server.add("/slow", {200, "text/html", "late", 5000});
    CurlFetcher f;
    StopFlag first;
    auto runs = std::async(std::launch::async, [&] {
        std::chrono::steady_clock::time_point stoppedAt;
        {
            const StopScope scope(first);
            const FetchSession run;
            f.get(server.base() + "/s");
            try {
                f.get(server.base() + "/slow");
                ADD_FAILURE() << "the fetch was not stopped";
            } catch (const ToolStopped&) {
                stoppedAt = std::chrono::steady_clock::now();
            }
        }
        const StopFlag second;
        const StopScope scope(second);
        const FetchSession run;
        EXPECT_EQ(f.get(server.base() + "/s").body, "page");
        return stoppedAt;
    });
    while (server.requests().size() < 2)
        std::this_thread::sleep_for(10ms); // the slow request is out and waiting
    const auto asked = std::chrono::steady_clock::now();
    first.request();
    ASSERT_EQ(runs.wait_for(2s), std::future_status::ready);
    EXPECT_LT(runs.get() - asked, 1s); // the figure itself is in the benchmarks
    EXPECT_EQ(server.connections(), 2);
}

TEST(FetchSession, ATimeOutOnAKeptConnectionIsNoConnectionTimeOut) {
    FixtureServer server;
    server.add("/s", {200, "text/html", "page"});
    server.add("/stall", {200, "text/html", "late", 3000});
    FetchLimits quick;
    quick.connectTimeout = 300ms;
    quick.totalTimeout = 700ms;
    CurlFetcher f(quick);
    const FetchSession run;
    f.get(server.base() + "/s");
    const QString m = failureOf(f, server.base() + "/stall");
    EXPECT_TRUE(m.startsWith(QStringLiteral("请求超时（0.7 秒内未完成）"))) << m.toStdString();
}

TEST(FetchSession, ACertificateIsTrustedOnlyWhereTheLimitsSaySo) {
    const Certificate certificate;
    FixtureServer server(&certificate);
    server.add("/s", {200, "text/html", "page"});
    CurlFetcher trusting(FetchLimits{.caFile = certificate.certFile()});
    CurlFetcher plain;
    const FetchSession run;
    EXPECT_EQ(trusting.get(server.base() + "/s").body, "page");
    const QString m = failureOf(plain, server.base() + "/s");
    EXPECT_TRUE(
        m.startsWith(QStringLiteral("SSL 证书无效（服务器的证书未通过验证）：") + server.base()))
        << m.toStdString();
}
