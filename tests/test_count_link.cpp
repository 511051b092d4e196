#include "base/charset.h"
#include "base/tool_error.h"
#include "fixture_server.h"
#include "net/count_link.h"

#include <gtest/gtest.h>

TEST(CutCount, Cases) {
    const struct {
        const char* name;
        const char* page;
        const char* start;
        const char* end;
        const char* strip;
        const char* value;
    } cases[] = {
        {"worked example: Baidu", "<p>找到相关网页约1,234,000篇</p>", "找到相关网页", "篇",
         "找到相关网页,约", "1,234,000"},
        {"start marker absent", "<p>no results</p>", "找到相关网页", "篇", "找到相关网页,约", "0"},
        {"first start marker wins", "找到相关网页约5篇 找到相关网页约9篇", "找到相关网页", "篇",
         "找到相关网页,约", "5"},
        {"end marker at the start marker", "ab-cd", "ab", "a", "x", ""},
        {"outer spaces trimmed, inner kept", "找到  1 234  个", "找到", "个", "找到", "1 234"},
        {"tabs and full-width spaces stay", "找到\t5\u3000个", "找到", "个", "找到", "\t5\u3000"},
        {"longer piece listed first goes whole", "搜索到结果约12条", "搜索到结果", "条",
         "搜索到结果约,搜索到结果", "12"},
        {"shorter piece first leaves the rest", "搜索到结果约12条", "搜索到结果", "条",
         "搜索到结果,搜索到结果约", "约12"},
        {"whole list string removed first", "找到a,b,找到7个", "找到", "个", "a,b,找到", "7"},
        {"empty pieces delete nothing", "找到8个", "找到", "个", ",找到,,", "8"},
        {"commas in the page stay", "找到1,234个", "找到", "个", "找到,约", "1,234"},
        {"Yahoo's full-width colon and space", "被收录的网页： 共<strong>3,210</strong>条",
         "被收录的网页： 共", "条", "共,<strong>,</strong>,被收录的网页：,：", "3,210"},
        {"Youdao's timing comment", "搜索到结果约<!-- RESULT_NO=1 DURATION=0.258 --><B>42</B>条",
         "搜索到结果", "条",
         "搜索到结果约,<!-- RESULT_NO=1 DURATION=0.258 -->,<B>,</B>,搜索到结果约,搜索到结果", "42"},
        {"Live's full-width parenthesis", "（共 77 条搜索结果）", "（共", "条搜索结果",
         "（共,（,共", "77"},
        {"deletion is case-sensitive", "约有<B>9</B>项符合", "约有", "项符合", "</b>,<b>,约有",
         "<B>9</B>"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(cutCount(QString::fromUtf8(c.page), QStringLiteral("http://x/"),
                           QString::fromUtf8(c.start), QString::fromUtf8(c.end),
                           QString::fromUtf8(c.strip)),
                  QString::fromUtf8(c.value))
            << c.name;
}

TEST(CutCount, StartWithoutEndAfterItIsAnError) {
    for (const char* page : {"找到相关网页约12", "篇 找到相关网页约12"}) {
        try {
            cutCount(QString::fromUtf8(page), QStringLiteral("http://e/s"),
                     QStringLiteral("找到相关网页"), QStringLiteral("篇"),
                     QStringLiteral("找到相关网页,约"));
            ADD_FAILURE() << page;
        } catch (const ToolError& e) {
            EXPECT_TRUE(e.description().contains(QStringLiteral("http://e/s")));
        }
    }
}

TEST(GetCountLink, WrapsTheFigureInALinkToThePage) {
    FixtureServer server;
    server.add("/s", {200, "text/html; charset=utf-8",
                      charset::encodeGbk(QStringLiteral("找到相关网页约1,234篇"))});
    server.add("/none", {200, "text/html", "nothing here"});
    CurlFetcher f;
    const QString url = server.base() + "/s?wd=site%3Aexample.cn";
    EXPECT_EQ(getCountLink(f, url, QStringLiteral("找到相关网页"), QStringLiteral("篇"),
                           QStringLiteral("找到相关网页,约"), Decode::Gbk),
              "<a href='" + url + "' target='_blank'>1,234</a>");
    const QString none = server.base() + "/none";
    EXPECT_EQ(getCountLink(f, none, QStringLiteral("找到"), QStringLiteral("个"),
                           QStringLiteral("找到"), Decode::Gbk),
              "<a href='" + none + "' target='_blank'>0</a>");
}
