#include "research/related_search.h"

#include "base/text_ops.h"
#include "base/tool_error.h"
#include "net/request_address.h"

namespace {

// The row that follows rowsBefore rows.
KeywordRow keywordRow(int rowsBefore, const QString& keyword, const AttentionFigures& f) {
    return {QString::number(rowsBefore + 1), keyword, f.today, f.week, f.month, f.quarter};
}

} // namespace

QString baiduSearchUrl(const EndpointTable& endpoints, const QString& keyword) {
    return requestAddress("{BaiduSearchHost}/s?wd={k_gbk}", endpoints, {.k = keyword});
}

QStringList relatedSearchPieces(const QString& page, const QString& url) {
    const int from = text::inStr(1, page, QStringLiteral("相关搜索"));
    if (from == 0)
        throw ToolError(QStringLiteral("百度搜索结果页面 %1 中没有“相关搜索”，无法列出相关关键词")
                            .arg(echoed(url)));
    const int to = text::inStr(from, page, QStringLiteral("</table>"));
    if (to == 0)
        throw ToolError(
            QStringLiteral("百度搜索结果页面 %1 的“相关搜索”之后没有“</table>”").arg(echoed(url)));
    QString block = text::mid(page, from, to - from + 1);
    const int table = text::inStr(1, block, QStringLiteral("<table"));
    if (table > 0)
        block = text::midToEnd(block, table + 1);
    QStringList pieces = block.split(QStringLiteral("</a>"));
    pieces.removeLast();
    return pieces;
}

QString relatedKeyword(const QString& piece, const QString& url) {
    const int anchor = text::inStr(1, piece, QStringLiteral("<a"));
    if (anchor == 0)
        throw ToolError(
            QStringLiteral("百度搜索结果页面 %1 的相关搜索中有一段没有“<a”").arg(echoed(url)));
    // Without a ">" the position is 0 and the cut starts at 1: the whole piece.
    return text::midToEnd(piece, text::inStr(anchor, piece, QStringLiteral(">")) + 1);
}

qsizetype runRelatedSearch(Fetcher& fetcher, const EndpointTable& endpoints, const QString& keyword,
                           int rowsBefore, const std::function<void(const KeywordRow&)>& addRow,
                           const Progress& progress) {
    // The keyword's index, the result page, then one index page per related search, whose
    // number only the result page tells.
    int step = 0;
    int steps = 0;
    const auto tell = [&](const QString& what) {
        if (progress)
            progress(what, ++step, steps);
    };
    int rows = rowsBefore;
    auto addKeyword = [&](const QString& k) {
        tell(k);
        addRow(keywordRow(rows++, k, getBaiduIndex(fetcher, baiduIndexUrl(endpoints, k))));
    };
    addKeyword(keyword);
    const QString searchUrl = baiduSearchUrl(endpoints, keyword);
    tell(QStringLiteral("相关搜索"));
    const QString page = HttpFetch(fetcher, searchUrl, Decode::Gbk);
    const QStringList pieces = relatedSearchPieces(page, searchUrl);
    const QStringList asked = pieces.first(std::min(pieces.size(), kMaxRelatedSearches));
    steps = step + int(asked.size());
    for (const QString& piece : asked)
        addKeyword(relatedKeyword(piece, searchUrl));
    return pieces.size();
}
