#pragma once

#include "history/run_record.h"

#include <QList>
#include <QString>
#include <QStringList>

class QChartView;

// An engine's name as the records keep it ("Baidu", "bing", "so360") as a Chinese reader knows
// it ("百度", "必应", "360搜索"); other labels as they are.
QString shownLabel(const QString& label);

// Each label's number over runs (newest first) on a new chart in view, titled title: one line a
// label, a gap, never a point at zero, where a run has no number for it (not found, blocked,
// failed). rank: positions, the first place at the top.
void drawFigureChart(QChartView* view, const QList<RunRecord>& runs, const QStringList& labels,
                     bool rank, const QString& title);
