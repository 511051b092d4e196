#include "base/charset.h"
#include "base/program_folder.h"
#include "base/tool_error.h"
#include "changed_engines.h"
#include "fixture_server.h"
#include "metrics/indexed_survey.h"
#include "net/engine_files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

void write(const QString& path, const QByteArray& text) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
}

EngineFile read(const QByteArray& text, const char* tool = "indexed", bool complete = false) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.ini"));
    write(path, text);
    return readEngineFile(path, *engineSchema(QLatin1String(tool)), complete);
}

const QByteArray kBaidu = "[baidu]\n"
                          "name = Baidu\n"
                          "logo = baidu\n"
                          "request = {BaiduSearchHost}/s?wd=site%3A{d}\n"
                          "decode = gbk\n"
                          "start = 找到相关网页\n"
                          "end = 篇\n";

} // namespace

TEST(EngineFile, ValuesAsWritten) {
    const EngineFile f =
        read("\xEF\xBB\xBF# a comment\r\n" + kBaidu + "strip = \" 约 ,篇\"\r\n; another\n");
    ASSERT_TRUE(f.problem.isEmpty()) << f.problem.toStdString();
    ASSERT_EQ(f.rows.size(), 1);
    const EngineEntry& row = f.rows[0];
    EXPECT_EQ(row.tool, QStringLiteral("indexed"));
    EXPECT_EQ(row.engine, QStringLiteral("baidu"));
    EXPECT_EQ(row.line, 2);
    EXPECT_EQ(row.value(QStringLiteral("start")), QStringLiteral("找到相关网页"));
    EXPECT_EQ(row.value(QStringLiteral("strip")), QStringLiteral(" 约 ,篇")); // quoted: spaces kept
    EXPECT_EQ(row.value(QStringLiteral("request")),
              QStringLiteral("{BaiduSearchHost}/s?wd=site%3A{d}"));
}

TEST(EngineFile, WrongFilesNameTheLineAndWhy) {
    const struct {
        const char* what;
        const char* tool;
        QByteArray text;
        const char* expected; // in the description
    } cases[] = {
        {"unknown key", "indexed", kBaidu + "colour = red\n", "第 8 行：未知的键“colour”"},
        {"key twice", "indexed", kBaidu + "end = 条\n", "第 8 行：键“end”写了两次"},
        {"missing key", "indexed", "[baidu]\nname = Baidu\n",
         "第 1 行：引擎“baidu”缺少 logo、request"},
        {"wrong decoding", "indexed", QByteArray(kBaidu).replace("= gbk", "= big5"),
         "第 5 行：解码方式应为 gbk"},
        {"unknown hole", "indexed", QByteArray(kBaidu).replace("{d}", "{domain}"), "第 4 行："},
        {"unknown endpoint", "indexed",
         QByteArray(kBaidu).replace("{BaiduSearchHost}", "{BaiduHost}"), "第 4 行："},
        {"key before a section", "indexed", "name = Baidu\n" + kBaidu,
         "第 1 行：“name”不在任何引擎的节"},
        {"no equals sign", "indexed", kBaidu + "strip\n", "第 8 行：应为“键 = 值”"},
        {"heading not closed", "indexed", "[baidu\n", "第 1 行：节名缺少“]”"},
        {"engine name", "indexed", "[Baidu]\n", "第 1 行：引擎名“Baidu”只能由小写字母"},
        {"engine twice", "indexed", kBaidu + kBaidu, "第 8 行：引擎“baidu”写了两次"},
        {"no such box", "keyword-rank", "[altavista]\n",
         "第 1 行：keyword-rank 没有引擎“altavista”"},
        {"unknown strategy", "badges",
         "[alexa]\nrequest = {AlexaHost}/{d}\ndecode = gbk\nstrategy = guess\n",
         "第 4 行：未知的策略“guess”"},
        {"strategy's marker missing", "badges",
         "[alexa]\nrequest = {AlexaHost}/{d}\ndecode = gbk\nstrategy = alexa\nstart = rank of\n",
         "第 1 行：引擎“alexa”缺少 skip、end、strip"},
        {"pages out of range", "keyword-rank", "[yahoo]\npages = 11\n",
         "第 2 行：页数应为 1 到 10"},
        {"copies and more", "keyword-rank", "[soso]\ncopies = google\ndecode = gbk\n",
         "第 1 行：引擎“soso”照抄另一个引擎（copies），不能再写别的键"},
        {"copies nothing", "keyword-rank", "[soso]\ncopies = lycos\n",
         "第 1 行：引擎“soso”照抄的“lycos”"},
        {"demo page outside config/demo", "indexed", kBaidu + "demo = count ../../etc/passwd\n",
         "第 8 行：演示页面只写 config/demo/ 中的文件名"},
        {"UTF-16", "indexed", QByteArray("\xFF\xFE[\0b\0", 6), "文件是 UTF-16 编码"},
        {"header without a colon", "rank-track",
         "[bing]\nheaders = User-Agent: x || Accept-Language zh-CN\n",
         "第 2 行：请求头“Accept-Language zh-CN”应写成“名称: 值”"},
        {"results per page out of range", "rank-track", "[bing]\nper-page = 0\n",
         "第 2 行：每页结果数应为 1 到 100"},
        {"tracked engine without items", "rank-track",
         "[yandex]\nrequest = {BingHost}/?q={k}&p={first}\ntitle = .//h2\nlink = .//a/@href\n"
         "strategy = address\n",
         "第 1 行：引擎“yandex”缺少 items"},
        {"status that is no status", "rank-track", "[bing]\nblock-statuses = 403 42O\n",
         "第 2 行：“42O”不是 HTTP 状态"},
        {"unknown address strategy", "rank-track", "[bing]\nstrategy = base64\n",
         "第 2 行：未知的策略“base64”"},
    };
    for (const auto& c : cases) {
        const EngineFile f = read(c.text, c.tool);
        EXPECT_TRUE(f.rows.isEmpty()) << c.what;
        EXPECT_TRUE(f.problem.contains(QString::fromUtf8(c.expected)))
            << c.what << ": " << f.problem.toStdString();
    }
}

