// Time from process start to the first paint of the window, and resident memory then.
// With --peer: the same for a bare Qt window with one label, the floor any Qt program pays;
// with --peer-zh, that label in Chinese in the window's own face.
#include "app/form1.h"
#include "app/form_fonts.h"
#include "base/version.h"

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QLabel>
#include <QTimer>
#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace {

double secondsSinceProcessStart() {
    QFile stat(QStringLiteral("/proc/self/stat"));
    stat.open(QIODevice::ReadOnly);
    const QList<QByteArray> fields = stat.readAll().split(')').last().split(' ');
    const double startTicks = fields.value(20).toDouble(); // field 22 of the whole line
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9 -
           startTicks / double(sysconf(_SC_CLK_TCK));
}

long residentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return 0;
}

class FirstPaint : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !done_) {
            done_ = true;
            QTimer::singleShot(0, [] {
                std::printf("%.3f %ld\n", secondsSinceProcessStart(), residentKb());
                QCoreApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool done_ = false;
};

class NoFetch : public Fetcher {
public:
    HttpResponse get(const QString&) override { return {}; }
};

} // namespace

int main(int argc, char** argv) {
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    FirstPaint probe;
    NoFetch fetch;
    std::unique_ptr<QWidget> window;
    const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    if (mode == "--peer") {
        window = std::make_unique<QLabel>(QStringLiteral(TESSIVO_TITLE));
    } else if (mode == "--peer-zh") {
        // The same label in Chinese, in the face the window draws with: what any Qt program
        // showing Chinese in that face pays, fonts included.
        substituteFormFonts();
        auto label = std::make_unique<QLabel>(QStringLiteral("站长工具箱 " TESSIVO_TITLE));
        label->setFont(QFont(installedFamily(QStringLiteral("宋体")), 9));
        window = std::move(label);
    } else {
        substituteFormFonts(); // as the program does before it builds its window
        window = std::make_unique<Form1>(fetch);
    }
    window->installEventFilter(&probe);
    window->show();
    return app.exec();
}
