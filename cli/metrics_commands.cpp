#include "cli/command.h"

#include "metrics/indexed_survey.h"
#include "metrics/scratch_file.h"

namespace {

void survey(CliContext& ctx, const SurveyKind& kind, const QString& typed) {
    const QString d = requireSite(typed);
    const QString doc = scratchFileText(runSurvey(kind, d, ctx.fetcher, ctx.endpoints, [] {}));
    if (ctx.json)
        ctx.printJson({{QStringLiteral("domain"), d}, {QStringLiteral("document"), doc}});
    else
        ctx.print(doc);
}

} // namespace

std::vector<Command> metricsCommands() {
    return {
        {"indexed", "DOMAIN",
         "收录查询：向八个搜索引擎查询 DOMAIN 被收录的网页数，打印结果表格的 HTML 文档"
         "（与窗口显示的文档相同）。--json：{\"domain\", \"document\"}。",
         1, 1,
         [](CliContext& ctx, const QStringList& args) { survey(ctx, kIndexedSurvey, args[0]); }},
    };
}
