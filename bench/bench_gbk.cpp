// Median CPU seconds of decoding FILE (GBK) and of encoding the text back, over RUNS runs each, and
// the sizes, so the peer's answer can be checked against ours.
#include "base/charset.h"
#include "median_time.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_gbk FILE [RUNS]\n");
        return 2;
    }
    const QByteArray bytes = readInputFile("bench_gbk", argv[1]);
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    QString text;
    const double decode = medianCpuSeconds(runs, [&] { text = charset::decodeGbk(bytes); });
    QByteArray back;
    const double encode = medianCpuSeconds(runs, [&] { back = charset::encodeGbk(text); });
    std::printf("%.6f %.6f %lld %lld\n", decode, encode, static_cast<long long>(text.size()),
                static_cast<long long>(back.size()));
    return 0;
}
