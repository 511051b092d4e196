#include "cli/command.h"

#include "base/tool_error.h"
#include "net/engine_files.h"
#include "track/rank_check.h"
#include "track/site_host.h"

#include <QJsonValue>

namespace {

// The most organic results a check reads: ten pages of ten.
constexpr int kMaxDepth = 100;

QStringList trackEngines(const QString& list) {
    QStringList known;
    // A rows file that could not be read raises its description here.
    for (const EngineEntry& row : engines::catalog().rows(QLatin1String(engine_tool::kRankTrack)))
        known << row.engine;
    if (list.isNull())
        return known;
    QStringList asked;
    for (const QString& name : list.split(u',', Qt::SkipEmptyParts)) {
        if (!known.contains(name.trimmed()))
            throw UsageError{QStringLiteral("--engines 的引擎应为 %1 中的一个或几个（以逗号分隔）")
                                 .arg(known.join(u','))};
        if (!asked.contains(name.trimmed()))
            asked << name.trimmed();
    }
    if (asked.isEmpty())
        throw UsageError{QStringLiteral("--engines 后应为一个或几个引擎名（以逗号分隔）")};
    return asked;
}

int trackDepth(const QString& text) {
    return int(wholeNumber(QStringLiteral("--depth"), text, 1, kMaxDepth));
}

QJsonValue textOrNull(const QString& text) {
    return text.isEmpty() ? QJsonValue() : QJsonValue(text);
}

QJsonObject checkJson(const EngineCheck& c) {
    const bool found = c.outcome == CheckOutcome::Found;
    return {{QStringLiteral("outcome"), checkOutcomeKey(c.outcome)},
            {QStringLiteral("position"), found ? QJsonValue(c.position) : QJsonValue()},
            {QStringLiteral("url"), found ? textOrNull(c.url) : QJsonValue()},
            {QStringLiteral("title"), found ? textOrNull(c.title) : QJsonValue()},
            {QStringLiteral("detail"), textOrNull(c.detail)},
            {QStringLiteral("results_read"), c.resultsRead},
            {QStringLiteral("change"), QJsonValue()}};
}

// What one check says in words: the outcome, then the address and title or the detail.
QStringList checkRow(const EngineCheck& c) {
    const int shown = c.outcome == CheckOutcome::Found ? c.position : c.resultsRead;
    QStringList row{c.engine, checkOutcomeText(c.outcome, shown)};
    if (c.outcome == CheckOutcome::Found)
        row << c.url << c.title;
    else if (!c.detail.isEmpty())
        row << c.detail;
    return row;
}

void trackCheck(CliContext& ctx, const QString& siteArg, const QString& keywordArg) {
    RankQuery query;
    query.site = siteArg.trimmed();
    query.keyword = keywordArg.simplified();
    if (addressHost(query.site).isEmpty())
        throw UsageError{QStringLiteral("SITE 应为网站的主机名，例如 www.example.com")};
    if (query.keyword.isEmpty())
        throw UsageError{QStringLiteral("KEYWORD 去掉空白后为空，未发出任何请求")};
    if (ctx.options.contains(QStringLiteral("--depth")))
        query.depth = trackDepth(ctx.options.value(QStringLiteral("--depth")));
    query.exactHost = ctx.options.contains(QStringLiteral("--exact-host"));
    const QStringList names = trackEngines(ctx.options.value(QStringLiteral("--engines")));
    const EndpointTable& endpoints = ctx.endpoints;
    QJsonObject engines;
    for (const QString& name : names) {
        const EngineCheck c = checkRank(ctx.fetcher, endpoints, name, query);
        engines.insert(name, checkJson(c));
        if (!ctx.json)
            ctx.printRow(checkRow(c));
    }
    if (ctx.json)
        ctx.printJson({{QStringLiteral("site"), query.site},
                       {QStringLiteral("keyword"), query.keyword},
                       {QStringLiteral("engines"), engines}});
}

const CommandOption kEnginesOption{"--engines", "引擎列表",
                                   [](const QString& v) { trackEngines(v); }};

} // namespace

