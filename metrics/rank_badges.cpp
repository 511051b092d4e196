#include "metrics/rank_badges.h"

#include "base/text_ops.h"
#include "base/tool_error.h"
#include "net/engine_files.h"
#include "net/request_address.h"

namespace {

const QString kMissing = QStringLiteral("-");

} // namespace

QString cutPageRank(const QString& body, const BadgeMarkers& m) {
    QString r = text::trimSpaces(text::removeAll(body, m.strip));
    r = text::removeAll(r, QStringLiteral("\r\n"));
    r = text::removeAll(r, QStringLiteral("\r"));
    return text::removeAll(r, QStringLiteral("\n"));
}

QString cutAlexa(const QString& page, const BadgeMarkers& m) {
    const int at = text::inStr(1, page, m.start);
    if (at == 0)
        return kMissing;
    QString kept = text::removeAll(text::midToEnd(page, at), m.skip);
    const int close = text::inStr(1, kept, m.end);
    if (close == 0)
        return kMissing;
    kept = text::removeAll(text::mid(kept, 1, close), m.strip);
    const int gt = text::inStr(1, kept, QStringLiteral(">"));
    if (gt > 0)
        return text::removeAll(text::midToEnd(kept, gt + 1), QStringLiteral("<"));
    // Without a tag before it the figure still ends in the "<" of "</span>"; drop that too.
    kept.chop(1);
    return kept;
}

QString cutSogouRank(const QString& page, const BadgeMarkers& m) {
    const int at = text::inStr(1, page, m.start);
    if (at == 0)
        return kMissing;
    QString kept = text::midToEnd(page, at);
    const int close = text::inStr(1, kept, m.end);
    if (close == 0)
        return kMissing;
    kept = text::mid(kept, 1, close);
    // Four characters hold ">42<" or "123<"; for one digit they hold "d>5<", and the letter
    // before the ">" belongs to the opening tag, not the figure.
    QString window = kept.right(4);
    if (window.size() == 4 && window[1] == u'>')
        window.remove(0, 1);
    return text::removeAll(text::removeAll(window, QStringLiteral("<")), QStringLiteral(">"));
}

QString cutChinaRank(const QString& page, const BadgeMarkers& m) {
    const int at = text::inStr(1, page, m.start);
    if (at == 0)
        return kMissing;
    QString kept = text::midToEnd(page, at);
    const int first = text::inStr(1, kept, QStringLiteral(">"));
    if (first == 0)
        return kMissing;
    kept = text::midToEnd(kept, first + 1);
    const int second = text::inStr(1, kept, QStringLiteral(">"));
    if (second == 0)
        return kMissing;
    kept = text::mid(kept, 1, second);
    kept = text::removeAll(kept, QStringLiteral("<"));
    kept = text::removeAll(kept, QStringLiteral(">"));
    return text::removeAll(kept, QStringLiteral("/td"));
}

const BadgeName& badgeNamed(const QString& key) {
    for (const BadgeName& b : kBadges)
        if (key == QLatin1String(b.key))
            return b;
    throw ToolError(QStringLiteral("没有名为“%1”的评级").arg(echoed(key)));
}

bool isPageRank(const QString& rank) {
    bool ok = false;
    const int n = rank.toInt(&ok);
    return ok && n >= 0 && n <= 10 && rank == QString::number(n);
}

namespace {

// The cutter a badge row's strategy names.
using Cutter = QString (*)(const QString&, const BadgeMarkers&);
const struct {
    const char* strategy;
    Cutter cut;
} kCutters[] = {
    {"pagerank", cutPageRank},
    {"alexa", cutAlexa},
    {"sogou-rank", cutSogouRank},
    {"chinarank", cutChinaRank},
};

BadgeMarkers markersOf(const EngineEntry& row) {
    return {row.value(QStringLiteral("start")), row.value(QStringLiteral("skip")),
            row.value(QStringLiteral("end")), row.value(QStringLiteral("strip"))};
}

Cutter cutterNamed(const QString& strategy) {
    for (const auto& c : kCutters)
        if (strategy == QLatin1String(c.strategy))
            return c.cut;
    throw ToolError(QStringLiteral("评级的读法“%1”不存在").arg(echoed(strategy)));
}

} // namespace

BadgeMarkers badgeMarkers(const QString& key) {
    return markersOf(engines::catalog().row(QLatin1String(engine_tool::kBadges), key));
}

void runRankBadges(Fetcher& fetcher, const EndpointTable& endpoints, const QString& domain,
                   const std::function<void(Badge, const Figure&)>& report,
                   const Progress& progress) {
    // The engines file gives the ratings in the order they are asked.
    const QList<EngineEntry>& rows = engines::catalog().rows(QLatin1String(engine_tool::kBadges));
    int step = 0;
    for (const EngineEntry& row : rows) {
        const BadgeName& badge = badgeNamed(row.engine);
        if (progress)
            progress(QString::fromLatin1(badge.name), ++step, int(rows.size()));
        const QString url = requestAddress(row.value(QStringLiteral("request")).toStdString(),
                                           endpoints, {.d = domain});
        const QString key = QLatin1String(badge.key);
        const BadgeMarkers markers = markersOf(row);
        Figure figure;
        try {
            const QString cut = cutterNamed(row.value(QStringLiteral("strategy")))(
                HttpFetch(fetcher, url, decodeOf(row)), markers);
            figure = cut == kMissing ? missingFigure(key, cut, Why::Unrecognised, {}, url)
                                     : countFigure(key, cut, url);
        } catch (const ToolError& e) {
            // A failed rating does not keep the others from being asked.
            figure = missingFigure(key, kMissing, Why::Failed, e.description(), url);
        }
        figure.text += row.value(QStringLiteral("suffix"));
        report(badge.badge, figure);
    }
}
