#include "cli_run.h"
#include "fixture_server.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>

namespace {

using Page = FixtureServer::Page;

// A binary tree of pages four links deep, each answered after delayMs; the leaves have no <h1>.
void serveTree(FixtureServer& server, int delayMs) {
    server.add("/", [delayMs](const std::string& target) {
        const QString t = QString::fromStdString(target);
        const QString p = t.contains(u'=') ? t.mid(t.indexOf(u'=') + 1) : QString();
        const QString body =
            p.size() >= 4
                ? QString()
                : QStringLiteral("<h1>%1</h1><a href=\"?p=%1a\">a</a><a href=\"?p=%1b\">b</a>")
                      .arg(p);
        return Page(200, "text/html; charset=utf-8",
                    QStringLiteral("<html><head><title>第%1页</title></head><body>%2</body></html>")
                        .arg(p, body)
                        .toUtf8(),
                    delayMs);
    });
}

// The pages and problems of a --json report, with the server's address cut off.
struct Shape {
    QStringList pages;
    QStringList problems;
};

Shape shapeOf(const QString& json, const QString& base) {
    const QJsonObject o = QJsonDocument::fromJson(json.toUtf8()).object();
    Shape s;
    for (const QJsonValue& p : o.value(QLatin1String("pages")).toArray())
        s.pages << p[QLatin1String("url")].toString().mid(base.size());
    for (const QJsonValue& p : o.value(QLatin1String("problems")).toArray())
        s.problems << p[QLatin1String("kind")].toString() + u' ' +
                          p[QLatin1String("url")].toString().mid(base.size());
    s.pages.sort();
    s.problems.sort();
    return s;
}

TEST(AuditCli, JsonHoldsPagesProblemsAndCounts) {
    FixtureServer server;
    server.add("/", Page(200, "text/html",
                         "<html><head><title>首页</title></head><body><h1>x</h1>"
                         "<a href=\"/gone\">坏</a><a href=\"/moved\">搬</a></body></html>"));
    server.add("/moved", Page(301, "text/html", "", 0, "/"));
    QTemporaryDir dir;
    const QString history = dir.filePath(QStringLiteral("history.sqlite"));
    const CliRun run =
        runCli({QStringLiteral("--history"), history, QStringLiteral("audit"), server.base(),
                QStringLiteral("--json"), QStringLiteral("--rate"), QStringLiteral("0")});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QJsonObject o = QJsonDocument::fromJson(run.outBytes).object();
    EXPECT_EQ(o.value(QLatin1String("start")).toString(), server.base() + "/");
    EXPECT_TRUE(o.value(QLatin1String("stopped_by")).isNull());
    const QJsonArray pages = o.value(QLatin1String("pages")).toArray();
    ASSERT_EQ(pages.size(), 3);
    for (const QJsonValue& p : pages)
        for (const char* key : {"url", "status", "redirect", "depth", "title", "description",
                                "canonical", "charset", "bytes", "ms", "inlinks"})
            EXPECT_TRUE(p.toObject().contains(QLatin1String(key))) << key;
    const QJsonObject home = pages[0].toObject();
    EXPECT_EQ(home.value(QLatin1String("title")).toString(), QStringLiteral("首页"));
    EXPECT_EQ(home.value(QLatin1String("status")).toInt(), 200);
    EXPECT_TRUE(home.value(QLatin1String("redirect")).isNull());
    // A redirect is no link: the home page is linked from nowhere.
    EXPECT_EQ(home.value(QLatin1String("inlinks")).toInt(), 0);
    for (const QJsonValue& p : pages)
        if (p[QLatin1String("url")].toString().endsWith(QLatin1String("/moved"))) {
            EXPECT_EQ(p[QLatin1String("redirect")].toString(), server.base() + "/");
            EXPECT_EQ(p[QLatin1String("inlinks")].toInt(), 1);
        }
    const QJsonObject counts = o.value(QLatin1String("counts")).toObject();
    EXPECT_EQ(counts.value(QLatin1String("broken_link")).toInt(), 1);
    EXPECT_EQ(counts.value(QLatin1String("trap")).toInt(), 0);
    bool broken = false;
    for (const QJsonValue& p : o.value(QLatin1String("problems")).toArray()) {
        if (p[QLatin1String("kind")].toString() != QLatin1String("broken_link"))
            continue;
        broken = true;
        EXPECT_EQ(p[QLatin1String("url")].toString(), server.base() + "/gone");
        EXPECT_EQ(p[QLatin1String("detail")].toString(), QStringLiteral("HTTP 404"));
        const QJsonArray from = p[QLatin1String("from")].toArray();
        ASSERT_EQ(from.size(), 1);
        EXPECT_EQ(from[0][QLatin1String("url")].toString(), server.base() + "/");
        EXPECT_EQ(from[0][QLatin1String("text")].toString(), QStringLiteral("坏"));
    }
    EXPECT_TRUE(broken);
    EXPECT_TRUE(run.err.contains(QStringLiteral("已抓取")));

    // The history keeps the run with the page count and each kind's count as figures.
    const CliRun recorded =
        runCli({QStringLiteral("--history"), history, QStringLiteral("history"),
                QStringLiteral("--tool"), QStringLiteral("audit"), QStringLiteral("--json")});
    ASSERT_EQ(recorded.status, 0) << recorded.err.toStdString();
    const QJsonArray runs = QJsonDocument::fromJson(recorded.outBytes).array();
    ASSERT_EQ(runs.size(), 1);
    QMap<QString, double> figures;
    for (const QJsonValue& f : runs[0][QLatin1String("figures")].toArray())
        figures.insert(f[QLatin1String("label")].toString(), f[QLatin1String("number")].toDouble());
    EXPECT_EQ(figures.value(QStringLiteral("pages")), 3);
    EXPECT_EQ(figures.value(QStringLiteral("broken_link")), 1);
    EXPECT_EQ(figures.value(QStringLiteral("trap"), -1), 0);
}

TEST(AuditCli, CsvAndTextListTheProblems) {
    FixtureServer server;
    server.add("/", Page(200, "text/html", "<a href=\"/gone\">=cmd</a>"));
    const CliRun csv =
        runCli({QStringLiteral("audit"), server.base() + "/", QStringLiteral("--format"),
                QStringLiteral("csv"), QStringLiteral("--rate"), QStringLiteral("0")});
    ASSERT_EQ(csv.status, 0) << csv.err.toStdString();
    EXPECT_TRUE(csv.outBytes.startsWith("\xEF\xBB\xBFkind,url,from,text,detail"));
    EXPECT_TRUE(csv.out.contains(QStringLiteral("broken_link,") + server.base() + "/gone"));
    EXPECT_FALSE(csv.out.contains(QStringLiteral(",=cmd"))); // the formula guard
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("problems.csv"));
    const CliRun toFile =
        runCli({QStringLiteral("audit"), server.base() + "/", QStringLiteral("--format"),
                QStringLiteral("csv"), QStringLiteral("--out"), file});
    ASSERT_EQ(toFile.status, 0) << toFile.err.toStdString();
    EXPECT_TRUE(toFile.outBytes.isEmpty());
    QFile written(file);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), csv.outBytes);
    const QString dead = dir.filePath(QStringLiteral("silian.txt"));
    const CliRun deadLinks =
        runCli({QStringLiteral("audit"), server.base() + "/", QStringLiteral("--rate"),
                QStringLiteral("0"), QStringLiteral("--dead-links"), dead});
    ASSERT_EQ(deadLinks.status, 0) << deadLinks.err.toStdString();
    QFile deadFile(dead);
    ASSERT_TRUE(deadFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(deadFile.readAll(), (server.base() + "/gone\n").toUtf8());
    const CliRun text = runCli({QStringLiteral("audit"), server.base() + "/",
                                QStringLiteral("--rate"), QStringLiteral("0")});
    ASSERT_EQ(text.status, 0);
    EXPECT_TRUE(text.out.contains(QStringLiteral("broken_link\t1\n")));
    EXPECT_TRUE(text.out.contains(QStringLiteral("missing_title\t") + server.base() + "/"));
}

