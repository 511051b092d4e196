#include "metrics/baidu_period.h"

#include "base/text_ops.h"
#include "base/tool_error.h"
#include "net/engine_files.h"
#include "net/request_address.h"

namespace {

// Baidu's lm parameter is a number of days; 0 means no limit.
const struct {
    const char* text;
    const char* lm;
    const char* shown;
} kPeriods[] = {
    {"全部时间", "0", "所有时间"}, {"最近一天", "1", "1"},     {"最近一周", "7", "7"},
    {"最近一月", "30", "30"},      {"最近一年", "360", "360"},
};

} // namespace

QStringList baiduPeriods() {
    QStringList texts;
    for (const auto& p : kPeriods)
        texts << QString::fromUtf8(p.text);
    return texts;
}

BaiduPeriodResult runBaiduPeriod(Fetcher& fetcher, const EndpointTable& endpoints,
                                 const QString& domain, const QString& periodText) {
    QString lm;
    QString shown;
    for (const auto& p : kPeriods)
        if (periodText == QString::fromUtf8(p.text)) {
            lm = QString::fromLatin1(p.lm);
            shown = QString::fromUtf8(p.shown);
        }
    // Baidu is the only engine of the query; its row is read for the markers, not picked.
    const EngineEntry& row =
        engines::catalog().row(QLatin1String(engine_tool::kBaiduPeriod), QStringLiteral("baidu"));
    const QString url = requestAddress(row.value(QStringLiteral("request")).toStdString(),
                                       endpoints, {.d = domain, .lm = lm});
    const QString page = HttpFetch(fetcher, url, decodeOf(row));

    const QString marker = row.value(QStringLiteral("start"));
    const QString end = row.value(QStringLiteral("end"));
    const int p = text::inStr(1, page, marker);
    if (p == 0)
        throw ToolError(QStringLiteral("无效的过程调用或参数：百度的页面中没有“%1”，"
                                       "无法读出收录数：%2")
                            .arg(marker, echoed(url)));
    const int q = text::inStr(p, page, end);
    if (q == 0)
        throw ToolError(QStringLiteral("无效的过程调用或参数：百度的页面中“%1”之后没有“%2”，"
                                       "无法读出收录数：%3")
                            .arg(marker, end, echoed(url)));
    // Only the marker goes: "约" and the digit-group commas stay in the count.
    const QString count = text::removeAll(text::mid(page, p, q - p), marker);
    return {QStringLiteral("百度在最近 ") + shown + QStringLiteral(" 日内共收录了 ") + count +
                QStringLiteral(" 个页面"),
            url, countFigure(QStringLiteral("count"), count, url)};
}
