#include "cli/command.h"

#include "base/program_folder.h"
#include "base/tool_error.h"

#include <QCoreApplication>
#include <cstdio>

namespace {

void err(const QString& text) {
    const QByteArray bytes = text.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

QString programHelp() {
    QString h = QStringLiteral(
        "用法：tessivo-cli [--endpoints 文件] [--config-dir 文件夹] [--json] 命令 参数…\n"
        "\n"
        "在命令行运行 Tessivo 窗口里的同一批工具。\n"
        "\n"
        "选项：\n"
        "  --endpoints 文件      INI 文件，[endpoints] 节中的“端点名=地址”覆盖默认主机\n"
        "                        （先读程序旁的 config/endpoints.ini，再读此文件）\n"
        "  --config-dir 文件夹   从 文件夹/config 和 文件夹/images "
        "读数据文件，而不是程序旁的文件夹\n"
        "  --json                以 JSON 打印结果\n"
        "  --help                显示本说明；“命令 --help”显示该命令的说明\n"
        "\n"
        "命令：\n");
    for (const Command& c : commands())
        h += QStringLiteral("  %1 %2\n      %3\n")
                 .arg(QString::fromUtf8(c.name), QString::fromUtf8(c.synopsis),
                      QString::fromUtf8(c.help).section(QStringLiteral("。"), 0, 0) +
                          QStringLiteral("。"));
    h += QStringLiteral("\n退出状态：0 完成；1 工具出错（标准错误输出“发生错误：…”）；"
                        "2 用法错误或输入被忽略（未发出请求）。\n");
    return h;
}

QString commandHelp(const Command& c) {
    return QStringLiteral("用法：tessivo-cli [选项] %1 %2\n\n%3\n")
        .arg(QString::fromUtf8(c.name), QString::fromUtf8(c.synopsis), QString::fromUtf8(c.help));
}

int usage(const QString& why) {
    err(QStringLiteral("tessivo-cli：") + why + QStringLiteral("（见 tessivo-cli --help）"));
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tessivo"));
    QStringList args = QCoreApplication::arguments().mid(1);

    QString endpointsFile;
    bool json = false;
    while (!args.isEmpty() && args.front().startsWith(QStringLiteral("--"))) {
        const QString opt = args.takeFirst();
        if (opt == u"--help") {
            std::fputs(programHelp().toUtf8().constData(), stdout);
            return 0;
        }
        if (opt == u"--json") {
            json = true;
        } else if (opt == u"--endpoints" || opt == u"--config-dir") {
            if (args.isEmpty())
                return usage(opt + QStringLiteral(" 后缺少参数"));
            const QString value = args.takeFirst();
            if (opt == u"--endpoints")
                endpointsFile = value;
            else
                program_folder::setPath(value);
        } else {
            return usage(QStringLiteral("未知选项 ") + opt);
        }
    }
    if (args.isEmpty())
        return usage(QStringLiteral("缺少命令"));

    const QString name = args.takeFirst();
    const Command* command = nullptr;
    for (const Command& c : commands())
        if (name == QLatin1String(c.name))
            command = &c;
    if (!command)
        return usage(QStringLiteral("未知命令 ") + name);
    if (args.contains(QStringLiteral("--help"))) {
        std::fputs(commandHelp(*command).toUtf8().constData(), stdout);
        return 0;
    }
    // Options may also follow the command.
    for (int i = 0; i < args.size(); ++i)
        if (args[i] == u"--json") {
            json = true;
            args.removeAt(i--);
        }
    if (args.size() < command->minArgs || args.size() > command->maxArgs)
        return usage(
            QStringLiteral("%1 的参数个数不对：%1 %2")
                .arg(QString::fromUtf8(command->name), QString::fromUtf8(command->synopsis)));

    const CurlGlobal curl;
    CurlFetcher fetcher;
    try {
        EndpointTable endpoints = EndpointTable::forProgram();
        if (!endpointsFile.isEmpty())
            endpoints.load(endpointsFile);
        CliContext ctx{fetcher, endpoints, json};
        command->run(ctx, args);
    } catch (const UsageError& e) {
        return usage(e.message);
    } catch (const ToolError& e) {
        err(kErrorPrefix + e.description());
        return 1;
    } catch (const std::exception& e) {
        err(kErrorPrefix + QString::fromUtf8(e.what()));
        return 1;
    }
    return 0;
}
