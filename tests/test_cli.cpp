#include "base/charset.h"
#include "base/tool_error.h"
#include "cli_run.h"
#include "fixture_server.h"
#include "net/http_fetch.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class CliSurvey : public ::testing::Test {
protected:
    void SetUp() override {
        auto gbk = [](const char* t) { return charset::encodeGbk(QString::fromUtf8(t)); };
        server.add("/s", {200, "text/html", gbk("找到相关网页约1,230篇")});
        server.add("/web", {200, "text/html", gbk("找到 321 个")});
        ini = dir.filePath(QStringLiteral("endpoints.ini"));
        QFile f(ini);
        f.open(QIODevice::WriteOnly);
        f.write("[endpoints]\n");
        for (const char* name :
             {"BaiduSearchHost", "GoogleHost", "YahooSitemapHost", "SogouHost", "SosoHost",
              "YoudaoHost", "ZhongsouHost", "LiveHost", "AlexaHost", "ChinaRankHost"})
            f.write(QByteArray(name) + "=" + server.base().toUtf8() + "\n");
        f.write("MakerHost=file:///opt/tessivo\n");
    }

    FixtureServer server;
    QTemporaryDir dir;
    QString ini;
};

} // namespace

TEST_F(CliSurvey, IndexedPrintsTheDocument) {
    const CliRun r = runCli({QStringLiteral("--endpoints"), ini, QStringLiteral("indexed"),
                             QStringLiteral("http://example.cn/")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith(
        QStringLiteral("<style>td{font-size:12px;}</style><body leftmargin='0' topmargin='0'>")));
    EXPECT_TRUE(r.out.contains(QStringLiteral("<img src='file:///opt/tessivo/images/yodao.gif'>")));
    EXPECT_TRUE(r.out.contains(
        QStringLiteral("<td align='center'>收录数量</td><td align='center'><a href='") +
        server.base() + QStringLiteral("/s?wd=site%3Aexample.cn' target='_blank'>1,230</a></td>")));
    EXPECT_TRUE(r.out.endsWith(QStringLiteral("</tr></table>\n")));
    EXPECT_EQ(server.requests().size(), 8);
    EXPECT_EQ(server.connections(), 1); // a command line is one run
}

TEST_F(CliSurvey, IndexedJson) {
    const CliRun r = runCli({QStringLiteral("--endpoints"), ini, QStringLiteral("--json"),
                             QStringLiteral("indexed"), QStringLiteral("example.cn")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8()).object();
    EXPECT_EQ(o.value(QStringLiteral("domain")).toString(), QStringLiteral("example.cn"));
    EXPECT_TRUE(
        o.value(QStringLiteral("document")).toString().endsWith(QStringLiteral("</tr></table>")));
    const QJsonArray engines = o.value(QStringLiteral("engines")).toArray();
    ASSERT_EQ(engines.size(), 8);
    const QJsonObject baidu = engines[0].toObject();
    EXPECT_EQ(baidu[QStringLiteral("name")].toString(), QStringLiteral("Baidu"));
    EXPECT_EQ(baidu[QStringLiteral("text")].toString(), QStringLiteral("1,230"));
    EXPECT_EQ(baidu[QStringLiteral("number")].toInt(), 1230);
    EXPECT_EQ(baidu[QStringLiteral("address")].toString(),
              server.base() + QStringLiteral("/s?wd=site%3Aexample.cn"));
    for (const QJsonValue& e : engines) // a figure without a number says why
        EXPECT_EQ(e[QStringLiteral("number")].isNull(),
                  e.toObject().contains(QStringLiteral("why")))
            << e[QStringLiteral("name")].toString().toStdString();
}

TEST_F(CliSurvey, AnEngineErrorEndsWithStatusOne) {
    server.add("/s", {200, "text/html", charset::encodeGbk(QStringLiteral("找到相关网页约12"))});
    const CliRun r = runCli(
        {QStringLiteral("--endpoints"), ini, QStringLiteral("indexed"), QStringLiteral("x.cn")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("发生错误："))) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
}

// One engine refusing connections costs its own cell: the document and --json are written with
// the seven others' figures, standard error tells why each engine has no figure, and the exit
// status says the survey failed in part.
TEST_F(CliSurvey, AnEngineRefusingConnectionsLeavesTheOthersFiguresAndExitsOne) {
    const QString gone = refusingBase();
    QFile f(ini);
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write("YahooSitemapHost=" + gone.toUtf8() + "\n");
    f.close();
    const QString yahoo = gone + QStringLiteral("/search?p=example.cn&bwm=p");

    CliRun r = runCli({QStringLiteral("--endpoints"), ini, QStringLiteral("indexed"),
                       QStringLiteral("example.cn")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.contains(QStringLiteral("<a href='") + yahoo +
                               QStringLiteral("' target='_blank'>失败</a>")))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("target='_blank'>1,230</a>")));
    EXPECT_TRUE(r.out.endsWith(QStringLiteral("</tr></table>\n")));
    const QStringList err = r.err.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(err.isEmpty());
    EXPECT_TRUE(err.contains(
        QStringLiteral("tessivo-cli：Google：页面中没有找到标记：引擎可能已改版或关闭")))
        << r.err.toStdString();
    EXPECT_EQ(err.filter(QStringLiteral("tessivo-cli：Yahoo：失败：无法连接到服务器")).size(), 1)
        << r.err.toStdString();
    EXPECT_TRUE(err.filter(QStringLiteral("Baidu")).isEmpty()) << r.err.toStdString();
    EXPECT_EQ(err.last(), QStringLiteral("发生错误：8 个引擎中 1 个请求失败，5 个页面无法识别"));

    r = runCli({QStringLiteral("--endpoints"), ini, QStringLiteral("--json"),
                QStringLiteral("indexed"), QStringLiteral("example.cn")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, QStringLiteral("发生错误：8 个引擎中 1 个请求失败，5 个页面无法识别\n"));
    const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8()).object();
    EXPECT_TRUE(o.value(QStringLiteral("document"))
                    .toString()
                    .contains(QStringLiteral("' target='_blank'>失败</a></td>")));
    const QJsonArray engines = o.value(QStringLiteral("engines")).toArray();
    ASSERT_EQ(engines.size(), 8);
    EXPECT_EQ(engines[0][QStringLiteral("number")].toInt(), 1230);
    EXPECT_EQ(engines[3][QStringLiteral("number")].toInt(), 321);
    const QJsonObject failed = engines[2].toObject();
    EXPECT_EQ(failed[QStringLiteral("name")].toString(), QStringLiteral("Yahoo"));
    EXPECT_EQ(failed[QStringLiteral("text")].toString(), QStringLiteral("失败"));
    EXPECT_TRUE(failed[QStringLiteral("number")].isNull());
    EXPECT_EQ(failed[QStringLiteral("why")].toString(), QStringLiteral("failed"));
    EXPECT_TRUE(failed[QStringLiteral("detail")].toString().contains(QStringLiteral("无法连接")));
    EXPECT_EQ(failed[QStringLiteral("address")].toString(), yahoo);
}

TEST_F(CliSurvey, AnEmptyDomainRequestsNothing) {
    const CliRun r = runCli(
        {QStringLiteral("--endpoints"), ini, QStringLiteral("indexed"), QStringLiteral(" '/' ")});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err.count(u'\n'), 1);
    EXPECT_TRUE(server.requests().isEmpty());
}

