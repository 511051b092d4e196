#pragma once

#include "net/endpoint_table.h"
#include "net/http_fetch.h"

#include <QString>
#include <functional>

// The six result boxes of the keyword rank page, in the order they are written.
enum class RankBox { Baidu, Google, Yahoo, Sogou, Soso, Youdao };
inline constexpr int kRankBoxCount = 6;

// Told each box's text as soon as its engine has answered.
using RankSink = std::function<void(RankBox box, const QString& answer)>;

// The keyword rank search. Cleans the typed site and keyword; when either is empty afterwards it
// requests and reports nothing and returns false. Otherwise it calls started (where the window
// puts up the hourglass), asks Baidu, Google, Yahoo, Sogou and Youdao in that order (up to 23
// requests), reporting each answer before the next engine is asked and Soso's box, a copy of
// Google's, after Sogou's; then returns true. The scanners turn their own failures into "-";
// anything else (an exception from report, say) propagates, and what was reported stands.
bool searchKeywordRank(Fetcher& fetcher, const EndpointTable& endpoints, const QString& typedSite,
                       const QString& typedKeyword, const RankSink& report,
                       const std::function<void()>& started = {});
