#pragma once

#include "net/http_fetch.h"

#include <QString>

// Fetches url and returns the figure between startMarker and endMarker, cleaned by stripList,
// as "<a href='url' target='_blank'>figure</a>". The figure is "0" when the page lacks the start
// marker; a start marker without an end marker after it raises ToolError.
QString getCountLink(Fetcher& fetcher, const QString& url, const QString& startMarker,
                     const QString& endMarker, const QString& stripList, Decode mode);

// The cutting half of getCountLink, on a page already fetched (url only names it in errors).
QString cutCount(const QString& page, const QString& url, const QString& startMarker,
                 const QString& endMarker, const QString& stripList);
