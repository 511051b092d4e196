#include "cli_run.h"
#include "submit_fakes.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QJsonObject jsonOf(const CliRun& r) {
    return QJsonDocument::fromJson(r.outBytes).object();
}

QString writeFile(const QTemporaryDir& dir, const char* name, const QByteArray& bytes,
                  QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner) {
    const QString path = dir.filePath(QLatin1String(name));
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    f.close();
    QFile::setPermissions(path, permissions);
    return path;
}

QByteArray addressList(int n) {
    QByteArray text;
    for (int i = 0; i < n; ++i)
        text += "https://www.example.com/page/" + QByteArray::number(i) + "\n";
    return text;
}

} // namespace

TEST(SubmitCli, SitemapWritesTheFileAndTellsWhatItLeftOut) {
    QTemporaryDir dir;
    const QByteArray list = "\xEF\xBB\xBFhttps://www.example.com/a\r\n"
                            "https://www.example.com/a\r\nhttps://other.example/b\r\n";
    const CliRun r =
        runCli({QStringLiteral("--json"), QStringLiteral("sitemap"), QStringLiteral("-"),
                QStringLiteral("--base"), QStringLiteral("https://www.example.com/"),
                QStringLiteral("--out"), dir.filePath(QStringLiteral("out")),
                QStringLiteral("--lastmod"), QStringLiteral("none")},
               list);
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonObject json = jsonOf(r);
    EXPECT_EQ(json.value(u"written").toInt(), 1);
    EXPECT_EQ(json.value(u"left_out").toInt(), 1);
    EXPECT_EQ(json.value(u"duplicates").toInt(), 1);
    EXPECT_EQ(json.value(u"files").toArray().size(), 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("第 3 行：不属于主机 www.example.com")))
        << r.err.toStdString();
    QFile f(dir.filePath(QStringLiteral("out/sitemap.xml")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().contains("<url><loc>https://www.example.com/a</loc></url>"));
}

TEST(SubmitCli, WrongCommandLinesAreUsageErrors) {
    QTemporaryDir dir;
    const QString list = writeFile(dir, "urls.txt", addressList(1));
    const QStringList out = {QStringLiteral("--out"), dir.path()};
    const QStringList cases[] = {
        QStringList{QStringLiteral("sitemap"), list} << out,
        QStringList{QStringLiteral("sitemap"), list, QStringLiteral("--base"),
                    QStringLiteral("https://www.example.com/"), QStringLiteral("--limit"),
                    QStringLiteral("bing")}
            << out,
        QStringList{QStringLiteral("sitemap"), list, QStringLiteral("--base"),
                    QStringLiteral("https://www.example.com/"), QStringLiteral("--dead-links")}
            << out,
        {QStringLiteral("push"), QStringLiteral("baidu")},
        {QStringLiteral("push"), QStringLiteral("google"), list},
        {QStringLiteral("push"), QStringLiteral("baidu"), list},
    };
    for (const QStringList& args : cases) {
        const CliRun r = runCli(args);
        EXPECT_EQ(r.status, 2) << args.join(u' ').toStdString() << r.err.toStdString();
    }
}

