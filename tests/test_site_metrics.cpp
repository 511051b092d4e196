#include "base/charset.h"
#include "base/tool_error.h"
#include "endpoints_at.h"
#include "fixture_server.h"
#include "metrics/backlink_survey.h"
#include "metrics/baidu_period.h"
#include "metrics/rank_badges.h"
#include "net/request_address.h"

#include <gtest/gtest.h>

namespace {

QByteArray gbk(const char* t) {
    return charset::encodeGbk(QString::fromUtf8(t));
}

} // namespace

TEST(BacklinkSurvey, AsksEachEngineItsOwnLinkQuestion) {
    FixtureServer server;
    server.add("/s", {200, "text/html", gbk("找到相关网页约88篇")});
    server.add("/search", [](const std::string& t) -> FixtureServer::Page {
        if (t.find("bwm=i") != std::string::npos)
            return {200, "text/html; charset=utf-8",
                    QString::fromUtf8("共 <strong>1,234</strong> 条").toUtf8()};
        return {200, "text/html; charset=utf-8", QByteArray("约有<b>77</b>项链接到")};
    });
    server.add("/results.aspx",
               {200, "text/html; charset=utf-8", QString::fromUtf8("共 66 条搜索结果").toUtf8()});
    CurlFetcher f;
    const QString doc =
        runSurvey(kBacklinkSurvey, QStringLiteral("example.cn"), f, endpointsAt(server.base()));
    const QString host = QStringLiteral("127.0.0.1:%1").arg(server.port());
    const QStringList expected = {
        "/s?wd=domain%3Aexample.cn",
        "/search?sourceid=navclient&hl=zh-CN&ie=UTF-8&rlz=1T4GZHZ_zh-CNCN237CN240&q=link%3aexample."
        "cn",
        "/search?p=example.cn&bwm=i",
        "/web?query=link%3Aexample.cn&_asf=" + host + "&_ast=1237559803&w=01019900&p=40040100",
        "/q?w=link%3Aexample.cn&sc=web&ch=w.ptl&lr=chs",
        "/search?q=inlink%3Aexample.cn",
        "/p?w=link%3Aexample.cn&pt=1&k=&jc=&aid=&rt=o",
        "/results.aspx?q=link%3Aexample.cn&go=&form=QBNO",
    };
    EXPECT_EQ(server.requests(), expected);
    EXPECT_TRUE(doc.contains(QStringLiteral("<td align='center'>外链数量</td>")));
    for (const char* v : {">88</a>", ">77</a>", ">1,234</a>", ">66</a>"})
        EXPECT_TRUE(doc.contains(QString::fromUtf8(v))) << v;
}

TEST(BacklinkSurvey, SogouAsfIsTheConfiguredHostWithoutScheme) {
    EndpointTable t;
    EXPECT_EQ(requestAddress(kBacklinkSurvey.engines()[3].requestTemplate.toStdString(), t,
                             {.d = "a.cn"}),
              QStringLiteral("http://www.sogou.com/web?query=link%3Aa.cn&_asf=www.sogou.com&_ast="
                             "1237559803&w=01019900&p=40040100"));
}

TEST(BaiduPeriod, PeriodMapAndSentence) {
    FixtureServer server;
    server.add("/s", {200, "text/html", gbk("<p>找到相关网页约1,234篇</p>")});
    CurlFetcher f;
    const struct {
        const char* period;
        const char* lm;
        const char* shown;
    } cases[] = {{"全部时间", "0", "所有时间"}, {"最近一天", "1", "1"},     {"最近一周", "7", "7"},
                 {"最近一月", "30", "30"},      {"最近一年", "360", "360"}, {"某天", "", ""}};
    for (const auto& c : cases) {
        server.clearRequests();
        const BaiduPeriodResult r =
            runBaiduPeriod(f, endpointsAt(server.base()), QStringLiteral("example.cn"),
                           QString::fromUtf8(c.period));
        const QString target =
            "/s?q1=site%3Aexample.cn&q2=&q3=&q4=&rn=10&lm=" + QString::fromUtf8(c.lm) +
            "&ct=0&ft=&q5=&q6=&tn=baiduadv";
        EXPECT_EQ(server.requests(), QStringList{target}) << c.period;
        EXPECT_EQ(r.url, server.base() + target);
        EXPECT_EQ(r.sentence,
                  "百度在最近 " + QString::fromUtf8(c.shown) + " 日内共收录了 约1,234 个页面");
    }
    EXPECT_EQ(baiduPeriods().size(), 5);
}

TEST(BaiduPeriod, MissingMarkersFail) {
    FixtureServer server;
    server.add("/s", [](const std::string& t) -> FixtureServer::Page {
        if (t.find("a.cn") != std::string::npos)
            return {200, "text/html", gbk("没有结果")};
        return {200, "text/html", gbk("找到相关网页约12")};
    });
    CurlFetcher f;
    for (const char* d : {"a.cn", "b.cn"})
        EXPECT_THROW(runBaiduPeriod(f, endpointsAt(server.base()), QString::fromUtf8(d),
                                    QStringLiteral("全部时间")),
                     ToolError);
}

