#pragma once

// Result pages of about 300 KB in the layout of each engine of the keyword rank search, and the
// whole search served from loopback, for the benchmarks.
#include "certificate.h"
#include "fixture_server.h"
#include "net/endpoint_table.h"
#include "net/http_fetch.h"

#include <QString>
#include <memory>
#include <vector>

inline const QString kRankSite = QStringLiteral("tessivo.cn");
inline const QString kRankKeyword = QStringLiteral("网站优化");
inline constexpr qsizetype kRankPageBytes = 300 * 1024;

// One engine's page layout around its results, and how its bytes go out.
struct Layout {
    QString beforeResults; // after the padded head
    QString (*result)(int n, const QString& domain);
    QString separator; // between two results
    QString afterResults;
    bool gbk;
};

extern const Layout kBaiduLayout;
extern const Layout kGoogleLayout;
extern const Layout kYahooLayout;
extern const Layout kSogouLayout;
extern const Layout kYoudaoLayout;

// 100 results on one page, or ten pages of ten; the site stands at result siteAt (0: nowhere).
std::vector<HttpResponse> resultPages(const Layout& l, bool paged, int siteAt);

// Every engine of the search on a loopback server of its own (HTTPS with tls), each holding its
// answers delayMs. The site is absent everywhere, so the search makes all its 23 requests. The
// pages go out uncompressed: the fixture server's brotli would add its own ~15 ms a page.
struct EngineServer {
    Endpoint endpoint;
    std::unique_ptr<FixtureServer> server;
};
std::vector<EngineServer> serveRankSearch(int delayMs, const Certificate* tls = nullptr);
