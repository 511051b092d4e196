#include "metrics/site_survey.h"

#include "base/tool_error.h"
#include "net/count_link.h"

namespace {

// Column order of the table; Youdao's logo is called "yodao".
const char* const kLogoNames[] = {"baidu", "google", "yahoo",    "sogou",
                                  "soso",  "yodao",  "zhongsou", "live"};

} // namespace

QString expandRequest(const char* requestTemplate, const EndpointTable& endpoints,
                      const QString& d) {
    const QString tpl = QString::fromUtf8(requestTemplate);
    QString out;
    qsizetype i = 0;
    while (i < tpl.size()) {
        const qsizetype open = tpl.indexOf(u'{', i);
        if (open < 0) {
            out += tpl.mid(i);
            break;
        }
        const qsizetype close = tpl.indexOf(u'}', open);
        out += tpl.mid(i, open - i);
        const QString key = tpl.mid(open + 1, close - open - 1);
        Endpoint e;
        if (key == u"d")
            out += d;
        else if (key == u"SogouHostName")
            out += endpoints.hostName(Endpoint::SogouHost);
        else if (EndpointTable::fromName(key, &e))
            out += endpoints.base(e);
        else
            throw ToolError(QStringLiteral("请求模板中有未知的占位符 {%1}").arg(key));
        i = close + 1;
    }
    return out;
}

QString resultsTableHead(const EndpointTable& endpoints, const QString& caption) {
    QString doc =
        QStringLiteral("<style>td{font-size:12px;}</style><body leftmargin='0' topmargin='0'>"
                       "<table width='100%' cellpadding='0' cellspacing='1' bgcolor='#EEEEEE'>"
                       "<tr height='25'><td align='center'>搜索引擎</td>");
    const QString maker = endpoints.base(Endpoint::MakerHost);
    for (const char* logo : kLogoNames)
        doc += QStringLiteral("<td align='center'><img src='") + maker +
               QStringLiteral("/images/") + QLatin1String(logo) + QStringLiteral(".gif'></td>");
    doc += QStringLiteral("</tr><tr bgcolor='#FFFFFF' height='25'><td align='center'>") + caption +
           QStringLiteral("</td>");
    return doc;
}

QString runSurvey(const SurveyKind& kind, const QString& d, Fetcher& fetcher,
                  const EndpointTable& endpoints, const std::function<void()>& yield) {
    QString doc = resultsTableHead(endpoints, QString::fromUtf8(kind.caption));
    for (const EngineRow& row : kind.engines) {
        yield();
        const QString url = expandRequest(row.requestTemplate, endpoints, d);
        const QString value = getCountLink(
            fetcher, url, QString::fromUtf8(row.startMarker), QString::fromUtf8(row.endMarker),
            QString::fromUtf8(row.stripList), QString::fromUtf8(row.decodeMode));
        doc += QStringLiteral("<td align='center'>") + value + QStringLiteral("</td>");
    }
    doc += QStringLiteral("</tr></table>");
    yield();
    return doc;
}
