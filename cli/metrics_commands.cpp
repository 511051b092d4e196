#include "cli/command.h"
#include "cli/tool_call.h"

#include "metrics/baidu_period.h"
#include "metrics/rank_badges.h"
#include "metrics/scratch_file.h"
#include "metrics/site_survey.h"
#include "net/http_fetch.h"

#include <QJsonArray>

namespace {

// What the usage error says when the domain is cleaned to nothing.
constexpr const char* kEmptyDomain =
    "域名清理后为空（去掉空格、撇号、http://、https:// 和 /），未发出任何请求";

ToolCall surveyCall(Tool tool) {
    return {
        .tool = tool,
        .emptyInput = kEmptyDomain,
        .run = [tool](CliContext& ctx, const QStringList& in, RecordedRun& run, QJsonObject& json) {
            QJsonArray engines;
            const QString doc =
                scratchFileText(runSurvey(*toolEntry(tool).survey, in[0], ctx.fetcher,
                                          ctx.endpoints, {}, [&](const Figure& f) {
                                              run.add(f);
                                              QJsonObject engine = figureJson(f);
                                              engine.insert(QStringLiteral("name"), f.label);
                                              engines.append(engine);
                                          }));
            json = {{QStringLiteral("domain"), in[0]},
                    {QStringLiteral("document"), doc},
                    {QStringLiteral("engines"), engines}};
            if (printsText(ctx))
                ctx.printText(doc);
        }};
}

// Scripts name the periods in English, in the order the window lists them.
const char* const kPeriodWords[] = {"all", "day", "week", "month", "year"};

// The period's text as the window shows it, for its text or its word; empty when it is neither.
QString periodText(const QString& typed) {
    const QStringList texts = baiduPeriods();
    if (texts.contains(typed))
        return typed;
    for (qsizetype i = 0; i < qsizetype(std::size(kPeriodWords)) && i < texts.size(); ++i)
        if (typed.trimmed().compare(QLatin1String(kPeriodWords[i]), Qt::CaseInsensitive) == 0)
            return texts[i];
    return {};
}

QString periodOf(const CliContext& ctx) {
    return periodText(ctx.options.value(QStringLiteral("--period"), baiduPeriods().front()));
}

const ToolCall kBaiduPeriod{
    .tool = Tool::BaiduPeriod,
    .emptyInput = kEmptyDomain,
    .run =
        [](CliContext& ctx, const QStringList& in, RecordedRun& run, QJsonObject& json) {
            const BaiduPeriodResult r =
                runBaiduPeriod(ctx.fetcher, ctx.endpoints, in[0], periodOf(ctx));
            run.add(r.count);
            json = {{QStringLiteral("sentence"), r.sentence},
                    {QStringLiteral("url"), QString::fromLatin1(wireUrl(r.url))},
                    {QStringLiteral("count"), figureJson(r.count)}};
            if (printsText(ctx))
                ctx.print(r.sentence);
        },
    .asked =
        [](const CliContext& ctx) {
            return QJsonObject{{QStringLiteral("period"), periodOf(ctx)}};
        }};

void requireBaiduPeriod(const QString& period) {
    if (periodText(period).isEmpty())
        throw UsageError{QStringLiteral("时间段应为 %1 之一，或 all、day、week、month、year")
                             .arg(baiduPeriods().join(u'、'))};
}

// A line of text names its figure: "PageRank：4".
QString badgeName(const QString& key) {
    for (const BadgeName& b : kBadges)
        if (key == QLatin1String(b.key))
            return QString::fromUtf8(b.name);
    return key;
}

const ToolCall kBadgesCall{
    .tool = Tool::Badges,
    .emptyInput = kEmptyDomain,
    .run = [](CliContext& ctx, const QStringList& in, RecordedRun& run, QJsonObject& json) {
        QJsonObject figures;
        toolEntry(Tool::Badges).run({ctx.fetcher, ctx.endpoints, in, {}}, [&](const Figure& f) {
            run.add(f);
            json.insert(f.label, f.text);
            figures.insert(f.label, figureJson(f));
            if (printsText(ctx))
                ctx.print(badgeName(f.label) + QStringLiteral("：") + f.text);
        });
        json.insert(QStringLiteral("figures"), figures);
    }};

} // namespace

constexpr const char* kDomainLine = "每行一个域名";

// What both surveys print with --json.
#define SURVEY_JSON_HELP                                                                                                           \
    "（与窗口显示的文档相同）。--json：{\"domain\", \"document\", \"engines\"}，engines 按列的"                  \
    "顺序给出每个引擎的 {\"name\", \"text\", \"number\", \"address\"}，number 为读出的数"                           \
    "（读不出时为 null，并以 \"why\" 说明：\"unrecognised\" 页面上没有标记，\"no_number\" "                    \
    "文字不是数，\"failed\" 请求失败，表格中为“失败”，\"detail\" 为原因）。某个引擎请求失败时" \
    "其余引擎照常查询，结束时以状态 1 退出。"

Command surveyCommand(const char* help, Tool tool) {
    return {toolEntry(tool).key,
            "DOMAIN | --batch 文件 [批处理选项]",
            help,
            1,
            1,
            [tool](CliContext& ctx, const QStringList& args) {
                runToolCommand(ctx, surveyCall(tool), args);
            },
            {},
            kDomainLine};
}

std::vector<Command> metricsCommands() {
    return {
        surveyCommand("收录查询：向八个搜索引擎查询 DOMAIN 被收录的网页数，"
                      "打印结果表格的 HTML 文档" SURVEY_JSON_HELP,
                      Tool::Indexed),
        surveyCommand("反链查询：向八个搜索引擎查询指向 DOMAIN 的链接数，"
                      "打印结果表格的 HTML 文档" SURVEY_JSON_HELP,
                      Tool::Backlinks),
        {toolEntry(Tool::BaiduPeriod).key,
         "DOMAIN | --batch 文件 [批处理选项] [--period 时间段]",
         "百度更新：查询百度在所选时间段内收录 DOMAIN 的网页数，打印结果句子。时间段为"
         "“全部时间”（默认）、“最近一天”、“最近一周”、“最近一月”、“最近一年”之一，"
         "或依次写作 all、day、week、month、year。"
         "--json：{\"sentence\", \"url\", \"count\"}，url 为百度查询地址，count 为"
         "{\"text\", \"number\"}（“约1,234”读作 1234）。",
         1,
         1,
         [](CliContext& ctx, const QStringList& args) { runToolCommand(ctx, kBaiduPeriod, args); },
         {{"--period", "时间段", requireBaiduPeriod}},
         kDomainLine},
        {toolEntry(Tool::Badges).key,
         "DOMAIN | --batch 文件 [批处理选项]",
         "PR/Alexa：依次查询 Google PageRank、Alexa 排名、Sogou Rank 和 ChinaRank，每行打印一项，"
         "如“PageRank：4”（取不到的显示“-”，Sogou 后跟“/100”）。"
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
