#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <optional>

// Why a figure has no number. The window shows the text either way; history and JSON keep
// the reason so that a failed request is never read as "0" or as "not found".
enum class Why {
    None,         // the figure holds a number
    NotFound,     // the engine answered and the site is not among the results scanned
    Unrecognised, // the page lacks the markers the figure is cut by (changed or blocked page)
    Failed,       // the request failed
    NoNumber,     // the page's text holds no number ("-", "--", an empty box)
};

// Stable words for the reasons, as stored and printed in JSON: "", "not_found",
// "unrecognised", "failed", "no_number".
QString whyKey(Why why);
Why whyFromKey(const QString& key);

// One figure of a run as the user saw it: a survey's engine, a rank box, a badge, a density
// measure or a related-search column.
struct Figure {
    QString label;                // "Baidu", "pagerank", "density", "关键词 3 一周关注" …
    QString text;                 // as shown
    std::optional<qint64> number; // the number the text holds, when it holds one
    Why why = Why::None;          // why there is no number
    QString detail;               // the failure's description, when why is Failed
    QString address;              // the request address, where one was asked
};

enum class RunEnd { Done, Failed, Stopped };
QString runEndKey(RunEnd end); // "done", "failed", "stopped"
RunEnd runEndFromKey(const QString& key);

// One finished run of a network tool.
struct RunRecord {
    qint64 id = 0;       // given by the store
    QString tool;        // the CLI command's name: "indexed", "backlinks", "baidu-period",
                         // "badges", "keyword-rank", "related", "density"
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