TEST(SubmitCli, PushBaiduStopsAtOverQuotaAndNeverPrintsTheToken) {
    QTemporaryDir dir;
    FixtureServer server;
    serveBaiduPush(server, 2, 100);
    const QString ini = writeFile(dir, "endpoints.ini",
                                  "[endpoints]\nBaiduPushHost=" + server.base().toUtf8() + "\n");
    const QString token = writeFile(dir, "token", "s3cretT0ken\n");
    const QString list = writeFile(dir, "urls.txt", addressList(4500));
    const QStringList args = {QStringLiteral("--no-history"),
                              QStringLiteral("--endpoints"),
                              ini,
                              QStringLiteral("push"),
                              QStringLiteral("baidu"),
                              list,
                              QStringLiteral("--site"),
                              QStringLiteral("https://www.example.com"),
                              QStringLiteral("--token-file"),
                              token};
    const QString history = dir.filePath(QStringLiteral("history.sqlite"));
    QStringList recordedArgs = args;
    recordedArgs[0] = QStringLiteral("--history");
    recordedArgs.insert(1, history);
    const CliRun r = runCli(QStringList{QStringLiteral("--json")} << recordedArgs);
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonObject json = jsonOf(r);
    EXPECT_EQ(json.value(u"sent").toInt(), 4000);
    EXPECT_EQ(json.value(u"accepted").toInt(), 4000);
    EXPECT_EQ(json.value(u"remain").toInt(), 0);
    EXPECT_TRUE(json.value(u"over_quota").toBool());
    const QJsonArray unsent = json.value(u"unsent").toArray();
    ASSERT_EQ(unsent.size(), 500);
    EXPECT_EQ(unsent.first().toString(), QStringLiteral("https://www.example.com/page/4000"));
    EXPECT_EQ(server.requestBodies().size(), 3);
    EXPECT_FALSE(r.out.contains(QLatin1String("s3cretT0ken")));
    EXPECT_FALSE(r.err.contains(QLatin1String("s3cretT0ken")));

    // The history keeps the run under the host, with what was sent, refused and left.
    const CliRun recorded =
        runCli({QStringLiteral("--history"), history, QStringLiteral("history"),
                QStringLiteral("--tool"), QStringLiteral("push-baidu"), QStringLiteral("--json")});
    ASSERT_EQ(recorded.status, 0) << recorded.err.toStdString();
    EXPECT_FALSE(recorded.out.contains(QLatin1String("s3cretT0ken")));
    const QJsonArray runs = QJsonDocument::fromJson(recorded.outBytes).array();
    ASSERT_EQ(runs.size(), 1);
    QMap<QString, double> figures;
    for (const QJsonValue& f : runs[0][QLatin1String("figures")].toArray())
        figures.insert(f[QLatin1String("label")].toString(), f[QLatin1String("number")].toDouble());
    EXPECT_EQ(figures.value(QStringLiteral("sent")), 4000);
    EXPECT_EQ(figures.value(QStringLiteral("remain"), -1), 0);
    EXPECT_EQ(figures.value(QStringLiteral("unsent")), 500);

    const CliRun text = runCli(args);
    EXPECT_EQ(text.status, 0);
    EXPECT_TRUE(text.out.contains(QStringLiteral("未推送\thttps://www.example.com/page/4499")));
    EXPECT_TRUE(text.out.contains(QStringLiteral("今天的推送配额已用完")));
}

TEST(SubmitCli, PushBaiduRefusesATokenFileOthersCanRead) {
    QTemporaryDir dir;
    const QString token = writeFile(dir, "token", "s3cretT0ken\n",
                                    QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
    const QString list = writeFile(dir, "urls.txt", addressList(1));
    const CliRun r =
        runCli({QStringLiteral("--no-history"), QStringLiteral("push"), QStringLiteral("baidu"),
                list, QStringLiteral("--site"), QStringLiteral("https://www.example.com"),
                QStringLiteral("--token-file"), token});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("可被其他用户读取"))) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains(QLatin1String("s3cretT0ken")));
}

TEST(SubmitCli, PushIndexNowChecksTheKeyFileAndTellsWhatWasSent) {
    QTemporaryDir dir;
    FixtureServer server;
    const QString key = QStringLiteral("0123abcd0123abcd");
    const QString ini = writeFile(dir, "endpoints.ini",
                                  "[endpoints]\nIndexNowHost=" + server.base().toUtf8() + "\n");
    QByteArray list;
    for (int i = 0; i < 3; ++i)
        list += server.base().toUtf8() + "/page/" + QByteArray::number(i) + "\n";
    const QStringList args = {QStringLiteral("--no-history"),
                              QStringLiteral("--endpoints"),
                              ini,
                              QStringLiteral("--json"),
                              QStringLiteral("push"),
                              QStringLiteral("indexnow"),
                              QStringLiteral("-"),
                              QStringLiteral("--key"),
                              key};

    // No key file on the site: refused before anything is sent.
    const CliRun refused = runCli(args, list);
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("HTTP 404"))) << refused.err.toStdString();
    EXPECT_FALSE(server.requests().contains(QStringLiteral("/indexnow")));

    serveIndexNow(server, key, key);
    const CliRun r = runCli(args, list);
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonObject json = jsonOf(r);
    EXPECT_EQ(json.value(u"sent").toInt(), 3);
    EXPECT_EQ(json.value(u"requests").toInt(), 1);
    EXPECT_TRUE(json.value(u"unsent").toArray().isEmpty());

    const CliRun made =
        runCli({QStringLiteral("--json"), QStringLiteral("push"), QStringLiteral("indexnow"),
                QStringLiteral("--new-key"), dir.filePath(QStringLiteral("keys"))});
    ASSERT_EQ(made.status, 0) << made.err.toStdString();
    EXPECT_TRUE(QFile::exists(jsonOf(made).value(u"file").toString()));
}

