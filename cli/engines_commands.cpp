#include "cli/command.h"

#include "net/engine_files.h"

#include <QJsonArray>

namespace {

// A value as the file would write it: quoted when it is empty or its outer spaces count.
QString written(const QString& value) {
    return value.isEmpty() || value.trimmed() != value ? u'"' + value + u'"' : value;
}

// Every row in force, each with the file and line it came from and its keys as written there.
void listEngines(CliContext& ctx) {
    const EngineCatalog& catalog = engines::catalog();
    const QList<EngineEntry> rows = catalog.all();
    if (ctx.json) {
        QJsonArray list;
        for (const EngineEntry& row : rows) {
            QJsonObject fields;
            for (const auto& [key, value] : row.fields)
                fields.insert(key, value);
            list.append(QJsonObject{{QStringLiteral("tool"), row.tool},
                                    {QStringLiteral("engine"), row.engine},
                                    {QStringLiteral("file"), row.file},
                                    {QStringLiteral("line"), row.line},
                                    {QStringLiteral("fields"), fields}});
        }
        ctx.printJson(
            {{QStringLiteral("engines"), list},
             {QStringLiteral("problems"), QJsonArray::fromStringList(catalog.problems())}});
        return;
    }
    for (const EngineEntry& row : rows) {
        ctx.print(QStringLiteral("%1 %2（%3 第 %4 行）")
                      .arg(row.tool, row.engine, row.file)
                      .arg(row.line));
        for (const auto& [key, value] : row.fields)
            ctx.print(QStringLiteral("  %1 = %2").arg(key, written(value)));
    }
}

} // namespace

std::vector<Command> enginesCommands() {
    return {
        {"engines",
         "list | check [--engines 引擎,…]",
         "列出正在使用的每个引擎：工具、引擎名、来自哪个文件的第几行，以及它的请求地址、解码方式、"
         "标记、删除列表和策略（每行“键 = 值”，与文件中写的相同）。引擎文件在数据文件夹的 "
         "config/engines 中（--engines-dir 指定别的文件夹），~/.config/tessivo/engines 中的同名文件"
         "按引擎覆盖它们；有误的文件会在标准错误输出上说明。--json：{\"engines\": [{\"tool\", "
         "\"engine\", \"file\", \"line\", \"fields\"}…], \"problems\": […]}。\n"
         "check：向排名跟踪的每个引擎（rank-track.ini）发一次普通的查询（“天气”），每个引擎一行："
         "“正常（读到 N 个自然结果）”、“受阻：”及看到的标志、“页面无法识别：”及要修改的引擎文件"
         "和行（引擎改了页面，改这一节即可），或“失败：”及原因。有引擎不正常时以状态 1 退出，"
         "便于定时检查。--engines 只问列出的引擎（以逗号分隔）。--json：{\"engines\": "
         "{引擎名: {\"state\", \"results_read\", \"detail\"}}}，state 为 ok、blocked、"
         "unrecognised 或 failed。",
         1,
         1,
         [](CliContext& ctx, const QStringList& args) {
             if (args[0] == u"check")
                 return checkEngines(ctx);
             if (args[0] != u"list")
                 throw UsageError{QStringLiteral("engines 后应为 list 或 check")};
             if (ctx.options.contains(QStringLiteral("--engines")))
                 throw UsageError{QStringLiteral("--engines 只用于 engines check")};
             listEngines(ctx);
         },
         {trackEnginesOption()}},
    };
}
