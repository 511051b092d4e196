#include "research/baidu_index.h"

#include "base/text_ops.h"
#include "base/tool_error.h"
#include "net/request_address.h"

namespace {

[[noreturn]] void tableLacks(const QString& url, const QString& what) {
    throw ToolError(QStringLiteral("百度指数页面 %1 的指数表格中%2").arg(echoed(url), what));
}

// The week, month and quarter cuts. The working text moves to the value's "<td>" and then past
// the "<" of the "<span" that ends the value, so the next label is searched after this value.
// Only the week keeps its line breaks.
QString cutPeriod(QString& work, const QString& label, bool keepLineBreaks, const QString& url) {
    const int at = text::inStr(1, work, label);
    if (at == 0)
        tableLacks(url, QStringLiteral("没有“%1”").arg(label));
    const int cell = text::inStr(at, work, QStringLiteral("<td>"));
    if (cell > 0)
        work = text::midToEnd(work, cell);
    const int span = text::inStr(1, work, QStringLiteral("<span"));
    if (span == 0)
        tableLacks(url, QStringLiteral("“%1”的数值后没有“<span”").arg(label));
    QString figure = text::removeAll(text::mid(work, 1, span - 1), QStringLiteral("<td>"));
    if (!keepLineBreaks)
        figure = text::removeAll(figure, QStringLiteral("\r\n"));
    figure = text::removeAll(figure, QStringLiteral(" "));
    work = text::midToEnd(work, span + 1);
    return figure;
}

} // namespace

QString baiduIndexUrl(const EndpointTable& endpoints, const QString& keyword) {
    return requestAddress("{BaiduIndexHost}/main/word.php?word={k_gbk}", endpoints, {.k = keyword});
}

AttentionFigures cutBaiduIndex(const QString& page, const QString& url) {
    const int from = text::inStr(1, page, QStringLiteral("时间范围"));
    if (from == 0) {
        const QString none = QStringLiteral("-");
        return {none, none, none, none};
    }
    const int to = text::inStr(from, page, QStringLiteral("</table>"));
    if (to == 0)
        tableLacks(url, QStringLiteral("“时间范围”之后没有“</table>”"));
    // Joins each label cell to the value cell after it.
    QString work = text::removeAll(text::mid(page, from, to - from),
                                   QStringLiteral("</td><td class=\"TdNow\">"));

    const int todayAt = text::inStr(1, work, QStringLiteral("今日"));
    if (todayAt == 0)
        tableLacks(url, QStringLiteral("没有“今日”"));
    const int todayEnd = text::inStr(todayAt, work, QStringLiteral("</td>"));
    if (todayEnd == 0)
        tableLacks(url, QStringLiteral("“今日”之后没有“</td>”"));
    const QString today = text::trimSpaces(
        text::removeAll(text::mid(work, todayAt, todayEnd - todayAt), QStringLiteral("今日")));

    const QString week = cutPeriod(work, QStringLiteral("1周"), true, url);
    const QString month = cutPeriod(work, QStringLiteral("1个月"), false, url);
    const QString quarter = cutPeriod(work, QStringLiteral("1季度"), false, url);
    return {today, week, month, quarter};
}

AttentionFigures getBaiduIndex(Fetcher& fetcher, const QString& url) {
    return cutBaiduIndex(HttpFetch(fetcher, url, Decode::Gbk), url);
}
