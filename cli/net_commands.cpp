#include "cli/command.h"

#include "base/html_text.h"
#include "base/tool_error.h"
#include "net/http_fetch.h"
#include "net/url_encode.h"

#include <QFile>

namespace {

// Standard input is held to the cap of a fetched page: page-text reads pages, and a pipe with
// no end (a device, "yes") must not fill the memory.
QByteArray readPage() {
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly))
        throw UsageError{QStringLiteral("无法读取标准输入")};
    const qint64 limit = FetchLimits{}.maxBodyBytes;
    QByteArray bytes;
    while (bytes.size() <= limit) {
        const QByteArray chunk = in.read(64 * 1024);
        if (chunk.isEmpty())
            break;
        bytes += chunk;
    }
    if (bytes.size() > limit)
        throw ToolError(
            QStringLiteral("标准输入超过 %1 MB 的上限（与网页相同），不予读取").arg(limit >> 20));
    return bytes;
}

} // namespace

std::vector<Command> netCommands() {
    return {
        {"urlencode", "TEXT",
         "打印 TEXT 的 GBK 百分号编码（有道的查询编码）：字母和数字不变，空格为“+”，"
         "其余字节为 %XX。--json：{\"text\", \"encoded\"}。",
         1, 1,
         [](CliContext& ctx, const QStringList& args) {
             const QString encoded = URLEncode(args[0]);
             if (ctx.json)
                 ctx.printJson(
                     {{QStringLiteral("text"), args[0]}, {QStringLiteral("encoded"), encoded}});
             else
                 ctx.print(encoded);
         }},
        {"page-text", "",
         "从标准输入读入 HTML（UTF-8），删去脚本、样式、所有标签、空格、&nbsp;、"
         "CR LF 和制表符，打印剩下的文字和一个换行。--json：{\"text\"}。",
         0, 0,
         [](CliContext& ctx, const QStringList&) {
             const QString text = pageText(QString::fromUtf8(readPage()));
             if (ctx.json)
                 ctx.printJson({{QStringLiteral("text"), text}});
             else
                 ctx.printText(text);
         }},
    };
}
