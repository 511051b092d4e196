#include "cli_run.h"
#include "fixture_server.h"
#include "track_pages.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QStringList kEngineNames = {"baidu", "baidu-mobile", "bing", "sogou", "so360", "duckduckgo"};

class TrackCli : public ::testing::Test {
protected:
    CliRun run(const QStringList& args) {
        return runCli(QStringList{"--endpoints", trackEndpointsFile(dir.path(), server)} + args);
    }

    FixtureServer server;
    QTemporaryDir dir;
};

} // namespace

TEST_F(TrackCli, CheckJsonGivesEveryEngineItsOutcomeInOneShape) {
    serveTrackPages(server, {{QStringLiteral("https://ads.example.org/"), true},
                             {QStringLiteral("https://a.example.net/")},
                             {QStringLiteral("https://www.example.org/p")}});
    const CliRun r = run({"--json", "track", "check", "example.org", "站长 工具"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonObject shown = QJsonDocument::fromJson(r.outBytes).object();
    EXPECT_EQ(shown.value("site"), QJsonValue("example.org"));
    EXPECT_EQ(shown.value("keyword"), QJsonValue("站长 工具"));
    const QJsonObject engines = shown.value("engines").toObject();
    EXPECT_EQ(engines.keys().size(), kEngineNames.size());
    for (const QString& name : kEngineNames) {
        const QJsonObject e = engines.value(name).toObject();
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(e.keys(), (QStringList{"change", "detail", "outcome", "position", "results_read",
                                         "title", "url"}));
        EXPECT_EQ(e.value("outcome"), QJsonValue("found"));
        EXPECT_EQ(e.value("position"), QJsonValue(2));
        EXPECT_EQ(e.value("url"), QJsonValue("https://www.example.org/p"));
        EXPECT_EQ(e.value("results_read"), QJsonValue(2));
        // The first check of the pair: placed now, never before.
        EXPECT_EQ(e.value("change"), QJsonValue("新"));
    }
}

TEST_F(TrackCli, CheckSaysEachOutcomeInWordsOneLineAnEngine) {
    server.add("/s", {302, "text/html", "", 0, "https://wappass.baidu.com/static/captcha/x"});
    server.add("/search", {200, "text/html; charset=utf-8",
                           bingPage({{QStringLiteral("https://other.example.net/")}})});
    server.add("/web", {200, "text/html", "<html><body><p>改版了</p></body></html>"});
    const CliRun r = run(
        {"track", "check", "example.org", "seo", "--engines", "bing,baidu,sogou", "--depth", "10"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << r.out.toStdString();
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("bing\t前1位中没有"))) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("baidu\t受阻（验证码）\t重定向到验证页")));
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("sogou\t页面无法识别\t")));
    EXPECT_TRUE(lines[2].contains(QLatin1String("rank-track.ini")));
}

TEST_F(TrackCli, WrongArgumentsAreUsageErrorsBeforeAnyRequest) {
    const QList<QStringList> wrong = {
        {"track", "check", "example.org", "seo", "--engines", "google"},
        {"track", "check", "example.org", "seo", "--depth", "0"},
        {"track", "check", "example.org", "seo", "--depth", "101"},
        {"track", "check", " ", "seo"},
        {"track", "check", "example.org", "  "},
        {"track", "watch", "example.org", "seo"},
        {"engines", "list", "--engines", "bing"},
    };
    for (const QStringList& args : wrong) {
        const CliRun r = run(args);
        EXPECT_EQ(r.status, 2) << args.join(' ').toStdString() << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
    EXPECT_TRUE(server.requests().isEmpty());
    const CliRun help = runCli({"track", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains("--exact-host"));
}

TEST_F(TrackCli, EnginesCheckTellsEachEngineState) {
    serveTrackPages(server, {{QStringLiteral("https://a.example.net/")},
                             {QStringLiteral("https://b.example.net/")}});
    const CliRun ok = run({"--json", "engines", "check"});
    ASSERT_EQ(ok.status, 0) << ok.err.toStdString();
    const QJsonObject states =
        QJsonDocument::fromJson(ok.outBytes).object().value("engines").toObject();
    EXPECT_EQ(states.keys().size(), kEngineNames.size());
    for (const QString& name : kEngineNames) {
        EXPECT_EQ(states.value(name).toObject().value("state"), QJsonValue("ok"))
            << name.toStdString();
        EXPECT_EQ(states.value(name).toObject().value("results_read"), QJsonValue(2));
    }

    FixtureServer changed;
    changed.add("/search", {200, "text/html", "<html><body><main>new</main></body></html>"});
    changed.add("/html/", {202, "text/html", "<html><body>anomaly</body></html>"});
    const QString history = dir.filePath(QStringLiteral("history.sqlite"));
    const CliRun troubled =
        runCli({"--endpoints", trackEndpointsFile(dir.path(), changed), "--history", history,
                "engines", "check", "--engines", "bing,duckduckgo"});
    EXPECT_EQ(troubled.status, 1);
    const QStringList lines = troubled.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << troubled.out.toStdString();
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("bing\t页面无法识别：")));
    EXPECT_TRUE(lines[0].contains(QLatin1String("rank-track.ini")));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("duckduckgo\t受阻：引擎回答 HTTP 202")));
    EXPECT_TRUE(troubled.err.contains(QStringLiteral("2 个引擎不正常")));
    // Recorded, so that the tracker window can say which engine changed.
    const CliRun recorded =
        runCli({"--history", history, "--json", "history", "--tool", "engines-check"});
    ASSERT_EQ(recorded.status, 0) << recorded.err.toStdString();
    const QJsonArray runs = QJsonDocument::fromJson(recorded.outBytes).array();
    ASSERT_EQ(runs.size(), 1) << recorded.out.toStdString();
    EXPECT_TRUE(recorded.out.contains(QLatin1String("unrecognised")));
    EXPECT_TRUE(recorded.out.contains(QLatin1String("blocked")));
}

TEST_F(TrackCli, TheDemoShowsAMixOfOutcomes) {
    const CliRun r = runCli({"--demo", "--json", "track", "check", "example.com", "关键词"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonObject engines =
        QJsonDocument::fromJson(r.outBytes).object().value("engines").toObject();
    QStringList outcomes;
    for (const QString& name : kEngineNames)
        outcomes << engines.value(name).toObject().value("outcome").toString();
    EXPECT_EQ(outcomes,
              (QStringList{"found", "not_found", "found", "blocked", "blocked", "found"}));
}