TEST(AuditCli, RefusesWrongOptionsAndReportsFailures) {
    const struct {
        QStringList args;
        int status;
    } cases[] = {
        {{QStringLiteral("--robots"), QStringLiteral("maybe")}, 2},
        {{QStringLiteral("--max-pages"), QStringLiteral("0")}, 2},
        {{QStringLiteral("--rate"), QStringLiteral("fast")}, 2},
        {{QStringLiteral("--format"), QStringLiteral("xml")}, 2},
    };
    for (const auto& c : cases) {
        const CliRun run = runCli(
            QStringList{QStringLiteral("audit"), QStringLiteral("http://127.0.0.1:9/")} + c.args);
        EXPECT_EQ(run.status, c.status) << c.args.join(u' ').toStdString();
    }
    const CliRun ftp = runCli({QStringLiteral("audit"), QStringLiteral("ftp://127.0.0.1/")});
    EXPECT_EQ(ftp.status, 1);
    EXPECT_TRUE(ftp.err.contains(QStringLiteral("起始网址无效")));
    // A site that does not answer is a failure, whether its robots.txt is read or not.
    for (const QStringList& robots :
         {QStringList{}, QStringList{QStringLiteral("--robots"), QStringLiteral("ignore")}}) {
        const RawServer gone({}, true);
        const CliRun run = runCli(QStringList{QStringLiteral("audit"), gone.base() + "/"} + robots);
        EXPECT_EQ(run.status, 1) << robots.join(u' ').toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("无法访问"))) << run.err.toStdString();
    }
}

