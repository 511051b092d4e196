// Makes the picture the documentation shows of 排名跟踪: the window after the demo mode's checks
// of two keywords on today's engines (found, not found and blocked among them) and the chart of
// the first, saved as a PNG file to FILE.
#include "app/form_fonts.h"
#include "app/message_box.h"
#include "app/track_window.h"
#include "app/translations.h"
#include "demo/demo_fetcher.h"
#include "history/history_store.h"
#include "net/http_fetch.h"
#include "tools/recorded_run.h"

#include <QApplication>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char** argv) {
    QStandardPaths::setTestModeEnabled(
        true); // the schedule is looked for in a folder of no account
    QApplication app(argc, argv);
    const QtTranslations translations(QLocale::system());
    substituteFormFonts();
    if (argc != 2) {
        std::fprintf(stderr, "usage: track_screen FILE\n");
        return 2;
    }
    const CurlGlobal curl;
    // An error box is printed rather than shown: nobody is there to close it.
    const auto boxes = message_box::seam().replace(
        [](QWidget*, const QString& text) { std::printf("box: %s\n", qPrintable(text)); });
    QTemporaryDir dir;
    HistoryStore store(dir.filePath(QStringLiteral("history.sqlite")));
    RunHistory history([&] { return &store; },
                       [](const QString& description) {
                           std::fprintf(stderr, "track_screen: %s\n", qPrintable(description));
                       });
    DemoFetcher fetcher;
    TrackWindow window(&history, fetcher, EndpointTable{}, true);
    window.resize(1100, 760);
    window.show();
    window.findChild<QPushButton*>(QStringLiteral("add"))->click();
    // Three checks, so that the chart has a line to draw.
    for (int run = 0; run < 3; ++run) {
        window.checkOrStop();
        while (window.running())
            QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    window.findChild<QTableWidget*>(QStringLiteral("tracked"))->selectRow(0);
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    if (!window.grab().save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "track_screen: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
