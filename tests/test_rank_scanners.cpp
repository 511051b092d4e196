#include "base/charset.h"
#include "endpoints_at.h"
#include "fixture_server.h"
#include "rank/get_count.h"
#include "rank/keyword_rank.h"

#include <atomic>
#include <gtest/gtest.h>
#include <vector>

namespace {

const QString kNotFound = QStringLiteral("在100位（1--10页）中未查询到结果");

struct PageCase {
    const char* what;
    QString page;
    const char* site;
    QString answer;
};

// Each case's page is served at the engine's path; GBK pages too are labelled UTF-8, which
// Baidu must ignore.
void runPageCases(const std::vector<PageCase>& cases, RankBox box, const std::string& path,
                  bool gbk, const QString& keyword = QStringLiteral("seo")) {
    FixtureServer server;
    CurlFetcher f;
    for (const PageCase& c : cases) {
        const QByteArray body = gbk ? charset::encodeGbk(c.page) : c.page.toUtf8();
        server.add(path, {200, "text/html; charset=utf-8", body});
        EXPECT_EQ(
            rankOn(box, f, endpointsAt(server.base()), QString::fromUtf8(c.site), keyword).text,
            c.answer)
            << c.what;
    }
}

QString baiduPage(const QStringList& tables, const QString& tail = {}) {
    QString p = QStringLiteral("<html>找到相关网页约1,230篇，用时0.001秒<DIV id=ScriptDiv></DIV>");
    for (const QString& t : tables)
        p += QStringLiteral("<table><tr><td>") + t + QStringLiteral("</td></tr></table>");
    return p + QStringLiteral("<div>相关搜索</div>") + tail + QStringLiteral("</html>");
}

QStringList paid(int n, const QStringList& then) {
    QStringList t;
    for (int i = 0; i < n; ++i)
        t << QStringLiteral("<a class=m>推广</a> ad%1.cn").arg(i);
    return t + then;
}

QString baidu(int n, int m) {
    return QStringLiteral("排名为第%1位（有%2 个参与竞价推广）").arg(n).arg(m);
}

QString ranked(int n) {
    return QStringLiteral("排名为第%1位").arg(n);
}

} // namespace

TEST(BaiduRank, PositionIsTheTableIndexLessPaidResultsBeyondTen) {
    const QString paidSite = QStringLiteral("<a class=m>推广</a> example.cn");
    QStringList thirteenPaidSiteThird = paid(13, {QStringLiteral("a.cn")});
    thirteenPaidSiteThird[2] = paidSite;
    QStringList thirteenPaidSiteFirst = paid(13, {});
    thirteenPaidSiteFirst[0] = paidSite;
    runPageCases(
        {
            {"third table", baiduPage({"a.cn", "b.cn", "www.example.cn/x"}), "example.cn",
             baidu(3, 0)},
            {"capitals and www. typed", baiduPage({"a.cn", "example.cn"}), "WWW.Example.CN",
             baidu(2, 0)},
            {"capitals on the page", baiduPage({"a.cn", "EXAMPLE.cn"}), "example.cn", kNotFound},
            {"site in a longer domain", baiduPage({"myexample.cn", "example.cn"}), "example.cn",
             baidu(1, 0)},
            {"ten paid: no correction", baiduPage(paid(10, {"a.cn", "example.cn"})), "example.cn",
             baidu(12, 10)},
            {"thirteen paid, table 15", baiduPage(paid(13, {"a.cn", "example.cn"})), "example.cn",
             baidu(12, 13)},
            {"thirteen paid, site paid in table 3", baiduPage(thirteenPaidSiteThird), "example.cn",
             baidu(0, 13)},
            {"thirteen paid, site paid in table 1", baiduPage(thirteenPaidSiteFirst), "example.cn",
             baidu(-2, 13)},
            {"paid links after the related searches",
             baiduPage(paid(10, {"example.cn"}), paid(3, {}).join(' ')), "example.cn",
             baidu(11, 10)},
            {"site before the first table", "用时<DIV id=ScriptDiv></DIV>example.cn<table>a.cn",
             "example.cn", baidu(0, 0)},
            {"site only after the related searches", baiduPage({"a.cn"}, "example.cn"),
             "example.cn", kNotFound},
            {"site only before the placeholder", "用时 example.cn<DIV id=ScriptDiv></DIV><table>a",
             "example.cn", kNotFound},
            {"cut keeps the first character of 相关搜索",
             "用时<DIV id=ScriptDiv></DIV><table>example.cn相关搜索", "example.cn相", baidu(1, 0)},
            {"no related searches", "用时<DIV id=ScriptDiv></DIV><table>a<table>example.cn",
             "example.cn", baidu(2, 0)},
            {"no timing note", "<DIV id=ScriptDiv></DIV><table>example.cn", "example.cn", "-"},
            {"no placeholder", "用时<table>example.cn", "example.cn", "-"},
            {"placeholder after the related searches",
             "用时相关搜索<DIV id=ScriptDiv></DIV><table>example.cn", "example.cn", "-"},
        },
        RankBox::Baidu, "/s", true);
}

