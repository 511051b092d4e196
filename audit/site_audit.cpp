#include "audit/site_audit.h"

#include "audit/audit_checks.h"
#include "audit/crawl_store.h"
#include "audit/page_decode.h"
#include "audit/robots_rules.h"
#include "audit/sitemap.h"
#include "base/tool_error.h"
#include "net/stop.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSet>
#include <QUrl>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <unordered_set>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Answers that ask a crawler to come back later are retried this often before they count.
constexpr int kMaxRetries = 3;
// A Retry-After longer than this is a site that wants no crawler today.
constexpr auto kMaxRetryWait = std::chrono::seconds(60);
// How many waiting addresses are looked at for one that may go now: the rest wait their turn.
constexpr int kDispatchLookahead = 256;
// How many waiting addresses are read from the state file at a time; the rest of the frontier,
// which on a large site runs to millions, stays there.
constexpr int kWindow = 4096;

// An address as the set of those already queued keeps it: 8 bytes instead of the text. Two of a
// million addresses share a key with odds of about one in 30 million.
quint64 addressKey(const QString& url) {
    return quint64(qHash(url, size_t(0x9e3779b97f4a7c15ULL)));
}

QString origin(const QUrl& url) {
    return QStringLiteral("%1://%2:%3")
        .arg(url.scheme(), url.host().toLower())
        .arg(url.port(url.scheme() == QLatin1String("https") ? 443 : 80));
}

QString productToken(const QString& userAgent) {
    static const QRegularExpression token(QStringLiteral("^[A-Za-z_-]+"));
    const auto m = token.match(userAgent.trimmed());
    return m.hasMatch() ? m.captured() : QStringLiteral("Tessivo");
}

bool isHtml(const QByteArray& contentType, const QByteArray& body) {
    const QByteArray type = contentType.toLower();
    if (type.contains("text/html") || type.contains("application/xhtml"))
        return true;
    return type.isEmpty() && body.left(512).toLower().contains("<html");
}

// Seconds of Retry-After (a number or an HTTP date), within kMaxRetryWait.
milliseconds retryAfter(const QByteArray& value) {
    bool ok = false;
    const double seconds = value.trimmed().toDouble(&ok);
    milliseconds wait(1000);
    if (ok && seconds >= 0) {
        wait = milliseconds(qint64(seconds * 1000));
    } else if (!value.isEmpty()) {
        const QDateTime when =
            QDateTime::fromString(QString::fromLatin1(value.trimmed()), Qt::RFC2822Date);
        if (when.isValid())
            wait = milliseconds(std::max<qint64>(0, QDateTime::currentDateTimeUtc().msecsTo(when)));
    }
    return std::min<milliseconds>(wait, kMaxRetryWait);
}

// One request, to the network or to whatever answers in its place.
HopResponse ask(CurlFetcher& curl, const HopRequest& request, const AuditOptions& options) {
    return options.answer ? options.answer(request) : curl.hop(request);
}

struct Job {
    QueuedUrl url;
    int attempt = 0;
};

struct Done {
    Job job;
    FetchResult result;
    QList<PageLink> links;
    bool retry = false; // 429 or 503: ask again after wait
    milliseconds wait{0};
};

