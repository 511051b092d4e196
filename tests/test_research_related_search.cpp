#include "base/charset.h"
#include "base/tool_error.h"
#include "fixture_server.h"
#include "research/related_search.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

// A result page whose related-search table links each anchor (the anchor's inner HTML).
QString resultPage(const QStringList& anchors) {
    QString p = QStringLiteral("<p>结果</p><div id=\"rs\">相关搜索</div><table><tr>");
    for (const QString& a : anchors)
        p += QStringLiteral("<td><a href=\"/s?wd=x\">") + a + QStringLiteral("</a></td>");
    return p + QStringLiteral("</tr></table><a href=\"/next\">下一页</a>");
}

QStringList row(int n, const QString& keyword, const QString& figure) {
    return {QString::number(n), keyword, figure, figure, figure, figure};
}

// Index pages show the word as sent in all four figures, so each row tells which request it
// came from; the words in broken get a figures table without its "<span"s.
class RelatedRun : public ::testing::Test {
protected:
    void SetUp() override {
        endpoints.set(Endpoint::BaiduIndexHost, server.base());
        endpoints.set(Endpoint::BaiduSearchHost, server.base());
        server.add("/main/word.php", [this](const std::string& target) -> FixtureServer::Page {
            const QString w = QString::fromStdString(target.substr(target.find("word=") + 5));
            const QString span = broken.contains(w) ? QString() : QStringLiteral("<span>");
            return {200, "text/html",
                    charset::encodeGbk(QStringLiteral("时间范围<td>今日%1</td>1周<td>%1%2</td>"
                                                      "1个月<td>%1%2</td>1季度<td>%1%2</td>"
                                                      "</table>")
                                           .arg(w, span))};
        });
    }

    void serveResult(const QString& page) {
        server.add("/s", {200, "text/html", charset::encodeGbk(page)});
    }

    // One run appended to list, as the window appends to its list view; asked holds the
    // server's request count as each row came.
    void run(const QString& keyword) {
        runRelatedSearch(fetcher, endpoints, keyword, int(list.size()), [&](const KeywordRow& r) {
            list.push_back(r.columns());
            asked.push_back(server.requests().size());
        });
    }

    FixtureServer server;
    CurlFetcher fetcher;
    EndpointTable endpoints;
    QStringList broken;
    std::vector<QStringList> list;
    std::vector<qsizetype> asked;
};

} // namespace

TEST(RelatedBlock, CutsOneKeywordPerLink) {
    const struct {
        const char* name;
        QString page;
        QStringList keywords;
        const char* error;
    } cases[] = {
        {"no </a> in the block", resultPage({}), {}, nullptr},
        {"links in page order", resultPage({"甲", "乙"}), {"甲", "乙"}, nullptr},
        {"inner tags, entities and spaces stay",
         resultPage({" <em>seo</em> &amp; 优化 "}),
         {" <em>seo</em> &amp; 优化 "},
         nullptr},
        {"the block ends at its </table>",
         "相关搜索<a href=1>甲</a></table><a href=2>乙</a>",
         {"甲"},
         nullptr},
        {"an <a without > gives the whole piece",
         "相关搜索<table><tr><td>x<a</a></table>",
         {"table><tr><td>x<a"},
         nullptr},
        {"no </table> after 相关搜索", "相关搜索<a href=1>甲</a>", {}, "</table>"},
        {"a piece without <a", "<p>相关搜索</p><table><tr><td>甲</a></table>", {}, "<a"},
    };
    for (const auto& c : cases) {
        QStringList keywords;
        QString error;
        try {
            for (const QString& piece : relatedSearchPieces(c.page, QStringLiteral("u")))
                keywords << relatedKeyword(piece, QStringLiteral("u"));
        } catch (const ToolError& e) {
            error = e.description();
        }
        EXPECT_EQ(keywords, c.keywords) << c.name;
        if (c.error)
            EXPECT_TRUE(error.contains(QString::fromUtf8(c.error))) << c.name;
        else
            EXPECT_TRUE(error.isEmpty()) << c.name << ": " << error.toStdString();
    }
}

