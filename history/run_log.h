#pragma once

#include "history/history_store.h"
#include "history/run_record.h"

#include <QHash>
#include <QJsonObject>
#include <QString>

// A run's record from the moment it starts: started now, ended Done until told otherwise.
RunRecord beginRun(const QString& tool, const QString& input, const QString& keyword = {},
                   const QJsonObject& options = {});

// Stamps the end; error is kept only for a failure, whole or partial.
void endRun(RunRecord& run, RunEnd end, const QString& error = {});

// A rank box's move against the last recorded run: "↑3" (three places up), "↓12", "—" (the
// same place, or still not found), "新" (placed now, not before or never asked), "出榜" (placed
// before, not found now). Empty when this run has no answer to compare (the request failed or
// the page was not recognised).
QString positionChange(const Figure& now, const Figure* before);

// The figures of the last run of tool for input and keyword that ended Done, by label; empty
// when there is none.
QHash<QString, Figure> lastFigures(const HistoryStore& store, const QString& tool,
                                   const QString& input, const QString& keyword);
