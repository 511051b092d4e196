#include "cli/help_text.h"

#include "base/tool_error.h"
#include "cli/batch_options.h"
#include "cli/command_examples.h"
#include "cli/program_options.h"
#include "net/endpoint_names.h"
#include "net/man_page.h"

namespace {

QString label(const ProgramOption& option) {
    QString l = QString::fromUtf8(option.names).replace(u',', QStringLiteral(", "));
    if (option.value)
        l += u' ' + QString::fromUtf8(option.value);
    return l;
}

QString usageLine() {
    QString line = QStringLiteral("用法：tessivo-cli");
    for (const ProgramOption& o : programOptions())
        if (!std::holds_alternative<Answer>(o.sets))
            line += QStringLiteral(" [") + label(o) + u']';
    return line + QStringLiteral(" 命令 参数…\n");
}

QString commandDescription(const Command& c) {
    QString help = QString::fromUtf8(c.help);
    if (c.batchLine)
        help += u'\n' + batchHelp(c);
    return help;
}

// A command's own options and the batch options, one a line with the name of its value.
QStringList commandOptionLabels(const Command& c) {
    QStringList labels;
    for (const CommandOption& o : commandOptions(c))
        labels << (o.value ? QStringLiteral("%1 %2").arg(QLatin1String(o.name),
                                                         QString::fromUtf8(o.value))
                           : QString::fromLatin1(o.name));
    return labels;
}

const QString kEndpointsIntro = QStringLiteral(
    "端点（请求发往的主机；在 --endpoints 文件、数据文件夹的 config/endpoints.ini 或 "
    "~/.config/tessivo/endpoints.ini 的 [endpoints] 节中以“端点名=地址”改写，"
    "示例见 config/endpoints.example.ini）");

std::vector<std::pair<QString, QString>> exitStatuses() {
    return {{QStringLiteral("0"), QStringLiteral("完成")},
            {QStringLiteral("1"),
             QStringLiteral("工具出错，或有引擎的请求失败（标准错误输出“%1…”或各引擎的原因）")
                 .arg(kErrorPrefix)},
            {QStringLiteral("2"), QStringLiteral("用法错误或输入被忽略（未发出请求）")},
            {QStringLiteral("130"), QStringLiteral("被 Ctrl-C 中止")}};
}

} // namespace

QString programHelp() {
    QString h = usageLine() + QStringLiteral("\n"
                                             "在命令行运行 Tessivo 窗口里的同一批工具。\n"
                                             "\n"
                                             "选项：\n");
    for (const ProgramOption& o : programOptions())
        h += helpOptionLines(label(o), QString::fromUtf8(o.help));
    h += QStringLiteral("\n命令：\n");
    for (const Command& c : commands())
        h += QStringLiteral("  %1 %2\n      %3\n")
                 .arg(QString::fromUtf8(c.name), QString::fromUtf8(c.synopsis),
                      QString::fromUtf8(c.help).section(QStringLiteral("。"), 0, 0) +
                          QStringLiteral("。"));
    h += u'\n' + kEndpointsIntro + QStringLiteral("：\n") + endpointDefaults();
    QStringList statuses;
    for (const auto& [status, meaning] : exitStatuses())
        statuses << status + u' ' + meaning;
    h += QStringLiteral("\n退出状态：") + statuses.join(u'；') + QStringLiteral("。\n");
    return h;
}

QString commandHelp(const Command& c) {
    QString help =
        QStringLiteral("用法：tessivo-cli [选项] %1 %2\n\n%3\n")
            .arg(QString::fromUtf8(c.name), QString::fromUtf8(c.synopsis), commandDescription(c));
    const QStringList options = commandOptionLabels(c);
    if (!options.isEmpty())
        help += QStringLiteral("\n命令选项：\n  ") + options.join(QStringLiteral("\n  ")) + u'\n';
    help += QStringLiteral("\n示例：\n");
    for (const CommandExample& e : commandExamples(c))
        help += QStringLiteral("  %1\n      %2\n")
                    .arg(QString::fromUtf8(e.line), QString::fromUtf8(e.what));
    return help;
}

QString programManPage() {
    ManPage page(QStringLiteral("tessivo-cli"),
                 QStringLiteral("在命令行运行 Tessivo 站长工具箱的工具"));
    page.section(QStringLiteral("SYNOPSIS"));
    page.indented(usageLine().trimmed().section(u'：', 1));
    page.section(QStringLiteral("DESCRIPTION"));
    page.paragraph(QStringLiteral("在命令行运行 Tessivo 窗口里的同一批工具。"
                                  "“tessivo-cli 命令 --help”显示一个命令的说明。"));
    page.section(QStringLiteral("OPTIONS"));
    for (const ProgramOption& o : programOptions())
        page.option(QString::fromUtf8(o.names), o.value ? QString::fromUtf8(o.value) : QString(),
                    joinedLines(QString::fromUtf8(o.help)));
    page.section(QStringLiteral("COMMANDS"));
    for (const Command& c : commands()) {
        page.subsection(QString::fromUtf8(c.name));
        page.indented(QStringLiteral("tessivo-cli [选项] %1 %2")
                          .arg(QString::fromUtf8(c.name), QString::fromUtf8(c.synopsis))
                          .trimmed());
        page.paragraph(commandDescription(c));
        const QStringList options = commandOptionLabels(c);
        if (!options.isEmpty()) {
            page.paragraph(QStringLiteral("命令选项："));
            page.display(options);
        }
        page.paragraph(QStringLiteral("示例："));
        for (const CommandExample& e : commandExamples(c)) {
            page.paragraph(QString::fromUtf8(e.what) + u'：');
            page.display({QString::fromUtf8(e.line)});
        }
    }
    page.section(QStringLiteral("ENDPOINTS"));
    page.paragraph(kEndpointsIntro);
    page.endpoints();
    page.section(QStringLiteral("EXIT STATUS"));
    for (const auto& [status, meaning] : exitStatuses())
        page.option(status, {}, meaning);
    page.commonSections();
    return page.text();
}
