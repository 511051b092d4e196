#include "cli_run.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// tessivo-cli answers urlencode and page-text by itself and loads the module with every other
// command for the rest. --demo sends even a light command to the module, which is how these
// tests put one answer beside the other.
namespace {

CliRun runWithEnv(const QString& program, const QStringList& args, const char* name,
                  const char* value) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QLatin1String(name), QLatin1String(value));
    return runProgram(program, args, {}, env);
}

} // namespace

TEST(Launcher, LightCommandsAnswerAsTheModuleDoes) {
    const struct {
        QStringList args;
        QByteArray input;
    } cases[] = {
        {{"urlencode", "中文"}, {}},
        {{"urlencode", "seo 工具/?&=", "--json"}, {}},
        {{"--no-history", "urlencode", "--", "-x"}, {}},
        {{"page-text"}, "<p>关键词&nbsp;密度</p>\r\n<style>p{}</style><b>一</b>"},
        {{"page-text", "--json"}, "<p>关键词&nbsp;密度</p>"},
    };
    for (const auto& c : cases) {
        const QString what = c.args.join(u' ');
        const CliRun light = runCli(c.args, c.input);
        const CliRun full = runCli(QStringList{QStringLiteral("--demo")} + c.args, c.input);
        EXPECT_EQ(light.status, 0) << what.toStdString();
        EXPECT_EQ(light.status, full.status) << what.toStdString();
        EXPECT_FALSE(light.outBytes.isEmpty()) << what.toStdString();
        if (c.args.contains(QStringLiteral("--json"))) {
            // The module marks every document of the demo mode.
            QJsonObject fromFull = QJsonDocument::fromJson(full.outBytes).object();
            EXPECT_TRUE(fromFull.take(QStringLiteral("demo")).toBool());
            EXPECT_EQ(QJsonDocument::fromJson(light.outBytes).object(), fromFull)
                << what.toStdString();
        } else {
            EXPECT_EQ(light.outBytes, full.outBytes) << what.toStdString();
        }
        EXPECT_EQ(light.err, QString()) << what.toStdString();
    }
}

TEST(Launcher, WhatItCannotAnswerGoesToTheModule) {
    CliRun r = runCli({QStringLiteral("indexed")});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, QStringLiteral("tessivo-cli：indexed 的参数个数不对：indexed DOMAIN | --batch "
                                    "文件 [批处理选项]（见 tessivo-cli --help）\n"));
    r = runCli({QStringLiteral("nosuch"), QStringLiteral("a")});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, QStringLiteral("tessivo-cli：未知命令 nosuch（见 tessivo-cli --help）\n"));
    // The help is the whole program's, not the launcher's two commands.
    r = runCli({QStringLiteral("urlencode"), QStringLiteral("--help")});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("用法：tessivo-cli [选项] urlencode TEXT\n")));
    r = runCli({QStringLiteral("--help")});
    EXPECT_EQ(r.status, 0);
    for (const char* command : {"urlencode", "page-text", "indexed", "keyword-rank", "convert",
                                "ip", "whois", "history", "engines"})
        EXPECT_TRUE(r.out.contains(QStringLiteral("\n  ") + QLatin1String(command) + u' '))
            << command;
}

TEST(Launcher, LightCommandsLoadNoNetworkLibrary) {
    const CliRun light =
        runWithEnv(QStringLiteral(TESSIVO_CLI),
                   {QStringLiteral("urlencode"), QStringLiteral("中文")}, "LD_DEBUG", "files");
    EXPECT_EQ(light.out, QStringLiteral("%D6%D0%CE%C4\n"));
    // The control: the loader tells what it loads, and the module brings the rest.
    const CliRun full =
        runWithEnv(QStringLiteral(TESSIVO_CLI), {QStringLiteral("--version")}, "LD_DEBUG", "files");
    EXPECT_EQ(full.status, 0);
    for (const char* library :
         {"libcurl", "libQt6Network", "libQt6Sql", "libmaxminddb", "libpsl", "tessivo-cli-full"}) {
        EXPECT_FALSE(light.err.contains(QLatin1String(library))) << library;
        EXPECT_TRUE(full.err.contains(QLatin1String(library))) << library;
    }
}

TEST(Launcher, AMissingModuleIsToldAndTheLightCommandsStillRun) {
    QTemporaryDir dir;
    const QString launcher = dir.filePath(QStringLiteral("bin/tessivo-cli"));
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("bin"))));
    ASSERT_TRUE(QFile::copy(QStringLiteral(TESSIVO_CLI), launcher));

    CliRun r = runProgram(launcher, {QStringLiteral("--version")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("tessivo-cli：无法载入 ") + dir.path()))
        << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("/tessivo/libtessivo-cli-full.so")))
        << r.err.toStdString();
    EXPECT_EQ(r.err.count(u'\n'), 1);

    r = runProgram(launcher, {QStringLiteral("urlencode"), QStringLiteral("中文")});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, QStringLiteral("%D6%D0%CE%C4\n"));
}
