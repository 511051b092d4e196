#pragma once

#include "base/figure.h"

#include <QList>
#include <QString>

// What a figure's text cannot say: "-" or "0" reads like an answer, so the window's tooltips, its
// status lines and the CLI's standard error say why there is none.

// "失败：<the failure's description>" for a failed request, "页面中没有找到标记：…" for a page
// without its markers, "受阻：引擎要求验证（<the sign>）" for a captcha; empty for any other
// figure.
QString figureProblem(const Figure& figure);

struct FigureProblems {
    qsizetype figures = 0;
    qsizetype failed = 0;     // their request failed
    qsizetype unreadable = 0; // their page lacked its markers
    qsizetype blocked = 0;    // their engine asked for a captcha
};
FigureProblems countProblems(const QList<Figure>& figures);

// "8 个引擎中 1 个请求失败，2 个页面无法识别，1 个引擎要求验证"; empty when none failed, was
// unreadable or was blocked.
QString problemSummary(const QList<Figure>& figures);

// The figures whose request failed, each "Yahoo：<the failure's description>", joined by
// separator.
QString failureList(const QList<Figure>& figures, const QString& separator);