// One fetch as a worker makes it: a page is read and scanned, any other target only checked
// (HEAD, or GET where HEAD is refused), its redirects followed.
Done fetchOne(CurlFetcher& curl, const Job& job, const AuditOptions& options) {
    Done done;
    done.job = job;
    FetchResult& r = done.result;
    r.url = job.url.url;
    r.kind = job.url.kind;
    r.depth = job.url.depth;
    const QByteArray agent = options.userAgent.toUtf8();
    QElapsedTimer timer;
    timer.start();
    try {
        if (job.url.kind == LinkKind::Page) {
            const HopResponse hop = ask(curl, {r.url, false, agent}, options);
            r.ms = timer.elapsed();
            r.status = int(hop.response.status);
            r.contentType = hop.response.contentType;
            r.bytes = hop.response.body.size();
            r.truncated = hop.truncated;
            if (r.status >= 300 && r.status < 400 && !hop.location.isEmpty())
                r.location = crawlAddress(QUrl(r.url).resolved(QUrl::fromEncoded(hop.location)))
                                 .toString(QUrl::FullyEncoded);
            if (r.status == 429 || r.status == 503) {
                done.retry = job.attempt < kMaxRetries;
                done.wait = retryAfter(hop.retryAfter);
            }
            if (hop.robotsTag.toLower().contains("noindex"))
                r.noindex = true;
            r.html = isHtml(r.contentType, hop.response.body);
            if (r.html && r.status >= 200 && r.status < 300 && !r.truncated) {
                const DecodedPage page = decodeAuditPage(hop.response.body, r.contentType);
                r.charset = QString::fromLatin1(page.charset);
                r.mismatch = page.mismatch;
                const PageScan scan = scanPage(page.text, QUrl(r.url));
                r.title = scan.title;
                r.description = scan.description;
                r.hasDescription = scan.hasDescription;
                r.h1s = scan.h1s;
                r.noindex = r.noindex || scan.noindex;
                r.canonical = scan.canonical.isEmpty()
                                  ? QString()
                                  : scan.canonical.toString(QUrl::FullyEncoded);
                r.imagesNoAlt = scan.imagesNoAlt;
                r.insecure = scan.insecure;
                done.links = scan.links;
            }
            return done;
        }
        // A target only checked: its redirects are followed here, as a browser loading it would.
        QString at = r.url;
        for (int hops = 0;; ++hops) {
            HopResponse hop = ask(curl, {at, true, agent}, options);
            if (hop.response.status == 405 || hop.response.status == 501)
                hop = ask(curl, {at, false, agent}, options);
            r.status = int(hop.response.status);
            r.contentType = hop.response.contentType;
            if (r.status == 429 || r.status == 503) {
                done.retry = job.attempt < kMaxRetries;
                done.wait = retryAfter(hop.retryAfter);
            }
            if (r.status < 300 || r.status >= 400 || hop.location.isEmpty())
                break;
            if (hops >= options.maxRedirects) {
                r.status = 0;
                r.error = QStringLiteral("重定向次数过多（超过 %1 次，可能是重定向循环）")
                              .arg(options.maxRedirects);
                break;
            }
            at = QUrl(at).resolved(QUrl::fromEncoded(hop.location)).toString(QUrl::FullyEncoded);
            r.location = at;
        }
        r.ms = timer.elapsed();
    } catch (const ToolError& e) {
        r.ms = timer.elapsed();
        r.status = 0;
        r.error = e.description();
    }
    return done;
}

struct HostState {
    RobotsRules robots;
    milliseconds interval{0};
    Clock::time_point next = Clock::now();
    int active = 0;
};

class Crawl {
public:
    Crawl(const QString& start, const AuditOptions& options, const QString& stateFile, bool resume,
          const std::function<void(const AuditProgress&)>& progress)
        : options_(options), progress_(progress), store_(stateFile, resume) {
        options_.limits.maxBodyBytes = options.maxPageBytes;
        options_.concurrency = std::max(1, options.concurrency);
        token_ = productToken(options.userAgent);
        const QString saved = store_.meta(QStringLiteral("start"));
        const QString startUrl = resume && !saved.isEmpty() ? saved : start;
        start_ = crawlAddress(QUrl(startUrl));
        if (!start_.isValid() || start_.host().isEmpty() ||
            (start_.scheme() != QLatin1String("http") && start_.scheme() != QLatin1String("https")))
            throw ToolError(
                QStringLiteral("起始网址无效（需要 http:// 或 https:// 开头的完整网址）：%1")
                    .arg(echoed(startUrl)));
        siteHost_ = start_.host().toLower();
        if (options_.includeSubdomains && siteHost_.startsWith(QLatin1String("www.")))
            siteHost_ = siteHost_.mid(4);
    }