// One ordinary query for each engine, and what the answer says of the engine's rows.
void checkEngines(CliContext& ctx) {
    const QStringList names = trackEngines(ctx.options.value(QStringLiteral("--engines")));
    const EndpointTable& endpoints = ctx.endpoints;
    QJsonObject states;
    QStringList troubled;
    for (const QString& name : names) {
        RankQuery query;
        query.keyword = QStringLiteral("天气");
        query.depth = 10;
        const EngineCheck c = checkRank(ctx.fetcher, endpoints, name, query);
        QString state;
        QString said;
        switch (c.outcome) {
        case CheckOutcome::Found:
        case CheckOutcome::NotFound:
            state = QStringLiteral("ok");
            said = c.resultsRead > 0
                       ? QStringLiteral("正常（读到 %1 个自然结果）").arg(c.resultsRead)
                       : QStringLiteral("正常（引擎答没有结果）");
            break;
        case CheckOutcome::Blocked:
            state = QStringLiteral("blocked");
            said = QStringLiteral("受阻：%1").arg(c.detail);
            break;
        case CheckOutcome::Unrecognised:
            state = QStringLiteral("unrecognised");
            said = QStringLiteral("页面无法识别：%1").arg(c.detail);
            break;
        case CheckOutcome::Failed:
            state = QStringLiteral("failed");
            said = QStringLiteral("失败：%1").arg(c.detail);
            break;
        }
        if (state != u"ok")
            troubled << name;
        states.insert(name, QJsonObject{{QStringLiteral("state"), state},
                                        {QStringLiteral("results_read"), c.resultsRead},
                                        {QStringLiteral("detail"), textOrNull(c.detail)}});
        if (!ctx.json)
            ctx.printRow({name, said});
    }
    if (ctx.json)
        ctx.printJson({{QStringLiteral("engines"), states}});
    if (!troubled.isEmpty())
        throw ToolError(QStringLiteral("%1 个引擎不正常：%2")
                            .arg(troubled.size())
                            .arg(troubled.join(QStringLiteral("、"))));
}

CommandOption trackEnginesOption() {
    return kEnginesOption;
}

std::vector<Command> trackCommands() {
    return {
        {"track",
         "check SITE KEYWORD [--engines 引擎,…] [--depth N] [--exact-host]",
         "排名跟踪：在今天的搜索引擎（百度、百度移动、必应、搜狗、360 搜索、DuckDuckGo）搜索 "
         "KEYWORD，在自然结果中查找 SITE 的名次，广告不算名次。SITE 是网站的主机名（可带 "
         "http:// 和路径），该主机和它的子域名都算，两边开头的 www. 都不计；--exact-host "
         "只算这个主机本身。引擎的请求、结果的位置、真实地址和受阻的标志都写在引擎文件 "
         "rank-track.ini 中（见 engines list）。\n"
         "每个引擎一行：引擎名、制表符和结果：“第N位”及结果的地址和标题；“前N位中没有”"
         "（读完了要求的深度；引擎答没有结果时为“没有结果”）；“受阻（验证码）”及看到的标志（验证码"
         "、验证页面、重定向到它们、"
         "空白的回答）；“页面无法识别”及要修改的引擎文件和行（引擎改了页面）；“失败”及原因。"
         "受阻或无法识别的页面从不给出名次或“没有”。\n"
         "--json：{\"site\", \"keyword\", \"engines\": {引擎名: {\"outcome\", \"position\", "
         "\"url\", \"title\", \"detail\", \"results_read\", \"change\"}}}；outcome 为 found、"
         "not_found、blocked、unrecognised 或 failed，position 为名次（只有 found 时有），"
         "results_read 为读到的自然结果数，change 为 null。\n"
         "--engines 只问列出的引擎（以逗号分隔，引擎名见 engines list 的 rank-track 行），"
         "--depth N 最多读前 N 个自然结果（1–100，默认 50；DuckDuckGo "
         "只读第一页）。检查完成即以状态 0 退出，"
         "各引擎的结果怎样都一样。",
         3,
         3,
         [](CliContext& ctx, const QStringList& args) {
             if (args[0] != u"check")
                 throw UsageError{QStringLiteral("track 后应为 check")};
             trackCheck(ctx, args[1], args[2]);
         },
         {kEnginesOption,
          {"--depth", "结果数", [](const QString& v) { trackDepth(v); }},
          {"--exact-host", nullptr}}},
    };
}
