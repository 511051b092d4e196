// The five rank scanners on result pages of about 300 KB, served from memory so that only the
// scan (decoding, cutting, splitting, searching) is timed: the site as the 100th result and the
// site absent (for Yahoo and Youdao both mean ten pages). Then the whole keyword rank search
// against loopback servers that hold every response 20 ms (and 0 ms), beside the sum of those
// latencies and beside the same number of requests for an empty page, which shows what the
// loopback server and its sleeps cost by themselves. The pages go out uncompressed: the fixture
// server's brotli would add its own ~15 ms a page.
#include "base/charset.h"
#include "fixture_server.h"
#include "net/http_fetch.h"
#include "rank/keyword_rank.h"

#include <algorithm>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>
#include <vector>

namespace {

const QString kSite = QStringLiteral("tessivo.cn");
const QString kKeyword = QStringLiteral("网站优化");
constexpr qsizetype kPageBytes = 300 * 1024;

// One engine's page layout around its results, and how its bytes go out.
struct Layout {
    QString beforeResults; // after the padded head
    QString (*result)(int n, const QString& domain);
    QString separator; // between two results
    QString afterResults;
    bool gbk;
};

QString snippet(int n) {
    return QStringLiteral(
               "网站优化（SEO）是让网站在搜索引擎的自然结果中排名靠前的方法，第 %1 条结果"
               "介绍关键词、外链、收录和排名的基础知识，以及站长常用的查询工具……")
        .arg(n);
}

const Layout kBaiduLayout{
    QStringLiteral("<div id=\"tool\">百度一下，找到相关网页约1,230,000篇，用时0.028秒</div>"
                   "<DIV id=ScriptDiv></DIV>"),
    [](int n, const QString& d) {
        return QStringLiteral(
                   "<table cellpadding=\"0\" cellspacing=\"0\" class=\"result\" id=\"%1\">"
                   "<tr><td class=f><h3 class=\"t\"><a href=\"http://%2/\" "
                   "target=\"_blank\">%2 的网站优化工具</a></h3><font size=-1>%3<br>"
                   "<span class=\"g\">%2/ 12K 2009-5-1</span></font></td></tr></table>")
            .arg(n)
            .arg(d, snippet(n));
    },
    QStringLiteral("<br>"),
    QStringLiteral("<br><div id=\"rs\"><table><tr><th>相关搜索</th><td><a href=\"s?wd=seo\">seo"
                   "</a></td></tr></table></div>"),
    true};

const Layout kGoogleLayout{
    QStringLiteral("<div id=ssb>约有 1,230,000 项符合<b>网站优化</b>的查询结果</div><ol>"),
    [](int n, const QString& d) {
        return QStringLiteral("<li class=g><h3 class=r><a href=\"http://%1/\" class=l>%1 的网站优化"
                              "工具</a></h3><div class=\"s\">%2<br><cite>%1/</cite></div></li>")
            .arg(d, snippet(n));
    },
    QString(), QStringLiteral("</ol>"), false};

const Layout kYahooLayout{
    QStringLiteral("<div id=\"info\">1 - 10 of 1,230,000</div><div class=\"yst-web\"><ol><li>"),
    [](int n, const QString& d) {
        return QStringLiteral("<h3><a class=\"yschttl\" href=\"http://%1/\">%1 的网站优化工具</a>"
                              "</h3><span class=\"abstr\">%2</span><span class=\"url\">%1</span>")
            .arg(d, snippet(n));
    },
    QStringLiteral("</li><li>"), QStringLiteral("</li></ol></div>"), false};

const Layout kSogouLayout{
    QStringLiteral("<div id=\"content\">"),
    [](int n, const QString& d) {
        return QStringLiteral(
                   "<div class=\"rb\"><h3 class=\"pt\"><a href=\"http://%1/\">%1 的网站优化"
                   "工具</a></h3><p class=\"ft\">%2</p><cite>%1</cite></div>")
            .arg(d, snippet(n));
    },
    QString(), QStringLiteral("<!--z-->"), false};

const Layout kYoudaoLayout{
    QStringLiteral("<div id=\"results\">"),
    [](int n, const QString& d) {
        return QStringLiteral("<table class=\"one result\"><tr><td><h3><a href=\"http://%1/\">%1 的"
                              "网站优化工具</a></h3><p>%2</p><span>%1</span></td></tr></table>")
            .arg(d, snippet(n));
    },
    QString(), QStringLiteral("</div><div id=\"relatedQuery\">相关搜索</div>"), false};

// The inline scripts and styles that make up most of a real result page.
QString padding(qsizetype utf8Bytes) {
    const QString chunk = QStringLiteral(
        "<script>window.bds=window.bds||{};bds.comm={domain:\"http://www.baidu.com\",ubsurl:"
        "\"/w.gif\",tn:\"baidu\",queryEnc:\"%CD%F8%D5%BE\",queryId:\"a1b2c3\",sid:\"1421_21094\"};"
        "function h(obj){obj.style.behavior='url(#default#homepage)';}</script>\n<style>.result{"
        "width:33.7em;table-layout:fixed}.f{line-height:115%;font-size:100%}.t{font-weight:normal;"
        "font-size:medium;margin-bottom:1px}</style>\n");
    return chunk.repeated(utf8Bytes / chunk.size() + 1); // all ASCII: one byte a character
}

// One page holding results first..first+count-1; the site stands at result siteAt (0: nowhere).
HttpResponse page(const Layout& l, int first, int count, int siteAt) {
    QStringList results;
    for (int n = first; n < first + count; ++n)
        results << l.result(n, n == siteAt ? QStringLiteral("www.") + kSite
                                           : QStringLiteral("www.site-%1.com.cn").arg(n));
    const QString body = l.beforeResults + results.join(l.separator) + l.afterResults;
    const qsizetype rest = kPageBytes - body.toUtf8().size();
    const QString text = QStringLiteral("<html><head>") + padding(rest * 2 / 3) +
                         QStringLiteral("</head><body>") + body + padding(rest / 3) +
                         QStringLiteral("</body></html>");
    return l.gbk ? HttpResponse{charset::encodeGbk(text), "text/html"}
                 : HttpResponse{text.toUtf8(), "text/html; charset=utf-8"};
}

// 100 results on one page, or ten pages of ten.
std::vector<HttpResponse> pages(const Layout& l, bool paged, int siteAt) {
    if (!paged)
        return {page(l, 1, 100, siteAt)};
    std::vector<HttpResponse> v;
    for (int p = 0; p < 10; ++p)
        v.push_back(page(l, p * 10 + 1, 10, siteAt));
    return v;
}

// Hands out its pages in turn, from the first again after every scan.
class MemoryFetcher : public Fetcher {
public:
    explicit MemoryFetcher(std::vector<HttpResponse> pages) : pages_(std::move(pages)) {}
    HttpResponse get(const QString&) override {
        return pages_[std::min(next_++, pages_.size() - 1)];
    }
    void rewind() { next_ = 0; }
    qint64 bytesServed() const {
        qint64 n = 0;
        for (size_t i = 0; i < std::min(next_, pages_.size()); ++i)
            n += pages_[i].body.size();
        return n;
    }

private:
    std::vector<HttpResponse> pages_;
    size_t next_ = 0;
};

void scanBench(benchmark::State& state, const Layout& l, bool paged, RankBox box, bool found) {
    MemoryFetcher fetcher(pages(l, paged, found ? 100 : 0));
    const EndpointTable endpoints; // the fetcher answers every address from memory
    const QString expected = found ? QStringLiteral("排名为第100位") : QString();
    QString answer;
    for (auto _ : state) {
        fetcher.rewind();
        answer = rankOn(box, fetcher, endpoints, kSite, kKeyword).text;
        benchmark::DoNotOptimize(answer);
    }
    if (found && !answer.startsWith(expected))
        state.SkipWithError(("unexpected answer " + answer.toStdString()).c_str());
    state.SetBytesProcessed(int64_t(state.iterations()) * fetcher.bytesServed());
    state.counters["pages"] = double(fetcher.bytesServed()) / double(kPageBytes);
}

// Wall time per run against the sum of the latencies the servers added.
void reportOverhead(benchmark::State& state, std::chrono::steady_clock::duration spent,
                    qsizetype requests, int delayMs) {
    const double runs = double(state.iterations());
    const double latencyMs = double(requests) / runs * delayMs;
    const double measuredMs = std::chrono::duration<double, std::milli>(spent).count() / runs;
    state.counters["requests"] = double(requests) / runs;
    state.counters["latency_ms"] = latencyMs;
    state.counters["overhead_ms"] = measuredMs - latencyMs;
}

// The whole search, every engine on a loopback server of its own holding each response.
void BM_SearchLoopback(benchmark::State& state) {
    const int delayMs = int(state.range(0));
    struct Engine {
        Endpoint endpoint;
        const char* path;
        const Layout& layout;
        bool paged;
    };
    const Engine engines[] = {
        {Endpoint::BaiduSearchHost, "/s", kBaiduLayout, false},
        {Endpoint::GoogleHost, "/search", kGoogleLayout, false},
        {Endpoint::YahooSearchHost, "/s", kYahooLayout, true},
        {Endpoint::SogouHost, "/web", kSogouLayout, false},
        {Endpoint::YoudaoHost, "/search", kYoudaoLayout, true},
    };
    std::vector<std::unique_ptr<FixtureServer>> servers;
    EndpointTable endpoints;
    for (const Engine& e : engines) {
        auto s = std::make_unique<FixtureServer>();
        // The site is absent everywhere: the full 23 requests.
        auto served = std::make_shared<std::vector<HttpResponse>>(pages(e.layout, e.paged, 0));
        auto next = std::make_shared<std::atomic<size_t>>(0);
        s->add(e.path, [served, next, delayMs](const std::string&) {
            const HttpResponse& r = (*served)[(*next)++ % served->size()];
            // Not a text/ type, so the server leaves the body uncompressed.
            QByteArray type = r.contentType;
            type.replace("text/html", "application/octet-stream");
            return FixtureServer::Page{200, type, r.body, delayMs};
        });
        endpoints.set(e.endpoint, s->base());
        servers.push_back(std::move(s));
    }
    CurlFetcher fetcher;
    std::chrono::steady_clock::duration spent{};
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        int boxes = 0;
        searchKeywordRank(fetcher, endpoints, kSite, kKeyword,
                          [&](RankBox, const Figure&) { ++boxes; });
        spent += std::chrono::steady_clock::now() - start;
        benchmark::DoNotOptimize(boxes);
    }
    qsizetype requests = 0;
    for (const auto& s : servers)
        requests += s->requests().size();
    reportOverhead(state, spent, requests, delayMs);
}