    AuditReport run() {
        restore();
        if (store_.meta(QStringLiteral("start")).isEmpty()) {
            store_.setMeta(QStringLiteral("start"), start_.toString(QUrl::FullyEncoded));
            std::vector<QueuedUrl> queued;
            std::vector<QString> blocked;
            consider(start_, 0, LinkKind::Page, 0, queued, blocked);
            store_.saveQueued(queued, blocked);
        }
        if (store_.meta(QStringLiteral("sitemaps")).isEmpty()) {
            readSitemaps();
            store_.setMeta(QStringLiteral("sitemaps"), QString::number(sitemap_.size()));
        }
        crawl();
        const QString startUrl = start_.toString(QUrl::FullyEncoded);
        for (const FetchResult& r : results_)
            if (r.url == startUrl && r.status == 0)
                throw ToolError(QStringLiteral("起始网址无法访问：%1").arg(r.error));
        return report();
    }

private:
    void restore() {
        CrawlStore::Snapshot s = store_.load();
        store_.eachQueued([this](const QString& url) { known_.insert(addressKey(url)); });
        waitingTotal_ = s.waiting;
        unread_ = s.waiting > 0;
        for (const QString& url : s.blocked)
            blocked_.push_back(url);
        for (FetchResult& r : s.results) {
            if (r.kind == LinkKind::Page)
                ++pagesDone_;
            if (r.status == 0 || r.status >= 400)
                ++faults_;
            results_.push_back(std::move(r));
        }
        notes_ = std::move(s.notes);
        for (const QString& url : s.sitemap)
            sitemap_.insert(url);
        stoppedBy_ = store_.meta(QStringLiteral("stopped_by"));
        if (!stoppedBy_.isEmpty())
            bounds_.insert(stoppedBy_);
    }

    bool inSite(const QUrl& url) const {
        if (url.scheme() != start_.scheme())
            return false;
        const QString host = url.host().toLower();
        if (options_.includeSubdomains)
            return (host == siteHost_ || host.endsWith(u'.' + siteHost_));
        return host == siteHost_ && url.port() == start_.port();
    }

    HostState& host(const QUrl& url) {
        const QString key = origin(url);
        auto it = hosts_.find(key);
        if (it != hosts_.end())
            return it->second;
        HostState h;
        h.interval =
            options_.rate > 0 ? milliseconds(qint64(1000 / options_.rate)) : milliseconds(0);
        if (inSite(url) && options_.obeyRobots) {
            h.robots = fetchRobots(url);
            if (const auto delay = h.robots.crawlDelaySeconds())
                h.interval = std::max(h.interval, milliseconds(qint64(*delay * 1000)));
        }
        return hosts_.emplace(key, std::move(h)).first->second;
    }

    // A GET that follows up to five redirects (what RFC 9309 asks for robots.txt, and enough
    // for a sitemap); a sixth is answered as it came.
    HopResponse following(CurlFetcher& curl, QString url) {
        HopResponse hop;
        for (int hops = 0; hops <= 5; ++hops) {
            hop = ask(curl, {url, false, options_.userAgent.toUtf8()}, options_);
            if (hop.response.status < 300 || hop.response.status >= 400 || hop.location.isEmpty())
                break;
            url = QUrl(url).resolved(QUrl::fromEncoded(hop.location)).toString(QUrl::FullyEncoded);
        }
        return hop;
    }

