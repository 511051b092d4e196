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

// The four ratings of domain (already cleaned), fetched in the order of the badges' engines file;
// each is reported as soon as its page is cut, before the next request: the caption as the figure's
// text (labelled with the rating's key), its number, or why there is none. A request that fails
// outright gives "-" for its rating and the others are still fetched, so only a stop (ToolStopped)
// ends it early.
void runRankBadges(Fetcher& fetcher, const EndpointTable& endpoints, const QString& domain,
                   const std::function<void(Badge, const Figure&)>& report,
                   const Progress& progress = {});

// The markers a rating's cutter reads, from its row in config/engines/badges.ini.
struct BadgeMarkers {
    QString start; // where the figure's neighbourhood begins
    QString skip;  // deleted from there on before the end is looked for
    QString end;   // where it ends
    QString strip; // deleted from what was cut
};

// The markers of the rating whose key is key, as its engines row gives them.
BadgeMarkers badgeMarkers(const QString& key);

// The cutters, one per rating page; "-" when the page lacks a marker.
QString cutPageRank(const QString& body, const BadgeMarkers& m);
QString cutAlexa(const QString& page, const BadgeMarkers& m);
QString cutSogouRank(const QString& page, const BadgeMarkers& m);
QString cutChinaRank(const QString& page, const BadgeMarkers& m);

// The rating whose key ("pagerank" …) is key; raises ToolError when there is none.
const BadgeName& badgeNamed(const QString& key);

// Whether a PageRank text is a rank 0 to 10, the only texts a badge picture exists for.
bool isPageRank(const QString& rank);
