#pragma once

#include "base/figure.h"
#include "submit/baidu_push.h"
#include "submit/indexnow.h"

#include <QList>
#include <QString>
#include <QStringList>

// What a push leaves behind, the same from the window and the command line: the figures the
// history keeps, the rows that tell the answer in words, and why a run that ended early failed.

QList<Figure> baiduPushFigures(const BaiduPushReport& report);
QList<Figure> indexNowFigures(const IndexNowReport& report);

// How far a push has gone, told after each batch Baidu answered.
QString baiduPushProgress(const BaiduPushReport& report);

// A row a fact: what it is, then its value ("今天剩余配额", "120").
QList<QStringList> baiduPushRows(const BaiduPushReport& report);
QList<QStringList> indexNowRows(const IndexNowReport& report);

// The run's error with how many addresses it left; empty when it went to the end.
QString baiduPushFailure(const BaiduPushReport& report);
QString indexNowFailure(const IndexNowReport& report);
