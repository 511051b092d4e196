// Median seconds of the keyword-density run (fetch excluded: the page comes from memory) on
// FILE for KEYWORD, with the figures, so the peer's answer can be checked against ours.
#include "research/keyword_density.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <vector>

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
    QFile f(QString::fromLocal8Bit(argv[1]));
    if (!f.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "bench_density_file: cannot read %s\n", argv[1]);
        return 1;
    }
    FileFetcher fetcher(f.readAll());
    const QString keyword = QString::fromLocal8Bit(argv[2]);
    const int runs = argc > 3 ? std::atoi(argv[3]) : 5;
    std::vector<double> times;
    KeywordDensity d;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        d = runKeywordDensity(fetcher, QStringLiteral("http://page"), keyword);
        times.push_back(double(t.nsecsElapsed()) / 1e9);
    }
    std::sort(times.begin(), times.end());
    std::printf("%.6f %lld %lld %s\n", times[times.size() / 2],
                static_cast<long long>(d.pageLength), static_cast<long long>(d.frequency),
                qPrintable(d.density));
    return 0;
}
