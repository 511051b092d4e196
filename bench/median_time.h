#pragma once

// For the benchmark programs that a script runs beside a peer on one input file.
#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

// The whole of the file named on the command line; exits with a message when it cannot be read.
inline QByteArray readInputFile(const char* program, const char* path) {
    QFile f(QString::fromLocal8Bit(path));
    if (!f.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "%s: cannot read %s\n", program, path);
        std::exit(1);
    }
    return f.readAll();
}

// The median wall time, in seconds, of runs calls of work.
template <typename Work> double medianSeconds(int runs, Work work) {
    std::vector<double> times;
    for (int i = 0; i < std::max(runs, 1); ++i) {
        QElapsedTimer t;
        t.start();
        work();
        times.push_back(double(t.nsecsElapsed()) / 1e9);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}