// The same 23 requests for a 10-byte page: what the loopback server, its sleeps and the wake-ups
// cost by themselves, so that the search's own share is the difference of the two overheads.
void BM_EmptyFetchesLoopback(benchmark::State& state) {
    const int delayMs = int(state.range(0));
    FixtureServer server;
    server.add("/e", FixtureServer::Page{200, "application/octet-stream", "0123456789", delayMs});
    const QString url = server.base() + QStringLiteral("/e");
    CurlFetcher fetcher;
    std::chrono::steady_clock::duration spent{};
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < 23; ++i)
            benchmark::DoNotOptimize(HttpFetch(fetcher, url, Decode::Declared));
        spent += std::chrono::steady_clock::now() - start;
    }
    reportOverhead(state, spent, server.requests().size(), delayMs);
}

#define TESSIVO_SCAN_BENCH(name, layout, paged, scan)                                              \
    void BM_##name##Found100(benchmark::State& s) {                                                \
        scanBench(s, layout, paged, scan, true);                                                   \
    }                                                                                              \
    void BM_##name##Absent(benchmark::State& s) {                                                  \
        scanBench(s, layout, paged, scan, false);                                                  \
    }                                                                                              \
    BENCHMARK(BM_##name##Found100)->Unit(benchmark::kMicrosecond);                                 \
    BENCHMARK(BM_##name##Absent)->Unit(benchmark::kMicrosecond)

TESSIVO_SCAN_BENCH(Baidu, kBaiduLayout, false, RankBox::Baidu);
TESSIVO_SCAN_BENCH(Google, kGoogleLayout, false, RankBox::Google);
TESSIVO_SCAN_BENCH(Yahoo, kYahooLayout, true, RankBox::Yahoo);
TESSIVO_SCAN_BENCH(Sogou, kSogouLayout, false, RankBox::Sogou);
TESSIVO_SCAN_BENCH(Youdao, kYoudaoLayout, true, RankBox::Youdao);

#define TESSIVO_LOOPBACK_BENCH(f)                                                                  \
    BENCHMARK(f)                                                                                   \
        ->Arg(20)                                                                                  \
        ->Arg(0)                                                                                   \
        ->Iterations(10)                                                                           \
        ->Repetitions(3)                                                                           \
        ->ReportAggregatesOnly(true)                                                               \
        ->UseRealTime()                                                                            \
        ->Unit(benchmark::kMillisecond)
TESSIVO_LOOPBACK_BENCH(BM_SearchLoopback);
TESSIVO_LOOPBACK_BENCH(BM_EmptyFetchesLoopback);

} // namespace
