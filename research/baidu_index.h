#pragma once

#include "net/endpoint_table.h"
#include "net/http_fetch.h"

#include <QString>

// The index page of a keyword. The keyword is sent in GBK percent-encoding (URLEncode): the
// engine's pages are GBK and so is the query its own forms send, so a Chinese keyword reaches it
// as the characters typed. The encoding also keeps a related keyword's inner tags and entities
// ("<b>", "&amp;") inside the one query value instead of splitting or ending the query.
QString baiduIndexUrl(const EndpointTable& endpoints, const QString& keyword);

// The four attention figures of one index page, each the text cut from the page. They travel
// apart, never joined into one text: the index may write a figure as "1,234".
struct AttentionFigures {
    QString today;
    QString week;
    QString month;
    QString quarter;

    bool operator==(const AttentionFigures&) const = default;
};

// The figures of one index page. "-" in each when the page has no figures table ("时间范围"); a
// table that lacks one of the pieces the cut needs raises ToolError naming url.
AttentionFigures cutBaiduIndex(const QString& page, const QString& url);

// Fetches url (read as GBK) and cuts its figures.
AttentionFigures getBaiduIndex(Fetcher& fetcher, const QString& url);