TEST(Cli, TextCommands) {
    CliRun r = runCli({QStringLiteral("urlencode"), QStringLiteral("seo 工具")});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, QStringLiteral("seo+%B9%A4%BE%DF\n"));
    r = runCli({QStringLiteral("page-text")},
               QStringLiteral("<p>关键词 密度</p>\r\n<script>x()</script>").toUtf8());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, QStringLiteral("关键词密度\n"));
}

TEST(Cli, PageTextRefusesMoreStandardInputThanAFetchedPageMayHold) {
    const qint64 limit = FetchLimits{}.maxBodyBytes;
    const CliRun r = runCli({QStringLiteral("page-text")}, QByteArray(limit + 1, 'a'));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              kErrorPrefix + QStringLiteral("标准输入超过 32 MB 的上限（与网页相同），不予读取\n"));
    EXPECT_TRUE(r.out.isEmpty());
}

TEST(Cli, HelpAndUsageErrors) {
    CliRun r = runCli({QStringLiteral("--help")});
    EXPECT_EQ(r.status, 0);
    for (const char* c :
         {"indexed", "urlencode", "page-text", "--endpoints", "--config-dir", "--json"})
        EXPECT_TRUE(r.out.contains(QLatin1String(c))) << c;
    r = runCli({QStringLiteral("indexed"), QStringLiteral("--help")});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.contains(QStringLiteral("indexed DOMAIN")));
    EXPECT_EQ(runCli({QStringLiteral("nonsense")}).status, 2);
    EXPECT_EQ(runCli({}).status, 2);
    EXPECT_EQ(runCli({QStringLiteral("urlencode")}).status, 2);
    EXPECT_EQ(runCli({QStringLiteral("--bogus"), QStringLiteral("urlencode"), QStringLiteral("a")})
                  .status,
              2);
}

