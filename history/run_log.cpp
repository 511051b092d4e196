#include "history/run_log.h"

RunRecord beginRun(const QString& tool, const QString& input, const QString& keyword,
                   const QJsonObject& options) {
    RunRecord run;
    run.tool = tool;
    run.input = input;
    run.keyword = keyword;
    run.options = options;
    run.started = QDateTime::currentDateTimeUtc();
    return run;
}

void endRun(RunRecord& run, RunEnd end, const QString& error) {
    run.ended = QDateTime::currentDateTimeUtc();
    run.end = end;
    run.error = end == RunEnd::Failed || end == RunEnd::Partial ? error : QString();
}

QString positionChange(const Figure& now, const Figure* before) {
    const bool wasPlaced = before && before->number;
    if (now.number) {
        if (!wasPlaced)
            return QStringLiteral("新");
        const qint64 up = qint64(*before->number) - qint64(*now.number);
        if (up == 0)
            return QStringLiteral("—");
        return (up > 0 ? QStringLiteral("↑") : QStringLiteral("↓")) + QString::number(qAbs(up));
    }
    if (now.why != Why::NotFound)
        return {};
    return wasPlaced ? QStringLiteral("出榜") : QStringLiteral("—");
}

QHash<QString, Figure> lastFigures(const HistoryStore& store, const QString& tool,
                                   const QString& input, const QString& keyword) {
    const QList<RunRecord> last = store.runs({.tool = tool,
                                              .input = input,
                                              .keyword = keyword,
                                              .since = {},
                                              .doneOnly = true,
                                              .limit = 1});
    QHash<QString, Figure> byLabel;
    if (!last.isEmpty())
        for (const Figure& f : last.front().figures)
            byLabel.insert(f.label, f);
    return byLabel;
}