TEST(SubmitCli, SitemapCheckPassesAGoodFileAndFailsABadOne) {
    QTemporaryDir dir;
    const QString good = writeFile(dir, "good.xml",
                                   "<urlset xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">"
                                   "<url><loc>https://www.example.com/a</loc></url></urlset>");
    const QString bad = writeFile(dir, "bad.xml",
                                  "<urlset xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">"
                                  "<url><loc>https://www.example.com/a</loc></url>"
                                  "<url><loc>https://other.example/b</loc></url></urlset>");
    const CliRun ok = runCli(
        {QStringLiteral("--json"), QStringLiteral("sitemap"), QStringLiteral("--check"), good});
    EXPECT_EQ(ok.status, 0) << ok.err.toStdString();
    EXPECT_EQ(jsonOf(ok).value(u"entries").toInt(), 1);
    const CliRun refused = runCli(
        {QStringLiteral("--json"), QStringLiteral("sitemap"), QStringLiteral("--check"), bad});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(jsonOf(refused).value(u"problems").toArray().size(), 1);
}

TEST(SubmitCli, DeadLinksFromAnAuditGoToSilianXml) {
    QTemporaryDir dir;
    const QString audit = writeFile(dir, "audit.json", R"({"pages":[
        {"url":"https://www.example.com/","status":200},
        {"url":"https://www.example.com/gone","status":404}],"problems":[]})");
    const CliRun r = runCli({QStringLiteral("sitemap"), QStringLiteral("--from-audit"), audit,
                             QStringLiteral("--dead-links"), QStringLiteral("--base"),
                             QStringLiteral("https://www.example.com/"), QStringLiteral("--out"),
                             dir.path(), QStringLiteral("--lastmod"), QStringLiteral("none")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    QFile f(dir.filePath(QStringLiteral("silian.xml")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray xml = f.readAll();
    EXPECT_TRUE(xml.contains("<loc>https://www.example.com/gone</loc>"));
    EXPECT_FALSE(xml.contains("<loc>https://www.example.com/</loc>"));
}

TEST(SubmitCli, DemoPushesAnswerWithTheirJson) {
    QTemporaryDir dir;
    const QString token = writeFile(dir, "token", "t0ken\n");
    const struct {
        QStringList args;
        const char* figure;
    } cases[] = {
        {{QStringLiteral("baidu"), QStringLiteral("-"), QStringLiteral("--site"),
          QStringLiteral("https://www.example.com"), QStringLiteral("--token-file"), token},
         "accepted"},
        {{QStringLiteral("indexnow"), QStringLiteral("-"), QStringLiteral("--key"),
          QStringLiteral("0123abcd0123abcd")},
         "sent"},
    };
    for (const auto& c : cases) {
        const CliRun r =
            runCli(QStringList{QStringLiteral("--demo"), QStringLiteral("--no-history"),
                               QStringLiteral("--json"), QStringLiteral("push")} +
                       c.args,
                   addressList(3));
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        const QJsonObject json = jsonOf(r);
        EXPECT_EQ(json.value(QLatin1String(c.figure)).toInt(), 3) << r.out.toStdString();
        EXPECT_TRUE(json.value(u"error").isNull()) << r.out.toStdString();
        EXPECT_TRUE(json.value(u"demo").toBool()) << r.out.toStdString();
    }
}
