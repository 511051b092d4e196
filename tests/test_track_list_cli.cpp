#include "cli_run.h"
#include "fixture_server.h"
#include "track_pages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/time.h>

namespace {

QJsonObject jsonOf(const CliRun& r) {
    return QJsonDocument::fromJson(r.outBytes).object();
}

// Every command runs on a history file of the test's own, its engines on the loopback server;
// PATH holds no systemctl and no notify-send, and there is no session bus, so that no test
// reaches the user's systemd or desktop.
class TrackListCli : public ::testing::Test {
protected:
    CliRun run(const QStringList& args) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PATH"), dir.filePath(QStringLiteral("bin")));
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                   QStringLiteral("unix:path=") + dir.filePath(QStringLiteral("no-bus")));
        return runProgram(QStringLiteral(TESSIVO_CLI),
                          QStringList{QStringLiteral("--history"), history(),
                                      QStringLiteral("--endpoints"),
                                      trackEndpointsFile(dir.path(), server)} +
                              args,
                          {}, env);
    }
    QJsonArray recorded(const char* tool) {
        const CliRun r = run({"--json", "history", "--tool", tool});
        return QJsonDocument::fromJson(r.outBytes).array();
    }
    FixtureServer server;
    QString history() const { return dir.filePath(QStringLiteral("history.sqlite")); }
    QString units() const {
        return qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/systemd/user");
    }
    void TearDown() override {
        QFile::remove(units() + QStringLiteral("/tessivo-track.timer"));
        QFile::remove(units() + QStringLiteral("/tessivo-track.service"));
    }
    QTemporaryDir dir;
};