    // RFC 9309: a 4xx (or redirects without end) allows everything, a 5xx or no answer forbids
    // everything.
    RobotsRules fetchRobots(const QUrl& site) {
        CurlFetcher curl(options_.limits);
        HopResponse hop;
        try {
            hop = following(
                curl,
                site.resolved(QUrl(QStringLiteral("/robots.txt"))).toString(QUrl::FullyEncoded));
        } catch (const ToolError& e) {
            // The start's own host not answering is no site to audit.
            if (origin(site) == origin(start_))
                throw ToolError(
                    QStringLiteral("网站无法访问，未能读取 robots.txt：%1").arg(e.description()));
            return RobotsRules::disallowAll();
        }
        const long status = hop.response.status;
        if (status >= 500 || status == 429)
            return RobotsRules::disallowAll();
        if (status >= 300)
            return RobotsRules::allowAll();
        RobotsRules rules = RobotsRules::parse(hop.response.body, token_);
        if (origin(site) == origin(start_))
            robotsSitemaps_ = rules.sitemaps();
        return rules;
    }

    void readSitemaps() {
        // The robots.txt names the sitemaps even when its rules are ignored.
        if (options_.obeyRobots)
            (void)host(start_);
        else
            (void)fetchRobots(start_);
        QStringList files = robotsSitemaps_;
        const QString guessed =
            start_.resolved(QUrl(QStringLiteral("/sitemap.xml"))).toString(QUrl::FullyEncoded);
        const bool listed = !files.isEmpty();
        if (!files.contains(guessed))
            files << guessed;
        FetchLimits limits = options_.limits;
        limits.maxBodyBytes = kMaxSitemapBytes;
        CurlFetcher curl(limits);
        std::vector<QString> pages;
        QSet<QString> seen;
        const qsizetype topLevel = files.size();
        // An index's sitemaps are read too, but an index inside those is not (Google reads
        // no deeper either).
        for (qsizetype i = 0; i < files.size() && i < 1000; ++i) {
            const QString& file = files[i];
            if (seen.contains(file))
                continue;
            seen.insert(file);
            const bool optional = file == guessed && !listed;
            HopResponse hop;
            try {
                hop = following(curl, file);
            } catch (const ToolError& e) {
                note({QStringLiteral("sitemap_error"), file, e.description()});
                continue;
            }
            if (hop.response.status < 200 || hop.response.status >= 300) {
                if (!(optional && hop.response.status == 404))
                    note({QStringLiteral("sitemap_error"), file,
                          QStringLiteral("HTTP %1").arg(hop.response.status)});
                continue;
            }
            if (hop.truncated) {
                note({QStringLiteral("sitemap_error"), file,
                      QStringLiteral("超过 %1 MB 的上限").arg(kMaxSitemapBytes >> 20)});
                continue;
            }
            const SitemapFile parsed = parseSitemap(hop.response.body);
            if (!parsed.error.isEmpty()) {
                note({QStringLiteral("sitemap_error"), file, parsed.error});
                continue;
            }
            if (i < topLevel)
                files << parsed.sitemaps;
            if (parsed.pages.size() + parsed.sitemaps.size() > kMaxSitemapUrls)
                note({QStringLiteral("sitemap_error"), file,
                      QStringLiteral("列出 %1 个网址，超过每个文件 %2 个的上限")
                          .arg(parsed.pages.size() + parsed.sitemaps.size())
                          .arg(kMaxSitemapUrls)});
            // sitemaps.org: a sitemap lists only addresses under its own folder.
            const QString folder =
                QUrl(file).resolved(QUrl(QStringLiteral("."))).toString(QUrl::FullyEncoded);
            for (const QString& page : parsed.pages) {
                const QUrl url = crawlAddress(QUrl(page));
                const QString key = url.toString(QUrl::FullyEncoded);
                if (!inSite(url)) {
                    note({QStringLiteral("sitemap_error"), key,
                          QStringLiteral("站点地图 %1 列出了别的网站的网址").arg(file)});
                    continue;
                }
                if (!key.startsWith(folder))
                    note({QStringLiteral("sitemap_error"), key,
                          QStringLiteral("站点地图 %1 只能列出 %2 之下的网址").arg(file, folder)});
                if (!sitemap_.contains(key)) {
                    sitemap_.insert(key);
                    pages.push_back(key);
                }
            }
        }
        store_.saveSitemap(pages);
        std::vector<QueuedUrl> queued;
        std::vector<QString> blocked;
        for (const QString& page : pages)
            consider(QUrl(page), 1, LinkKind::Page, 0, queued, blocked);
        store_.saveQueued(queued, blocked);
    }

