#include "cli_run.h"
#include "fixture_server.h"
#include "history/history_store.h"

#include <QFile>
#include <QJsonArray>
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

QList<QJsonObject> jsonLines(const QString& out) {
    QList<QJsonObject> objects;
    for (const QString& line : out.split(u'\n', Qt::SkipEmptyParts))
        objects << QJsonDocument::fromJson(line.toUtf8()).object();
    return objects;
}

HistoryQuery rankRuns() {
    HistoryQuery q;
    q.tool = QStringLiteral("keyword-rank");
    return q;
}

class BatchCli : public ::testing::Test {
protected:
    void SetUp() override {
        serveRankPages(server);
        ini = dir.filePath("endpoints.ini");
        write("endpoints.ini", "[endpoints]\n");
        QFile f(ini);
        ASSERT_TRUE(f.open(QIODevice::Append));
        for (const char* name :
             {"BaiduSearchHost", "GoogleHost", "YahooSearchHost", "SogouHost", "YoudaoHost"})
            f.write(QByteArray(name) + "=" + server.base().toUtf8() + "\n");
        history = dir.filePath("history.sqlite");
    }

    QString write(const QString& name, const QByteArray& text) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        return f.fileName();
    }

    CliRun run(const QStringList& args) {
        return runCli(QStringList{"--endpoints", ini, "--history", history} + args);
    }

    FixtureServer server;
    QTemporaryDir dir;
    QString ini;
    QString history;
};

TEST_F(BatchCli, EachLineIsOneJsonObjectAndAFailedLineDoesNotStopTheRest) {
    const QString file = write("lines.tsv", "example.cn\tseo 工具\n"
                                            "# a comment, then a blank line\n\n"
                                            "'/'\tseo\n"
                                            "www.example.cn\tseo 工具\n");
    const CliRun r = run({"--json", "keyword-rank", "--batch", file, "--delay", "0"});
    EXPECT_EQ(r.status, 1);
    const QList<QJsonObject> lines = jsonLines(r.out);
    ASSERT_EQ(lines.size(), 3) << r.out.toStdString();
    EXPECT_EQ(lines[0]["line"].toInt(), 1);
    EXPECT_EQ(lines[0]["site"].toString(), "example.cn");
    EXPECT_EQ(lines[0]["engines"]["google"]["position"].toInt(), 1);
    EXPECT_FALSE(lines[0].contains("error"));
    EXPECT_EQ(lines[1]["line"].toInt(), 4);
    EXPECT_TRUE(lines[1].contains("error"));
    EXPECT_EQ(lines[2]["line"].toInt(), 5);
    EXPECT_TRUE(r.err.contains("第 4 行")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("3 行，其中 1 行失败")) << r.err.toStdString();

    HistoryStore store(history);
    EXPECT_EQ(store.runs(rankRuns()).size(), 2);
}

