#include "cli_run.h"
#include "net/man_page.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// The manual pages both programs write for the installation, read as man reads them.
namespace {

#ifdef TESSIVO_WINDOW
// The window writes its page without a display.
QProcessEnvironment headless() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QLatin1String(name));
    return env;
}
#endif

// groff as man-db runs it (preconv for the UTF-8 input, then every warning on); what it says on
// standard error.
QString groffWarnings(const QString& page) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("page.1"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(page.toUtf8()) < 0)
        return QStringLiteral("cannot write ") + path;
    f.close();
    const CliRun r =
        runProgram(QStringLiteral("groff"),
                   {QStringLiteral("-k"), QStringLiteral("-ww"), QStringLiteral("-man"),
                    QStringLiteral("-Tutf8"), QStringLiteral("-z"), path});
    if (r.status == -1)
        return QStringLiteral("groff did not run: install groff-base (scripts/install-deps.sh)");
    return r.status == 0 ? r.err
                         : QStringLiteral("groff ended with %1: %2").arg(r.status).arg(r.err);
}

// The lines under a heading of a command's --help ("命令选项：", "示例："), up to the blank line.
QStringList linesUnder(const QString& help, const QString& heading) {
    const QString block =
        help.section(u'\n' + heading + u'\n', 1).section(QStringLiteral("\n\n"), 0, 0);
    QStringList lines;
    for (const QString& line : block.split(u'\n', Qt::SkipEmptyParts))
        lines << line.trimmed();
    return lines;
}

QStringList commandNames() {
    const QString help = runCli({QStringLiteral("--help")}).out;
    QStringList names;
    static const QRegularExpression line(QStringLiteral("^  ([a-z][a-z-]*) "),
                                         QRegularExpression::MultilineOption);
    for (const QRegularExpressionMatch& m :
         line.globalMatch(help.section(QStringLiteral("命令：\n"), 1)))
        names << m.captured(1);
    return names;
}

} // namespace

TEST(ManPages, TroffTextIsEscapedAndBreaksOnlyWhereChineseMay) {
    const struct {
        const char* text;
        const char* troff;
    } cases[] = {
        {".json 开头", "\\&.json 开\\:头"},
        {"'quoted'", "\\&'quoted'"},
        {"a.b 'c'", "a.b 'c'"},
        {"C:\\dir", "C:\\edir"},
        {"--no-history", "\\-\\-no\\-history"},
        {"查询，然后", "查\\:询，\\:然\\:后"},
        {"在X中", "在\\:X\\:中"},
        {"（见 x）。", "（见 x）。"},
        {"ab\n.cd", "ab\n\\&.cd"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(troffEscaped(QString::fromUtf8(c.text)), QString::fromUtf8(c.troff)) << c.text;
}

TEST(ManPages, HelpLinesJoinWithASpaceOnlyBesideLatinText) {
    EXPECT_EQ(joinedLines(QStringLiteral("主机\n（在 a 和\n~/.config/x\n中的")),
              QStringLiteral("主机（在 a 和 ~/.config/x 中的"));
}

TEST(ManPages, BothPagesFormatWithoutAWarningLeftAdjustedAndUnhyphenated) {
    std::vector<std::pair<const char*, CliRun>> pages{
        {"tessivo-cli", runCli({QStringLiteral("--man-page")})}};
#ifdef TESSIVO_WINDOW
    pages.emplace_back("tessivo", runProgram(QStringLiteral(TESSIVO_WINDOW),
                                             {QStringLiteral("--man-page")}, {}, headless()));
#endif
    for (const auto& [program, r] : pages) {
        ASSERT_EQ(r.status, 0) << program << r.err.toStdString();
        EXPECT_TRUE(r.out.startsWith(QStringLiteral(".TH "))) << program;
        for (const char* request : {"\n.nh\n", "\n.ad l\n", "\n.SH NAME\n", "\n.SH OPTIONS\n"})
            EXPECT_TRUE(r.out.contains(QLatin1String(request))) << program << request;
        EXPECT_EQ(groffWarnings(r.out), QString()) << program;
    }
}

TEST(ManPages, EveryCommandHasItsSynopsisOptionsAndExamplesInHelpAndPage) {
    const QString page = runCli({QStringLiteral("--man-page")}).out;
    const QStringList names = commandNames();
    ASSERT_GE(names.size(), 15);
    for (const QString& name : names) {
        const QString help = runCli({name, QStringLiteral("--help")}).out;
        const QString section =
            page.section(QStringLiteral("\n.SS ") + troffEscaped(name) + u'\n', 1)
                .section(QStringLiteral("\n.SS "), 0, 0)
                .section(QStringLiteral("\n.SH "), 0, 0);
        ASSERT_FALSE(section.isEmpty()) << name.toStdString();
        EXPECT_TRUE(section.contains(troffEscaped(QStringLiteral("tessivo-cli [选项] ") + name)))
            << name.toStdString();
        for (const QString& option : linesUnder(help, QStringLiteral("命令选项：")))
            EXPECT_TRUE(section.contains(troffEscaped(option)))
                << name.toStdString() << ' ' << option.toStdString();
        const QStringList examples = linesUnder(help, QStringLiteral("示例："));
        ASSERT_GE(examples.size(), 2) << name.toStdString();
        for (qsizetype i = 0; i < examples.size(); i += 2) {
            EXPECT_TRUE(examples[i].contains(u' ' + name + u' ') || examples[i].endsWith(name))
                << examples[i].toStdString();
            EXPECT_TRUE(section.contains(u'\n' + troffEscaped(examples[i]) + u'\n'))
                << examples[i].toStdString();
        }
    }
    // Options are listed as the parser takes them.
    const QString rank = runCli({QStringLiteral("keyword-rank"), QStringLiteral("--help")}).out;
    EXPECT_EQ(linesUnder(rank, QStringLiteral("命令选项：")),
              (QStringList{"--engines 引擎列表", "--pages 页数", "--batch 文件", "--delay 秒数",
                           "--resume", "--format 格式"}));
}

TEST(ManPages, EndpointsStandOneALine) {
    const QString page = runCli({QStringLiteral("--man-page")}).out;
    EXPECT_TRUE(page.contains(QStringLiteral("\nBaiduSearchHost   http://www.baidu.com\n"
                                             "BaiduIndexHost    http://index.baidu.com\n")));
}