    void note(const Note& n) {
        notes_.push_back(n);
        store_.saveNote(n);
    }

    // A bound reached: the first address it kept out is a trap row, and the audit says it
    // ended early. The page count alone is no lasting bound: a resumed audit may be given more.
    void bound(const QString& name, const QString& url, const QString& detail) {
        if (bounds_.contains(name))
            return;
        bounds_.insert(name);
        const Note trap{QStringLiteral("trap"), url, detail};
        if (name == QLatin1String("max_pages")) {
            notes_.push_back(trap);
        } else {
            note(trap);
            if (store_.meta(QStringLiteral("stopped_by")).isEmpty())
                store_.setMeta(QStringLiteral("stopped_by"), name);
        }
        if (stoppedBy_.isEmpty())
            stoppedBy_ = name;
    }

    // An address found on a page (or a redirect's target): queued once, unless a bound or the
    // robots.txt keeps it out.
    // address is url fully encoded, when the caller has it already.
    void consider(const QUrl& url, int depth, LinkKind kind, int hops,
                  std::vector<QueuedUrl>& queued, std::vector<QString>& blocked,
                  const QString& address = {}) {
        if (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https"))
            return;
        const QString key = address.isEmpty() ? url.toString(QUrl::FullyEncoded) : address;
        const quint64 seen = addressKey(key);
        if (known_.contains(seen))
            return;
        const bool page = kind == LinkKind::Page && inSite(url);
        if (key.size() > options_.maxUrlLength) {
            bound(QStringLiteral("max_url_length"), key.left(options_.maxUrlLength),
                  QStringLiteral("网址超过 %1 个字符，不再跟踪（可能是无限生成的网址）")
                      .arg(options_.maxUrlLength));
            return;
        }
        if (page && options_.maxDepth >= 0 && depth > options_.maxDepth) {
            bound(QStringLiteral("max_depth"), key,
                  QStringLiteral("超过 %1 层链接深度，不再跟踪").arg(options_.maxDepth));
            return;
        }
        if (hops > options_.maxRedirects) {
            bound(QStringLiteral("max_redirects"), key,
                  QStringLiteral("连续重定向超过 %1 次，不再跟踪").arg(options_.maxRedirects));
            return;
        }
        known_.insert(seen);
        if (page && options_.obeyRobots) {
            QByteArray path =
                url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::RemoveFragment);
            if (path.isEmpty())
                path = "/";
            if (!host(url).robots.allows(path)) {
                blocked.push_back(key);
                blocked_.push_back(key);
                return;
            }
        }
        queued.push_back({key, depth, page ? LinkKind::Page : LinkKind::Resource, hops});
        ++waitingTotal_;
        unread_ = true;
    }

    // Tops the frontier's window up from the state file, where the addresses queued since wait
    // in the order they came: when it runs low, or at once when asked.
    void refill(bool now) {
        if (!unread_ || (!now && waiting_.size() >= kWindow / 2))
            return;
        const int want = kWindow - int(waiting_.size());
        // Past the page bound only the other addresses are read: a page stays in the file, for
        // a resumed audit that is given more.
        const bool pages = pagesDone_ + activePages_ < options_.maxPages;
        const std::vector<QueuedUrl> rows = store_.waitingAfter(cursor_, want, cursor_, pages);
        for (const QueuedUrl& u : rows)
            waiting_.push_back({u, 0});
        unread_ = int(rows.size()) == want;
    }

