#include "cli/command.h"
#include "cli/run_history.h"
#include "cli/tool_call.h"

#include "rank/keyword_rank.h"
#include "tools/rank_options.h"

#include <QJsonObject>
#include <array>

namespace {

QString engineNames() {
    QStringList names;
    for (const RankBoxName& b : kRankBoxes)
        names << QString::fromLatin1(b.name).toLower();
    return names.join(u',');
}

// "--engines baidu,soso": the boxes asked, by their lower-case names.
std::array<bool, kRankBoxCount> askedEngines(const QString& list) {
    std::array<bool, kRankBoxCount> asked{};
    for (const QString& name : list.split(u',')) {
        bool known = false;
        for (const RankBoxName& b : kRankBoxes)
            if (name.trimmed().compare(QLatin1String(b.name), Qt::CaseInsensitive) == 0) {
                asked[size_t(b.box)] = known = true;
            }
        if (!known)
            throw UsageError{QStringLiteral("--engines 的引擎应为 %1 中的一个或几个（以逗号分隔）")
                                 .arg(engineNames())};
    }
    return asked;
}

int rankPages(const QString& text) {
    bool ok = false;
    const int pages = text.toInt(&ok);
    if (!ok || pages < 1 || pages > kMaxRankPages)
        throw UsageError{QStringLiteral("--pages 应为 1 到 %1 之间的整数").arg(kMaxRankPages)};
    return pages;
}

RankChoice rankChoice(const CliContext& ctx) {
    RankChoice choice;
    if (ctx.options.contains(QStringLiteral("--engines")))
        choice.asked = askedEngines(ctx.options.value(QStringLiteral("--engines")));
    if (ctx.options.contains(QStringLiteral("--pages")))
        choice.pages = rankPages(ctx.options.value(QStringLiteral("--pages")));
    return choice;
}

void keywordRank(CliContext& ctx, const QStringList& in, RecordedRun& run, QJsonObject& json) {
    // The last recorded answers, read before this run is recorded.
    const bool compared = run.compareWithLast();
    QJsonObject engines;
    toolEntry(Tool::KeywordRank)
        .run({ctx.fetcher, ctx.endpoints, in, run.record().options}, [&](const Figure& answer) {
            run.add(answer);
            json.insert(answer.label.toLower(), answer.text);
            QJsonObject engine = figureJson(answer, QStringLiteral("position"));
            if (compared)
                engine.insert(QStringLiteral("change"), run.change(answer));
            engines.insert(answer.label.toLower(), engine);
            if (printsText(ctx))
                ctx.printRow({answer.label, answer.text});
        });
    json.insert(QStringLiteral("engines"), engines);
}

const ToolCall kKeywordRank{
    .tool = Tool::KeywordRank,
    .emptyInput = "网址或关键词清理后为空（去掉首尾空格、撇号，网址再去掉 "
                  "http://、https:// 和 /），未发出任何请求",
    .run = keywordRank,
    .asked = [](const CliContext& ctx) { return rankOptions(rankChoice(ctx)); },
    .labels = [](const CliContext& ctx) { return askedBoxNames(rankChoice(ctx)); }};

} // namespace

std::vector<Command> rankCommands() {
    return {
        {toolEntry(Tool::KeywordRank).key,
         "SITE KEYWORD | --batch 文件 [批处理选项] [--engines 引擎,…] [--pages N]",
         "关键词排名：在百度、谷歌、雅虎、搜狗、有道搜索 KEYWORD 的前 100 个结果中查找 SITE "
         "的排名（与窗口“关键词排名”页相同，最多发出 23 个请求）。SITE 是网址，可带 http:// "
         "和结尾的 /；查找时转成小写并去掉开头的 www.，所以带不带 www. 的结果都算。KEYWORD "
         "是关键词，含空格时请加引号。\n"
         "每个引擎一问到答案就打印一行：引擎名、制表符和结果框的文字，依次为 Baidu、Google、"
         "Yahoo、Sogou、Soso、Youdao（Soso 照抄 Google 的结果）。文字为“排名为第N位”"
         "（百度附“（有M 个参与竞价推广）”）、“在100位（1--10页）中未查询到结果”、"
         "搜狗的“在100位（1--10页）中未查询到结果!!”（整页都没有该网址）、"
         "搜狗的空白（网址只在结果列表外）、谷歌的“--”（页面上没有加粗的关键词），"
         "或“-”（页面无法识别或请求失败）。\n"
         "--json：{\"baidu\", \"google\", \"yahoo\", \"sogou\", \"soso\", \"youdao\", "
         "\"engines\"}，前六项即该结果框的文字；engines 给出每个引擎的 {\"text\", \"position\", "
         "\"address\", \"change\"}：position 为名次（未查到时为 null，\"why\" 说明原因："
         "\"not_found\" 前 100 位中没有，\"unrecognised\" 页面无法识别，\"failed\" 请求失败，"
         "\"detail\" 为失败的原因），change 为与历史中上一次同网址同关键词查询相比的变化："
         "“↑3”上升 3 位、“↓12”、“—”不变、“新”新上榜、“出榜”（不记历史时没有此项）。\n"
         "--engines 只问列出的引擎（baidu、google、yahoo、sogou、soso、youdao，以逗号分隔；"
         "soso 只在同时问 google 时才有结果），只打印它们的行。--pages N 让按页查询的雅虎和有道"
         "最多读 N 页（1–10，默认 10）。",
         2,
         2,
         [](CliContext& ctx, const QStringList& args) { runToolCommand(ctx, kKeywordRank, args); },
         {{"--engines", "引擎列表", [](const QString& v) { askedEngines(v); }},
          {"--pages", "页数", [](const QString& v) { rankPages(v); }}},
         "每行“网址<制表符>关键词”，或一个首行为表头的 CSV 文件（两列：网址,关键词）"},
    };
}