TEST(AuditCli, AKilledAuditResumesWithoutFetchingAFinishedPageAgain) {
    FixtureServer whole;
    serveTree(whole, 0);
    const CliRun uninterrupted =
        runCli({QStringLiteral("audit"), whole.base() + "/", QStringLiteral("--json"),
                QStringLiteral("--rate"), QStringLiteral("0")});
    ASSERT_EQ(uninterrupted.status, 0) << uninterrupted.err.toStdString();

    FixtureServer slow;
    serveTree(slow, 150);
    const QStringList args = {QStringLiteral("audit"),  slow.base() + "/",
                              QStringLiteral("--json"), QStringLiteral("--rate"),
                              QStringLiteral("0"),      QStringLiteral("--concurrency"),
                              QStringLiteral("1")};
    QProcess p;
    startCli(p, args);
    QElapsedTimer waited;
    waited.start();
    while (slow.requests().size() < 10 && waited.elapsed() < 20000)
        QThread::msleep(20);
    p.kill(); // SIGKILL: nothing of the program runs after it
    p.waitForFinished();
    ASSERT_GE(slow.requests().size(), 10);
    const qsizetype before = slow.requests().size();

    const CliRun resumed = runCli(args + QStringList{QStringLiteral("--resume")});
    ASSERT_EQ(resumed.status, 0) << resumed.err.toStdString();
    const Shape a = shapeOf(uninterrupted.out, whole.base());
    const Shape b = shapeOf(resumed.out, slow.base());
    EXPECT_EQ(b.pages, a.pages);
    EXPECT_EQ(b.problems, a.problems);
    EXPECT_EQ(a.pages.size(), 31);
    EXPECT_GT(slow.requests().size(), before);
    // The robots.txt is read again, and the one page in flight at the kill; nothing else.
    QStringList asked = slow.requests();
    asked.removeAll(QStringLiteral("/robots.txt"));
    const qsizetype twice = asked.size() - QSet<QString>(asked.begin(), asked.end()).size();
    EXPECT_LE(twice, 1);
}

// The demo's built-in site has one fault of each kind but mixed content, which needs https.
TEST(AuditCli, TheDemoSiteShowsEveryKind) {
    for (const QString& scheme : {QStringLiteral("http"), QStringLiteral("https")}) {
        const CliRun run = runCli({QStringLiteral("--demo"), QStringLiteral("--no-history"),
                                   QStringLiteral("audit"), scheme + "://www.example.cn/",
                                   QStringLiteral("--json")});
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
        const QJsonObject o = QJsonDocument::fromJson(run.out.toUtf8()).object();
        QSet<QString> kinds;
        for (const QJsonValue& p : o.value(QLatin1String("problems")).toArray())
            kinds.insert(p[QLatin1String("kind")].toString());
        for (const QString& kind : o.value(QLatin1String("counts")).toObject().keys())
            if (kind != QLatin1String("mixed_content") || scheme == QLatin1String("https")) {
                EXPECT_TRUE(kinds.contains(kind))
                    << scheme.toStdString() << " " << kind.toStdString();
            }
    }
}

TEST(AuditCli, CtrlCPrintsWhatWasFoundAndExits130) {
    FixtureServer slow;
    serveTree(slow, 300);
    QProcess p;
    startCli(p, {QStringLiteral("audit"), slow.base() + "/", QStringLiteral("--json"),
                 QStringLiteral("--rate"), QStringLiteral("0")});
    ASSERT_TRUE(p.waitForStarted());
    QElapsedTimer waited;
    waited.start();
    while (slow.requests().size() < 5 && waited.elapsed() < 20000)
        QThread::msleep(20);
    ::kill(pid_t(p.processId()), SIGINT);
    QElapsedTimer stopping;
    stopping.start();
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_LT(stopping.elapsed(), 3000);
    EXPECT_EQ(p.exitCode(), 130);
    const QJsonObject o = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    EXPECT_EQ(o.value(QLatin1String("stopped_by")).toString(), QStringLiteral("stopped"));
    EXPECT_FALSE(o.value(QLatin1String("pages")).toArray().isEmpty());
}

} // namespace