TEST(GoogleRank, CountsResultsAfterTheBoldKeyword) {
    auto page = [](const QStringList& results, const QString& before = {}) {
        QString p =
            QStringLiteral("<html>") + before + QStringLiteral("<b>seo 工具</b> 的搜索结果");
        for (const QString& r : results)
            p += QStringLiteral("<li class=g><h3 class=r><a href='http://") + r +
                 QStringLiteral("/'>") + r + QStringLiteral("</a></h3></li>");
        return p + QStringLiteral("</html>");
    };
    const QString bolded = QStringLiteral("<b>seo 工具</b>");
    runPageCases(
        {
            {"second result", page({"a.cn", "www.example.cn"}), "example.cn", ranked(2)},
            {"www. typed", page({"example.cn"}), "www.example.cn", ranked(1)},
            {"absent", page({"a.cn", "b.cn"}), "example.cn", kNotFound},
            {"results before the keyword skipped",
             page({"a.cn", "example.cn"}, "<li class=g><h3 class=r>example.cn " + bolded),
             "example.cn", ranked(2)},
            {"keyword in other case", QString(page({"example.cn"})).replace("seo", "SEO"),
             "example.cn", "--"},
            {"keyword with other spacing", QString(page({"example.cn"})).replace(" 工", "工"),
             "example.cn", "--"},
            {"keyword but no results", "<html>" + bolded + " example.cn</html>", "example.cn", "-"},
        },
        RankBox::Google, "/search", false, QStringLiteral("seo 工具"));
}

TEST(SogouRank, TellsAbsentFromThePageFromOutsideTheList) {
    auto page = [](const QStringList& results, const QString& outside = {}) {
        QString p = QStringLiteral("<html><div id=\"content\">");
        for (const QString& r : results)
            p += QStringLiteral("<div class=\"rb\">") + r + QStringLiteral("</div>");
        return p + QStringLiteral("<!--z-->") + outside + QStringLiteral("</html>");
    };
    runPageCases(
        {
            {"third result", page({"a.cn", "b.cn", "Www.example.cn"}), "example.cn", ranked(3)},
            {"first result", page({"example.cn"}), "www.EXAMPLE.cn", ranked(1)},
            {"absent from the page", page({"a.cn"}), "example.cn", kNotFound + "!!"},
            {"absent, no list either", "<html></html>", "example.cn", kNotFound + "!!"},
            {"only after <!--z-->", page({"a.cn"}, "example.cn"), "example.cn", ""},
            {"only before the list", "<p>example.cn</p>" + page({"a.cn"}), "example.cn", ""},
            {"no list", "<html>example.cn</html>", "example.cn", "-"},
            {"no <!--z-->: the whole page is split",
             "<p>example.cn</p></div><div id=\"content\"><div>a.cn</div>", "example.cn", ranked(1)},
        },
        RankBox::Sogou, "/web", false);
}

namespace {

// A paged engine: how it frames ten results, its box and the path of its result pages. Each
// head carries the frame's end marker once before the frame, where it must not count.
struct PagedEngine {
    const char* name;
    QString head, separator, tail;
    RankBox box;
    std::string path;
};

const PagedEngine kYahoo{
    "Yahoo",        "<html><div id=hd>Yahoo!</div><div class=\"yst-web\"><ol><li>",
    "</li><li>",    "</li></ol></div></html>",
    RankBox::Yahoo, "/s"};
const PagedEngine kYoudao{
    "Youdao",          "<html><a class=relatedQuery>x</a><div>one result<table>",
    "</table><table>", "</table></div><div class=relatedQuery></div></html>",
    RankBox::Youdao,   "/search"};

// A page plan: "0" ten results without the site, "N" the site as result N, "-" no frame at
// all, "open" the frame without its end, "out" the site only after the frame.
QString pagedPage(const PagedEngine& e, const std::string& plan) {
    if (plan == "-")
        return QStringLiteral("<html>example.cn</html>");
    QStringList results;
    for (int i = 1; i <= 10; ++i)
        results << QStringLiteral("r%1.cn").arg(i);
    if (plan == "open")
        return e.head + results.join(e.separator);
    if (plan == "out")
        return e.head + results.join(e.separator) + e.tail + QStringLiteral("example.cn");
    if (const int at = std::stoi(plan); at > 0)
        results[at - 1] = QStringLiteral("www.example.cn");
    return e.head + results.join(e.separator) + e.tail;
}

// Serves plans[n] as the n-th page requested (a page without the site past the list).
struct PagedServer {
    PagedServer(const PagedEngine& e, std::vector<std::string> plans) {
        server.add(e.path, [this, &e, plans](const std::string&) -> FixtureServer::Page {
            const size_t n = served++;
            return {200, "text/html; charset=utf-8",
                    pagedPage(e, n < plans.size() ? plans[n] : "0").toUtf8()};
        });
    }
    std::atomic<size_t> served{0};
    FixtureServer server;
};

} // namespace

