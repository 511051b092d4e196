#pragma once

#include "base/progress.h"
#include "net/endpoint_table.h"
#include "net/http_fetch.h"
#include "research/baidu_index.h"

#include <QString>
#include <QStringList>
#include <functional>

// One row of the keyword list, column by column: 编号, 关键词, 当日关注, 一周关注, 一月关注,
// 一季关注.
struct KeywordRow {
    QString number;
    QString keyword;
    QString today;
    QString week;
    QString month;
    QString quarter;

    QStringList columns() const { return {number, keyword, today, week, month, quarter}; }
};

// The result page for a keyword; GBK-encoded like the index page (see baiduIndexUrl).
QString baiduSearchUrl(const EndpointTable& endpoints, const QString& keyword);

// The related-search block of a result page split at every "</a>", without the text after the
// last one: one piece per related keyword, in page order. A page without "相关搜索", or without
// "</table>" after it, raises ToolError naming url.
QStringList relatedSearchPieces(const QString& page, const QString& url);

// The related keyword of one piece: its anchor's text, inner tags and spaces kept; the whole
// piece when the "<a" has no ">" after it. A piece without "<a" raises ToolError naming url.
QString relatedKeyword(const QString& piece, const QString& url);

// The engine shows about ten related searches. Each costs an index request of up to half a
// minute, so a page that lists thousands is asked about no further than this.
inline constexpr qsizetype kMaxRelatedSearches = 100;

// The typed keyword's row, then one row per related search up to kMaxRelatedSearches, each
// handed to addRow as soon as it is made and numbered on from rowsBefore; progress is told
// before each request. keyword is already cleaned (cleanKeyword) and not empty. Returns how many
// related searches the page listed (the rows made are fewer when that exceeds the cap). Any
// error (or a stop) ends the run and propagates; the rows handed over before it stand.
qsizetype runRelatedSearch(Fetcher& fetcher, const EndpointTable& endpoints, const QString& keyword,
                           int rowsBefore, const std::function<void(const KeywordRow&)>& addRow,
                           const Progress& progress = {});
