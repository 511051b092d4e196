// Makes the sample history the documentation shows: a week of keyword-rank runs with the demo
// mode's figures (tessivo-cli --demo --json) recorded at back-dated times into FILE, then the
// CSV export and the history window with its chart, grabbed, into FOLDER. On the fourth day only
// Baidu and Google were asked, so the other engines' lines break there.
#include "app/history_window.h"
#include "history/history_export.h"
#include "history/history_store.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <cstdio>

namespace {

const std::pair<const char*, const char*> kBoxes[] = {
    {"baidu", "Baidu"}, {"google", "Google"}, {"yahoo", "Yahoo"},
    {"sogou", "Sogou"}, {"soso", "Soso"},     {"youdao", "Youdao"},
};

Figure figureOf(const QString& label, const QString& text) {
    static const QRegularExpression position(QStringLiteral("第(\\d+)位"));
    const QRegularExpressionMatch m = position.match(text);
    if (m.hasMatch())
        return {label, text, m.captured(1).toLongLong(), Why::None, {}, {}};
    const Why why = text.contains(QStringLiteral("未查询到")) ? Why::NotFound : Why::NoNumber;
    return {label, text, std::nullopt, why, {}, {}};
}

RunRecord demoRun(const QString& site, const QString& keyword, const QDateTime& started,
                  const QStringList& engines) {
    QStringList args{QStringLiteral("--demo"),
                     QStringLiteral("--json"),
                     QStringLiteral("--no-history"),
                     QStringLiteral("keyword-rank"),
                     site,
                     keyword};
    if (!engines.isEmpty())
        args << QStringLiteral("--engines") << engines.join(u',');
    QProcess cli;
    cli.start(QStringLiteral(TESSIVO_CLI), args);
    cli.waitForFinished(60000);
    const QJsonObject answer = QJsonDocument::fromJson(cli.readAllStandardOutput()).object();

    RunRecord run;
    run.tool = QStringLiteral("keyword-rank");
    run.input = site;
    run.keyword = keyword;
    run.options = {{QStringLiteral("pages"), 10}};
    run.started = started.toUTC();
    run.ended = run.started.addSecs(6);
    run.demo = true;
    for (const auto& [key, label] : kBoxes)
        if (answer.contains(QLatin1String(key)))
            run.figures << figureOf(QString::fromLatin1(label),
                                    answer.value(QLatin1String(key)).toString());
    return run;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: history_sample FILE FOLDER\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[2]));
    HistoryStore store(QString::fromLocal8Bit(argv[1]));
    const QDateTime today(QDate::currentDate(), QTime(9, 0));
    const QString site = QStringLiteral("example.cn");
    for (int day = 6; day >= 0; --day)
        for (const QString& keyword : {QStringLiteral("站长工具"), QStringLiteral("网站排名")}) {
            const QStringList engines =
                day == 3 ? QStringList{QStringLiteral("baidu"), QStringLiteral("google")}
                         : QStringList{};
            store.record(demoRun(site, keyword, today.addDays(-day), engines));
        }

    QFile csv(folder.filePath(QStringLiteral("history_export.csv")));
    csv.open(QIODevice::WriteOnly);
    csv.write(historyCsv(store.runs({})));
    csv.close();

    HistoryWindow window(store);
    window.resize(960, 680);
    window.selectTool(QStringLiteral("keyword-rank"));
    window.selectSubject(site, QStringLiteral("站长工具"));
    window.show();
    QCoreApplication::processEvents();
    return window.grab().save(folder.filePath(QStringLiteral("history_chart.png"))) ? 0 : 1;
}
