#include "base/charset.h"
#include "endpoints_at.h"
#include "fixture_server.h"
#include "rank/keyword_rank.h"

#include <gtest/gtest.h>
#include <utility>
#include <vector>

// The five engines on one loopback server, told apart by their queries: example.cn stands 2nd on
// Baidu, 1st on Google (for "seo 工具"), 13th on Yahoo, 4th on Sogou and 2nd on Youdao.
// The CLI tests serve the same pages.
void serveRankPages(FixtureServer& server) {
    const auto page = [](const char* utf8) {
        return FixtureServer::Page{200, "text/html; charset=utf-8", QByteArray(utf8)};
    };
    server.add("/s", [page](const std::string& target) {
        if (target.starts_with("/s?q1="))
            return FixtureServer::Page{200, "text/html",
                                       charset::encodeGbk(QStringLiteral(
                                           "用时0.01秒<DIV id=ScriptDiv></DIV><table>a.cn"
                                           "</table><table>www.example.cn</table>相关搜索"))};
        if (target.ends_with("&b=10"))
            return page("<div class=\"yst-web\"><li>a</li><li>b</li><li>example.cn</li></div>");
        return page("<div class=\"yst-web\"><li>a</li><li>b</li></div>");
    });
    server.add("/search", [page](const std::string& target) {
        if (target.starts_with("/search?as_q="))
            return page("<b>seo 工具</b><li class=g><h3 class=r>example.cn");
        return page("one result<table>a</table><table>example.cn</table>relatedQuery");
    });
    server.add("/web", page("<div id=\"content\"><div>a</div><div>b</div><div>c</div>"
                            "<div>example.cn</div><!--z-->"));
}

namespace {

using Reports = std::vector<std::pair<RankBox, QString>>;

} // namespace

TEST(KeywordRank, SixBoxesInOrder) {
    FixtureServer server;
    serveRankPages(server);
    CurlFetcher f;
    Reports reports;
    std::vector<int> positions;
    searchKeywordRank(f, endpointsAt(server.base()), "www.Example.cn", "seo 工具",
                      [&](RankBox box, const Figure& answer) {
                          reports.emplace_back(box, answer.text);
                          positions.push_back(answer.number ? int(*answer.number) : -1);
                      });
    const Reports expected{
        {RankBox::Baidu, "排名为第2位（有0 个参与竞价推广）"},
        {RankBox::Google, "排名为第1位"},
        {RankBox::Yahoo, "排名为第13位"},
        {RankBox::Sogou, "排名为第4位"},
        {RankBox::Soso, "排名为第1位"},
        {RankBox::Youdao, "排名为第2位"},
    };
    EXPECT_EQ(reports, expected);
    EXPECT_EQ(positions, (std::vector<int>{2, 1, 13, 4, 1, 2}));

    // Spaces and Chinese go on the wire percent-encoded as UTF-8, Youdao's GBK form as it is.
    const QString k = "seo%20%E5%B7%A5%E5%85%B7";
    const QStringList wire{
        "/s?q1=" + k + "&q2=&q3=&q4=&rn=100&lm=0&ct=0&ft=&q5=&q6=&tn=baiduadv",
        "/search?as_q=" + k +
            "&hl=zh-CN&newwindow=1&num=100&btnG=Google+%E6%90%9C%E7%B4%A2&as_epq=&as_oq=&as_eq="
            "&lr=&cr=&as_ft=i&as_filetype=&as_qdr=all&as_occt=any&as_dt=i&as_sitesearch="
            "&as_rights=",
        "/s?p=" + k + "&pid=hp&v=web",
        "/s?p=" + k + "&pid=hp&v=web&b=10",
        "/web?q=" + k + "&query=" + k +
            "&fieldtitle=&fieldcontent=&fieldstripurl=&bstype=&exclude=&sitequery=&located=0"
            "&tro=off&filetype=&num=100",
        "/search?q=seo+%B9%A4%BE%DF&start=0&ue=utf8&keyfrom=web.page1",
    };
    EXPECT_EQ(server.requests(), wire);
}

