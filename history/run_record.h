#pragma once

#include "base/figure.h"

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>

// Partial: the run ended, but some of its engines' requests failed (Failed when all of them did).
enum class RunEnd { Done, Failed, Stopped, Partial };
QString runEndKey(RunEnd end); // "done", "failed", "stopped", "partial"
RunEnd runEndFromKey(const QString& key);

// One finished run of a network tool.
struct RunRecord {
    qint64 id = 0;       // given by the store
    QString tool;        // the tool's key (tools/tool_registry.h)
    QString input;       // the cleaned domain, site, address (density) or keyword (related)
    QString keyword;     // keyword-rank and density: the cleaned keyword; otherwise empty
    QJsonObject options; // the rest of what was asked: {"period": …}, {"pages": 10, "engines": […]}
    QDateTime started; // UTC
    QDateTime ended;   // UTC
    RunEnd end = RunEnd::Done;
    QString error;     // the failure's description when end is Failed or Partial
    bool demo = false; // the figures are the demo mode's made-up data
    QList<Figure> figures;
};