TEST_F(RelatedRun, TenRelatedSearchesMakeElevenRowsInRequestOrder) {
    QStringList anchors;
    for (int i = 1; i <= 10; ++i)
        anchors << QStringLiteral("k%1").arg(i);
    serveResult(resultPage(anchors));
    list.resize(3);
    run(QStringLiteral("seo"));
    ASSERT_EQ(list.size(), 14u);
    EXPECT_EQ(list[3], row(4, "seo", "seo"));
    QStringList expected = {"/main/word.php?word=seo", "/s?wd=seo"};
    for (int i = 1; i <= 10; ++i) {
        EXPECT_EQ(list[size_t(3 + i)], row(4 + i, anchors[i - 1], anchors[i - 1]));
        expected << QStringLiteral("/main/word.php?word=") + anchors[i - 1];
    }
    EXPECT_EQ(server.requests(), expected);
    // Each row comes before the next request: the typed keyword's after its index page, each
    // related keyword's after the result page and the index pages so far.
    EXPECT_EQ(asked, (std::vector<qsizetype>{1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
}

TEST_F(RelatedRun, KeywordsGoOutInGbkAndPagesAreReadAsGbk) {
    server.add("/s", {200, "text/html; charset=utf-8",
                      charset::encodeGbk(resultPage({QStringLiteral("<b>建站</b>")}))});
    run(QStringLiteral("网站 优化"));
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1][1], QStringLiteral("<b>建站</b>"));
    EXPECT_EQ(server.requests(),
              (QStringList{"/main/word.php?word=%CD%F8%D5%BE+%D3%C5%BB%AF",
                           "/s?wd=%CD%F8%D5%BE+%D3%C5%BB%AF",
                           "/main/word.php?word=%3Cb%3E%BD%A8%D5%BE%3C%2Fb%3E"}));
}

TEST_F(RelatedRun, ASecondRunNumbersOnAndAnIndexWithoutTableGivesDashes) {
    serveResult(resultPage({"a", "b"}));
    run(QStringLiteral("one"));
    server.add("/main/word.php", {200, "text/html", QByteArray("<p>no figures</p>")});
    run(QStringLiteral("two"));
    ASSERT_EQ(list.size(), 6u);
    EXPECT_EQ(list[2], row(3, "b", "b"));
    EXPECT_EQ(list[3], row(4, "two", "-"));
    EXPECT_EQ(list[5], row(6, "b", "-"));
}

// The index writes large figures with thousands separators; each stays whole in its own column.
TEST_F(RelatedRun, FiguresWithCommasStayInTheirColumns) {
    server.add("/main/word.php", {200, "text/html",
                                  charset::encodeGbk(QStringLiteral(
                                      "时间范围<td>今日12</td>1周<td>1,234<span>"
                                      "1个月<td>5,678,901<span>1季度<td>,<span></table>"))});
    serveResult(resultPage({}));
    run(QStringLiteral("seo"));
    EXPECT_EQ(list, (std::vector<QStringList>{{"1", "seo", "12", "1,234", "5,678,901", ","}}));
}

TEST_F(RelatedRun, AFailureAtTheFifthRelatedKeywordKeepsFiveRows) {
    const QStringList anchors = {"r1", "r2", "r3", "r4", "r5", "r6"};
    const struct {
        const char* name;
        QString page;
        QStringList broken;
        int requests;
    } cases[] = {
        {"its index page lacks a piece", resultPage(anchors), {"r5"}, 7},
        {"its piece has no <a",
         resultPage(anchors).replace(QStringLiteral("<a href=\"/s?wd=x\">r5"), "r5"),
         {},
         6},
    };
    for (const auto& c : cases) {
        server.clearRequests();
        list.clear();
        broken = c.broken;
        serveResult(c.page);
        EXPECT_THROW(run(QStringLiteral("seo")), ToolError) << c.name;
        ASSERT_EQ(list.size(), 5u) << c.name;
        EXPECT_EQ(list[4], row(5, "r4", "r4")) << c.name;
        EXPECT_EQ(server.requests().size(), c.requests) << c.name;
    }
}

TEST_F(RelatedRun, APageWithoutRelatedSearchesEndsWithAnErrorAfterTheFirstRow) {
    serveResult(QStringLiteral("<html>抱歉，没有找到相关的网页</html>"));
    QString error;
    try {
        run(QStringLiteral("seo"));
    } catch (const ToolError& e) {
        error = e.description();
    }
    EXPECT_TRUE(error.contains(QStringLiteral("没有“相关搜索”"))) << error.toStdString();
    EXPECT_EQ(list, (std::vector<QStringList>{row(1, "seo", "seo")}));
}

// Each related search costs an index request; a page listing thousands of them is not a real
// result page, and only the first hundred are asked about.
TEST_F(RelatedRun, RelatedSearchesStopAtAHundred) {
    const struct {
        int links;
        int rows;
    } cases[] = {{100, 101}, {150, 101}};
    for (const auto& c : cases) {
        QStringList anchors;
        for (int i = 1; i <= c.links; ++i)
            anchors << QStringLiteral("k%1").arg(i);
        serveResult(resultPage(anchors));
        server.clearRequests();
        list.clear();
        EXPECT_EQ(runRelatedSearch(fetcher, endpoints, QStringLiteral("seo"), 0,
                                   [&](const KeywordRow& r) { list.push_back(r.columns()); }),
                  c.links);
        ASSERT_EQ(int(list.size()), c.rows) << c.links;
        EXPECT_EQ(list.back(), row(101, "k100", "k100")) << c.links;
        EXPECT_EQ(server.requests().size(), c.rows + 1) << c.links;
    }
}
