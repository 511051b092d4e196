#pragma once

#include "base/figure.h"
#include "net/endpoint_table.h"
#include "net/http_fetch.h"

#include <QString>
#include <QStringList>

// The period texts of the drop-down list, in its order.
QStringList baiduPeriods();

struct BaiduPeriodResult {
    QString sentence; // "百度在最近 7 日内共收录了 约1,234 个页面"
    QString url;      // the request address, for the link label
    Figure count;     // "count": the count as the page gives it ("约1,234") and its number
};

// How many pages of domain (already cleaned) Baidu indexed within the period. Raises ToolError
// when the request fails or the page does not hold the count.
BaiduPeriodResult runBaiduPeriod(Fetcher& fetcher, const EndpointTable& endpoints,
                                 const QString& domain, const QString& periodText);