TEST_F(BatchCli, CsvInCsvOut) {
    const QString file = write("lines.csv", "site,keyword\n"
                                            "example.cn,\"seo 工具\"\n");
    const CliRun r = run({"keyword-rank", "--batch", file, "--delay", "0", "--format", "csv",
                          "--engines", "baidu,google"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "line,site,keyword,outcome,error,Baidu,Google\n"
                     "2,example.cn,seo 工具,done,,2,1\n");
}

TEST_F(BatchCli, ResumeSkipsLinesDoneWithinADay) {
    ASSERT_EQ(
        run({"keyword-rank", "--batch", write("l.tsv", "example.cn\tseo 工具\n"), "--delay", "0"})
            .status,
        0);
    const qsizetype asked = server.requests().size();
    const CliRun r = run({"keyword-rank", "--batch", dir.filePath("l.tsv"), "--resume"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(server.requests().size(), asked);
    EXPECT_TRUE(r.err.contains("跳过了 1 行")) << r.err.toStdString();
}

// Engines that refuse connections show "-" like a page without results; the exit status, standard
// error and the history tell them apart, and --resume asks again.
TEST_F(BatchCli, EnginesWhoseRequestsFailAreToldRecordedAndAskedAgainOnResume) {
    const QString gone = refusingBase();
    const struct {
        const char* name;
        QStringList dead; // endpoints at the closed port
        RunEnd end;
        QStringList err; // what standard error holds
    } cases[] = {
        {"all",
         {"BaiduSearchHost", "GoogleHost", "YahooSearchHost", "SogouHost", "YoudaoHost"},
         RunEnd::Failed,
         {"Baidu：失败：无法连接到服务器", "Soso：失败：无法连接到服务器",
          "Youdao：失败：无法连接到服务器", "发生错误：6 个引擎中 6 个请求失败\n"}},
        {"google",
         {"GoogleHost"},
         RunEnd::Partial,
         {"Google：失败：无法连接到服务器", "Soso：失败：无法连接到服务器",
          "发生错误：6 个引擎中 2 个请求失败\n"}},
    };
    const QString lines = write("l.tsv", "example.cn\tseo 工具\n");
    for (const auto& c : cases) {
        QByteArray endpoints = "[endpoints]\n";
        for (const char* name :
             {"BaiduSearchHost", "GoogleHost", "YahooSearchHost", "SogouHost", "YoudaoHost"})
            endpoints += QByteArray(name) + "=" +
                         (c.dead.contains(QLatin1String(name)) ? gone : server.base()).toUtf8() +
                         "\n";
        const QString ini = write(QStringLiteral("%1.ini").arg(c.name), endpoints);
        const QString file = dir.filePath(QStringLiteral("%1.sqlite").arg(c.name));
        const QStringList common{"--endpoints", ini, "--history", file};

        const CliRun r = runCli(common + QStringList{"keyword-rank", "example.cn", "seo 工具"});
        EXPECT_EQ(r.status, 1) << c.name;
        EXPECT_EQ(r.out.count(u'\n'), 6) << c.name << r.out.toStdString();
        for (const QString& told : c.err)
            EXPECT_TRUE(r.err.contains(told)) << c.name << ": " << r.err.toStdString();
        {
            HistoryStore store(file);
            const QList<RunRecord> runs = store.runs(rankRuns());
            ASSERT_EQ(runs.size(), 1) << c.name;
            EXPECT_EQ(runs[0].end, c.end) << c.name;
            EXPECT_TRUE(runs[0].error.startsWith(c.end == RunEnd::Failed ? "Baidu：" : "Google："))
                << runs[0].error.toStdString();
        }

        const CliRun again =
            runCli(common + QStringList{"keyword-rank", "--batch", lines, "--resume", "--delay",
                                        "0", "--format", "csv"});
        EXPECT_EQ(again.status, 1) << c.name;
        EXPECT_FALSE(again.err.contains("跳过了")) << c.name;
        EXPECT_TRUE(again.out.contains(",seo 工具," + runEndKey(c.end) + ",6 个引擎中 "))
            << again.out.toStdString();
        EXPECT_EQ(HistoryStore(file).runs(rankRuns()).size(), 2) << c.name;
    }
}

// --json keeps what each box shows and why it is empty, adds the failure's description, and is
// written whole before the exit status says the run failed in part.
TEST_F(BatchCli, RankJsonOfAPartlyFailedRunHoldsEveryEngine) {
    const QString gone = refusingBase();
    QFile f(ini);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[endpoints]\nBaiduSearchHost=" + server.base().toUtf8() +
            "\nYoudaoHost=" + gone.toUtf8() + "\n");
    f.close();
    const CliRun r =
        run({"--json", "keyword-rank", "example.cn", "seo 工具", "--engines", "baidu,youdao"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "发生错误：2 个引擎中 1 个请求失败\n");
    const QJsonObject o = QJsonDocument::fromJson(r.outBytes).object();
    EXPECT_EQ(o["youdao"].toString(), "-");
    EXPECT_EQ(o["engines"]["baidu"]["position"].toInt(), 2);
    const QJsonObject youdao = o["engines"]["youdao"].toObject();
    EXPECT_TRUE(youdao["position"].isNull());
    EXPECT_EQ(youdao["why"].toString(), "failed");
    EXPECT_TRUE(youdao["detail"].toString().contains("无法连接到服务器"))
        << youdao["detail"].toString().toStdString();
    EXPECT_TRUE(youdao["address"].toString().startsWith(gone));
}

// The demo's made-up figures never stand for a line done.
TEST_F(BatchCli, ADemoRunIsNeverDoneForResume) {
    const QString file = write("l.tsv", "example.cn\tseo 工具\n");
    ASSERT_EQ(run({"--demo", "keyword-rank", "--batch", file, "--delay", "0"}).status, 0);
    EXPECT_TRUE(server.requests().isEmpty());
    const CliRun r = run({"keyword-rank", "--batch", file, "--delay", "0", "--resume"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains("跳过了")) << r.err.toStdString();
    EXPECT_EQ(server.requests().size(), 6);
    const QList<RunRecord> runs = HistoryStore(history).runs(rankRuns());
    ASSERT_EQ(runs.size(), 2);
    EXPECT_FALSE(runs[0].demo);
    EXPECT_TRUE(runs[1].demo);
}

TEST_F(BatchCli, BatchOptionsAreUsageErrorsWhereTheyDoNotBelong) {
    const QString file = write("l.tsv", "example.cn\tseo\n");
    const struct {
        QStringList args;
    } cases[] = {
        {{"keyword-rank", "example.cn", "seo", "--delay", "1"}},
        {{"keyword-rank", "example.cn", "seo", "--resume"}},
        {{"keyword-rank", "--batch", file, "example.cn"}},
        {{"keyword-rank", "--batch", file, "--delay", "-1"}},
        {{"keyword-rank", "--batch", file, "--format", "xml"}},
        {{"keyword-rank", "--batch", file, "--resume=1"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(run(c.args).status, 2) << c.args.join(' ').toStdString();
}

TEST_F(BatchCli, RankJsonTellsTheChangeSinceTheLastRun) {
    const CliRun first = run({"--json", "keyword-rank", "example.cn", "seo 工具"});
    ASSERT_EQ(first.status, 0) << first.err.toStdString();
    const QJsonObject engines = QJsonDocument::fromJson(first.out.toUtf8())["engines"].toObject();
    EXPECT_EQ(engines["baidu"]["change"].toString(), "新");
    EXPECT_EQ(engines["baidu"]["position"].toInt(), 2);
    EXPECT_EQ(QJsonDocument::fromJson(first.out.toUtf8())["baidu"].toString(),
              "排名为第2位（有0 个参与竞价推广）");

    const CliRun second = run({"--json", "keyword-rank", "example.cn", "seo 工具"});
    EXPECT_EQ(QJsonDocument::fromJson(second.out.toUtf8())["engines"]["yahoo"]["change"].toString(),
              "—");
}

TEST_F(BatchCli, NoHistoryLeavesNoFile) {
    const CliRun r = run({"--no-history", "--json", "keyword-rank", "example.cn", "seo 工具"});
    EXPECT_EQ(r.status, 0);
    EXPECT_FALSE(QFile::exists(history));
    EXPECT_FALSE(
        QJsonDocument::fromJson(r.outBytes)["engines"]["baidu"].toObject().contains("change"));
}

TEST_F(BatchCli, KilledMidBatchLeavesOnlyWholeRuns) {
    FixtureServer slow; // Youdao answers each page after a while, so the kill lands mid-run
    slow.add("/search", {200, "text/html", "<html>no results</html>", 150});
    QFile f(ini);
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write("YoudaoHost=" + slow.base().toUtf8() + "\n");
    f.close();
    QByteArray lines;
    for (int i = 0; i < 20; ++i)
        lines += "example.cn\tseo 工具\n";
    QProcess p;
    startCli(p, {"--endpoints", ini, "--history", history, "--json", "keyword-rank", "--batch",
                 write("many.tsv", lines), "--delay", "0", "--engines", "baidu,youdao", "--pages",
                 "2"});
    ASSERT_TRUE(p.waitForStarted());
    // Two lines printed means two runs recorded; then kill in the middle of a request.
    for (int i = 0; i < 500 && p.state() == QProcess::Running; ++i) {
        p.waitForReadyRead(50);
        if (jsonLines(QString::fromUtf8(p.peek(1 << 20))).size() >= 2 &&
            slow.requests().size() % 2 == 1)
            break;
    }
    ASSERT_EQ(p.state(), QProcess::Running);
    ::kill(pid_t(p.processId()), SIGKILL);
    ASSERT_TRUE(p.waitForFinished(5000));
    const qsizetype printed = jsonLines(QString::fromUtf8(p.readAllStandardOutput())).size();

    HistoryStore store(history);
    const QList<RunRecord> runs = store.runs(rankRuns());
    EXPECT_GE(runs.size(), 2);
    EXPECT_GE(runs.size(), printed);
    EXPECT_LE(runs.size(), printed + 1); // the line being printed when the kill came
    for (const RunRecord& run : runs) {
        EXPECT_EQ(run.end, RunEnd::Done);
        EXPECT_EQ(run.figures.size(), 2); // Baidu and Youdao: never half a run
    }
}

TEST_F(BatchCli, AMalformedLineIsNamedByItsFileAndNumberAsTyped) {
    // A file name holding "%2" is quoted as it is, not taken for a place to fill in.
    const QString file = write("lines %1%2.tsv", "example.cn\tseo\nonly-one-field\n");
    const CliRun r = run({"keyword-rank", "--batch", file});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains("lines %1%2.tsv")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("第 2 行应有 2 项")) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty()); // the file is read whole before the first line is asked
}

TEST_F(BatchCli, AFileThatIsNotLinesOfUtf8IsRefusedSayingWhy) {
    const struct {
        const char* name;
        QByteArray bytes;
        const char* why;
    } cases[] = {
        {"utf16.txt",
         QByteArray("\xFF\xFE"
                    "e\0x\0.\0c\0n\0",
                    12),
         "UTF-16"},
        {"utf16-no-bom.txt", QByteArray("e\0x\0.\0c\0n\0", 10), "UTF-16"},
        {"nul.txt", QByteArray("example.cn\n\0\n", 13), "NUL"},
        {"cr.txt", "example.cn\rexample.com\r", "只用 CR 换行"},
        {"binary.bin",
         "\x7F"
         "ELF\x02\x01\x01\xFF\xFE",
         "不是 UTF-8"},
        {"gbk.txt", "\xC0\xFD.cn\n", "不是 UTF-8"},
    };
    for (const auto& c : cases) {
        const QString file = write(QString::fromLatin1(c.name), c.bytes);
        const CliRun r = run({"indexed", "--batch", file});
        EXPECT_EQ(r.status, 1) << c.name;
        EXPECT_TRUE(r.err.contains(QLatin1String(c.name))) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.why))) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << c.name;
    }
}

} // namespace