    void absorb(Done& d) {
        FetchResult& r = d.result;
        HostState& h = host(QUrl(r.url));
        --h.active;
        if (r.kind == LinkKind::Page)
            --activePages_;
        if (d.retry) {
            h.next = std::max(h.next, Clock::now() + d.wait);
            waiting_.push_front({d.job.url, d.job.attempt + 1});
            ++waitingTotal_;
            return;
        }
        std::vector<LinkRow> links;
        std::vector<QueuedUrl> queued;
        std::vector<QString> blocked;
        for (const PageLink& l : d.links) {
            links.push_back({r.url, l.address, l.text});
            consider(l.url, r.depth + 1, l.kind, 0, queued, blocked, l.address);
        }
        if (!r.location.isEmpty() && r.kind == LinkKind::Page) {
            links.push_back({r.url, r.location, QStringLiteral("重定向 %1").arg(r.status)});
            consider(QUrl(r.location), r.depth, LinkKind::Page, d.job.url.hops + 1, queued,
                     blocked);
        }
        store_.saveFetch(r, links, queued, blocked);
        if (r.kind == LinkKind::Page)
            ++pagesDone_;
        if (r.status == 0 || r.status >= 400)
            ++faults_;
        results_.push_back(std::move(r));
    }

    void crawl() {
        StopFlag halt;
        std::mutex mutex;
        std::condition_variable jobsReady;
        std::condition_variable doneReady;
        std::deque<Job> jobs;
        std::deque<Done> finished;
        bool closing = false;
        std::vector<std::thread> workers;
        const StopFlag* outer = currentStopFlag();
        for (int i = 0; i < options_.concurrency; ++i)
            workers.emplace_back([&] {
                const StopScope scope(halt);
                const FetchSession session;
                CurlFetcher curl(options_.limits);
                for (;;) {
                    Job job;
                    {
                        std::unique_lock lock(mutex);
                        jobsReady.wait(lock, [&] { return closing || !jobs.empty(); });
                        if (closing)
                            return;
                        job = std::move(jobs.front());
                        jobs.pop_front();
                    }
                    Done done;
                    try {
                        done = fetchOne(curl, job, options_);
                    } catch (const ToolStopped&) {
                        return;
                    }
                    std::lock_guard lock(mutex);
                    finished.push_back(std::move(done));
                    doneReady.notify_one();
                }
            });
        struct Join {
            std::vector<std::thread>& workers;
            StopFlag& halt;
            std::mutex& mutex;
            bool& closing;
            std::condition_variable& jobsReady;
            ~Join() {
                halt.request();
                {
                    std::lock_guard lock(mutex);
                    closing = true;
                }
                jobsReady.notify_all();
                for (std::thread& t : workers)
                    t.join();
            }
        } join{workers, halt, mutex, closing, jobsReady};

        QElapsedTimer clock;
        clock.start();
        const qint64 pagesBefore = pagesDone_;
        qint64 lastTold = -1000;
        int active = 0;
        for (;;) {
            if (outer && outer->requested()) {
                stopped_ = true;
                break;
            }
            refill(false);
            // Hand out what may go now: per host, within its share of connections and its pace.
            const auto now = Clock::now();
            int looked = 0;
            for (auto it = waiting_.begin(); it != waiting_.end() && looked < kDispatchLookahead;) {
                const bool page = it->url.kind == LinkKind::Page;
                // Past the page bound a page read already goes back to waiting in the file.
                if (page && pagesDone_ + activePages_ >= options_.maxPages) {
                    it = waiting_.erase(it);
                    continue;
                }
                ++looked;
                HostState& h = host(QUrl(it->url.url));
                if (h.active >= options_.concurrency || h.next > now) {
                    ++it;
                    continue;
                }
                ++h.active;
                h.next = now + h.interval;
                if (page)
                    ++activePages_;
                ++active;
                --waitingTotal_;
                {
                    std::lock_guard lock(mutex);
                    jobs.push_back(std::move(*it));
                }
                jobsReady.notify_one();
                it = waiting_.erase(it);
            }
            std::deque<Done> ready;
            {
                std::unique_lock lock(mutex);
                doneReady.wait_for(lock, milliseconds(50), [&] { return !finished.empty(); });
                ready.swap(finished);
            }
            // What came back together is saved together: one commit, not one a page.
            store_.transaction([&] {
                for (Done& d : ready) {
                    --active;
                    absorb(d);
                }
            });
            if (progress_ && (clock.elapsed() - lastTold >= 500 || active == 0)) {
                lastTold = clock.elapsed();
                tell(clock.elapsed(), pagesBefore);
            }
            if (active == 0) {
                refill(true);
                if (!waiting_.empty())
                    continue;
                // What still waits now is pages the bound kept out.
                qint64 last = 0;
                const std::vector<QueuedUrl> left = store_.waitingAfter(0, 1, last, true);
                if (!left.empty())
                    bound(QStringLiteral("max_pages"), left.front().url,
                          QStringLiteral("已抓取 %1 个网页，达到上限，还有 %2 个网址未抓取")
                              .arg(pagesDone_)
                              .arg(waitingTotal_));
                break;
            }
        }
    }

