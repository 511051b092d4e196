#pragma once

#include "net/http_fetch.h"

#include <QString>

// Where a site stands among an engine's first 100 results for a keyword. Each scanner takes the
// address of the engine's first result page (built by the keyword rank search), the cleaned site
// and the cleaned keyword, and answers one of these texts:
//   "排名为第N位"                        found at position N
//   "排名为第N位（有M 个参与竞价推广）"  Baidu: position N with M paid results on the page
//   "在100位（1--10页）中未查询到结果"   not among the results scanned
//   "在100位（1--10页）中未查询到结果!!" Sogou: the site is nowhere on the page
//   ""                                   Sogou: on the page, but outside the result list
//   "--"                                 Google: the keyword is not shown in bold
//   "-"                                  the page lacks its result markers, or anything failed
// None of them raises an error. The site is lower-cased and loses a leading "www." first; the
// pages are searched as they are, case-sensitively.

// One GBK page of 100 results, paid results corrected for.
QString getBaiduRank(Fetcher& fetcher, const QString& url, const QString& site);
// One page of 100 results, read after the first bold occurrence of the keyword.
QString getGoogleRank(Fetcher& fetcher, const QString& url, const QString& site,
                      const QString& keyword);
// Up to ten pages of ten results; the keyword is not used.
QString getYahooRank(Fetcher& fetcher, const QString& url, const QString& site,
                     const QString& keyword);
// One page of 100 results; the keyword is not used.
QString getSogouRank(Fetcher& fetcher, const QString& url, const QString& site,
                     const QString& keyword);
// Up to ten pages of ten results; the keyword is already in url, GBK-escaped, and not used.
QString getYoudaoRank(Fetcher& fetcher, const QString& url, const QString& site,
                      const QString& keyword);
