#include "cli/help_text.h"

#include "base/tool_error.h"
#include "cli/batch_options.h"
#include "cli/program_options.h"
#include "net/endpoint_names.h"

namespace {

// Where an option's description starts; a terminal gives CJK characters two columns.
constexpr int kDescriptionColumn = 24;

int columns(const QString& text) {
    int n = 0;
    for (const QChar c : text)
        n += c.unicode() >= 0x2E80 ? 2 : 1;
    return n;
}

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

QString optionLines(const ProgramOption& option) {
    const QString indent(kDescriptionColumn, u' ');
    QString head = QStringLiteral("  ") + label(option);
    const int used = columns(head);
    head +=
        used + 2 <= kDescriptionColumn ? QString(kDescriptionColumn - used, u' ') : u'\n' + indent;
    return head + QString::fromUtf8(option.help).replace(u'\n', u'\n' + indent) + u'\n';
}

} // namespace

QString programHelp() {
    QString h = usageLine() + QStringLiteral("\n"
                                             "在命令行运行 Tessivo 窗口里的同一批工具。\n"
                                             "\n"
                                             "选项：\n");
    for (const ProgramOption& o : programOptions())
        h += optionLines(o);
    h += QStringLiteral("\n命令：\n");
    for (const Command& c : commands())
        h += QStringLiteral("  %1 %2\n      %3\n")
                 .arg(QString::fromUtf8(c.name), QString::fromUtf8(c.synopsis),
                      QString::fromUtf8(c.help).section(QStringLiteral("。"), 0, 0) +
                          QStringLiteral("。"));
    h += QStringLiteral(
             "\n端点（请求发往的主机；在 --endpoints 文件、数据文件夹的 config/endpoints.ini 或 "
             "~/.config/tessivo/endpoints.ini 的 [endpoints] 节中以“端点名=地址”改写，"
             "示例见 config/endpoints.example.ini）：\n") +
         endpointDefaults();
    h += QStringLiteral("\n退出状态：0 完成；1 工具出错（标准错误输出“%1…”）；"
                        "2 用法错误或输入被忽略（未发出请求）；130 被 Ctrl-C 中止。\n")
             .arg(kErrorPrefix);
    return h;
}

QString commandHelp(const Command& c) {
    QString help = QString::fromUtf8(c.help);
    if (c.batchLine)
        help += u'\n' + batchHelp(c);
    return QStringLiteral("用法：tessivo-cli [选项] %1 %2\n\n%3\n")
        .arg(QString::fromUtf8(c.name), QString::fromUtf8(c.synopsis), help);
}