TEST_F(TrackListCli, TheListIsAddedToListedAndRemovedFrom) {
    CliRun r = run({"--json", "track", "add", "https://www.a.cn/", "站长工具", " seo ", "--engines",
                    "bing,sogou,bing", "--depth", "20"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonArray added = jsonOf(r).value(u"added").toArray();
    ASSERT_EQ(added.size(), 2);

    r = run({"--json", "track", "list"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonArray list = jsonOf(r).value(u"tracked").toArray();
    ASSERT_EQ(list.size(), 2);
    const QJsonObject first = list[0].toObject();
    EXPECT_EQ(first.value(u"id"), added[0]);
    EXPECT_EQ(first.value(u"site").toString(), QStringLiteral("www.a.cn"));
    EXPECT_EQ(first.value(u"keyword").toString(), QStringLiteral("站长工具"));
    EXPECT_EQ(first.value(u"engines").toArray(), (QJsonArray{"bing", "sogou"}));
    EXPECT_EQ(first.value(u"depth").toInt(), 20);
    EXPECT_EQ(list[1].toObject().value(u"keyword").toString(), QStringLiteral("seo"));

    r = run({"track", "remove", QString::number(added[0].toInteger()), "999"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("没有编号 999"))) << r.err.toStdString();
    r = run({"track", "list"});
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.out.count(u'\n'), 1) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("\tseo\tbing,sogou\t20\t"))) << r.out.toStdString();
}

TEST_F(TrackListCli, WrongArgumentsAreUsageErrors) {
    const QList<QStringList> cases = {
        {"track", "add", "a.cn"},
        {"track", "add", "a.cn", "k", "--depth", "0"},
        {"track", "add", "a.cn", "k", "--depth", "101"},
        {"track", "add", "a.cn", "k", "--engines", "google"},
        {"track", "add", "http://", "k"},
        {"track", "remove", "x"},
        {"track", "run", "--delay", "-1"},
        {"track", "schedule", "daily", "8:00"},
        {"track", "schedule", "weekly", "08:00"},
        {"track", "webhook", "ftp://a.cn/x"},
        {"track", "frobnicate"},
        {"--no-history", "track", "list"},
    };
    for (const QStringList& args : cases) {
        const CliRun r = run(args);
        EXPECT_EQ(r.status, 2) << args.join(u' ').toStdString() << ": " << r.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(units() + QStringLiteral("/tessivo-track.timer")));
}

TEST_F(TrackListCli, TheScheduleIsWrittenWithoutSystemdAndItsStatusTold) {
    CliRun r = run({"track", "schedule", "daily", "08:00"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("没有 systemctl"))) << r.err.toStdString();
    QFile service(units() + QStringLiteral("/tessivo-track.service"));
    ASSERT_TRUE(service.open(QIODevice::ReadOnly));
    const QString exec = QString::fromUtf8(service.readAll());
    // The launcher's own absolute path, and the history this schedule was made with.
    EXPECT_TRUE(exec.contains(
        QStringLiteral("ExecStart=\"%1\" \"--history\" \"%2\" \"track\" "
                       "\"run\"\n")
            .arg(QFileInfo(QStringLiteral(TESSIVO_CLI)).absoluteFilePath(), history())))
        << exec.toStdString();

    r = run({"--json", "track", "schedule", "status"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    QJsonObject status = jsonOf(r);
    EXPECT_EQ(status.value(u"daily").toString(), QStringLiteral("08:00"));
    EXPECT_TRUE(status.value(u"last_run").isNull());
    EXPECT_TRUE(QDateTime::fromString(status.value(u"next_run").toString(), Qt::ISODate).time() ==
                QTime(8, 0));
    EXPECT_FALSE(status.value(u"missed").toBool());

    // An empty list still makes a run, and the run is what the status shows.
    r = run({"track", "run"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    r = run({"--json", "track", "schedule", "status"});
    status = jsonOf(r);
    const QJsonObject last = status.value(u"last_run").toObject();
    EXPECT_EQ(last.value(u"outcome").toString(), QStringLiteral("done"));
    EXPECT_EQ(last.value(u"counts").toObject().value(u"found").toInt(-1), 0);
    EXPECT_FALSE(status.value(u"failed").toBool());

    r = run({"track", "schedule", "off"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_FALSE(service.exists());
    r = run({"--json", "track", "schedule", "status"});
    EXPECT_TRUE(jsonOf(r).value(u"daily").isNull());
}

// A schedule written days ago that never ran has missed its runs; off a terminal the words say
// so without colour.
TEST_F(TrackListCli, AMissedRunIsToldInWords) {
    ASSERT_EQ(run({"track", "schedule", "daily", "08:00"}).status, 0);
    const QByteArray timer = (units() + QStringLiteral("/tessivo-track.timer")).toUtf8();
    const timeval threeDaysAgo{QDateTime::currentSecsSinceEpoch() - 3 * 86400, 0};
    const timeval times[2] = {threeDaysAgo, threeDaysAgo};
    ASSERT_EQ(::utimes(timer.constData(), times), 0);

    CliRun r = run({"--json", "track", "schedule", "status"});
    EXPECT_TRUE(jsonOf(r).value(u"missed").toBool()) << r.out.toStdString();
    r = run({"track", "schedule", "status"});
    ASSERT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.contains(QStringLiteral("错过了运行"))) << r.out.toStdString();
    EXPECT_FALSE(r.out.contains(u'\x1b'));
}

// Baidu answers with a captcha redirect: after that one answer it is asked nothing more in the
// run, while Bing goes on; every check that was made is in the history.
TEST_F(TrackListCli, RunRecordsEveryCheckAndSkipsABlockedEngineAfterItsBlock) {
    server.add("/s", {302, "text/html", "", 0, "https://wappass.baidu.com/static/captcha/x"});
    server.add("/search", {200, "text/html; charset=utf-8",
                           bingPage({{QStringLiteral("https://other.example.net/")},
                                     {QStringLiteral("https://www.example.org/p")}})});
    ASSERT_EQ(
        run({"track", "add", "example.org", "k1", "k2", "k3", "--engines", "baidu,bing"}).status,
        0);

    const CliRun r = run({"--json", "track", "run", "--delay", "0"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonObject json = jsonOf(r);
    QStringList checks;
    for (const QJsonValue& c : json.value(u"checks").toArray())
        checks << c[u"keyword"].toString() + u'/' + c[u"engine"].toString() + u'/' +
                      c[u"outcome"].toString();
    EXPECT_EQ(checks,
              (QStringList{"k1/baidu/blocked", "k1/bing/found", "k2/bing/found", "k3/bing/found"}));
    EXPECT_EQ(json.value(u"counts").toObject(), (QJsonObject{{"found", 3},
                                                             {"not_found", 0},
                                                             {"blocked", 1},
                                                             {"unrecognised", 0},
                                                             {"failed", 0},
                                                             {"skipped", 2}}));
    EXPECT_EQ(server.requests().filter(QRegularExpression(QStringLiteral("^/s\\?"))).size(), 1)
        << server.requests().join(u' ').toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("baidu 受阻"))) << r.err.toStdString();

    const QJsonArray checked = recorded("rank-track");
    ASSERT_EQ(checked.size(), 3);
    const QJsonArray k1 = checked[2][u"figures"].toArray();
    ASSERT_EQ(k1.size(), 2);
    EXPECT_EQ(k1[0][u"label"].toString(), QStringLiteral("baidu"));
    EXPECT_EQ(k1[0][u"why"].toString(), QStringLiteral("blocked"));
    EXPECT_EQ(k1[1][u"number"].toDouble(), 2);
    EXPECT_EQ(checked[0][u"figures"].toArray().size(), 1);
    const QJsonArray runs = recorded("track-run");
    ASSERT_EQ(runs.size(), 1);
    EXPECT_EQ(runs[0][u"outcome"].toString(), QStringLiteral("partial"));
}

// The second run finds the site fallen from 2nd to 5th: it left the top 3, and the webhook hears
// it while the desktop, which is not there, fails nothing.
TEST_F(TrackListCli, AMoveAcrossTheTopsIsPostedToTheWebhook) {
    QList<Shown> results;
    for (int i = 0; i < 6; ++i)
        results << Shown{QStringLiteral("https://r%1.example.net/").arg(i)};
    results[1].address = QStringLiteral("https://www.example.org/");
    server.add("/search", {200, "text/html; charset=utf-8", bingPage(results)});
    server.add("/hook", {204, "text/plain", ""});
    ASSERT_EQ(run({"track", "webhook", server.base() + QStringLiteral("/hook")}).status, 0);
    ASSERT_EQ(run({"track", "add", "example.org", "seo", "--engines", "bing"}).status, 0);
    CliRun r = run({"track", "run", "--delay", "0"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(server.requests().filter(QStringLiteral("/hook")).isEmpty());

    std::swap(results[1], results[4]);
    server.add("/search", {200, "text/html; charset=utf-8", bingPage(results)});
    r = run({"--json", "track", "run", "--delay", "0"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(jsonOf(r).value(u"checks").toArray()[0][u"change"].toString(), QStringLiteral("↓3"));
    EXPECT_TRUE(r.err.contains(QStringLiteral("未能发出桌面通知"))) << r.err.toStdString();
    ASSERT_EQ(server.requests().filter(QStringLiteral("/hook")).size(), 1);
    const QJsonObject sent = QJsonDocument::fromJson(server.requestBodies().last()).object();
    const QJsonArray moves = sent.value(u"moves").toArray();
    ASSERT_EQ(moves.size(), 1);
    EXPECT_EQ(moves[0].toObject(), (QJsonObject{{"site", "example.org"},
                                                {"keyword", "seo"},
                                                {"engine", "bing"},
                                                {"top", 3},
                                                {"entered", false},
                                                {"before", 2},
                                                {"now", 5}}));
    EXPECT_EQ(sent.value(u"counts").toObject().value(u"found").toInt(), 1);

    ASSERT_EQ(run({"track", "webhook", "off"}).status, 0);
}

} // namespace
