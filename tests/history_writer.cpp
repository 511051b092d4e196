// A second program writing to a history file, for the tests of what other processes (some
// making the file at once) and a killed process do to it: records COUNT runs (0: until killed)
// about INPUT, each with eight figures, and prints each run's id as soon as it is committed.
#include "base/tool_error.h"
#include "history/history_store.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: history_writer FILE INPUT COUNT\n");
        return 2;
    }
    try {
        HistoryStore store(args[1]);
        const int count = args[3].toInt();
        for (int i = 0; count == 0 || i < count; ++i) {
            RunRecord run;
            run.tool = QStringLiteral("indexed");
            run.input = args[2];
            run.started = QDateTime::currentDateTimeUtc();
            run.ended = run.started;
            for (int f = 0; f < 8; ++f)
                run.figures << Figure{QStringLiteral("engine %1").arg(f),
                                      QString::number(i * 8 + f),
                                      i * 8 + f,
                                      Why::None,
                                      {},
                                      QStringLiteral("http://127.0.0.1/s?wd=%1").arg(i)};
            std::printf("%lld\n", store.record(run));
            std::fflush(stdout);
        }
    } catch (const ToolError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
