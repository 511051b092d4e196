#pragma once

#include "history/run_record.h"

#include <QDateTime>

// A run as the tests record it: started at minutes after a fixed moment, ended a second later.
inline RunRecord sampleRun(const QString& tool, const QString& input, int minutes,
                           const QString& keyword = {}, RunEnd end = RunEnd::Done) {
    RunRecord run;
    run.tool = tool;
    run.input = input;
    run.keyword = keyword;
    run.started = QDateTime(QDate(2026, 11, 2), QTime(8, 0), Qt::UTC).addSecs(qint64(minutes) * 60);
    run.ended = run.started.addSecs(1);
    run.end = end;
    if (end == RunEnd::Failed)
        run.error = QStringLiteral("无法连接 127.0.0.1");
    return run;
}

inline Figure numberFigure(const QString& label, qint64 number, const QString& text = {}) {
    return Figure{label, text.isEmpty() ? QString::number(number) : text, number, Why::None, {},
                  {}};
}
