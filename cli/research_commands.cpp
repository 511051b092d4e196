#include "cli/command.h"
#include "cli/run_history.h"
#include "cli/tool_call.h"

#include "base/tool_error.h"
#include "research/keyword_density.h"
#include "research/related_search.h"
#include "research/research_figures.h"

#include <QJsonArray>

namespace {

// The typed inputs cleaned as the tool's entry says; names[i] is what the usage error calls
// the i-th when it is cleaned to nothing.
QStringList requireCleaned(Tool tool, const QStringList& typed, const QStringList& names) {
    const QStringList cleaned = cleanInputs(toolEntry(tool), typed);
    for (qsizetype i = 0; i < cleaned.size(); ++i)
        if (cleaned[i].isEmpty())
            throw UsageError{QStringLiteral("%1清理后为空（去掉两端空格和撇号），未发出任何请求")
                                 .arg(names.value(i))};
    return cleaned;
}

// A row with its four figures named: {"number", "keyword", "today", "week", "month",
// "quarter"}, each figure {"text", "number"} as every command gives it.
QJsonObject rowJson(const KeywordRow& row, const QList<Figure>& figures) {
    QJsonObject o{{QStringLiteral("number"), row.number}, {QStringLiteral("keyword"), row.keyword}};
    const char* const names[] = {"today", "week", "month", "quarter"};
    for (qsizetype i = 0; i < figures.size() && i < qsizetype(std::size(names)); ++i)
        o.insert(QLatin1String(names[i]), figureJson(figures[i]));
    return o;
}

void related(CliContext& ctx, const QString& typed) {
    const QStringList inputs = requireCleaned(Tool::Related, {typed}, {QStringLiteral("关键词")});
    const QString& keyword = inputs[0];
    QJsonArray rows;
    auto printJson = [&] { ctx.printJson({{QStringLiteral("rows"), rows}}); };
    // Read before the run: a wrong endpoints file is no failure of the run, with rows to print.
    const EndpointTable& endpoints = ctx.endpoints;
    qsizetype listed = 0;
    RecordedRun run = recordedRun(ctx, Tool::Related, inputs);
    try {
        runRecorded(run, [&] {
            listed =
                runRelatedSearch(ctx.fetcher, endpoints, keyword, 0, [&](const KeywordRow& row) {
                    const QList<Figure> figures = keywordRowFigures(row);
                    run.add(figures);
                    if (ctx.json)
                        rows.append(rowJson(row, figures));
                    else
                        ctx.printRow(row.columns());
                });
        });
    } catch (const ToolError&) {
        // The rows made before the failure stay, as they do in the window's list.
        if (ctx.json)
            printJson();
        throw;
    }
    if (listed > kMaxRelatedSearches)
        ctx.warn(QStringLiteral("结果页列出 %1 个相关搜索，只查询了前 %2 个")
                     .arg(listed)
                     .arg(kMaxRelatedSearches));
    if (ctx.json)
        printJson();
}

void density(CliContext& ctx, const QString& typedAddress, const QString& typedKeyword) {
    // The address is cleaned exactly like the keyword: spaces trimmed, apostrophes deleted.
    const QStringList inputs = requireCleaned(Tool::Density, {typedAddress, typedKeyword},
                                              {QStringLiteral("网址"), QStringLiteral("关键词")});
    KeywordDensity d;
    RecordedRun run = recordedRun(ctx, Tool::Density, inputs);
    runRecorded(run, [&] {
        d = runKeywordDensity(ctx.fetcher, inputs[0], inputs[1]);
        run.add(densityFigures(d));
    });
    if (ctx.json) {
        ctx.printJson({{QStringLiteral("text"), d.pageText},
                       {QStringLiteral("page_length"), qint64(d.pageLength)},
                       {QStringLiteral("keyword_length"), qint64(d.keywordLength)},
                       {QStringLiteral("frequency"), qint64(d.frequency)},
                       {QStringLiteral("keyword_total_length"), qint64(d.keywordTotalLength)},
                       {QStringLiteral("density"), d.density}});
        return;
    }
    for (const QString& caption : {d.captions.lenTotal, d.captions.lenKeyword, d.captions.frequency,
                                   d.captions.lenKeyWordTotal, d.captions.frequencyResult})
        ctx.print(caption);
    ctx.printText(d.pageText);
}

} // namespace

std::vector<Command> researchCommands() {
    return {
        {toolEntry(Tool::Related).key, "KEYWORD",
         "相关搜索和百度指数：先查 KEYWORD 的百度指数（当日、一周、一月、一季关注），再查百度"
         "结果页“相关搜索”中每个相关关键词的指数。每个关键词打印一行：编号、关键词和四个关注度，"
         "以制表符分隔。相关搜索最多查询前 100 个，多出的在标准错误输出中说明。"
         "出错时先打印已查到的行，再报告错误。--json：{\"rows\": [{\"number\", "
         "\"keyword\", \"today\", \"week\", \"month\", \"quarter\"}, …]}，编号和关键词为"
         "字符串，四个关注度各为 {\"text\", \"number\"}（读不出数时 number 为 null，"
         "并以 \"why\" 说明）。",
         1, 1, [](CliContext& ctx, const QStringList& args) { related(ctx, args[0]); }},
        {toolEntry(Tool::Density).key, "URL KEYWORD",
         "关键词密度：取回 URL 的网页（没有“http://”时在前面加上），去掉 <body 之前的部分、脚本、"
         "样式、标签和空白，统计 KEYWORD 在其中出现的次数（区分大小写，网页文字已转为小写）。"
         "打印五行结果（页面代码总长度、关键字符串长度、关键字出现频率、关键字符总长度、"
         "密度结果计算，长度均为 GBK 字节数），再打印网页文字。--json：{\"text\", \"page_length\", "
         "\"keyword_length\", \"frequency\", \"keyword_total_length\", \"density\"}。",
         2, 2, [](CliContext& ctx, const QStringList& args) { density(ctx, args[0], args[1]); }},
    };
}
