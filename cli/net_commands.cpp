#include "cli/command.h"

#include "base/html_text.h"
#include "net/url_encode.h"

#include <QFile>

std::vector<Command> netCommands() {
    return {
        {"urlencode", "TEXT",
         "打印 TEXT 的 GBK 百分号编码（有道的查询编码）：字母和数字不变，空格为“+”，"
         "其余字节为 %XX。",
         1, 1, [](CliContext& ctx, const QStringList& args) { ctx.print(URLEncode(args[0])); }},
        {"page-text", "",
         "从标准输入读入 HTML（UTF-8），删去脚本、样式、所有标签、空格、&nbsp;、"
         "CR LF 和制表符，打印剩下的文字和一个换行。",
         0, 0,
         [](CliContext& ctx, const QStringList&) {
             QFile in;
             if (!in.open(stdin, QIODevice::ReadOnly))
                 throw UsageError{QStringLiteral("无法读取标准输入")};
             ctx.printText(pageText(QString::fromUtf8(in.readAll())));
         }},
    };
}
