#include "cli_run.h"
#include "fixture_server.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>

// In test_rank_search.cpp.
void serveRankPages(FixtureServer& server);

namespace {

class KeywordRankCli : public ::testing::Test {
protected:
    void SetUp() override {
        serveRankPages(server);
        ini = dir.filePath("endpoints.ini");
        QFile f(ini);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[endpoints]\n");
        for (const char* name :
             {"BaiduSearchHost", "GoogleHost", "YahooSearchHost", "SogouHost", "YoudaoHost"})
            f.write(QByteArray(name) + "=" + server.base().toUtf8() + "\n");
    }

    CliRun run(QStringList args) { return runCli(QStringList{"--endpoints", ini} + args); }

    FixtureServer server;
    QTemporaryDir dir;
    QString ini;
};

} // namespace

TEST_F(KeywordRankCli, PrintsSixLinesInBoxOrder) {
    const CliRun r = run({"keyword-rank", "http://www.Example.cn/", "seo 工具"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "Baidu\t排名为第2位（有0 个参与竞价推广）\n"
                     "Google\t排名为第1位\n"
                     "Yahoo\t排名为第13位\n"
                     "Sogou\t排名为第4位\n"
                     "Soso\t排名为第1位\n"
                     "Youdao\t排名为第2位\n");
    EXPECT_EQ(server.requests().size(), 6);
}

TEST_F(KeywordRankCli, JsonHoldsEachBoxExactly) {
    const CliRun r = run({"--json", "keyword-rank", "example.cn", "seo 工具"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonObject expected{
        {"baidu", "排名为第2位（有0 个参与竞价推广）"},
        {"google", "排名为第1位"},
        {"yahoo", "排名为第13位"},
        {"sogou", "排名为第4位"},
        {"soso", "排名为第1位"},
        {"youdao", "排名为第2位"},
    };
    QJsonObject shown = QJsonDocument::fromJson(r.out.toUtf8()).object();
    EXPECT_TRUE(shown.take(QStringLiteral("engines")).isObject());
    EXPECT_EQ(shown, expected);
}

TEST_F(KeywordRankCli, AnEmptySiteOrKeywordIsAUsageError) {
    for (const QStringList& args : {QStringList{"keyword-rank", " '/' ", "seo"},
                                    QStringList{"keyword-rank", "example.cn", " ' "}}) {
        const CliRun r = run(args);
        EXPECT_EQ(r.status, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_EQ(r.err.count(u'\n'), 1);
    }
    EXPECT_TRUE(server.requests().isEmpty());
    const CliRun help = run({"keyword-rank", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains("keyword-rank SITE KEYWORD"));
}

TEST_F(KeywordRankCli, EnginesAndPagesChooseWhatIsAsked) {
    const struct {
        QStringList options;
        QString out;
        qsizetype requests;
    } cases[] = {
        {{"--engines", "google,Soso"}, "Google\t排名为第1位\nSoso\t排名为第1位\n", 1},
        {{"--engines=soso"}, "", 0},
        {{"--engines", "yahoo", "--pages", "1"}, "Yahoo\t在100位（1--10页）中未查询到结果\n", 1},
        {{"--pages=2", "--engines", "yahoo"}, "Yahoo\t排名为第13位\n", 2},
    };
    for (const auto& c : cases) {
        server.clearRequests();
        const CliRun r = run(QStringList{"keyword-rank", "example.cn", "seo 工具"} + c.options);
        EXPECT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_EQ(r.out, c.out) << c.options.join(' ').toStdString();
        EXPECT_EQ(server.requests().size(), c.requests) << c.options.join(' ').toStdString();
    }
    for (const char* bad : {"--engines=bing", "--pages=11", "--pages=0"})
        EXPECT_EQ(run({"keyword-rank", "example.cn", "seo", bad}).status, 2) << bad;
}

TEST_F(KeywordRankCli, LinesReachAPipeAsTheyComeAndCtrlCExits130) {
    FixtureServer slow; // Google never answers in time
    slow.add("/search", {200, "text/html", "late", 20000});
    QFile f(ini);
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write("GoogleHost=" + slow.base().toUtf8() + "\n");
    f.close();
    QProcess p;
    startCli(p, {"--endpoints", ini, "keyword-rank", "example.cn", "seo 工具"});
    ASSERT_TRUE(p.waitForReadyRead(10000));
    for (int i = 0; i < 100 && slow.requests().isEmpty(); ++i)
        QThread::msleep(20);
    ASSERT_EQ(slow.requests().size(), 1);
    EXPECT_EQ(p.readAllStandardOutput(), "Baidu\t排名为第2位（有0 个参与竞价推广）\n");
    ::kill(pid_t(p.processId()), SIGINT);
    ASSERT_TRUE(p.waitForFinished(2000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 130);
    EXPECT_TRUE(p.readAllStandardOutput().isEmpty());
    EXPECT_TRUE(p.readAllStandardError().isEmpty());
}
