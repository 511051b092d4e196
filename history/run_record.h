#pragma once

#include "base/figure.h"

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>

// The tools whose runs are recorded, by their names in the records (the CLI's command names),
// with the captions the window gives them, in the order of the window's tabs.
inline constexpr struct RecordedTool {
    const char* key;
    const char* caption;
} kRecordedTools[] = {
    {"indexed", "收录查询"},        {"backlinks", "反链查询"},
    {"baidu-period", "百度更新"},   {"badges", "PR/Alexa"},
    {"keyword-rank", "关键词排名"}, {"related", "相关搜索"},
    {"density", "关键词密度"},      {"ip", "IP查询"},
    {"whois", "WHOIS查询"},
};

enum class RunEnd { Done, Failed, Stopped };
QString runEndKey(RunEnd end); // "done", "failed", "stopped"
RunEnd runEndFromKey(const QString& key);

// One finished run of a network tool.
struct RunRecord {
    qint64 id = 0;       // given by the store
    QString tool;        // one of kRecordedTools' keys
    QString input;       // the cleaned domain, site, address (density) or keyword (related)
    QString keyword;     // keyword-rank and density: the cleaned keyword; otherwise empty
    QJsonObject options; // the rest of what was asked: {"period": …}, {"pages": 10, "engines": […]}
    QDateTime started; // UTC
    QDateTime ended;   // UTC
    RunEnd end = RunEnd::Done;
    QString error;     // the failure's description when end is Failed
    bool demo = false; // the figures are the demo mode's made-up data
    QList<Figure> figures;
};
