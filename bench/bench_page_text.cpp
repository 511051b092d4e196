// Median seconds of removeHtml + removeBlank over RUNS runs on FILE (UTF-8), and the result's
// length in UTF-16 units, so the peer's output can be checked against ours.
#include "base/html_text.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_page_text FILE [RUNS]\n");
        return 2;
    }
    QFile f(QString::fromLocal8Bit(argv[1]));
    if (!f.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "bench_page_text: cannot read %s\n", argv[1]);
        return 1;
    }
    const QString html = QString::fromUtf8(f.readAll());
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    std::vector<double> times;
    qsizetype length = 0;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        QString text = removeHtml(html);
        length = removeBlank(text).size();
        times.push_back(double(t.nsecsElapsed()) / 1e9);
    }
    std::sort(times.begin(), times.end());
    std::printf("%.6f %lld\n", times[times.size() / 2], static_cast<long long>(length));
    return 0;
}