TEST(Cli, OptionsAnywhereAndTheirForms) {
    const QString help = runCli({QStringLiteral("--help")}).out;
    const QString urlencodeHelp =
        runCli({QStringLiteral("urlencode"), QStringLiteral("--help")}).out;
    const struct {
        QStringList args;
        int status;
        QString out;
        const char* err;
    } cases[] = {
        {{"-h"}, 0, help, ""},
        {{"urlencode", "-h"}, 0, urlencodeHelp, ""},
        {{"urlencode", "a", "b", "--help"}, 0, urlencodeHelp, ""},
        {{"convert", "s2t", "国", "--json"}, 0, "{\"result\":\"國\"}\n", ""},
        {{"convert", "--json", "s2t", "国"}, 0, "{\"result\":\"國\"}\n", ""},
        {{"urlencode", "--", "-x"}, 0, "%2Dx\n", ""},
        {{"urlencode", "-5"}, 0, "%2D5\n", ""},
        {{"--json=1", "urlencode", "a"},
         2,
         "",
         "tessivo-cli：--json 不接受参数（见 tessivo-cli --help）\n"},
        {{"urlencode", "a", "--bogus"},
         2,
         "",
         "tessivo-cli：未知选项 --bogus（见 tessivo-cli --help）\n"},
        {{"urlencode", "a", "--endpoints"},
         2,
         "",
         "tessivo-cli：--endpoints 后缺少参数（见 tessivo-cli --help）\n"},
        {{"--endpoints=", "urlencode", "a"},
         2,
         "",
         "tessivo-cli：--endpoints 后缺少参数（见 tessivo-cli --help）\n"},
        {{"urlencode", "--proxy=", "a"},
         2,
         "",
         "tessivo-cli：--proxy 后缺少参数（见 tessivo-cli --help）\n"},
        {{"indexed", "--batch=", "sites.txt"},
         2,
         "",
         "tessivo-cli：--batch 后缺少文件（见 tessivo-cli --help）\n"},
        {{"urlencode", "--", "--proxy="}, 0, "%2D%2Dproxy%3D\n", ""},
        {{"--bogus", "urlencode", "--help"},
         2,
         "",
         "tessivo-cli：未知选项 --bogus（见 tessivo-cli --help）\n"},
        {{"urlencode", "a", "b"},
         2,
         "",
         "tessivo-cli：urlencode 的参数个数不对：urlencode TEXT（见 tessivo-cli --help）\n"},
    };
    for (const auto& c : cases) {
        const CliRun r = runCli(c.args);
        EXPECT_EQ(r.status, c.status) << c.args.join(u' ').toStdString();
        EXPECT_EQ(r.out, c.out) << c.args.join(u' ').toStdString();
        EXPECT_EQ(r.err, QString::fromUtf8(c.err)) << c.args.join(u' ').toStdString();
    }
}

TEST(Cli, VersionAndHelpListEveryOption) {
    const CliRun r = runCli({QStringLiteral("--version")});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^tessivo-cli \\d+(\\.\\d+)*\n$"))
                    .match(r.out)
                    .hasMatch())
        << r.out.toStdString();
    const QString help = runCli({QStringLiteral("--help")}).out;
    for (const char* line : {"\n  -h, --help            ", "\n  --version             "})
        EXPECT_TRUE(help.contains(QLatin1String(line))) << line;
}