TEST(RankBadges, Cutters) {
    EXPECT_EQ(
        cutPageRank(QStringLiteral("Rank_1:1:5\r\n"), badgeMarkers(QStringLiteral("pagerank"))),
        QStringLiteral("5"));
    // Spaces are trimmed before the line breaks go, so a space before a line break stays.
    EXPECT_EQ(
        cutPageRank(QStringLiteral(" Rank_1:1:10\n"), badgeMarkers(QStringLiteral("pagerank"))),
        QStringLiteral("10"));
    EXPECT_EQ(
        cutPageRank(QStringLiteral("Rank_1:1:10 \n"), badgeMarkers(QStringLiteral("pagerank"))),
        QStringLiteral("10 "));
    EXPECT_EQ(cutPageRank(QString(), badgeMarkers(QStringLiteral("pagerank"))), QString());

    const struct {
        const char* page;
        const char* figure;
    } alexa[] = {
        {"<p>nothing</p>", "-"},
        {"rank of:</span> 12", "-"},
        {"<span class=\"descBold\">rank of:</span><a href=\"/x\">1,234</span>", "1,234"},
        {"rank of:</span><span class=\"descBold\">56</span>", "56"},
        {"rank of:</span>789</span>", "789"}, // no tag left: the final "<" goes too
    };
    for (const auto& c : alexa)
        EXPECT_EQ(cutAlexa(QString::fromUtf8(c.page), badgeMarkers(QStringLiteral("alexa"))),
                  QString::fromUtf8(c.figure))
            << c.page;

    const struct {
        const char* page;
        const char* figure;
    } sogou[] = {
        {"<dl><dt>Sogou Rank</dt><dd>42</dd></dl>", "42"},
        {"<dt>Sogou Rank</dt><dd>100</dd>", "100"},
        {"<dt>Sogou Rank</dt><dd>5</dd>", "5"},
        {"<dt>Sogou Rank</dt><dd>5", "-"},
        {"<p>Sogou</p>", "-"},
    };
    for (const auto& c : sogou)
        EXPECT_EQ(cutSogouRank(QString::fromUtf8(c.page), badgeMarkers(QStringLiteral("sogou"))),
                  QString::fromUtf8(c.figure))
            << c.page;

    const struct {
        const char* page;
        const char* figure;
    } china[] = {
        {"<td background=\"cr_bg25.gif\">3456</td><td>", "3456"},
        {"<img src=\"cr_bg25.gif\"></td>", ""},
        {"cr_bg25.gif", "-"},
        {"cr_bg25.gif\">99", "-"},
        {"no marker", "-"},
    };
    for (const auto& c : china)
        EXPECT_EQ(
            cutChinaRank(QString::fromUtf8(c.page), badgeMarkers(QStringLiteral("chinarank"))),
            QString::fromUtf8(c.figure))
            << c.page;
}

TEST(RankBadges, IsPageRankOnlyForRanksZeroToTen) {
    for (const char* yes : {"0", "5", "10"})
        EXPECT_TRUE(isPageRank(QString::fromUtf8(yes))) << yes;
    for (const char* no : {"", "-", "11", "05", "+5", " 5", "../../etc/x", "5<html>"})
        EXPECT_FALSE(isPageRank(QString::fromUtf8(no))) << no;
}

TEST(RankBadges, FourRequestsInOrderAndAFailureGivesADash) {
    FixtureServer server;
    server.add("/search", {200, "text/plain", "Rank_1:1:6\r\n"});
    server.add("/web", {200, "text/html", gbk("<dt>Sogou Rank</dt><dd>42</dd>")});
    server.add("/overview/Info.do",
               {200, "text/html", gbk("<td background=\"cr_bg25.gif\">7</td>")});
    EndpointTable endpoints = endpointsAt(server.base());
    {
        RawServer gone(QByteArray(), false);
        endpoints.set(Endpoint::AlexaHost, gone.base());
    }
    CurlFetcher f;
    QStringList captions;
    QList<qsizetype> asked; // by the time each caption came: it comes before the next request
    QList<std::optional<double>> numbers;
    QList<Why> whys;
    runRankBadges(f, endpoints, QStringLiteral("example.cn"), [&](Badge, const Figure& figure) {
        captions << figure.text;
        numbers << figure.number;
        whys << figure.why;
        asked << server.requests().size();
    });
    EXPECT_EQ(captions, (QStringList{"6", "-", "42/100", "7"}));
    EXPECT_EQ(numbers, (QList<std::optional<double>>{6, std::nullopt, 42, 7}));
    EXPECT_EQ(whys, (QList<Why>{Why::None, Why::Failed, Why::None, Why::None}));
    EXPECT_EQ(asked, (QList<qsizetype>{1, 1, 2, 3}));
    EXPECT_EQ(
        server.requests(),
        (QStringList{
            "/search?client=navclient&ch=6-318520749&features=Rank&q=info:www.example.cn",
            "/web?query=www.example.cn",
            "/overview/"
            "Info.do?url=www.example.cn&from=0&r=1230610618442&imageField.x=23&imageField.y=15"}));
}
