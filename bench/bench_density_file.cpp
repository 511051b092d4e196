// Median CPU seconds of the keyword-density run (fetch excluded: the page comes from memory) on
// FILE for KEYWORD, with the figures, so the peer's answer can be checked against ours.
#include "median_time.h"
#include "research/keyword_density.h"

#include <QCoreApplication>

namespace {

class FileFetcher : public Fetcher {
public:
    explicit FileFetcher(QByteArray body) : body_(std::move(body)) {}
    HttpResponse get(const QString&) override { return {body_, "text/html"}; }

private:
    QByteArray body_;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_density_file FILE KEYWORD [RUNS]\n");
        return 2;
    }
    FileFetcher fetcher(readInputFile("bench_density_file", argv[1]));
    const QString keyword = QString::fromLocal8Bit(argv[2]);
    // Only the figures outlive a run, as in the peer: a page kept from the run before would make
    // every run fault in fresh memory for its own.
    qsizetype length = 0;
    qsizetype frequency = 0;
    QString density;
    const double seconds = medianCpuSeconds(argc > 3 ? std::atoi(argv[3]) : 5, [&] {
        const KeywordDensity d = runKeywordDensity(fetcher, QStringLiteral("http://page"), keyword);
        length = d.pageLength;
        frequency = d.frequency;
        density = d.density;
    });
    std::printf("%.6f %lld %lld %s\n", seconds, static_cast<long long>(length),
                static_cast<long long>(frequency), qPrintable(density));
    return 0;
}