TEST_F(CliSurvey, BacklinksBaiduPeriodAndBadges) {
    auto gbk = [](const char* t) { return charset::encodeGbk(QString::fromUtf8(t)); };
    CliRun r = runCli({QStringLiteral("--endpoints"), ini, QStringLiteral("backlinks"),
                       QStringLiteral("example.cn")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("<td align='center'>外链数量</td>")));

    r = runCli({QStringLiteral("--endpoints"), ini, QStringLiteral("baidu-period"),
                QStringLiteral("example.cn"), QStringLiteral("--period"),
                QStringLiteral("最近一周")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("百度在最近 7 日内共收录了 约1,230 个页面\n"));
    r = runCli({QStringLiteral("--endpoints"), ini, QStringLiteral("--json"),
                QStringLiteral("baidu-period"), QStringLiteral("example.cn")});
    const QJsonObject period = QJsonDocument::fromJson(r.out.toUtf8()).object();
    EXPECT_EQ(period.value(QStringLiteral("sentence")).toString(),
              QStringLiteral("百度在最近 所有时间 日内共收录了 约1,230 个页面"));
    EXPECT_TRUE(period.value(QStringLiteral("url"))
                    .toString()
                    .endsWith(QStringLiteral("&lm=0&ct=0&ft=&q5=&q6=&tn=baiduadv")));
    EXPECT_EQ(runCli({QStringLiteral("--endpoints"), ini, QStringLiteral("baidu-period"),
                      QStringLiteral("x.cn"), QStringLiteral("--period"), QStringLiteral("昨天")})
                  .status,
              2);
    const struct {
        QStringList args;
        int status;
        const char* out;
        const char* err;
    } periods[] = {
        {{"baidu-period", "--period=最近一周", "example.cn"},
         0,
         "百度在最近 7 日内共收录了 约1,230 个页面\n",
         ""},
        {{"baidu-period", "example.cn", "--period=最近一周", "--endpoints=" + ini},
         0,
         "百度在最近 7 日内共收录了 约1,230 个页面\n",
         ""},
        {{"baidu-period", "example.cn", "--period"},
         2,
         "",
         "tessivo-cli：--period 后缺少时间段（见 tessivo-cli --help）\n"},
        {{"baidu-period", "example.cn", "--period=week", "--endpoints=" + ini},
         0,
         "百度在最近 7 日内共收录了 约1,230 个页面\n",
         ""},
        {{"baidu-period", "--period=昨天", "example.cn"},
         2,
         "",
         "tessivo-cli：时间段应为 全部时间、最近一天、最近一周、最近一月、最近一年 之一，或 all、"
         "day、week、month、year（见 tessivo-cli --help）\n"},
    };
    for (const auto& p : periods) {
        r = runCli(QStringList{QStringLiteral("--endpoints"), ini} + p.args);
        EXPECT_EQ(r.status, p.status) << p.args.join(u' ').toStdString();
        EXPECT_EQ(r.out, QString::fromUtf8(p.out)) << p.args.join(u' ').toStdString();
        EXPECT_EQ(r.err, QString::fromUtf8(p.err)) << p.args.join(u' ').toStdString();
    }

    server.add("/web", {200, "text/html", gbk("<dt>Sogou Rank</dt><dd>5</dd>")});
    r = runCli({QStringLiteral("--endpoints"), ini, QStringLiteral("--json"),
                QStringLiteral("badges"), QStringLiteral("example.cn")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonObject badges = QJsonDocument::fromJson(r.out.toUtf8()).object();
    EXPECT_EQ(badges.value(QStringLiteral("sogou")).toString(), QStringLiteral("5/100"));
    EXPECT_EQ(badges.value(QStringLiteral("alexa")).toString(), QStringLiteral("-"));
    // Beside the captions, the numbers a script can use, and why one is missing.
    const QJsonObject figures = badges.value(QStringLiteral("figures")).toObject();
    EXPECT_EQ(figures[QStringLiteral("sogou")][QStringLiteral("number")].toInt(), 5);
    EXPECT_TRUE(figures[QStringLiteral("alexa")][QStringLiteral("number")].isNull());
    EXPECT_FALSE(figures[QStringLiteral("alexa")][QStringLiteral("why")].toString().isEmpty());
    EXPECT_EQ(badges.size(), 5);
    r = runCli({QStringLiteral("--endpoints"), ini, QStringLiteral("badges"),
                QStringLiteral("example.cn")});
    const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("PageRank："))) << r.out.toStdString();
    EXPECT_EQ(lines[2], QStringLiteral("Sogou Rank：5/100"));
}

TEST_F(CliSurvey, TimeoutHoldsEveryRequestToItsSeconds) {
    server.add("/slow", {200, "text/html", "找到 1 个", 5000});
    const struct {
        const char* timeout;
        int status;
        const char* says;
    } cases[] = {
        {"1", 1, "超时"},
        {"0", 2, "--timeout 应为 1 到 600 之间的秒数"},
        {"601", 2, "--timeout 应为 1 到 600 之间的秒数"},
        {"soon", 2, "--timeout 应为 1 到 600 之间的秒数"},
    };
    for (const auto& c : cases) {
        QElapsedTimer clock;
        clock.start();
        const CliRun r = runCli({QStringLiteral("--no-history"), QStringLiteral("--timeout"),
                                 QString::fromLatin1(c.timeout), QStringLiteral("density"),
                                 server.base() + QStringLiteral("/slow"), QStringLiteral("找到")});
        EXPECT_EQ(r.status, c.status) << c.timeout << ": " << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.says))) << r.err.toStdString();
        EXPECT_LT(clock.elapsed(), 4500) << "the page is held back for 5 s";
    }
}

