#pragma once

#include "net/endpoint_table.h"

#include <QString>
#include <string_view>

// Result pages that are read page by page show this many results each.
inline constexpr int kResultsPerPage = 10;

// What fills the named holes of a request template. Values go in as they are: the tools hand
// over cleaned input, and the fetch escapes what an address cannot carry.
struct RequestValues {
    QString d = {};  // {d}: the domain or site
    QString k = {};  // {k}: the keyword; {k_gbk}: the keyword in GBK percent-encoding (URLEncode)
    int p = 1;       // {p}: the result page, from 1; {start}: the index of its first result, from 0
    QString lm = {}; // {lm}: Baidu's period in days, "0" for all time
    int perPage = kResultsPerPage; // the results a page shows; {first}: {start} + 1
};

// The address a template describes. Holes: "{EndpointName}" for that endpoint's base (scheme
// and host), "{SogouHostName}" for Sogou's host without scheme, and those of RequestValues. The
// template is scanned once, so text a value brings in is never taken for a hole. An unknown
// hole raises ToolError.
QString requestAddress(std::string_view requestTemplate, const EndpointTable& endpoints,
                       const RequestValues& values);
