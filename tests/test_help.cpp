#include "cli_run.h"
#include "net/endpoint_table.h"

#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

// What a new user reads first: the help of both programs, and the README that agrees with it.
namespace {

void expectNamesEveryEndpoint(const QString& help) {
    for (const EndpointInfo& e : kEndpoints)
        EXPECT_TRUE(help.contains(QLatin1String(e.name))) << e.name;
}

} // namespace

TEST(Help, TheCliTellsItsOptionsEndpointsAndExitStatuses) {
    const CliRun help = runCli({QStringLiteral("-h")});
    EXPECT_EQ(help.status, 0);
    for (const char* told : {"--demo", "--proxy", "--endpoints", "http_proxy", "no_proxy", "130"})
        EXPECT_TRUE(help.out.contains(QLatin1String(told))) << told;
    expectNamesEveryEndpoint(help.out);
    const CliRun version = runCli({QStringLiteral("--version")});
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^tessivo-cli [0-9]+\\.[0-9]+\\n$"))
                    .match(version.out)
                    .hasMatch())
        << version.out.toStdString();
}

TEST(Help, BothReadmesListEveryCommandTheCliHas) {
    const QString help = runCli({QStringLiteral("--help")}).out;
    const QString commands = help.section(QStringLiteral("命令：\n"), 1).section(u'\n', 0, -1);
    QStringList names;
    static const QRegularExpression line(QStringLiteral("^  ([a-z][a-z-]*) "),
                                         QRegularExpression::MultilineOption);
    for (const QRegularExpressionMatch& m : line.globalMatch(commands))
        names << m.captured(1);
    ASSERT_GE(names.size(), 11);
    for (const char* readme : {"README.md", "README.en.md"}) {
        QFile f(QStringLiteral(TESSIVO_SOURCE_DIR "/") + QLatin1String(readme));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << readme;
        const QString text = QString::fromUtf8(f.readAll());
        for (const QString& name : names)
            EXPECT_TRUE(text.contains(QStringLiteral("| `") + name))
                << readme << ' ' << name.toStdString();
        for (const char* option : {"--demo", "--proxy", "http_proxy", "no_proxy"})
            EXPECT_TRUE(text.contains(QLatin1String(option))) << readme << ' ' << option;
        expectNamesEveryEndpoint(text);
    }
}

#ifdef TESSIVO_WINDOW
TEST(Help, TheWindowAnswersHelpAndVersionWithoutADisplay) {
    QProcessEnvironment headless = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        headless.remove(QLatin1String(name));
    const CliRun help =
        runProgram(QStringLiteral(TESSIVO_WINDOW), {QStringLiteral("--help")}, {}, headless);
    EXPECT_EQ(help.status, 0);
    for (const char* told : {"--demo", "--proxy", "--screenshots", "--version", "http_proxy"})
        EXPECT_TRUE(help.out.contains(QLatin1String(told))) << told;
    expectNamesEveryEndpoint(help.out);
    const CliRun version =
        runProgram(QStringLiteral(TESSIVO_WINDOW), {QStringLiteral("--version")}, {}, headless);
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^tessivo [0-9]+\\.[0-9]+\\n$"))
                    .match(version.out)
                    .hasMatch())
        << version.out.toStdString();
}

TEST(Help, TheWindowWithoutADisplaySaysWhatToDoInsteadOfAborting) {
    QProcessEnvironment headless = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        headless.remove(QLatin1String(name));
    for (const QStringList& args : {QStringList{}, QStringList{QStringLiteral("--demo")}}) {
        const CliRun r = runProgram(QStringLiteral(TESSIVO_WINDOW), args, {}, headless);
        EXPECT_EQ(r.status, 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.startsWith(QStringLiteral("tessivo：找不到图形界面")))
            << r.err.toStdString();
        for (const char* told : {"桌面会话", "QT_QPA_PLATFORM=offscreen", "tessivo-cli"})
            EXPECT_TRUE(r.err.contains(QString::fromUtf8(told))) << told;
        EXPECT_EQ(r.err.count(u'\n'), 1) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
    // A display that is named but has no server behind it: Qt's words follow in parentheses.
    headless.insert(QStringLiteral("DISPLAY"), QStringLiteral(":65534"));
    const CliRun r = runProgram(QStringLiteral(TESSIVO_WINDOW), {}, {}, headless);
    EXPECT_EQ(r.status, 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("tessivo：无法连接到图形界面（")))
        << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral(":65534"))) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("QT_QPA_PLATFORM=offscreen")));
    EXPECT_EQ(r.err.count(u'\n'), 1) << r.err.toStdString();
}
#endif