    void tell(qint64 elapsedMs, qint64 pagesBefore) {
        AuditProgress p;
        p.pages = qint64(results_.size());
        p.found = qint64(known_.size());
        p.queued = waitingTotal_;
        p.faults = faults_;
        p.pagesPerSecond = elapsedMs > 0 ? double(pagesDone_ - pagesBefore) * 1000 / elapsedMs : 0;
        progress_(p);
    }

    AuditReport report() {
        AuditReport report;
        report.start = start_.toString(QUrl::FullyEncoded);
        CrawlFindings findings{
            report.start,
            results_,
            [this](const std::function<void(const LinkRow&)>& visit) { store_.eachLink(visit); },
            blocked_,
            notes_,
            sitemap_,
            !store_.meta(QStringLiteral("sitemaps")).isEmpty() &&
                store_.meta(QStringLiteral("sitemaps")) != QLatin1String("0")};
        CheckedCrawl checked = checkCrawl(findings);
        report.problems = std::move(checked.problems);
        for (const FetchResult& r : results_)
            if (r.kind == LinkKind::Page) {
                report.pages.push_back(r);
                report.inlinks.insert(r.url, checked.inlinks.value(r.url));
            }
        report.finalUrl = redirectEnds(results_);
        report.stoppedBy = stopped_ ? QStringLiteral("stopped") : stoppedBy_;
        return report;
    }

    AuditOptions options_;
    std::function<void(const AuditProgress&)> progress_;
    CrawlStore store_;
    QString token_;
    QUrl start_;
    QString siteHost_;
    std::map<QString, HostState> hosts_;
    QStringList robotsSitemaps_;
    std::unordered_set<quint64> known_; // every address queued, by addressKey
    std::deque<Job> waiting_;           // the frontier's first addresses; the rest in store_
    qint64 cursor_ = 0;                 // the last of store_'s frontier read into waiting_
    bool unread_ = false;               // store_ may hold waiting addresses past cursor_
    qint64 waitingTotal_ = 0;           // addresses waiting, read or not
    std::vector<QString> blocked_;
    std::vector<FetchResult> results_;
    std::vector<Note> notes_;
    QSet<QString> sitemap_;
    QSet<QString> bounds_;
    qint64 pagesDone_ = 0;
    qint64 activePages_ = 0;
    qint64 faults_ = 0;
    bool stopped_ = false;
    QString stoppedBy_;
};

} // namespace

AuditReport runSiteAudit(const QString& start, const AuditOptions& options,
                         const QString& stateFile, bool resume,
                         const std::function<void(const AuditProgress&)>& progress) {
    Crawl crawl(start, options, stateFile, resume, progress);
    return crawl.run();
}
