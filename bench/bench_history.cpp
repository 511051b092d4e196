// The history with RUNS recorded runs (fifty subjects, eight figures each) in FILE: the median
// time to record one run, to read one subject's runs, and to open the history window on that
// subject until its table and chart are painted. Prints the three in milliseconds, then the
// subject, for history_peer.py to ask the same.
#include "app/history_window.h"
#include "history/history_store.h"
#include "median_time.h"

#include <QApplication>
#include <QChartView>
#include <QElapsedTimer>
#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

constexpr int kSubjects = 50;
const char* const kEngines[] = {"百度", "Google", "雅虎", "搜狗", "搜搜", "有道", "中搜", "必应"};

RunRecord run(int i) {
    RunRecord r;
    r.tool = QStringLiteral("keyword-rank");
    r.input = QStringLiteral("site%1.cn").arg(i % kSubjects);
    r.keyword = QStringLiteral("关键词%1").arg(i % kSubjects);
    r.options = {{QStringLiteral("pages"), 10}};
    // A run every ten minutes, so a subject's runs span two weeks.
    r.started = QDateTime(QDate(2026, 11, 1), QTime(0, 0), Qt::UTC).addSecs(qint64(i) * 600);
    r.ended = r.started.addSecs(4);
    for (int e = 0; e < 8; ++e) {
        const qint64 position = (i / kSubjects * 7 + e * 13) % 100 + 1;
        // Every twentieth answer is "not found": the chart's lines break there.
        if ((i / kSubjects + e) % 20 == 0)
            r.figures << Figure{QString::fromUtf8(kEngines[e]),
                                QStringLiteral("未查询到"),
                                std::nullopt,
                                Why::NotFound,
                                {},
                                {}};
        else
            r.figures << Figure{QString::fromUtf8(kEngines[e]),
                                QString::number(position),
                                position,
                                Why::None,
                                {},
                                QStringLiteral("http://127.0.0.1/s")};
    }
    return r;
}

class Painted : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            seen = true;
        return QObject::eventFilter(watched, event);
    }
    bool seen = false;
};

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_history FILE RUNS\n");
        return 2;
    }
    HistoryStore store(QString::fromLocal8Bit(argv[1]));
    const int total = std::max(1, std::atoi(argv[2]));

    std::vector<double> recordTimes;
    recordTimes.reserve(size_t(total));
    for (int i = 0; i < total; ++i) {
        const RunRecord r = run(i);
        QElapsedTimer t;
        t.start();
        store.record(r);
        recordTimes.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(recordTimes.begin(), recordTimes.end());

    const QString input = QStringLiteral("site7.cn");
    const QString keyword = QStringLiteral("关键词7");
    HistoryQuery query;
    query.tool = QStringLiteral("keyword-rank");
    query.input = input;
    query.keyword = keyword;
    qsizetype shown = 0;
    const double read = medianSeconds(5, [&] { shown = store.runs(query).size(); });
    // Closing a window is not part of opening it: they are all closed after the timing.
    std::vector<std::unique_ptr<HistoryWindow>> opened;
    const double openAndDraw = medianSeconds(5, [&] {
        auto& window = opened.emplace_back(std::make_unique<HistoryWindow>(store));
        Painted painted;
        window->findChild<QChartView*>()->viewport()->installEventFilter(&painted);
        window->selectTool(QStringLiteral("keyword-rank"), input, keyword);
        window->show();
        while (!painted.seen)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        window->findChild<QChartView*>()->viewport()->removeEventFilter(&painted);
    });
    opened.clear();
    std::printf("%.3f %.3f %.3f %.3f %lld %s %s\n", recordTimes[recordTimes.size() / 2],
                recordTimes[recordTimes.size() * 95 / 100], read * 1e3, openAndDraw * 1e3,
                qlonglong(shown), input.toUtf8().constData(), keyword.toUtf8().constData());
    return 0;
}
