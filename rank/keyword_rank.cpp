#include "rank/keyword_rank.h"

#include "base/text_ops.h"
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

const RankEngine& engineFor(RankBox box) {
    for (const RankEngine& e : rankEngines())
        if (e.box == box)
            return e;
    Q_UNREACHABLE();
}

QString scan(const RankEngine& e, Fetcher& fetcher, const EndpointTable& endpoints,
             const QString& typedSite, const QString& keyword, int maxPages) {
    try {
        const QString site = normaliseSite(typedSite);
        fetcher.lookingFor(site);
        for (int p = 1; p <= std::min(e.pages, maxPages); ++p) {
            const RequestValues values{.k = keyword, .p = p};
            QString url = requestAddress(e.request, endpoints, values);
            if (p > 1)
                url += requestAddress(e.laterPages, endpoints, values);
            const RankCut cut = e.cut(HttpFetch(fetcher, url, e.decode), site, keyword);
            if (cut.settled)
                return cut.text;
            const QList<QStringView> pieces =
                QStringView(cut.text).split(e.separator, Qt::KeepEmptyParts, Qt::CaseSensitive);
            for (qsizetype i = 0; i < pieces.size(); ++i)
                if (pieces[i].contains(site, Qt::CaseSensitive))
                    return e.answer(p, int(i), cut.text);
        }
        return e.notFound;
    } catch (const ToolStopped&) {
        throw;
    } catch (...) {
        // An engine reports trouble as "-" and lets the search go on with the next engine.
        return QStringLiteral("-");
    }
}

} // namespace

QString rankOn(RankBox box, Fetcher& fetcher, const EndpointTable& endpoints, const QString& site,
               const QString& keyword) {
    const RankEngine& e = engineFor(box);
    return scan(e.copies ? engineFor(*e.copies) : e, fetcher, endpoints, site, keyword,
                kMaxRankPages);
}

void searchKeywordRank(Fetcher& fetcher, const EndpointTable& endpoints, const QString& site,
                       const QString& keyword, const RankSink& report, const RankChoice& choice,
                       const Progress& progress) {
    const auto asked = [&](RankBox box) { return choice.asked[size_t(box)]; };
    int steps = 0;
    for (const RankEngine& e : rankEngines())
        steps += asked(e.box) && !e.copies;
    int step = 0;
    std::array<QString, kRankBoxCount> boxes;
    for (const RankEngine& e : rankEngines()) {
        if (!asked(e.box) || (e.copies && !asked(*e.copies)))
            continue;
        QString& answer = boxes[size_t(e.box)];
        if (e.copies) {
            answer = boxes[size_t(*e.copies)];
        } else {
            if (progress)
                progress(QString::fromLatin1(kRankBoxes[size_t(e.box)].name), ++step, steps);
            answer = scan(e, fetcher, endpoints, site, keyword, choice.pages);
        }
        report(e.box, answer);
    }
}
