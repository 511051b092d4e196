#pragma once

#include "base/enum_table.h"
#include "base/figure.h"
#include "base/progress.h"
#include "net/endpoint_table.h"
#include "net/http_fetch.h"

#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <iterator>

// The six result boxes of the keyword rank page, in the order they are written, each with the
// engine name the CLI prints (lower-cased, its JSON key).
enum class RankBox { Baidu, Google, Yahoo, Sogou, Soso, Youdao };
inline constexpr struct RankBoxName {
    RankBox box;
    const char* name;
} kRankBoxes[] = {
    {RankBox::Baidu, "Baidu"}, {RankBox::Google, "Google"}, {RankBox::Yahoo, "Yahoo"},
    {RankBox::Sogou, "Sogou"}, {RankBox::Soso, "Soso"},     {RankBox::Youdao, "Youdao"},
};
inline constexpr size_t kRankBoxCount = std::size(kRankBoxes);
inline constexpr int kMaxRankPages = 10;
static_assert(rowsInEnumOrder(kRankBoxes, &RankBoxName::box));

// What the user chose on the page: which boxes' engines are asked, and at most how many result
// pages the engines that read ten results a page (Yahoo, Youdao) go through. As shipped: all of
// them, ten pages.
struct RankChoice {
    std::array<bool, kRankBoxCount> asked = [] {
        std::array<bool, kRankBoxCount> all;
        all.fill(true);
        return all;
    }();
    int pages = kMaxRankPages;
};

// The names of the boxes choice asks, in box order.
QStringList askedBoxNames(const RankChoice& choice);

// Told each box's answer as soon as its engine has answered: the box's text, the position as
// its number, or why there is none (the label is the box's name).
using RankSink = std::function<void(RankBox box, const Figure& answer)>;

// Where site stands among an engine's first 100 results for keyword, as the engine's box shows
// it:
//   "排名为第N位"                        found at position N
//   "排名为第N位（有M 个参与竞价推广）"  Baidu: position N with M paid results on the page
//   "在100位（1--10页）中未查询到结果"   not among the results scanned
//   "在100位（1--10页）中未查询到结果!!" Sogou: the site is nowhere on the page
//   ""                                   Sogou: on the page, but outside the result list
//   "--"                                 Google: the keyword is not shown in bold
//   "-"                                  the page lacks its result markers, or anything failed
// The figure's number is N; without one, why tells a site not found ("未查询到", Sogou's empty
// box) from a page not recognised ("--", "-") and a failed request ("-", with the failure's
// description). Raises only when the engines file cannot be read. site and keyword are already
// cleaned (cleanSite, cleanKeyword) and not empty; the site is lower-cased and loses a leading
// "www." before the search, the pages are searched as they are, case-sensitively. Soso's box asks
// Google.
Figure rankOn(RankBox box, Fetcher& fetcher, const EndpointTable& endpoints, const QString& site,
              const QString& keyword);

// The keyword rank search: asks Baidu, Google, Yahoo, Sogou and Youdao in that order (up to 23
// requests), reporting each answer before the next engine is asked, and Soso's box, a copy of
// Google's, after Sogou's. Only the chosen boxes are asked and reported; Soso's only when
// Google was asked too. site and keyword as for rankOn. A stop (ToolStopped) and anything report
// raises propagate, and what was reported stands.
void searchKeywordRank(Fetcher& fetcher, const EndpointTable& endpoints, const QString& site,
                       const QString& keyword, const RankSink& report,
                       const RankChoice& choice = {}, const Progress& progress = {});
