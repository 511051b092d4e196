#include "metrics/site_survey.h"

#include "net/count_link.h"
#include "net/request_address.h"

namespace {

// The table's opening: style, body, table, the logo row and the data-row caption cell.
QString resultsTableHead(const SurveyKind& kind, const EndpointTable& endpoints) {
    QString doc =
        QStringLiteral("<style>td{font-size:12px;}</style><body leftmargin='0' topmargin='0'>"
                       "<table width='100%' cellpadding='0' cellspacing='1' bgcolor='#EEEEEE'>"
                       "<tr height='25'><td align='center'>搜索引擎</td>");
    const QString maker = endpoints.base(Endpoint::MakerHost);
    for (const EngineRow& row : kind.engines)
        doc += QStringLiteral("<td align='center'><img src='") + maker +
               QStringLiteral("/images/") + QLatin1String(row.logo) + QStringLiteral(".gif'></td>");
    doc += QStringLiteral("</tr><tr bgcolor='#FFFFFF' height='25'><td align='center'>") +
           QString::fromUtf8(kind.caption) + QStringLiteral("</td>");
    return doc;
}

} // namespace

QString runSurvey(const SurveyKind& kind, const QString& d, Fetcher& fetcher,
                  const EndpointTable& endpoints, const Progress& progress,
                  const FigureSink& figureSink) {
    QString doc = resultsTableHead(kind, endpoints);
    int step = 0;
    for (const EngineRow& row : kind.engines) {
        if (progress)
            progress(QString::fromLatin1(row.name), ++step, int(kind.engines.size()));
        const QString url = requestAddress(row.requestTemplate, endpoints, {.d = d});
        Figure figure;
        const QString value = getCountLink(fetcher, url, QString::fromUtf8(row.startMarker),
                                           QString::fromUtf8(row.endMarker),
                                           QString::fromUtf8(row.stripList), row.decode, &figure);
        if (figureSink) {
            figure.label = QString::fromLatin1(row.name);
            figureSink(figure);
        }
        doc += QStringLiteral("<td align='center'>") + value + QStringLiteral("</td>");
    }
    doc += QStringLiteral("</tr></table>");
    return doc;
}