TEST(EngineFile, ACompleteFileGivesEveryBox) {
    const EngineFile f = read("[soso]\ncopies = google\n", "keyword-rank", true);
    EXPECT_TRUE(f.problem.contains(QStringLiteral("缺少引擎“baidu”的节")))
        << f.problem.toStdString();
    // A user's file gives only the engines it changes.
    EXPECT_TRUE(read(kBaidu, "indexed", false).problem.isEmpty());
}

TEST(EngineCatalog, TheShippedFilesHoldEveryEngine) {
    const EngineCatalog c =
        EngineCatalog::read(program_folder::file(QStringLiteral("/config/engines")), QString());
    EXPECT_TRUE(c.problems().isEmpty()) << c.problems().join(u'\n').toStdString();
    const struct {
        const char* tool;
        qsizetype rows;
    } tools[] = {
        {"indexed", 8}, {"backlinks", 8}, {"baidu-period", 1}, {"badges", 4}, {"keyword-rank", 6}};
    for (const auto& t : tools)
        EXPECT_EQ(c.rows(QLatin1String(t.tool)).size(), t.rows) << t.tool;
}

TEST(EngineCatalog, UserRowsReplaceShippedOnesAndAWrongUserFileIsLeftOut) {
    QTemporaryDir dir;
    const QString shipped = dir.filePath(QStringLiteral("shipped"));
    const QString user = dir.filePath(QStringLiteral("user"));
    write(shipped + QStringLiteral("/indexed.ini"),
          kBaidu + QByteArray(kBaidu).replace("[baidu]", "[sogou]").replace("= Baidu", "= Sogou"));
    write(user + QStringLiteral("/indexed.ini"),
          "\n" + QByteArray(kBaidu).replace("找到相关网页", "百度为您找到相关结果约") +
              QByteArray(kBaidu).replace("[baidu]", "[bing]").replace("= Baidu", "= Bing"));
    // badges.ini is wrong in the user's folder only: the shipped one is missing altogether.
    write(user + QStringLiteral("/badges.ini"), "[alexa]\nspeed = 1\n");

    const EngineCatalog c = EngineCatalog::read(shipped, user);
    const QList<EngineEntry>& rows = c.rows(QStringLiteral("indexed"));
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0].engine, QStringLiteral("baidu")); // in the shipped row's place
    EXPECT_EQ(rows[0].value(QStringLiteral("start")), QStringLiteral("百度为您找到相关结果约"));
    EXPECT_EQ(rows[0].file, user + QStringLiteral("/indexed.ini"));
    EXPECT_EQ(rows[0].line, 2);
    EXPECT_EQ(rows[1].engine, QStringLiteral("sogou"));
    EXPECT_EQ(rows[2].engine, QStringLiteral("bing")); // a new column at the end

    const QString problems = c.problems().join(u'\n');
    EXPECT_TRUE(problems.contains(user + QStringLiteral("/badges.ini 第 2 行：未知的键“speed”")))
        << problems.toStdString();
    EXPECT_TRUE(problems.contains(QStringLiteral("这个文件没有采用")));
    EXPECT_TRUE(problems.contains(shipped + QStringLiteral("/keyword-rank.ini 不存在")));
    try {
        c.rows(QStringLiteral("keyword-rank"));
        ADD_FAILURE() << "a tool without its file has no rows";
    } catch (const ToolError& e) {
        EXPECT_TRUE(e.description().contains(QStringLiteral("keyword-rank.ini 不存在")));
    }
}

TEST(EngineCatalog, AChangedMarkerChangesWhatTheSurveyCuts) {
    // Baidu's start marker, and the strip list that deletes it from the cut.
    const ChangedEngines changed(QStringLiteral("indexed.ini"), "找到相关网页",
                                 "百度为您找到相关结果");
    FixtureServer server;
    server.add("/s", {200, "text/html",
                      charset::encodeGbk(QStringLiteral("百度为您找到相关结果约2,500篇"))});
    EndpointTable endpoints;
    for (const Endpoint e : {Endpoint::BaiduSearchHost, Endpoint::GoogleHost,
                             Endpoint::YahooSitemapHost, Endpoint::SogouHost, Endpoint::SosoHost,
                             Endpoint::YoudaoHost, Endpoint::ZhongsouHost, Endpoint::LiveHost})
        endpoints.set(e, server.base());
    CurlFetcher fetcher;
    QList<Figure> figures;
    const auto survey = [&] {
        figures.clear();
        runSurvey(kIndexedSurvey, QStringLiteral("example.cn"), fetcher, endpoints, {},
                  [&](const Figure& fig) { figures << fig; });
        return figures.value(0).text;
    };
    EXPECT_EQ(survey(), QStringLiteral("0")); // the shipped marker is not on the page
    {
        const EngineCatalogGuard guard(EngineCatalog::read(changed.path(), QString()));
        EXPECT_EQ(survey(), QStringLiteral("2,500"));
    }
    EXPECT_EQ(survey(), QStringLiteral("0"));
}
