#include "changed_engines.h"
#include "demo/demo_fetcher.h"
#include "endpoints_at.h"
#include "fixture_server.h"
#include "net/engine_files.h"
#include "net/http_fetch.h"
#include "track/rank_check.h"
#include "track/result_address.h"
#include "track/site_host.h"
#include "track_pages.h"

#include <functional>
#include <gtest/gtest.h>

namespace {

using PageOf = QByteArray (*)(const QList<Shown>&);

const struct {
    const char* engine;
    PageOf page;
} kEngines[] = {
    {"baidu", baiduPage}, {"baidu-mobile", baiduMobilePage},
    {"bing", bingPage},   {"sogou", sogouPage},
    {"so360", so360Page}, {"duckduckgo", duckDuckGoPage},
};

// Every path an engine asks on, answering page.
void serveEverywhere(FixtureServer& server, const FixtureServer::Page& page) {
    for (const char* path : {"/s", "/search", "/web", "/html/"})
        server.add(path, page);
}

EngineCheck check(const FixtureServer& server, const QString& engine, const QString& site,
                  int depth = 50, bool exactHost = false) {
    CurlFetcher fetcher;
    return checkRank(fetcher, endpointsAt(server.base()), engine,
                     {site, QStringLiteral("站长 工具"), depth, exactHost});
}

const QList<Shown> kMixed = {
    {QStringLiteral("https://example.org/ad"), true},
    {QStringLiteral("https://a.example.com/x"), false},
    {QStringLiteral("https://www.example.org/p?q=1&r=2"), false},
    {QStringLiteral("https://b.example.net/"), false},
};

} // namespace

TEST(RankCheck, EveryEngineFindsTheSiteAmongItsOrganicResultsAndNeverCountsAnAd) {
    for (const auto& e : kEngines) {
        FixtureServer server;
        serveTrackPages(server, kMixed);
        const EngineCheck c = check(server, QLatin1String(e.engine), QStringLiteral("example.org"));
        SCOPED_TRACE(e.engine);
        EXPECT_EQ(c.engine, QLatin1String(e.engine));
        EXPECT_EQ(c.outcome, CheckOutcome::Found) << c.detail.toStdString();
        EXPECT_EQ(c.position, 2);
        EXPECT_EQ(c.url, QStringLiteral("https://www.example.org/p?q=1&r=2"));
        EXPECT_FALSE(c.title.isEmpty());
        EXPECT_EQ(c.resultsRead, 2);
        EXPECT_EQ(c.adsSkipped, 1);
    }
}

TEST(RankCheck, EachEngineSendsWhatItsPagesNeed) {
    FixtureServer server;
    serveTrackPages(server, kMixed);
    for (const auto& e : kEngines)
        check(server, QLatin1String(e.engine), QStringLiteral("example.org"), 10);
    const QStringList targets = server.requests();
    ASSERT_EQ(targets.size(), 7) << targets.join(u' ').toStdString();
    EXPECT_TRUE(targets[0].startsWith(QLatin1String("/s?wd=%E7%AB%99%E9%95%BF%20%E5%B7%A5%E5%85%B7"
                                                    "&pn=0&rn=10")));
    EXPECT_TRUE(targets[1].startsWith(QLatin1String("/s?word=")));
    EXPECT_TRUE(targets[2].startsWith(QLatin1String("/search?q=")));
    EXPECT_TRUE(targets[2].contains(QLatin1String("&first=1&")));
    EXPECT_TRUE(targets[3].startsWith(QLatin1String("/web?query=")));
    EXPECT_TRUE(targets[3].contains(QLatin1String("&page=1")));
    EXPECT_EQ(targets[4], QStringLiteral("/")); // 360's cookie first
    EXPECT_TRUE(targets[5].startsWith(QLatin1String("/s?q=")));
    EXPECT_EQ(targets[6], QStringLiteral("/html/"));
    EXPECT_TRUE(
        server.requestBodies()[6].startsWith("q=%E7%AB%99%E9%95%BF%20%E5%B7%A5%E5%85%B7&b=&kl="));
    const QStringList languages = server.requestHeader("Accept-Language");
    const QStringList agents = server.requestHeader("User-Agent");
    for (int i = 0; i < targets.size(); ++i) {
        EXPECT_TRUE(languages[i].startsWith(QLatin1String("zh-CN"))) << i;
        EXPECT_TRUE(agents[i].startsWith(QLatin1String("Mozilla/5.0"))) << i;
        EXPECT_FALSE(agents[i].contains(QLatin1String("Tessivo"))) << i;
    }
    EXPECT_TRUE(server.requestHeader("Referer")[3].startsWith(QLatin1String("https://www.sogou")));
    EXPECT_EQ(server.requestHeader("Sec-Fetch-Mode")[6], QStringLiteral("navigate"));
}

