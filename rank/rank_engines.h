#pragma once

#include "base/charset.h"
#include "base/figure.h"
#include "rank/keyword_rank.h"

#include <QString>
#include <optional>
#include <vector>

// What one result page yields: the result region, or an answer the page settles before any
// region is looked at.
struct RankCut {
    bool settled;
    QString text;            // the answer when settled, otherwise the region
    Why why = Why::NotFound; // why a settled answer holds no position
};

// A result that holds the site: its position and the box's text for it.
struct RankAt {
    int position;
    QString text;
};

// The markers an engine's strategy reads, from its row in config/engines/keyword-rank.ini.
struct RankMarkers {
    QString start;     // where the result region begins
    QString end;       // where it ends
    QString results;   // Baidu, Google: where the results begin inside the region
    QString paid;      // Baidu: the mark of a paid result
    QString separator; // what the region is split at
    QString notFound;  // the answer when no result holds the site
    QString absent;    // Sogou: the answer when the page does not hold the site at all
};

// One engine of the keyword rank search. Its result pages are requested (see requestAddress;
// {k} is the keyword, {p} the page) and decoded in turn; each page is cut to its result region,
// the region is split at the separator, and the first piece holding the site decides: answer
// turns page p and piece index i into the position and the box's text. When no page's region
// holds the site, the box reads the not-found text.
struct RankEngine {
    RankBox box;
    // A box without a request of its own repeats the answer of this one.
    std::optional<RankBox> copies = std::nullopt;
    QString request = {};
    QString laterPages = {}; // appended to request from page 2 on
    int pages = 1;
    Decode decode = Decode::Declared;
    RankCut (*cut)(const QString& page, const QString& site, const QString& keyword,
                   const RankMarkers& m) = nullptr;
    RankAt (*answer)(int p, int i, const QString& region, const RankMarkers& m) = nullptr;
    RankMarkers markers = {};
};

// The engines in the order they are asked and their boxes written, as the engines file gives
// them. Raises ToolError when the file could not be read.
std::vector<RankEngine> rankEngines();
