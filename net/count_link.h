#pragma once

#include "base/figure.h"
#include "net/http_fetch.h"

#include <QString>
#include <optional>

// Fetches url and returns the figure between startMarker and endMarker, cleaned by stripList,
// as "<a href='url' target='_blank'>figure</a>". The figure is "0" when the page lacks the start
// marker; a start marker without an end marker after it raises ToolError. figure, when given,
// is told the figure, its number and, for a page without the start marker, that the page was
// not recognised (its label is left to the caller).
QString getCountLink(Fetcher& fetcher, const QString& url, const QString& startMarker,
                     const QString& endMarker, const QString& stripList, Decode mode,
                     Figure* figure = nullptr);

// getCountLink on a page already fetched.
QString countLinkIn(const QString& page, const QString& url, const QString& startMarker,
                    const QString& endMarker, const QString& stripList, Figure* figure = nullptr);

// text as a survey's cell links it to the engine's page: "<a href='url' target='_blank'>text</a>".
QString countLink(const QString& url, const QString& text);

// The figure between the markers; nothing when the page lacks the start marker.
std::optional<QString> cutMarkedCount(const QString& page, const QString& url,
                                      const QString& startMarker, const QString& endMarker,
                                      const QString& stripList);

// The cutting half of getCountLink, on a page already fetched (url only names it in errors).
QString cutCount(const QString& page, const QString& url, const QString& startMarker,
                 const QString& endMarker, const QString& stripList);
