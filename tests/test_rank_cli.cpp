#include "fixture_server.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// In test_rank_search.cpp.
void serveRankPages(FixtureServer& server);

namespace {

struct CliRun {
    int status;
    QString out;
    QString err;
};

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

    CliRun run(QStringList args) {
        QProcess p;
        p.start(TESSIVO_CLI, QStringList{"--endpoints", ini} + args);
        p.waitForFinished(60000);
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }

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
    EXPECT_EQ(QJsonDocument::fromJson(r.out.toUtf8()).object(), expected);
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
