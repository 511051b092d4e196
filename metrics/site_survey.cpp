#include "metrics/site_survey.h"

#include "base/tool_error.h"
#include "net/count_link.h"
#include "net/engine_files.h"
#include "net/request_address.h"

#include <optional>

std::vector<EngineRow> SurveyKind::engines() const {
    std::vector<EngineRow> rows;
    for (const EngineEntry& e : engines::catalog().rows(QLatin1String(tool)))
        rows.push_back({e.value(QStringLiteral("name")), e.value(QStringLiteral("logo")),
                        e.value(QStringLiteral("request")), decodeOf(e),
                        e.value(QStringLiteral("start")), e.value(QStringLiteral("end")),
                        e.value(QStringLiteral("strip"))});
    return rows;
}

namespace {

const QString kFailedCell = QStringLiteral("失败");

// The table's opening: style, body, table, the logo row and the data-row caption cell.
QString resultsTableHead(const SurveyKind& kind, const std::vector<EngineRow>& engines,
                         const EndpointTable& endpoints) {
    QString doc =
        QStringLiteral("<style>td{font-size:12px;}</style><body leftmargin='0' topmargin='0'>"
                       "<table width='100%' cellpadding='0' cellspacing='1' bgcolor='#EEEEEE'>"
                       "<tr height='25'><td align='center'>搜索引擎</td>");
    const QString maker = endpoints.base(Endpoint::MakerHost);
    for (const EngineRow& row : engines)
        doc += QStringLiteral("<td align='center'><img src='") + maker +
               QStringLiteral("/images/") + row.logo + QStringLiteral(".gif'></td>");
    doc += QStringLiteral("</tr><tr bgcolor='#FFFFFF' height='25'><td align='center'>") +
           QString::fromUtf8(kind.caption) + QStringLiteral("</td>");
    return doc;
}

} // namespace

QString runSurvey(const SurveyKind& kind, const QString& d, Fetcher& fetcher,
                  const EndpointTable& endpoints, const Progress& progress,
                  const FigureSink& figureSink) {
    const std::vector<EngineRow> engines = kind.engines();
    QString doc = resultsTableHead(kind, engines, endpoints);
    int step = 0;
    for (const EngineRow& row : engines) {
        if (progress)
            progress(row.name, ++step, int(engines.size()));
        const QString url = requestAddress(row.requestTemplate.toStdString(), endpoints, {.d = d});
        Figure figure;
        QString cell;
        std::optional<QString> page;
        try {
            page = HttpFetch(fetcher, url, row.decode);
        } catch (const ToolError& e) {
            // An engine out of reach costs only its own cell, still linked to the request so
            // that the user can try it; a stop is no ToolError and ends the survey.
            figure = missingFigure({}, kFailedCell, Why::Failed, e.description(), url);
            cell = countLink(url, kFailedCell);
        }
        if (page)
            cell = countLinkIn(*page, url, row.startMarker, row.endMarker, row.stripList, &figure);
        if (figureSink) {
            figure.label = row.name;
            figureSink(figure);
        }
        doc += QStringLiteral("<td align='center'>") + cell + QStringLiteral("</td>");
    }
    doc += QStringLiteral("</tr></table>");
    return doc;
}