TEST(KeywordRank, UnreadablePagesStillFillEveryBox) {
    FixtureServer server; // every address is a 404 page without markers
    CurlFetcher f;
    Reports reports;
    std::vector<Why> whys;
    searchKeywordRank(f, endpointsAt(server.base()), "example.cn", "優網s",
                      [&](RankBox box, const Figure& answer) {
                          reports.emplace_back(box, answer.text);
                          whys.push_back(answer.why);
                      });
    const Reports expected{
        {RankBox::Baidu, "-"}, {RankBox::Google, "--"},
        {RankBox::Yahoo, "-"}, {RankBox::Sogou, "在100位（1--10页）中未查询到结果!!"},
        {RankBox::Soso, "--"}, {RankBox::Youdao, "-"},
    };
    EXPECT_EQ(reports, expected);
    // Pages without markers are not recognised; Sogou's page without the site is an answer.
    EXPECT_EQ(whys, (std::vector<Why>{Why::Unrecognised, Why::Unrecognised, Why::Unrecognised,
                                      Why::NotFound, Why::Unrecognised, Why::Unrecognised}));
    const QStringList requests = server.requests();
    ASSERT_EQ(requests.size(), 5);
    EXPECT_TRUE(requests[0].startsWith("/s?q1=%E5%84%AA%E7%B6%B2s&q2="))
        << requests[0].toStdString();
    // 優 is 83 9E in GBK: URLEncode keeps a trail byte below A0 as a character, which goes out
    // as that single byte.
    EXPECT_EQ(requests[4], "/search?q=%83%9E%BEWs&start=0&ue=utf8&keyfrom=web.page1");
}

TEST(KeywordRank, OnlyTheChosenEnginesAreAskedWithinThePageCap) {
    using enum RankBox;
    const auto choose = [](std::initializer_list<RankBox> boxes, int pages) {
        RankChoice c;
        c.asked.fill(false);
        for (RankBox b : boxes)
            c.asked[size_t(b)] = true;
        c.pages = pages;
        return c;
    };
    struct Case {
        const char* what;
        RankChoice choice;
        std::vector<RankBox> reported;
        qsizetype requests;
    };
    const Case cases[] = {
        {"as shipped", RankChoice{}, {Baidu, Google, Yahoo, Sogou, Soso, Youdao}, 23},
        {"Soso without Google stays empty", choose({Soso, Sogou}, 10), {Sogou}, 1},
        {"Soso copies Google", choose({Google, Soso}, 10), {Google, Soso}, 1},
        {"nothing chosen", choose({}, 10), {}, 0},
        {"Yahoo and Youdao read one page", choose({Yahoo, Youdao}, 1), {Yahoo, Youdao}, 2},
        {"Youdao reads three pages", choose({Youdao}, 3), {Youdao}, 3},
    };
    for (const Case& c : cases) {
        FixtureServer server;
        serveRankPages(server);
        CurlFetcher f;
        std::vector<RankBox> reported;
        searchKeywordRank(
            f, endpointsAt(server.base()), "nowhere.cn", "seo",
            [&](RankBox box, const Figure&) { reported.push_back(box); }, c.choice);
        EXPECT_EQ(reported, c.reported) << c.what;
        EXPECT_EQ(server.requests().size(), c.requests) << c.what;
    }
}

// A box is written as soon as its engine has answered, before the next engine is asked: the
// server's request count at each report says how far the search had got.
TEST(KeywordRank, EachBoxIsReportedBeforeTheNextEngineIsAsked) {
    FixtureServer server;
    serveRankPages(server);
    CurlFetcher f;
    std::vector<qsizetype> asked;
    searchKeywordRank(f, endpointsAt(server.base()), "example.cn", "seo 工具",
                      [&](RankBox, const Figure&) { asked.push_back(server.requests().size()); });
    // Yahoo needs two pages; Soso's box copies Google's without asking.
    EXPECT_EQ(asked, (std::vector<qsizetype>{1, 2, 4, 5, 5, 6}));
}
