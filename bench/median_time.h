#pragma once

// For the benchmark programs that a script runs beside a peer on one input file.
#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
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

// The median, in seconds, of runs calls of work, each timed by now() (seconds) before and after.
template <typename Now, typename Work> double medianOf(int runs, Now now, Work work) {
    std::vector<double> times;
    for (int i = 0; i < std::max(runs, 1); ++i) {
        const double start = now();
        work();
        times.push_back(now() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// The median wall time, in seconds, of runs calls of work.
template <typename Work> double medianSeconds(int runs, Work work) {
    QElapsedTimer clock;
    clock.start();
    const auto now = [&] { return double(clock.nsecsElapsed()) / 1e9; };
    return medianOf(runs, now, work);
}

// The median CPU time of the process (user + system), in seconds, of runs calls of work, as the
// Python peers measure theirs (time.process_time). It moves far less than the time on the clock
// when other processes want the same cores.
template <typename Work> double medianCpuSeconds(int runs, Work work) {
    const auto now = [] {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
    };
    return medianOf(runs, now, work);
}
