#include "base/charset.h"
#include "base/html_text.h"
#include "fixture_server.h"
#include "research/keyword_density.h"
#include "research/text_measures.h"

#include <gtest/gtest.h>

TEST(Density, RoundsToTwoDecimalsHalfToEvenWithoutTrailingZeros) {
    const struct {
        qsizetype keywordTotal;
        qsizetype page;
        const char* density;
    } cases[] = {
        {20, 1000, "2"},   {100, 300, "33.33"}, {200, 300, "66.67"}, {9, 13, "69.23"},
        {5, 200, "2.5"},   {7, 10000, "0.07"},  {0, 1000, "0"},      {1, 4000, "0.02"},
        {7, 4000, "0.18"}, {1, 800, "0.12"},    {1, 20000, "0"},     {6, 4, "150"},
        {5, 0, "0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatDensity(c.keywordTotal, c.page), QLatin1String(c.density))
            << c.keywordTotal << "/" << c.page;
}

TEST(Density, ByteLengthsAreGbkBytes) {
    const struct {
        const char* text;
        qsizetype bytes;
    } cases[] = {
        {"", 0},         {"seo", 3},
        {"关键", 4},     {"关键词seo", 9},
        {"網站", 4},     {"ＳＥＯ，。", 10},
        {"한국", 2},     {"a\U0001F600b", 4},             // each surrogate counts as one
        {"a\u200Bb", 3}, {"\u00AD\uFEFF\uFE0F\u2060", 4}, // invisible ones count too
    };
    for (const auto& c : cases)
        EXPECT_EQ(getByteLength(QString::fromUtf8(c.text)), c.bytes) << c.text;
}

TEST(Density, FrequencyCountsOverlappingOccurrences) {
    const struct {
        const char* keyword;
        const char* text;
        qsizetype count;
    } cases[] = {
        {"aa", "aaa", 2},   {"aba", "ababa", 2},         {"abab", "abababab", 3},
        {"aab", "aaab", 1}, {"seo", "seoseo", 2},        {"SEO", "seoseo", 0},
        {"abc", "ab", 0},   {"关键", "关键关键字关", 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(getFrequency(QString::fromUtf8(c.keyword), QString::fromUtf8(c.text)), c.count)
            << c.keyword << " in " << c.text;
    EXPECT_EQ(getFrequency(QString(1000, u'a'), QString(100000, u'a')), 99001);
}

TEST(Density, SpiderTextIsTheLowerCasedBodyWithoutTagsOrBlanks) {
    auto gbk = [](const char* html) { return charset::encodeGbk(QString::fromUtf8(html)); };
    const struct {
        const char* name;
        HttpResponse response;
        const char* text;
    } cases[] = {
        {"the body is found in capitals",
         {gbk("<HEAD><TITLE>标题</TITLE></HEAD><BODY><P>SEO 工具</P></BODY>"), "text/html"},
         "seo工具"},
        {"no body: the whole page", {gbk("<title>标题</title><p>正文</p>"), ""}, "标题正文"},
        {"a utf-8 header over GBK bytes leaves the GBK reading",
         {gbk("<body>网站</body>"), "text/html; charset=utf-8"},
         "网站"},
        {"blanks go (&NBSP; once lower-cased), a lone LF stays",
         {gbk("<body>a b\u3000c&nbsp;d\r\ne\tf\ng&NBSP;h</body>"), ""},
         "abcdef\ngh"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(spiderText(c.response), QString::fromUtf8(c.text)) << c.name;
}

TEST(Density, WorkedExampleThroughTheServer) {
    // 5 occurrences of a 4-byte keyword in 1000 bytes of body text.
    QString body;
    for (int i = 0; i < 5; ++i)
        body += QStringLiteral("关键") + QString(196, u'x');
    FixtureServer server;
    server.add("/p", {200, "text/html",
                      charset::encodeGbk("<head><title>关键</title></head><body><p>" + body +
                                         "</p></body>")});
    CurlFetcher f;
    // Typed without a scheme: "http://" goes in front.
    const KeywordDensity d =
        runKeywordDensity(f, server.base().mid(7) + "/p", QStringLiteral("关键"));
    EXPECT_EQ(d.pageText, body);
    EXPECT_EQ((QStringList{d.captions.lenTotal, d.captions.lenKeyword, d.captions.frequency,
                           d.captions.lenKeyWordTotal, d.captions.frequencyResult}),
              (QStringList{"页面代码总长度： 1000", "关键字符串长度： 4", "关键字出现频率： 5",
                           "关键字符总长度： 20", "密度结果计算： 2"}));
    EXPECT_EQ(d.keywordTotalLength, 20);
    EXPECT_EQ(d.density, QStringLiteral("2"));
}

TEST(Density, TheUtf8SwitchMakesNoSecondRequest) {
    FixtureServer server;
    server.add("/u",
               {200, "text/html; charset=utf-8",
                QStringLiteral("<meta charset=\"UTF-8\"><body>关键词 关键词</body>").toUtf8()});
    CurlFetcher f;
    const KeywordDensity d = runKeywordDensity(f, server.base() + "/u", QStringLiteral("关键词"));
    EXPECT_EQ(d.pageText, QStringLiteral("关键词关键词"));
    EXPECT_EQ(d.density, QStringLiteral("100"));
    EXPECT_EQ(server.requests().size(), 1);
}

TEST(Density, AUtf8PageWithItsCharsetInTheHeaderAloneIsCounted) {
    FixtureServer server;
    server.add("/u", {200, "text/html; charset=UTF-8",
                      QStringLiteral("<head><title>网站</title></head><body><p>关键词 工具 "
                                     "关键词</p></body>")
                          .toUtf8()});
    CurlFetcher f;
    const KeywordDensity d = runKeywordDensity(f, server.base() + "/u", QStringLiteral("关键词"));
    EXPECT_EQ(d.pageText, QStringLiteral("关键词工具关键词"));
    EXPECT_EQ(d.frequency, 2);
    EXPECT_EQ(d.pageLength, 16);
    EXPECT_EQ(d.density, QStringLiteral("75"));
}

TEST(Density, CapitalsAreNeverFoundAndAnEmptyPageHasDensityZero) {
    FixtureServer server;
    server.add("/seo", {200, "text/html", QByteArray("<body>SEO tools, seo tips</body>")});
    server.add("/empty", {200, "text/html", QByteArray("<body><script>x()</script></body>")});
    CurlFetcher f;
    const KeywordDensity upper = runKeywordDensity(f, server.base() + "/seo", "SEO");
    EXPECT_EQ(upper.pageText, QStringLiteral("seotools,seotips"));
    EXPECT_EQ(upper.keywordLength, 3);
    EXPECT_EQ(upper.frequency, 0);
    EXPECT_EQ(upper.density, QStringLiteral("0"));
    EXPECT_EQ(runKeywordDensity(f, server.base() + "/seo", "seo").density, QStringLiteral("37.5"));
    const KeywordDensity empty = runKeywordDensity(f, server.base() + "/empty", "seo");
    EXPECT_EQ(empty.pageLength, 0);
    EXPECT_EQ(empty.captions.frequencyResult, QStringLiteral("密度结果计算： 0"));
}

TEST(Density, OnlyAddressesWithoutAnHttpSchemeGetOne) {
    struct Recorder : Fetcher {
        HttpResponse get(const QString& url) override {
            asked << url;
            return {"<body>seo</body>", "text/html"};
        }
        QStringList asked;
    } f;
    for (const char* typed : {"example.cn/a", "https://example.cn/a", "HTTPS://example.cn/a",
                              "http://example.cn/a", "x.cn/?u=http://y.cn"})
        runKeywordDensity(f, QString::fromUtf8(typed), QStringLiteral("seo"));
    EXPECT_EQ(f.asked,
              (QStringList{"http://example.cn/a", "https://example.cn/a", "HTTPS://example.cn/a",
                           "http://example.cn/a", "x.cn/?u=http://y.cn"}));
}

TEST(Density, SpiderTextAsTheWholePageLoweredFirst) {
    // The steps as they were first written: the whole page lowered, "utf-8" looked for in that
    // copy, the body cut out of it, and only then the deletions.
    auto before = [](const HttpResponse& r) {
        QString page = decodeResponse(r, Decode::Gbk).toLower();
        if (page.contains(QStringLiteral("utf-8")))
            page = decodeResponse(r, Decode::Declared).toLower();
        const qsizetype body = page.indexOf(QStringLiteral("<body"));
        QString text = removeHtml(body >= 0 ? page.mid(body) : page);
        return removeBlank(text);
    };
    const QByteArray utf8Body = QStringLiteral("<BODY>网站 SEO</BODY>").toUtf8();
    const struct {
        const char* name;
        HttpResponse response;
    } cases[] = {
        {"empty", {QByteArray(), "text/html"}},
        {"UTF-8 in capitals in a meta tag",
         {"<META charset=UTF-8>" + utf8Body, "text/html; charset=utf-8"}},
        {"Utf-8 in mixed case, no charset: the body's own reading", {"Utf-8" + utf8Body, ""}},
        {"utf-8 at the very start and end", {"utf-8<body>x utf-8", "text/html; charset=gbk"}},
        {"near misses: utf8, utf_8, utf-, -8", {"utf8 utf_8 utf- -8<body>a", ""}},
        {"full-width letters are not ASCII",
         {charset::encodeGbk(QStringLiteral("ＵＴＦ-8<body>a")), "text/html; charset=utf-8"}},
        {"Greek and full-width capitals read as GBK",
         {charset::encodeGbk(QStringLiteral("<body>ΑΒΓ ＳＥＯ")), ""}},
        {"a GBK pair swallows the u",
         {QByteArray("\x81u") + "tf-8<BODY>x", "text/html; charset=utf-8"}},
        {"a longer lower case before the body",
         {QStringLiteral("utf-8 İİ<Body>AİB").toUtf8(), "text/html; charset=utf-8"}},
        {"two bodies, the first one counts", {"<p>a<body>b<BODY>c", ""}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(spiderText(c.response), before(c.response)) << c.name;
}
