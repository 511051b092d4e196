// Median CPU seconds of pageText (removeHtml + removeBlank) over RUNS runs on FILE (UTF-8), and the
// result's length in UTF-16 units, so the peer's output can be checked against ours.
#include "base/html_text.h"
#include "median_time.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_page_text FILE [RUNS]\n");
        return 2;
    }
    const QString html = QString::fromUtf8(readInputFile("bench_page_text", argv[1]));
    qsizetype length = 0;
    const double seconds = medianCpuSeconds(argc > 2 ? std::atoi(argv[2]) : 5,
                                            [&] { length = pageText(html).size(); });
    std::printf("%.6f %lld\n", seconds, static_cast<long long>(length));
    return 0;
}
