#include "cli/command.h"

#include "metrics/backlink_survey.h"
#include "metrics/baidu_period.h"
#include "metrics/indexed_survey.h"
#include "metrics/rank_badges.h"
#include "metrics/scratch_file.h"

#include <QJsonArray>

namespace {

void survey(CliContext& ctx, const SurveyKind& kind, const QString& typed) {
    const QString d = requireSite(typed);
    const QString doc = scratchFileText(runSurvey(kind, d, ctx.fetcher, ctx.endpoints));
    if (ctx.json)
        ctx.printJson({{QStringLiteral("domain"), d}, {QStringLiteral("document"), doc}});
    else
        ctx.print(doc);
}

void baiduPeriod(CliContext& ctx, const QString& typed) {
    const QString period = ctx.options.value(QStringLiteral("--period"), baiduPeriods().front());
    const BaiduPeriodResult r =
        runBaiduPeriod(ctx.fetcher, ctx.endpoints, requireSite(typed), period);
    if (ctx.json)
        ctx.printJson({{QStringLiteral("sentence"), r.sentence}, {QStringLiteral("url"), r.url}});
    else
        ctx.print(r.sentence);
}

void requireBaiduPeriod(const QString& period) {
    if (!baiduPeriods().contains(period))
        throw UsageError{QStringLiteral("时间段应为 %1 之一").arg(baiduPeriods().join(u'、'))};
}

void badges(CliContext& ctx, const QString& typed) {
    const QString d = requireSite(typed);
    QJsonObject json;
    runRankBadges(ctx.fetcher, ctx.endpoints, d, [&](Badge badge, const QString& caption) {
        if (ctx.json)
            json.insert(QLatin1String(kBadges[size_t(badge)].key), caption);
        else
            ctx.print(caption);
    });
    if (ctx.json)
        ctx.printJson(json);
}

} // namespace

std::vector<Command> metricsCommands() {
    return {
        {"indexed", "DOMAIN",
         "收录查询：向八个搜索引擎查询 DOMAIN 被收录的网页数，打印结果表格的 HTML 文档"
         "（与窗口显示的文档相同）。--json：{\"domain\", \"document\"}。",
         1, 1,
         [](CliContext& ctx, const QStringList& args) { survey(ctx, kIndexedSurvey, args[0]); }},
        {"backlinks", "DOMAIN",
         "反链查询：向八个搜索引擎查询指向 DOMAIN 的链接数，打印结果表格的 HTML 文档"
         "（与窗口显示的文档相同）。--json：{\"domain\", \"document\"}。",
         1, 1,
         [](CliContext& ctx, const QStringList& args) { survey(ctx, kBacklinkSurvey, args[0]); }},
        {"baidu-period",
         "DOMAIN [--period 时间段]",
         "百度更新：查询百度在所选时间段内收录 DOMAIN 的网页数，打印结果句子。时间段为"
         "“全部时间”（默认）、“最近一天”、“最近一周”、“最近一月”、“最近一年”之一。"
         "--json：{\"sentence\", \"url\"}，url 为百度查询地址。",
         1,
         1,
         [](CliContext& ctx, const QStringList& args) { baiduPeriod(ctx, args[0]); },
         {{"--period", "时间段", requireBaiduPeriod}}},
        {"badges", "DOMAIN",
         "PR/Alexa：依次查询 Google PageRank、Alexa 排名、Sogou Rank 和 ChinaRank，每行打印一项"
         "（取不到的显示“-”，Sogou 后跟“/100”）。"
         "--json：{\"pagerank\", \"alexa\", \"sogou\", \"chinarank\"}。",
         1, 1, [](CliContext& ctx, const QStringList& args) { badges(ctx, args[0]); }},
    };
}
