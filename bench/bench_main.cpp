// main() of the Google Benchmark programs: the core's text and path helpers want a
// QCoreApplication, the fetches an initialised libcurl.
#include "net/http_fetch.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

int main(int argc, char** argv) {
    const CurlGlobal curl;
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
