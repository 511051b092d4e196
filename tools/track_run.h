#pragma once

#include "tools/recorded_run.h"
#include "tools/track_alerts.h"
#include "track/rank_check.h"

#include <QList>
#include <QSet>
#include <QString>
#include <functional>

// The figure a check is recorded as: labelled by the engine, its text the outcome in words, its
// number the position when found, its why the outcome otherwise.
Figure checkFigure(const EngineCheck& check);

// One engine's check of a tracked keyword, with its move against the last answer of the same
// engine for the same site and keyword ("↑3", "新" …; empty without a history or an answer now).
struct TrackedCheck {
    EngineCheck check;
    QString change;
    QList<RankMove> moves;
};

// Asks one engine; checkRank's signature without the fetcher, so that a run can be given
// another.
using RankChecker = std::function<EngineCheck(const QString& engine, const RankQuery& query)>;

// Checks query on each of engines through check and records it as one run of rank-track in
// history (null: not kept), each check told to each as it ends. Reads the changes before the
// run is written. A stop ends the run recorded as stopped and goes through as ToolStopped.
QList<TrackedCheck> checkAndRecord(RunHistory* history, const RankQuery& query,
                                   const QStringList& engines, const RankChecker& check, bool demo,
                                   const std::function<void(const TrackedCheck&)>& each = {});

// The figures of a run of the list: "found", "not_found", "blocked", "unrecognised", "failed",
// "skipped".
QStringList trackRunLabels();

// How the checks of a run of the list ended.
struct TrackCounts {
    int found = 0;
    int notFound = 0;
    int blocked = 0;
    int unrecognised = 0;
    int failed = 0;
    int skipped = 0; // not asked: their engine was blocked earlier in the run
    QList<RankMove> moves;
};

// What a run of the list tells as it goes.
struct TrackRunTell {
    std::function<void(const TrackedPair&, const TrackedCheck&)> checked = {};
    // An engine answered with a block: it is not asked again in this run.
    std::function<void(const QString& engine, const QString& sign)> blocked = {};
};

// Checks every pair of list on its engines (every engine of the day for a pair that names
// none), an engine that was blocked skipped for the rest of the run. Records each check
// (checkAndRecord) and the run itself as a run of track-run: its start, end and counts.
TrackCounts runTrackedList(RunHistory* history, const QList<TrackedPair>& list,
                           const RankChecker& check, bool demo, const TrackRunTell& tell = {});
