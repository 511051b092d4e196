#pragma once

#include "base/charset.h"
#include "base/figure.h"
#include "rank/keyword_rank.h"

#include <QString>
#include <optional>
#include <span>

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

// One engine of the keyword rank search. Its result pages are requested (see requestAddress;
// {k} is the keyword, {p} the page) and decoded in turn; each page is cut to its result region,
// the region is split at separator, and the first piece holding the site decides: answer turns
// page p and piece index i into the position and the box's text. When no page's region holds the
// site, the box reads notFound.
struct RankEngine {
    RankBox box;
    // A box without a request of its own repeats the answer of this one.
    std::optional<RankBox> copies = std::nullopt;
    const char* request = nullptr;
    const char* laterPages = ""; // appended to request from page 2 on
    int pages = 1;
    Decode decode = Decode::Declared;
    RankCut (*cut)(const QString& page, const QString& site, const QString& keyword) = nullptr;
    QString separator = {};
    RankAt (*answer)(int p, int i, const QString& region) = nullptr;
    QString notFound = {};
};

// The engines in the order they are asked and their boxes written.
std::span<const RankEngine> rankEngines();
