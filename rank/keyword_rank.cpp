#include "rank/keyword_rank.h"

#include "base/text_ops.h"
#include "base/tool_error.h"
#include "net/request_address.h"
#include "net/stop.h"
#include "rank/rank_engines.h"

#include <QList>
#include <QStringView>
#include <algorithm>
#include <array>

namespace {

QString normaliseSite(const QString& site) {
    const QString lower = site.toLower();
    return text::mid(lower, 1, 4) == u"www." ? text::midToEnd(lower, 5) : lower;
}

RankEngine engineFor(const std::vector<RankEngine>& engines, RankBox box) {
    for (const RankEngine& e : engines)
        if (e.box == box)
            return e;
    throw ToolError(QStringLiteral("关键词排名的引擎文件中没有“%1”")
                        .arg(QString::fromLatin1(kRankBoxes[size_t(box)].name)));
}

QString boxName(RankBox box) {
    return QString::fromLatin1(kRankBoxes[size_t(box)].name);
}

Figure scan(const RankEngine& e, Fetcher& fetcher, const EndpointTable& endpoints,
            const QString& typedSite, const QString& keyword, int maxPages) {
    const QString label = boxName(e.box);
    QString url;
    try {
        const QString site = normaliseSite(typedSite);
        fetcher.lookingFor(site);
        for (int p = 1; p <= std::min(e.pages, maxPages); ++p) {
            const RequestValues values{.k = keyword, .p = p};
            url = requestAddress(e.request.toStdString(), endpoints, values);
            if (p > 1)
                url += requestAddress(e.laterPages.toStdString(), endpoints, values);
            const RankCut cut = e.cut(HttpFetch(fetcher, url, e.decode), site, keyword, e.markers);
            if (cut.settled)
                return missingFigure(label, cut.text, cut.why, {}, url);
            const QList<QStringView> pieces = QStringView(cut.text).split(
                e.markers.separator, Qt::KeepEmptyParts, Qt::CaseSensitive);
            for (qsizetype i = 0; i < pieces.size(); ++i)
                if (pieces[i].contains(site, Qt::CaseSensitive)) {
                    const RankAt at = e.answer(p, int(i), cut.text, e.markers);
                    return {.label = label,
                            .text = at.text,
                            .number = at.position,
                            .why = Why::None,
                            .detail = {},
                            .address = url};
                }
        }
        return missingFigure(label, e.markers.notFound, Why::NotFound, {}, url);
    } catch (const ToolStopped&) {
        throw;
    } catch (const ToolError& error) {
        // An engine reports trouble as "-" and lets the search go on with the next engine.
        return missingFigure(label, QStringLiteral("-"), Why::Failed, error.description(), url);
    } catch (const std::exception& error) {
        return missingFigure(label, QStringLiteral("-"), Why::Failed,
                             QString::fromLocal8Bit(error.what()), url);
    } catch (...) {
        return missingFigure(label, QStringLiteral("-"), Why::Failed, {}, url);
    }
}

} // namespace

QStringList askedBoxNames(const RankChoice& choice) {
    QStringList names;
    for (const RankBoxName& b : kRankBoxes)
        if (choice.asked[size_t(b.box)])
            names << QLatin1String(b.name);
    return names;
}

Figure rankOn(RankBox box, Fetcher& fetcher, const EndpointTable& endpoints, const QString& site,
              const QString& keyword) {
    const std::vector<RankEngine> engines = rankEngines();
    const RankEngine e = engineFor(engines, box);
    Figure answer = scan(e.copies ? engineFor(engines, *e.copies) : e, fetcher, endpoints, site,
                         keyword, kMaxRankPages);
    answer.label = boxName(box);
    return answer;
}

void searchKeywordRank(Fetcher& fetcher, const EndpointTable& endpoints, const QString& site,
                       const QString& keyword, const RankSink& report, const RankChoice& choice,
                       const Progress& progress) {
    const auto asked = [&](RankBox box) { return choice.asked[size_t(box)]; };
    const std::vector<RankEngine> engines = rankEngines();
    int steps = 0;
    for (const RankEngine& e : engines)
        steps += asked(e.box) && !e.copies;
    int step = 0;
    std::array<Figure, kRankBoxCount> boxes;
    for (const RankEngine& e : engines) {
        if (!asked(e.box) || (e.copies && !asked(*e.copies)))
            continue;
        Figure& answer = boxes[size_t(e.box)];
        if (e.copies) {
            answer = boxes[size_t(*e.copies)];
            answer.label = boxName(e.box);
        } else {
            if (progress)
                progress(boxName(e.box), ++step, steps);
            answer = scan(e, fetcher, endpoints, site, keyword, choice.pages);
        }
        report(e.box, answer);
    }
}