TEST(PagedRank, TenResultsAPageUntilTheSiteOrAMissingFrame) {
    struct Case {
        const char* what;
        std::vector<std::string> pages;
        QString answer;
        int requests;
    };
    const Case cases[] = {
        {"page 1, result 4", {"4"}, ranked(4), 1},
        {"page 3, result 5", {"0", "0", "5"}, ranked(25), 3},
        {"page 10, result 10",
         {"0", "0", "0", "0", "0", "0", "0", "0", "0", "10"},
         ranked(100),
         10},
        {"absent from ten pages", {}, kNotFound, 10},
        {"page 4 without a frame", {"0", "0", "0", "-"}, "-", 4},
        {"frame never closed", {"0", "open"}, "-", 2},
        {"outside the frame, then result 1", {"out", "1"}, ranked(11), 2},
    };
    CurlFetcher f;
    for (const PagedEngine* e : {&kYahoo, &kYoudao})
        for (const Case& c : cases) {
            PagedServer s(*e, c.pages);
            EXPECT_EQ(rankOn(e->box, f, endpointsAt(s.server.base()), "WWW.Example.cn", "x").text,
                      c.answer)
                << e->name << ": " << c.what;
            EXPECT_EQ(s.server.requests().size(), c.requests) << e->name << ": " << c.what;
        }
}

TEST(PagedRank, PageAddresses) {
    CurlFetcher f;
    PagedServer yahoo(kYahoo, {});
    rankOn(RankBox::Yahoo, f, endpointsAt(yahoo.server.base()), "example.cn", "seo");
    QStringList expected{"/s?p=seo&pid=hp&v=web"};
    for (int b = 10; b <= 90; b += 10)
        expected << QStringLiteral("/s?p=seo&pid=hp&v=web&b=%1").arg(b);
    EXPECT_EQ(yahoo.server.requests(), expected);

    PagedServer youdao(kYoudao, {});
    rankOn(RankBox::Youdao, f, endpointsAt(youdao.server.base()), "example.cn", "seo");
    expected.clear();
    for (int p = 1; p <= 10; ++p)
        expected << QStringLiteral("/search?q=seo&start=%1&ue=utf8&keyfrom=web.page%2")
                        .arg((p - 1) * 10)
                        .arg(p);
    EXPECT_EQ(youdao.server.requests(), expected);
}

TEST(RankScanners, AFailedFetchAnswersADash) {
    const QString refused = refusingBase();
    CurlFetcher f;
    for (const RankBoxName& b : kRankBoxes) {
        const Figure answer = rankOn(b.box, f, endpointsAt(refused), "example.cn", "seo");
        EXPECT_EQ(answer.text, "-") << b.name;
        // Told apart from a page without markers, which also shows "-".
        EXPECT_EQ(answer.why, Why::Failed) << b.name;
        EXPECT_FALSE(answer.detail.isEmpty()) << b.name;
        EXPECT_FALSE(answer.number) << b.name;
    }
}

TEST(GetCount, CountsNonOverlappingPieces) {
    struct Case {
        std::optional<QString> searched, toFind;
        int count;
    };
    const Case cases[] = {
        {"a.b.c.", ".", 3},
        {"aaa", "aa", 1},
        {"aaaa", "aa", 2},
        {"推广 推广 推广", "推广", 3},
        {"AaA", "a", 1},
        {"abc", "x", 0},
        {"abc", "", 0},
        {"", "x", -1},
        {"", "", -1},
        {std::nullopt, "x", 0},
        {"abc", std::nullopt, 0},
    };
    for (const Case& c : cases) {
        const auto view = [](const std::optional<QString>& s) {
            return s ? std::optional<QStringView>(*s) : std::nullopt;
        };
        EXPECT_EQ(getCount(view(c.searched), view(c.toFind)), c.count)
            << c.searched.value_or("null").toStdString() << " / "
            << c.toFind.value_or("null").toStdString();
    }
}
