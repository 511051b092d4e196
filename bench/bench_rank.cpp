// The five rank scanners on result pages of about 300 KB, served from memory so that only the
// scan (decoding, cutting, splitting, searching) is timed: the site as the 100th result and the
// site absent (for Yahoo and Youdao both mean ten pages). Then the whole keyword rank search
// against loopback servers that hold every response 20 ms (and 0 ms), beside the sum of those
// latencies and beside the same number of requests for an empty page, which shows what the
// loopback server and its sleeps cost by themselves. The pages go out uncompressed: the fixture
// server's brotli would add its own ~15 ms a page.
#include "fixture_server.h"
#include "net/http_fetch.h"
#include "rank/keyword_rank.h"
#include "rank_pages.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>
#include <vector>

namespace {

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
    MemoryFetcher fetcher(resultPages(l, paged, found ? 100 : 0));
    const EndpointTable endpoints; // the fetcher answers every address from memory
    const QString expected = found ? QStringLiteral("排名为第100位") : QString();
    QString answer;
    for (auto _ : state) {
        fetcher.rewind();
        answer = rankOn(box, fetcher, endpoints, kRankSite, kRankKeyword).text;
        benchmark::DoNotOptimize(answer);
    }
    if (found && !answer.startsWith(expected))
        state.SkipWithError(("unexpected answer " + answer.toStdString()).c_str());
    state.SetBytesProcessed(int64_t(state.iterations()) * fetcher.bytesServed());
    state.counters["pages"] = double(fetcher.bytesServed()) / double(kRankPageBytes);
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
    const std::vector<EngineServer> servers = serveRankSearch(int(state.range(0)));
    EndpointTable endpoints;
    for (const EngineServer& e : servers)
        endpoints.set(e.endpoint, e.server->base());
    CurlFetcher fetcher;
    std::chrono::steady_clock::duration spent{};
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        int boxes = 0;
        searchKeywordRank(fetcher, endpoints, kRankSite, kRankKeyword,
                          [&](RankBox, const Figure&) { ++boxes; });
        spent += std::chrono::steady_clock::now() - start;
        benchmark::DoNotOptimize(boxes);
    }
    qsizetype requests = 0;
    for (const EngineServer& e : servers)
        requests += e.server->requests().size();
    reportOverhead(state, spent, requests, int(state.range(0)));
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
