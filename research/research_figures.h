#pragma once

#include "base/figure.h"
#include "research/keyword_density.h"
#include "research/related_search.h"

#include <QList>

// A keyword row's four attention figures, labelled "keyword/当日关注" … "keyword/一季关注".
QList<Figure> keywordRowFigures(const KeywordRow& row);

// The density page's figures, labelled as the CLI's JSON keys: "page_length", "keyword_length",
// "frequency", "keyword_total_length" and "density" (a percentage).
QList<Figure> densityFigures(const KeywordDensity& d);
