// HttpFetch of a 100 KB page from a loopback server, 200 in a row, against a bare libcurl GET of
// the same page (the peer): what the fetch layer (handle set-up, limits, decoding) adds to the
// transfer itself. The page goes out uncompressed: the fixture server's brotli costs ~15 ms per
// response and would drown the figure.
#include "fixture_server.h"
#include "net/http_fetch.h"

#include <benchmark/benchmark.h>
#include <curl/curl.h>

namespace {

FixtureServer& server() {
    static FixtureServer s;
    return s;
}

QString pageUrl() {
    static const QString url = [] {
        QByteArray body;
        while (body.size() < 100 * 1024)
            body += QString::fromUtf8("<p>找到相关网页约1,234篇 search result text</p>\n").toUtf8();
        server().add("/page", {200, "application/octet-stream", body});
        return server().base() + QStringLiteral("/page");
    }();
    return url;
}

void fetch(benchmark::State& state, Decode mode) {
    CurlFetcher fetcher;
    const QString url = pageUrl();
    for (auto _ : state)
        benchmark::DoNotOptimize(HttpFetch(fetcher, url, mode));
}

void BM_HttpFetchUtf8(benchmark::State& state) {
    fetch(state, Decode::Declared);
}
void BM_HttpFetchGbk(benchmark::State& state) {
    fetch(state, Decode::Gbk);
}

size_t keep(char* data, size_t size, size_t n, void* sink) {
    static_cast<std::string*>(sink)->append(data, size * n);
    return size * n;
}

void BM_BareCurl(benchmark::State& state) {
    const QByteArray url = pageUrl().toUtf8();
    for (auto _ : state) {
        CURL* c = curl_easy_init();
        std::string body;
        curl_easy_setopt(c, CURLOPT_URL, url.constData());
        curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, keep);
        curl_easy_setopt(c, CURLOPT_WRITEDATA, &body);
        curl_easy_perform(c);
        curl_easy_cleanup(c);
        benchmark::DoNotOptimize(body);
    }
}

} // namespace

#define TESSIVO_FETCH_BENCH(f)                                                                     \
    BENCHMARK(f)->Iterations(200)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(               \
        benchmark::kMillisecond)
TESSIVO_FETCH_BENCH(BM_HttpFetchUtf8);
TESSIVO_FETCH_BENCH(BM_HttpFetchGbk);
TESSIVO_FETCH_BENCH(BM_BareCurl);
