// The whole keyword rank search (23 requests to five hosts, every page read) against loopback
// servers behind a proxy that adds 20 ms to each round trip, over HTTP and over HTTPS: every
// search one run whose requests share their connections, beside the same search with a
// connection of its own for each request (no session), taken in turns. Prints one line per
// case: the scheme, "new" or "reused", and the median wall time of one search in seconds.
// Usage: bench_reuse [RUNS]
#include "delay_proxy.h"
#include "rank/keyword_rank.h"
#include "rank_pages.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

namespace {

constexpr std::chrono::milliseconds kOneWay{10};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    const CurlGlobal curl;
    QCoreApplication app(argc, argv);
    const int runs = std::max(argc > 1 ? std::atoi(argv[1]) : 7, 1);
    const Certificate certificate;
    for (const bool https : {false, true}) {
        const char* scheme = https ? "https" : "http";
        const std::vector<EngineServer> servers =
            serveRankSearch(0, https ? &certificate : nullptr);
        std::vector<std::unique_ptr<DelayProxy>> proxies;
        EndpointTable endpoints;
        for (const EngineServer& e : servers) {
            proxies.push_back(std::make_unique<DelayProxy>(e.server->port(), kOneWay));
            endpoints.set(e.endpoint, QStringLiteral("%1://127.0.0.1:%2")
                                          .arg(QLatin1String(scheme))
                                          .arg(proxies.back()->port()));
        }
        CurlFetcher fetcher(FetchLimits{.caFile = certificate.certFile()});
        // A failed request would show as "-" and make a quick search of nothing.
        int failed = 0;
        auto search = [&](bool reuse) {
            QElapsedTimer clock;
            clock.start();
            std::optional<FetchSession> run;
            if (reuse)
                run.emplace();
            searchKeywordRank(
                fetcher, endpoints, kRankSite, kRankKeyword,
                [&](RankBox, const Figure& answer) { failed += answer.text == u"-"; });
            run.reset();
            return double(clock.nsecsElapsed()) / 1e9;
        };
        search(false); // handshakes' code and keys warmed up for both
        std::vector<double> fresh, reused;
        for (int i = 0; i < runs; ++i) {
            fresh.push_back(search(false));
            reused.push_back(search(true));
        }
        qsizetype requests = 0;
        for (const EngineServer& e : servers)
            requests += e.server->requests().size();
        if (failed || requests != 23 * (2 * runs + 1)) {
            std::fprintf(stderr,
                         "bench_reuse: %s searches went wrong (%d failed boxes, %lld requests)\n",
                         scheme, failed, static_cast<long long>(requests));
            return 1;
        }
        std::printf("%s new %.4f\n%s reused %.4f\n", scheme, median(fresh), scheme, median(reused));
        std::fflush(stdout);
    }
    return 0;
}
