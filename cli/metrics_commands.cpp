#include "cli/command.h"
#include "cli/tool_call.h"

#include "metrics/backlink_survey.h"
#include "metrics/baidu_period.h"
#include "metrics/indexed_survey.h"
#include "metrics/rank_badges.h"
#include "metrics/scratch_file.h"

#include <QJsonArray>

namespace {

QStringList cleanDomain(const QStringList& typed) {
    return {requireSite(typed.value(0))};
}

ToolCall surveyCall(const SurveyKind& kind) {
    return {.tool = kind.tool,
            .inputs = {"domain"},
            .clean = cleanDomain,
            .labels =
                [&kind](const CliContext&) {
                    QStringList names;
                    for (const EngineRow& row : kind.engines())
                        names << row.name;
                    return names;
                },
            .run =
                [&kind](CliContext& ctx, const QStringList& in, RunRecord& run, QJsonObject& json) {
                    QJsonArray engines;
                    const QString doc = scratchFileText(runSurvey(
                        kind, in[0], ctx.fetcher, ctx.endpoints, {}, [&](const Figure& f) {
                            run.figures << f;
                            QJsonObject engine = figureJson(f);
                            engine.insert(QStringLiteral("name"), f.label);
                            engines.append(engine);
                        }));
                    json = {{QStringLiteral("domain"), in[0]},
                            {QStringLiteral("document"), doc},
                            {QStringLiteral("engines"), engines}};
                    if (printsText(ctx))
                        ctx.print(doc);
                }};
}

QString periodOf(const CliContext& ctx) {
    return ctx.options.value(QStringLiteral("--period"), baiduPeriods().front());
}

const ToolCall kBaiduPeriod{
    .tool = "baidu-period",
    .inputs = {"domain"},
    .clean = cleanDomain,
    .labels = [](const CliContext&) { return QStringList{QStringLiteral("count")}; },
    .asked =
        [](const CliContext& ctx) {
            return QJsonObject{{QStringLiteral("period"), periodOf(ctx)}};
        },
    .run =
        [](CliContext& ctx, const QStringList& in, RunRecord& run, QJsonObject& json) {
            const BaiduPeriodResult r =
                runBaiduPeriod(ctx.fetcher, ctx.endpoints, in[0], periodOf(ctx));
            run.figures << r.count;
            json = {{QStringLiteral("sentence"), r.sentence},
                    {QStringLiteral("url"), r.url},
                    {QStringLiteral("count"), figureJson(r.count)}};
            if (printsText(ctx))
                ctx.print(r.sentence);
        }};

void requireBaiduPeriod(const QString& period) {
    if (!baiduPeriods().contains(period))
        throw UsageError{QStringLiteral("时间段应为 %1 之一").arg(baiduPeriods().join(u'、'))};
}

const ToolCall kBadgesCall{
    .tool = "badges",
    .inputs = {"domain"},
    .clean = cleanDomain,
    .labels =
        [](const CliContext&) {
            QStringList keys;
            for (const BadgeName& b : kBadges)
                keys << QLatin1String(b.key);
            return keys;
        },
    .run =
        [](CliContext& ctx, const QStringList& in, RunRecord& run, QJsonObject& json) {
            QJsonObject figures;
            runRankBadges(ctx.fetcher, ctx.endpoints, in[0], [&](Badge, const Figure& f) {
                run.figures << f;
                json.insert(f.label, f.text);
                figures.insert(f.label, figureJson(f));
                if (printsText(ctx))
                    ctx.print(f.text);
            });
            json.insert(QStringLiteral("figures"), figures);
        }};

} // namespace

constexpr const char* kDomainLine = "每行一个域名";

// What both surveys print with --json.
#define SURVEY_JSON_HELP                                                                                          \
    "（与窗口显示的文档相同）。--json：{\"domain\", \"document\", \"engines\"}，engines 按列的" \
    "顺序给出每个引擎的 {\"name\", \"text\", \"number\", \"address\"}，number 为读出的数"          \
    "（读不出时为 null，并以 \"why\" 说明：\"unrecognised\" 页面上没有标记，\"no_number\" "   \
    "文字不是数）。"

Command surveyCommand(const char* help, const SurveyKind& kind) {
    return {kind.tool,
            "DOMAIN | --batch 文件 [批处理选项]",
            help,
            1,
            1,
            [&kind](CliContext& ctx, const QStringList& args) {
                runToolCommand(ctx, surveyCall(kind), args);
            },
            {},
            kDomainLine};
}

std::vector<Command> metricsCommands() {
    return {
        surveyCommand("收录查询：向八个搜索引擎查询 DOMAIN 被收录的网页数，"
                      "打印结果表格的 HTML 文档" SURVEY_JSON_HELP,
                      kIndexedSurvey),
        surveyCommand("反链查询：向八个搜索引擎查询指向 DOMAIN 的链接数，"
                      "打印结果表格的 HTML 文档" SURVEY_JSON_HELP,
                      kBacklinkSurvey),
        {"baidu-period",
         "DOMAIN | --batch 文件 [批处理选项] [--period 时间段]",
         "百度更新：查询百度在所选时间段内收录 DOMAIN 的网页数，打印结果句子。时间段为"
         "“全部时间”（默认）、“最近一天”、“最近一周”、“最近一月”、“最近一年”之一。"
         "--json：{\"sentence\", \"url\", \"count\"}，url 为百度查询地址，count 为"
         "{\"text\", \"number\"}（“约1,234”读作 1234）。",
         1,
         1,
         [](CliContext& ctx, const QStringList& args) { runToolCommand(ctx, kBaiduPeriod, args); },
         {{"--period", "时间段", requireBaiduPeriod}},
         kDomainLine},
        {"badges",
         "DOMAIN | --batch 文件 [批处理选项]",
         "PR/Alexa：依次查询 Google PageRank、Alexa 排名、Sogou Rank 和 ChinaRank，每行打印一项"
         "（取不到的显示“-”，Sogou 后跟“/100”）。"
         "--json：{\"pagerank\", \"alexa\", \"sogou\", \"chinarank\", \"figures\"}，"
         "前四项为所显示的文字，figures 给出每项的 {\"text\", \"number\"}，读不出数时 number "
         "为 null，\"why\" 为 \"failed\"（请求失败，\"detail\" 为原因）、\"unrecognised\""
         "（页面上没有标记）或 \"no_number\"。",
         1,
         1,
         [](CliContext& ctx, const QStringList& args) { runToolCommand(ctx, kBadgesCall, args); },
         {},
         kDomainLine},
    };
}
