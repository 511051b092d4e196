#include "tools/track_run.h"

#include "base/tool_error.h"
#include "history/run_log.h"
#include "net/stop.h"

#include <QJsonArray>

namespace {

Why whyOf(CheckOutcome outcome) {
    switch (outcome) {
    case CheckOutcome::Found:
        return Why::None;
    case CheckOutcome::NotFound:
        return Why::NotFound;
    case CheckOutcome::Blocked:
        return Why::Blocked;
    case CheckOutcome::Unrecognised:
        return Why::Unrecognised;
    case CheckOutcome::Failed:
        break;
    }
    return Why::Failed;
}

} // namespace

QStringList trackRunLabels() {
    return {QStringLiteral("found"),        QStringLiteral("not_found"), QStringLiteral("blocked"),
            QStringLiteral("unrecognised"), QStringLiteral("failed"),    QStringLiteral("skipped")};
}

namespace {

// A count a CheckOutcome, in its order, then the engines skipped: the order of trackRunLabels().
constexpr int TrackCounts::*kCounts[] = {&TrackCounts::found,   &TrackCounts::notFound,
                                         &TrackCounts::blocked, &TrackCounts::unrecognised,
                                         &TrackCounts::failed,  &TrackCounts::skipped};

QList<Figure> countFigures(const TrackCounts& c) {
    QList<Figure> figures;
    const QStringList labels = trackRunLabels();
    for (qsizetype i = 0; i < labels.size(); ++i)
        figures << countFigure(labels[i], QString::number(c.*kCounts[i]));
    return figures;
}

} // namespace

Figure checkFigure(const EngineCheck& check) {
    // Not found says how far it read: "前50位中没有".
    const bool found = check.outcome == CheckOutcome::Found;
    const QString text =
        checkOutcomeText(check.outcome, found ? check.position : check.resultsRead);
    if (found)
        return Figure{check.engine, text, double(check.position), Why::None, {}, check.url};
    return missingFigure(check.engine, text, whyOf(check.outcome), check.detail);
}

QList<TrackedCheck> checkAndRecord(RunHistory* history, const RankQuery& query,
                                   const QStringList& engines, const RankChecker& check, bool demo,
                                   const std::function<void(const TrackedCheck&)>& each) {
    RecordedRun run(history, toolEntry(Tool::RankTrack), {query.site, query.keyword},
                    {{QStringLiteral("engines"), QJsonArray::fromStringList(engines)},
                     {QStringLiteral("depth"), query.depth}},
                    demo);
    HistoryStore* store = history ? history->store() : nullptr;
    QList<TrackedCheck> checks;
    run.run([&] {
        for (const QString& engine : engines) {
            TrackedCheck tracked{check(engine, query), {}, {}};
            const Figure now = checkFigure(tracked.check);
            const std::optional<Figure> before =
                store ? store->lastAnswer(run.record().tool, query.site, query.keyword, engine)
                      : std::nullopt;
            if (store)
                tracked.change = positionChange(now, before ? &*before : nullptr);
            tracked.moves = rankMoves(query.site, query.keyword, before ? &*before : nullptr, now);
            run.add(now);
            checks << tracked;
            if (each)
                each(tracked);
        }
    });
    return checks;
}

TrackCounts runTrackedList(RunHistory* history, const QList<TrackedPair>& list,
                           const RankChecker& check, bool demo, const TrackRunTell& tell) {
    RecordedRun run(history, toolEntry(Tool::TrackRun), {QStringLiteral("跟踪列表")},
                    {{QStringLiteral("pairs"), int(list.size())}}, demo);
    TrackCounts counts;
    QSet<QString> blocked;
    const auto finish = [&](RunEnd end, const QString& error) {
        run.add(countFigures(counts));
        run.finish(end, error);
    };
    try {
        for (const TrackedPair& pair : list) {
            QStringList engines;
            for (const QString& engine : pair.engines.isEmpty() ? rankEngineNames() : pair.engines)
                if (blocked.contains(engine))
                    ++counts.skipped;
                else
                    engines << engine;
            if (engines.isEmpty())
                continue;
            const RankQuery query{pair.site, pair.keyword, pair.depth, false};
            checkAndRecord(history, query, engines, check, demo, [&](const TrackedCheck& c) {
                ++(counts.*kCounts[int(c.check.outcome)]);
                counts.moves << c.moves;
                if (tell.checked)
                    tell.checked(pair, c);
                if (c.check.outcome == CheckOutcome::Blocked) {
                    blocked.insert(c.check.engine);
                    if (tell.blocked)
                        tell.blocked(c.check.engine, c.check.detail);
                }
            });
        }
    } catch (const ToolStopped&) {
        finish(RunEnd::Stopped, {});
        throw;
    } catch (const ToolError& e) {
        finish(RunEnd::Failed, e.description());
        throw;
    }
    const int problems = counts.blocked + counts.unrecognised + counts.failed;
    finish(problems == 0 ? RunEnd::Done : RunEnd::Partial,
           problems == 0 ? QString()
                         : QStringLiteral("%1 次检查没有答案：受阻 %2，页面无法识别 %3，失败 %4")
                               .arg(problems)
                               .arg(counts.blocked)
                               .arg(counts.unrecognised)
                               .arg(counts.failed));
    return counts;
}