TEST(Cli, DirectoryAndConvert) {
    CliRun r = runCli({QStringLiteral("directory"), QStringLiteral("cn_bbs")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QStringList first = r.out.split(u'\n').front().split(u'\t');
    ASSERT_EQ(first.size(), 3);
    EXPECT_EQ(first[0], QStringLiteral("1"));
    EXPECT_TRUE(first[2].startsWith(QStringLiteral("http")));

    r = runCli({QStringLiteral("--json"), QStringLiteral("directory"), QStringLiteral("cn_b2c")});
    const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8()).object();
    EXPECT_EQ(o.value(QStringLiteral("header")).toString(), QStringLiteral("论坛网站名称"));
    EXPECT_GE(o.value(QStringLiteral("rows")).toArray().size(), 20);
    EXPECT_EQ(runCli({QStringLiteral("directory"), QStringLiteral("nope")}).status, 2);

    r = runCli({QStringLiteral("convert"), QStringLiteral("s2t"), QStringLiteral("发展国家")});
    EXPECT_EQ(r.out, QStringLiteral("發展國家\n"));
    r = runCli({QStringLiteral("--json"), QStringLiteral("convert"), QStringLiteral("t2s")},
               QStringLiteral("這個國家\n").toUtf8());
    EXPECT_EQ(
        QJsonDocument::fromJson(r.out.toUtf8()).object().value(QStringLiteral("result")).toString(),
        QStringLiteral("这个国家"));

    // Standard input is converted in pieces; trimming and the closing line end work across them.
    const struct {
        QByteArray in;
        const char* out;
    } piped[] = {
        {"  国 \r\n", "國\n"},
        {"国\n\n", "國\n\n"},
        {"国\n \n", "國\n\n"},
        {QByteArray(70000, ' ') + "国" + QByteArray(70000, ' ') + "发\n", nullptr},
    };
    for (const auto& p : piped) {
        r = runCli({QStringLiteral("convert"), QStringLiteral("s2t")}, p.in);
        EXPECT_EQ(r.status, 0);
        const QString expected =
            p.out ? QString::fromUtf8(p.out)
                  : QStringLiteral("國") + QString(70000, u' ') + QStringLiteral("發\n");
        EXPECT_EQ(r.out, expected) << p.in.left(20).toStdString();
    }
    EXPECT_EQ(runCli({QStringLiteral("convert"), QStringLiteral("s2t")}, "   \n").status, 2);

    QTemporaryDir empty;
    r = runCli({QStringLiteral("--config-dir"), empty.path(), QStringLiteral("convert"),
                QStringLiteral("s2t"), QStringLiteral("国")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("发生错误："))) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("fanti.txt")));
}

