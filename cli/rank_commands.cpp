#include "cli/command.h"

#include "base/input_cleaning.h"
#include "rank/keyword_rank.h"

#include <QJsonObject>

namespace {

void keywordRank(CliContext& ctx, const QString& typedSite, const QString& typedKeyword) {
    const QString site = cleanSite(typedSite);
    const QString keyword = cleanKeyword(typedKeyword);
    if (site.isEmpty() || keyword.isEmpty())
        throw UsageError{QStringLiteral("网址或关键词清理后为空（去掉首尾空格、撇号，网址再去掉 "
                                        "http://、https:// 和 /），未发出任何请求")};
    QJsonObject object;
    searchKeywordRank(ctx.fetcher, ctx.endpoints, site, keyword,
                      [&](RankBox box, const QString& answer) {
                          const QString name = QLatin1String(kRankBoxes[size_t(box)].name);
                          if (ctx.json)
                              object.insert(name.toLower(), answer);
                          else
                              ctx.print(name + u'\t' + answer);
                      });
    if (ctx.json)
        ctx.printJson(object);
}

} // namespace

std::vector<Command> rankCommands() {
    return {
        {"keyword-rank", "SITE KEYWORD",
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
         "--json：{\"baidu\", \"google\", \"yahoo\", \"sogou\", \"soso\", \"youdao\"}，"
         "每项即该结果框的文字。",
         2, 2,
         [](CliContext& ctx, const QStringList& args) { keywordRank(ctx, args[0], args[1]); }},
    };
}
