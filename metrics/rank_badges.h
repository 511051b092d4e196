#pragma once

#include "base/enum_table.h"
#include "base/figure.h"
#include "base/progress.h"
#include "net/endpoint_table.h"
#include "net/http_fetch.h"

#include <QString>
#include <functional>
#include <iterator>

// The four ratings in the order they are asked, each with its key in the CLI's JSON and its
// name.
enum class Badge { PageRank, Alexa, Sogou, ChinaRank };
inline constexpr struct BadgeName {
    Badge badge;
    const char* key;
    const char* name;
} kBadges[] = {
    {Badge::PageRank, "pagerank", "PageRank"},
    {Badge::Alexa, "alexa", "Alexa"},
    {Badge::Sogou, "sogou", "Sogou Rank"},
    {Badge::ChinaRank, "chinarank", "ChinaRank"},
};
static_assert(rowsInEnumOrder(kBadges, &BadgeName::badge));

// The four ratings of domain (already cleaned), fetched in this order; each is reported as soon
// as its page is cut, before the next request: the caption as the figure's text (labelled with
// the rating's key), its number, or why there is none. A request that fails outright gives "-"
// for its rating and the others are still fetched, so only a stop (ToolStopped) ends it early.
void runRankBadges(Fetcher& fetcher, const EndpointTable& endpoints, const QString& domain,
                   const std::function<void(Badge, const Figure&)>& report,
                   const Progress& progress = {});

// The cutters, one per rating page.
QString cutPageRank(const QString& body);
QString cutAlexa(const QString& page);
QString cutSogouRank(const QString& page);
QString cutChinaRank(const QString& page);

// Whether a PageRank text is a rank 0 to 10, the only texts a badge picture exists for.
bool isPageRank(const QString& rank);
