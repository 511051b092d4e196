#pragma once

#include "audit/audit_types.h"
#include "net/http_fetch.h"

#include <QMap>
#include <QString>
#include <functional>
#include <vector>

struct AuditOptions {
    qint64 maxPages = 100'000;
    int maxDepth = -1; // links followed from the start; negative: no bound
    int concurrency = 4;
    double rate = 5; // requests a second to one host; 0: as fast as the answers come
    // The User-Agent header, and its product token the robots.txt groups are matched against.
    // Empty: the program's own header and the token "Tessivo".
    QString userAgent;
    bool includeSubdomains = false;
    bool obeyRobots = true;
    int maxUrlLength = 2048;
    int maxRedirects = 10;
    qint64 maxPageBytes = 10LL * 1024 * 1024; // a larger page is reported, not read
    FetchLimits limits = {};                  // time-outs, proxy, certificates
    // Answers every request in the network's place when set: the demo's built-in site. Called
    // from several threads at once.
    std::function<HopResponse(const HopRequest&)> answer;
};

struct AuditProgress {
    qint64 pages = 0;  // addresses fetched
    qint64 found = 0;  // addresses known
    qint64 queued = 0; // still waiting
    qint64 faults = 0; // fetches that failed or answered 4xx/5xx
    double pagesPerSecond = 0;
};

struct AuditProblem {
    QString kind; // a stable name: "broken_link", "missing_title" …
    QString url;
    std::vector<LinkRow> from; // the pages that link to url, with the link's text
    QString detail;
};

struct AuditReport {
    QString start;
    std::vector<FetchResult> pages;  // the site's pages, in the order they were fetched
    QMap<QString, int> inlinks;      // links to each page
    QMap<QString, QString> finalUrl; // where a redirect ends, for each address that redirects
    std::vector<AuditProblem> problems;
    // The bound that ended the crawl early ("max_pages", "max_depth", "max_url_length",
    // "max_redirects"), "stopped" when it was stopped, empty when it ran out of addresses.
    QString stoppedBy;
};

// The stable names of every kind of problem, in the order a summary lists them.
const QStringList& auditProblemKinds();

// Audits the site of start (its scheme and host; with includeSubdomains, its subdomains too):
// every page fetched breadth first, every other link target checked, the state kept in
// stateFile so that a stopped or killed audit goes on with resume. The stop is the calling
// thread's StopFlag: the audit ends within a second and reports what it found. progress is
// told on the calling thread about twice a second. Raises ToolError when the start address or
// the state file is unusable, or the site does not answer at all (its robots.txt, or the start
// page when the robots.txt is ignored).
AuditReport runSiteAudit(const QString& start, const AuditOptions& options,
                         const QString& stateFile, bool resume,
                         const std::function<void(const AuditProgress&)>& progress = {});
