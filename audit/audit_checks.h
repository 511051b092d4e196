#pragma once

#include "audit/audit_types.h"
#include "audit/site_audit.h"

#include <QHash>
#include <QMap>
#include <QSet>
#include <functional>
#include <vector>

// Everything a crawl found, as the checks read it.
struct CrawlFindings {
    QString start; // where the crawl began: linked or not, it was reached
    const std::vector<FetchResult>& results;
    // Hands every link to visit, in the order they were found.
    std::function<void(const std::function<void(const LinkRow&)>& visit)> eachLink;
    const std::vector<QString>& blocked;
    const std::vector<Note>& notes;
    const QSet<QString>& sitemap;
    bool sitemapRead; // a sitemap listed pages, so a page missing from it counts
};

struct CheckedCrawl {
    std::vector<AuditProblem> problems; // grouped by kind in auditProblemKinds() order
    QHash<QString, int> inlinks;        // pages' links to each address, redirects not counted
};

CheckedCrawl checkCrawl(const CrawlFindings& findings);

// Where the redirects starting at each address end (the last address of the chain; the
// address the chain came back to, for a loop).
QMap<QString, QString> redirectEnds(const std::vector<FetchResult>& results);

// Pages over these are reported: a visitor waits, a phone pays.
inline constexpr qint64 kSlowPageMs = 3000;
inline constexpr qint64 kLargePageBytes = 3LL * 1024 * 1024;
// Baidu and Google cut titles at about 60 columns, a Chinese character taking two.
inline constexpr int kMaxTitleColumns = 60;
