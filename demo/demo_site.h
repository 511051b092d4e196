#pragma once

#include "net/http_fetch.h"

// The site the audit crawls in the demo, www.example.cn, answered without the network: a
// handful of pages with one fault of each kind the audit knows (a dead link, redirects, titles,
// descriptions, headings, robots.txt, the sitemap, a wrong charset, a slow and a large page, an
// address too long to follow). Any other host answers 200 to everything. Safe to call from
// several threads at once; a stop of the calling thread's run ends the slow page's wait.
HopResponse demoSiteAnswer(const HopRequest& request);
