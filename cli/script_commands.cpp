#include "cli/command.h"

#include "script/script_conversion.h"

#include <QFile>

std::vector<Command> scriptCommands() {
    return {
        {"convert", "s2t|t2s [TEXT]",
         "简繁转换：s2t 简体到繁体，t2s 繁体到简体，逐字查 config/jianti.txt 与 config/fanti.txt。"
         "没有 TEXT 时读标准输入（UTF-8）。打印结果；输入去掉首尾空格后为空时不打印。"
         "--json：{\"result\": …}。",
         1, 2,
         [](CliContext& ctx, const QStringList& args) {
             if (args[0] != u"s2t" && args[0] != u"t2s")
                 throw UsageError{QStringLiteral("方向应为 s2t 或 t2s")};
             QString text;
             if (args.size() > 1) {
                 text = args[1];
             } else {
                 QFile in;
                 if (!in.open(stdin, QIODevice::ReadOnly))
                     throw UsageError{QStringLiteral("无法读取标准输入")};
                 text = QString::fromUtf8(in.readAll());
                 // The line end that closes piped input is not part of the text.
                 if (text.endsWith(u'\n'))
                     text.chop(text.endsWith(QStringLiteral("\r\n")) ? 2 : 1);
             }
             const ScriptConversion c =
                 convertScript(args[0] == u"s2t" ? ScriptDirection::SimplifiedToTraditional
                                                 : ScriptDirection::TraditionalToSimplified,
                               text);
             if (!c.converted)
                 throw UsageError{QStringLiteral("输入去掉首尾空格后为空，没有可转换的文字")};
             if (ctx.json)
                 ctx.printJson({{QStringLiteral("result"), c.result}});
             else
                 ctx.print(c.result);
         }},
    };
}