TEST(RankCheck, ASiteMatchesItsSubdomainsWithOrWithoutWwwAndExactHostAloneItself) {
    const struct {
        const char* result;
        const char* site;
        bool exact;
        bool matches;
    } cases[] = {
        {"example.org", "example.org", false, true},
        {"www.example.org", "example.org", false, true},
        {"example.org", "www.example.org", false, true},
        {"blog.example.org", "www.example.org", false, true},
        {"a.b.example.org", "example.org", false, true},
        {"notexample.org", "example.org", false, false},
        {"example.org.evil.com", "example.org", false, false},
        {"example.com", "example.org", false, false},
        {"www.example.org", "example.org", true, false},
        {"blog.example.org", "example.org", true, false},
        {"www.example.org", "www.example.org", true, true},
        {"", "example.org", false, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(hostMatches(QLatin1String(c.result), QLatin1String(c.site), c.exact), c.matches)
            << c.result << " / " << c.site << " exact " << c.exact;

    const struct {
        const char* typed;
        const char* host;
    } hosts[] = {
        {"https://WWW.Example.org:8080/a?b", "www.example.org"},
        {"example.org/path", "example.org"},
        {"//cdn.example.org/x", "cdn.example.org"},
        {"example.org.", "example.org"},
        {"http://例子.中国/", "xn--fsqu00a.xn--fiqs8s"},
        {"", ""},
    };
    for (const auto& h : hosts)
        EXPECT_EQ(addressHost(QString::fromUtf8(h.typed)), QLatin1String(h.host)) << h.typed;

    FixtureServer server;
    serveTrackPages(server, {{QStringLiteral("https://www.example.org/")}});
    EXPECT_EQ(check(server, QStringLiteral("bing"), QStringLiteral("example.org")).outcome,
              CheckOutcome::Found);
    EXPECT_EQ(
        check(server, QStringLiteral("bing"), QStringLiteral("example.org"), 10, true).outcome,
        CheckOutcome::NotFound);
}

TEST(RankCheck, EachStrategyFindsTheRealAddressBehindTheLink) {
    // The rules of the shipped rows.
    const AddressRule baidu{QStringLiteral("address"), {}, {}, {}, QStringLiteral("nourl")};
    const AddressRule dataLog{QStringLiteral("json"), QStringLiteral("mu"), {}, {}, {}};
    const AddressRule bing{QStringLiteral("base64-param"),
                           QStringLiteral("u"),
                           QStringLiteral("a1"),
                           QStringLiteral("/ck/a?"),
                           {}};
    const AddressRule uddg{QStringLiteral("param"), QStringLiteral("uddg"), {}, {}, {}};
    const struct {
        AddressRule rule;
        QString value;
        const char* address;
    } cases[] = {
        {{QStringLiteral("address")},
         QStringLiteral(" https://example.org/p "),
         "https://example.org/p"},
        {baidu, QStringLiteral("https://example.org/p"), "https://example.org/p"},
        {baidu, QStringLiteral("http://nourl.ubs.baidu.com/123"), ""},
        {dataLog, QStringLiteral("{\"mu\":\"https://example.org/a\",\"order\":1}"),
         "https://example.org/a"},
        {dataLog, QStringLiteral("{\"order\":1}"), ""},
        {dataLog, QStringLiteral("not json"), ""},
        {bing, QStringLiteral("https://www.bing.com/ck/a?!&&p=x&u=a1aHR0cHM6Ly9leGFtcGxlLm9yZy8"),
         "https://example.org/"},
        {bing, bingWrapped(QStringLiteral("https://例子.cn/路径?a=1&b=2")),
         "https://例子.cn/路径?a=1&b=2"},
        {bing, QStringLiteral("https://example.org/direct"), "https://example.org/direct"},
        {bing, QStringLiteral("https://www.bing.com/ck/a?!&&p=x&u=b2xyz"), ""},
        {uddg,
         QStringLiteral("//duckduckgo.com/l/?uddg=https%3A%2F%2Fexample.org%2F%3Fa%3D1&rut=ab"),
         "https://example.org/?a=1"},
        {uddg, QStringLiteral("https://example.org/plain"), "https://example.org/plain"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(resultAddress(c.rule, c.value), QString::fromUtf8(c.address))
            << c.rule.strategy.toStdString() << " " << c.value.toStdString();
}

TEST(RankCheck, EveryBlockSignIsBlockedAndNeverAPositionOrNotFound) {
    const QByteArray captcha =
        "<html><head><title>百度安全验证</title></head><body><p>请输入验证码</p></body></html>";
    const QByteArray bingCaptcha =
        "<html><body><div id=\"b_captcha\"><p>Verify you are human</p></div></body></html>";
    const QByteArray anomaly = "<html><body><div class=\"anomaly-modal__mask\"></div><script "
                               "src=\"/dist/anomaly.js\"></script></body></html>";
    const QByteArray sogouCheck = "<html><head><title>搜狗搜索验证</title></head><body>"
                                  "<p>请输入验证码</p></body></html>";
    const struct {
        const char* engine;
        FixtureServer::Page page;
        const char* sign;
    } cases[] = {
        {"baidu",
         {302, "text/html", "", 0,
          "https://wappass.baidu.com/static/captcha/tuxing_v2.html?ak=1&backurl=x"},
         "wappass.baidu.com"},
        {"baidu", {200, "text/html; charset=utf-8", captcha}, "百度安全验证"},
        {"baidu", {403, "text/html", "forbidden"}, "HTTP 403"},
        {"baidu", {200, "text/html", "  \n"}, "空白"},
        {"baidu-mobile",
         {302, "text/html", "", 0, "https://wappass.baidu.com/static/captcha/tuxing.html"},
         "wappass"},
        {"baidu-mobile", {429, "text/html", "slow down"}, "HTTP 429"},
        {"bing", {200, "text/html; charset=utf-8", bingCaptcha}, "b_captcha"},
        {"sogou",
         {302, "text/html", "", 0, "http://www.sogou.com/antispider/?from=%2Fweb"},
         "antispider"},
        {"sogou", {200, "text/html; charset=utf-8", sogouCheck}, "请输入验证码"},
        {"so360", {200, "text/html", ""}, "空白"},
        {"duckduckgo", {202, "text/html", anomaly}, "HTTP 202"},
        {"duckduckgo", {200, "text/html", anomaly}, "anomaly"},
    };
    for (const auto& c : cases) {
        FixtureServer server;
        serveEverywhere(server, c.page);
        const EngineCheck r = check(server, QLatin1String(c.engine), QStringLiteral("example.org"));
        SCOPED_TRACE(std::string(c.engine) + " " + c.sign);
        EXPECT_EQ(r.outcome, CheckOutcome::Blocked) << r.detail.toStdString();
        EXPECT_TRUE(r.detail.contains(QString::fromUtf8(c.sign))) << r.detail.toStdString();
        EXPECT_EQ(r.position, 0);
        EXPECT_EQ(r.resultsRead, 0);
        EXPECT_TRUE(r.url.isEmpty());
        // A redirect to a captcha is seen, not followed.
        for (const QString& target : server.requests())
            EXPECT_FALSE(target.contains(QLatin1String("captcha"))) << target.toStdString();
    }
}

TEST(RankCheck, APageWithoutMarkersIsUnrecognisedAndNamesTheRowToEdit) {
    FixtureServer server;
    serveEverywhere(server, {200, "text/html",
                             "<html><body><div id=\"wrapper\">新的页面</div>"
                             "</body></html>"});
    for (const auto& e : kEngines) {
        const EngineCheck c = check(server, QLatin1String(e.engine), QStringLiteral("example.org"));
        SCOPED_TRACE(e.engine);
        EXPECT_EQ(c.outcome, CheckOutcome::Unrecognised);
        EXPECT_TRUE(c.detail.contains(QLatin1String("rank-track.ini"))) << c.detail.toStdString();
        EXPECT_TRUE(c.detail.contains(QStringLiteral("[%1]").arg(QLatin1String(e.engine))));
        EXPECT_TRUE(c.detail.contains(QStringLiteral(" 行"))) << c.detail.toStdString();
        EXPECT_EQ(c.position, 0);
    }
}

TEST(RankCheck, NoResultsAndFailuresAreTheirOwnOutcomes) {
    FixtureServer server;
    serveEverywhere(server, {200, "text/html; charset=utf-8",
                             "<html><body><div id=\"content_left\"><div class=\"nors\"><p>抱歉，"
                             "未找到相关结果。</p></div></div></body></html>"});
    const EngineCheck none = check(server, QStringLiteral("baidu"), QStringLiteral("example.org"));
    EXPECT_EQ(none.outcome, CheckOutcome::NotFound);
    EXPECT_EQ(none.resultsRead, 0);

    FixtureServer broken;
    serveEverywhere(broken, {500, "text/html", "<html>oops</html>"});
    const EngineCheck failed = check(broken, QStringLiteral("bing"), QStringLiteral("example.org"));
    EXPECT_EQ(failed.outcome, CheckOutcome::Failed);
    EXPECT_TRUE(failed.detail.contains(QLatin1String("HTTP 500")));

    CurlFetcher fetcher;
    const EngineCheck refused =
        checkRank(fetcher, endpointsAt(refusingBase()), QStringLiteral("sogou"),
                  {QStringLiteral("example.org"), QStringLiteral("x")});
    EXPECT_EQ(refused.outcome, CheckOutcome::Failed);
    EXPECT_TRUE(refused.detail.contains(QLatin1String("127.0.0.1")))
        << refused.detail.toStdString();

    const EngineCheck unknown =
        check(server, QStringLiteral("google"), QStringLiteral("example.org"));
    EXPECT_EQ(unknown.outcome, CheckOutcome::Failed);
    EXPECT_TRUE(unknown.detail.contains(QLatin1String("google")));
}

TEST(RankCheck, AResultWithoutAnAddressStillTakesItsPlace) {
    FixtureServer server;
    serveTrackPages(server, {{QStringLiteral("http://nourl.ubs.baidu.com/1")},
                             {QStringLiteral("https://example.org/")}});
    const EngineCheck c = check(server, QStringLiteral("baidu"), QStringLiteral("example.org"));
    EXPECT_EQ(c.outcome, CheckOutcome::Found);
    EXPECT_EQ(c.position, 2);
}

TEST(RankCheck, LaterPagesAreReadUpToTheDepthAndPositionsRunOn) {
    const auto tenOthers = [](int from) {
        QList<Shown> r;
        for (int i = 0; i < 10; ++i)
            r << Shown{QStringLiteral("https://other%1.example.net/").arg(from + i)};
        return r;
    };
    FixtureServer server;
    server.add("/search", [&](const std::string& target) {
        QList<Shown> results = tenOthers(0);
        if (target.find("first=11") != std::string::npos) {
            results = tenOthers(10);
            results[2] = {QStringLiteral("https://example.org/deep")};
        }
        return FixtureServer::Page(200, "text/html; charset=utf-8", bingPage(results));
    });
    const EngineCheck deep =
        check(server, QStringLiteral("bing"), QStringLiteral("example.org"), 20);
    EXPECT_EQ(deep.outcome, CheckOutcome::Found);
    EXPECT_EQ(deep.position, 13);
    EXPECT_EQ(server.requests().size(), 2);
    EXPECT_TRUE(server.requests()[1].contains(QLatin1String("first=11")));

    server.clearRequests();
    const EngineCheck shallow =
        check(server, QStringLiteral("bing"), QStringLiteral("example.org"), 12);
    EXPECT_EQ(shallow.outcome, CheckOutcome::NotFound);
    EXPECT_EQ(shallow.resultsRead, 12);
    EXPECT_EQ(server.requests().size(), 2);

    // Page 2 answered with page 1 again: the engine is limiting this client.
    FixtureServer repeating;
    repeating.add("/s", {200, "text/html; charset=utf-8", baiduPage(tenOthers(0))});
    const EngineCheck limited =
        check(repeating, QStringLiteral("baidu"), QStringLiteral("example.org"), 30);
    EXPECT_EQ(limited.outcome, CheckOutcome::Blocked);
    EXPECT_TRUE(limited.detail.contains(QStringLiteral("第 2 页")));
    EXPECT_TRUE(repeating.requests()[1].contains(QLatin1String("pn=10")));

    // A later page without results is the end of the list.
    FixtureServer ending;
    ending.add("/web", [&](const std::string& target) {
        return FixtureServer::Page(200, "text/html; charset=utf-8",
                                   target.find("page=1") != std::string::npos
                                       ? sogouPage(tenOthers(0))
                                       : QByteArray("<html><body></body></html>"));
    });
    const EngineCheck ended = check(ending, QStringLiteral("sogou"), QStringLiteral("example.org"));
    EXPECT_EQ(ended.outcome, CheckOutcome::NotFound);
    EXPECT_EQ(ended.resultsRead, 10);
}

// DuckDuckGo's next page is asked by posting the form on the page, whose vqd only that page
// knows; a page without the form is the last.
TEST(RankCheck, DuckDuckGoPostsThePagesOwnFormForTheNextPage) {
    const auto tenOthers = [](int from) {
        QList<Shown> r;
        for (int i = 0; i < 10; ++i)
            r << Shown{QStringLiteral("https://other%1.example.net/").arg(from + i)};
        return r;
    };
    const QByteArray nextForm =
        "<div class=\"nav-link\"><form action=\"/html/\" method=\"post\"><input type=\"submit\" "
        "class=\"btn\" value=\"Next\"><input type=\"hidden\" name=\"q\" value=\"站长 工具\">"
        "<input type=\"hidden\" name=\"s\" value=\"10\"><input type=\"hidden\" name=\"nextParams\" "
        "value=\"\"><input type=\"hidden\" name=\"dc\" value=\"11\"><input type=\"hidden\" "
        "name=\"vqd\" value=\"4-567&amp;x\"><input type=\"hidden\" name=\"kl\" value=\"cn-zh\">"
        "</form></div></body>";
    for (const bool withForm : {true, false}) {
        FixtureServer server;
        int asked = 0;
        server.add("/html/", [&](const std::string&) {
            QByteArray page;
            if (asked++ == 0) {
                page = duckDuckGoPage(tenOthers(0));
                if (withForm)
                    page.replace("</body>", nextForm);
            } else {
                QList<Shown> results = tenOthers(10);
                results[4] = {QStringLiteral("https://example.org/deep")};
                page = duckDuckGoPage(results);
            }
            return FixtureServer::Page(200, "text/html; charset=utf-8", page);
        });
        const EngineCheck c =
            check(server, QStringLiteral("duckduckgo"), QStringLiteral("example.org"), 30);
        if (!withForm) {
            EXPECT_EQ(c.outcome, CheckOutcome::NotFound);
            EXPECT_EQ(c.resultsRead, 10);
            EXPECT_EQ(server.requests().size(), 1);
            continue;
        }
        EXPECT_EQ(c.outcome, CheckOutcome::Found) << c.detail.toStdString();
        EXPECT_EQ(c.position, 15);
        ASSERT_EQ(server.requestBodies().size(), 2);
        EXPECT_EQ(server.requestBodies()[1],
                  QByteArray("q=%E7%AB%99%E9%95%BF%20%E5%B7%A5%E5%85%B7&s=10&nextParams=&dc=11&"
                             "vqd=4-567%26x&kl=cn-zh"));
    }
}

TEST(RankCheck, AnEngineRedirectingToItsOtherHostIsFollowedWithItsCookies) {
    FixtureServer server;
    FixtureServer::Page moved(302, "text/html", "", 0, "/search2?q=x");
    moved.headers = {{"Set-Cookie", "_EDGE_S=1; path=/"}};
    server.add("/search", moved);
    server.add("/search2", {200, "text/html; charset=utf-8",
                            bingPage({{QStringLiteral("https://example.org/")}})});
    const EngineCheck c = check(server, QStringLiteral("bing"), QStringLiteral("example.org"));
    EXPECT_EQ(c.outcome, CheckOutcome::Found);
    EXPECT_EQ(server.requestHeader("Cookie").last(), QStringLiteral("_EDGE_S=1"));
}

TEST(RankCheck, TheDemoAnswersEveryEngineWithFoundNotFoundAndBlocked) {
    DemoFetcher demo;
    const struct {
        const char* engine;
        CheckOutcome outcome;
    } expected[] = {
        {"baidu", CheckOutcome::Found},   {"baidu-mobile", CheckOutcome::NotFound},
        {"bing", CheckOutcome::Found},    {"sogou", CheckOutcome::Blocked},
        {"so360", CheckOutcome::Blocked}, {"duckduckgo", CheckOutcome::Found},
    };
    for (const auto& e : expected) {
        const EngineCheck c = checkRank(demo, EndpointTable(), QLatin1String(e.engine),
                                        {QStringLiteral("example.com"), QStringLiteral("关键词")});
        SCOPED_TRACE(e.engine);
        EXPECT_EQ(c.outcome, e.outcome) << c.detail.toStdString();
        if (c.outcome == CheckOutcome::Found) {
            EXPECT_EQ(addressHost(c.url), QStringLiteral("example.com"));
        }
        if (c.outcome == CheckOutcome::NotFound) {
            EXPECT_EQ(c.resultsRead, 50);
        }
    }
    EXPECT_EQ(rankEngineNames(),
              (QStringList{"baidu", "baidu-mobile", "bing", "sogou", "so360", "duckduckgo"}));
}

TEST(RankCheck, AChangedPageIsReadAgainAfterAnEditOfItsRow) {
    FixtureServer server;
    QByteArray page = bingPage(
        {{QStringLiteral("https://a.example.net/")}, {QStringLiteral("https://example.org/")}});
    page.replace("class=\"b_algo\"", "class=\"b_web\"");
    server.add("/search", {200, "text/html; charset=utf-8", page});
    EXPECT_EQ(check(server, QStringLiteral("bing"), QStringLiteral("example.org"), 10).outcome,
              CheckOutcome::Unrecognised);

    const ChangedEngines edited(QStringLiteral("rank-track.ini"), "' b_algo '", "' b_web '");
    {
        const EngineCatalogGuard rows(EngineCatalog::read(edited.path(), {}));
        const EngineCheck c =
            check(server, QStringLiteral("bing"), QStringLiteral("example.org"), 10);
        EXPECT_EQ(c.outcome, CheckOutcome::Found);
        EXPECT_EQ(c.position, 2);
    }

    const ChangedEngines broken(QStringLiteral("rank-track.ini"), "' b_algo ')]", "' b_algo ')");
    const EngineCatalogGuard rows(EngineCatalog::read(broken.path(), {}));
    const EngineCheck c = check(server, QStringLiteral("bing"), QStringLiteral("example.org"), 10);
    EXPECT_EQ(c.outcome, CheckOutcome::Unrecognised);
    EXPECT_TRUE(c.detail.contains(QStringLiteral("XPath 表达式"))) << c.detail.toStdString();
    EXPECT_TRUE(c.detail.contains(QLatin1String("[bing]")));
}