TEST(Cli, CommandsThatMakeNoRequestNeverReadTheEndpointsFile) {
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("missing.ini"));
    const struct {
        QStringList args;
        QByteArray input;
        int status;
    } cases[] = {
        {{"urlencode", "a"}, {}, 0},      {{"page-text"}, "<p>a</p>", 0},
        {{"directory", "cn_bbs"}, {}, 0}, {{"convert", "s2t", "国"}, {}, 0},
        {{"convert", "s2t"}, "国", 0},    {{"baidu-period", "x.cn"}, {}, 1},
    };
    for (const auto& c : cases) {
        const CliRun r = runCli(QStringList{"--endpoints", missing} + c.args, c.input);
        EXPECT_EQ(r.status, c.status) << c.args.join(u' ').toStdString() << r.err.toStdString();
        EXPECT_EQ(r.err.contains(missing), c.status == 1) << c.args.join(u' ').toStdString();
    }
}

// Errors quote addresses and file lines as they came: a control character among them is shown
// escaped instead of reaching the terminal, a U+0000 does not end the message, and a huge value
// is cut.
TEST(Cli, ErrorsNameTheAddressWithControlCharactersEscapedAndLongValuesCut) {
    const QString refused = refusingBase();
    const QString longPath = QStringLiteral("/") + QString(1000, u'p');
    const struct {
        QString address;
        QString shown;
    } cases[] = {
        {refused + "/page", refused + "/page"},
        {refused + "/\x1b[2Jx\ty", refused + "/\\x1B[2Jx\\ty"},
        {refused + longPath, (refused + longPath).left(200) + QStringLiteral("…")},
    };
    for (const auto& c : cases) {
        const CliRun r = runCli({QStringLiteral("density"), c.address, QStringLiteral("kw")});
        EXPECT_EQ(r.status, 1) << c.address.toStdString();
        EXPECT_TRUE(r.err.startsWith(QStringLiteral("发生错误：无法连接到服务器")))
            << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.shown)) << r.err.toStdString();
        EXPECT_EQ(r.err.count(u'\n'), 1) << r.err.toStdString();
        EXPECT_FALSE(r.err.contains(QChar(0x1b)) || r.err.contains(u'\t'));
        EXPECT_LT(r.err.size(), 500);
    }

    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("endpoints.ini"));
    QFile f(ini);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray("[endpoints]\nGoogleHost=ht\0tp://x\n", 33));
    f.close();
    const CliRun r = runCli(
        {QStringLiteral("--endpoints"), ini, QStringLiteral("indexed"), QStringLiteral("x.cn")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("“ht\\x00tp://x”"))) << r.err.toStdString();
}

// Standard input is decoded the way an argument is: an incomplete UTF-8 sequence at its end
// becomes U+FFFD as well, and input made only of such bytes is something to convert.
TEST(Cli, ConvertReadsTheLastIncompleteSequenceOfStandardInput) {
    const struct {
        QByteArray in;
        QString out;
    } cases[] = {
        {"国\xE4\xB8", QStringLiteral("國\uFFFD\uFFFD\n")},
        {"国\xE4\xB8\n", QStringLiteral("國\uFFFD\uFFFD\n")},
        {"\xE4", QStringLiteral("\uFFFD\n")},
        {QByteArray(65535, 'x') + "国\xF0\x9F", QString(65535, u'x') + "國\uFFFD\uFFFD\n"},
        {QByteArray(65536, 'x') + "\xEF\xBB\xBF国",
         QString(65536, u'x') + QStringLiteral("\uFEFF國\n")},
    };
    for (const auto& c : cases) {
        const CliRun r = runCli({QStringLiteral("convert"), QStringLiteral("s2t")}, c.in);
        EXPECT_EQ(r.status, 0) << c.in.right(8).toHex().toStdString();
        EXPECT_EQ(r.out, c.out) << c.in.right(8).toHex().toStdString();
        EXPECT_EQ(QString::fromUtf8(c.in).trimmed(), c.out.trimmed().replace(u'國', u'国'))
            << "as an argument is decoded";
    }
}
