#include "base/charset.h"
#include "base/program_folder.h"
#include "changed_engines.h"
#include "cli_run.h"
#include "fixture_server.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QJsonObject jsonOf(const CliRun& r) {
    return QJsonDocument::fromJson(r.out.toUtf8()).object();
}

// A user's engines file in the configuration folder the programs started by the test read,
// gone again when the test ends.
class UserEnginesFile {
public:
    UserEnginesFile(const QString& name, const QByteArray& text)
        : path_(QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")) +
                QStringLiteral("/tessivo/engines/") + name) {
        QDir().mkpath(QFileInfo(path_).absolutePath());
        QFile f(path_);
        f.open(QIODevice::WriteOnly);
        f.write(text);
    }
    ~UserEnginesFile() { QFile::remove(path_); }
    const QString& path() const { return path_; }

private:
    QString path_;
};

} // namespace

TEST(EnginesCli, ListGivesEveryRowWithItsFileAndLine) {
    const CliRun r =
        runCli({QStringLiteral("--json"), QStringLiteral("engines"), QStringLiteral("list")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonObject o = jsonOf(r);
    const QJsonArray rows = o[QStringLiteral("engines")].toArray();
    EXPECT_EQ(rows.size(), 8 + 8 + 1 + 4 + 6 + 6);
    EXPECT_TRUE(o[QStringLiteral("problems")].toArray().isEmpty());
    for (const QJsonValue& v : rows) {
        const QJsonObject row = v.toObject();
        const QString tool = row[QStringLiteral("tool")].toString();
        EXPECT_TRUE(row[QStringLiteral("file")].toString().endsWith(
            QStringLiteral("/config/engines/") + tool + QStringLiteral(".ini")));
        EXPECT_GT(row[QStringLiteral("line")].toInt(), 0);
        EXPECT_FALSE(row[QStringLiteral("engine")].toString().isEmpty());
        EXPECT_TRUE(row[QStringLiteral("fields")].isObject());
    }
    const QJsonObject baidu = rows[0].toObject();
    EXPECT_EQ(baidu[QStringLiteral("tool")].toString(), QStringLiteral("indexed"));
    EXPECT_EQ(baidu[QStringLiteral("fields")].toObject()[QStringLiteral("start")].toString(),
              QStringLiteral("找到相关网页"));

    const CliRun text = runCli({QStringLiteral("engines"), QStringLiteral("list")});
    EXPECT_EQ(text.status, 0);
    EXPECT_TRUE(text.out.contains(QStringLiteral("  start = 找到相关网页\n")));
    EXPECT_TRUE(text.out.contains(QStringLiteral("  not-found = \"\"\n"))); // Sogou's, as written
    EXPECT_EQ(runCli({QStringLiteral("engines"), QStringLiteral("show")}).status, 2);
}

TEST(EnginesCli, AnotherFolderChangesWhatTheToolCuts) {
    const ChangedEngines engines(QStringLiteral("baidu-period.ini"), "start = 找到相关网页",
                                 "start = 百度为您找到相关结果约");
    FixtureServer server;
    server.add("/s", {200, "text/html; charset=gbk",
                      charset::encodeGbk(QStringLiteral("百度为您找到相关结果约1,230篇"))});
    QTemporaryDir ep;
    QFile ini(ep.filePath(QStringLiteral("endpoints.ini")));
    ini.open(QIODevice::WriteOnly);
    ini.write("[endpoints]\nBaiduSearchHost=" + server.base().toUtf8() + "\n");
    ini.close();
    const QStringList args = {QStringLiteral("--endpoints"), ini.fileName(),
                              QStringLiteral("--no-history"), QStringLiteral("baidu-period"),
                              QStringLiteral("example.cn")};

    const CliRun shippedRun = runCli(args);
    EXPECT_EQ(shippedRun.status, 1); // the shipped marker is not on this page
    EXPECT_TRUE(shippedRun.err.contains(QStringLiteral("没有“找到相关网页”")))
        << shippedRun.err.toStdString();

    const CliRun changed =
        runCli(QStringList{QStringLiteral("--engines-dir"), engines.path()} + args);
    ASSERT_EQ(changed.status, 0) << changed.err.toStdString();
    EXPECT_EQ(changed.out, QStringLiteral("百度在最近 所有时间 日内共收录了 1,230 个页面\n"));
}

TEST(EnginesCli, AWrongUserFileIsToldAndTheShippedRowsServe) {
    const UserEnginesFile wrong(QStringLiteral("indexed.ini"),
                                "[baidu]\nstart = 找到\nstrat = 1\n");
    const CliRun r =
        runCli({QStringLiteral("--json"), QStringLiteral("engines"), QStringLiteral("list")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(wrong.path() + QStringLiteral(" 第 3 行：未知的键“strat”")))
        << r.err.toStdString();
    const QJsonArray rows = jsonOf(r)[QStringLiteral("engines")].toArray();
    const QJsonObject baidu = rows[0].toObject();
    EXPECT_TRUE(baidu[QStringLiteral("file")].toString().endsWith(
        QStringLiteral("/config/engines/indexed.ini")));
    EXPECT_EQ(jsonOf(r)[QStringLiteral("problems")].toArray().size(), 1);

    const UserEnginesFile right(QStringLiteral("badges.ini"),
                                "[alexa]\nrequest = {AlexaHost}/x/{d}\n"
                                "decode = gbk\nstrategy = chinarank\n"
                                "start = rank\n");
    const QJsonArray now = jsonOf(runCli({QStringLiteral("--json"), QStringLiteral("engines"),
                                          QStringLiteral("list")}))[QStringLiteral("engines")]
                               .toArray();
    bool overridden = false;
    for (const QJsonValue& v : now)
        if (v[QStringLiteral("tool")] == QStringLiteral("badges") &&
            v[QStringLiteral("engine")] == QStringLiteral("alexa"))
            overridden = v[QStringLiteral("file")].toString() == right.path() &&
                         v[QStringLiteral("line")].toInt() == 1;
    EXPECT_TRUE(overridden);
}
