// Makes the pictures the documentation shows of failures told as such: the 收录查询 page with one
// engine refusing connections (the other seven answer with the demo mode's pages), and the
// 关键词排名 and PR/Alexa pages after runs with no network at all, with one box's tooltip drawn
// where the pointer would show it. Saved as PNG files into FOLDER.
#include "app/form1.h"
#include "app/form_fonts.h"
#include "app/message_box.h"
#include "app/translations.h"
#include "demo/demo_fetcher.h"
#include "net/http_fetch.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QToolTip>
#include <cstdio>
#include <unistd.h>

namespace {

// Requests to a closed port fail as libcurl says a refused connection fails.
class RefusingWhere : public Fetcher {
public:
    HttpResponse get(const QString& url) override {
        if (everything || url.contains(down, Qt::CaseInsensitive))
            return curl_.get(QStringLiteral("http://127.0.0.1:1/"));
        return demo_.get(url);
    }
    void lookingFor(const QString& site) override { demo_.lookingFor(site); }

    QString down;
    bool everything = false;

private:
    DemoFetcher demo_;
    CurlFetcher curl_;
};

void settle(Form1& form) {
    do
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    while (form.toolsRunning());
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

void press(Form1& form, const char* input, const char* text, const char* button) {
    if (input)
        form.findChild<QLineEdit*>(QLatin1String(input))->setText(QString::fromUtf8(text));
    form.findChild<QPushButton*>(QLatin1String(button))->click();
    settle(form);
}

// The window as it is, with the tooltip of the named box drawn below the box.
QImage withToolTip(Form1& form, const char* box) {
    QImage picture = form.grab().toImage();
    auto* widget = form.findChild<QWidget*>(QLatin1String(box));
    const QPoint at = widget->mapTo(&form, QPoint(8, widget->height() + 4));
    QToolTip::showText(widget->mapToGlobal(QPoint(8, widget->height() + 4)), widget->toolTip(),
                       widget);
    QApplication::processEvents();
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->inherits("QTipLabel") && top->isVisible()) {
            QPainter painter(&picture);
            painter.drawPixmap(at, top->grab());
        }
    QToolTip::hideText();
    return picture;
}

bool save(const QImage& picture, const QString& folder, const char* name) {
    const QString path = QDir(folder).filePath(QString::fromLatin1(name));
    if (picture.save(path))
        return true;
    std::fprintf(stderr, "outcome_screens: cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char** argv) {
    QStandardPaths::setTestModeEnabled(true); // the runs go to a history of no account
    // Chromium refuses to start its sandbox as root, as the window does there too.
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); // for the web views
    QApplication app(argc, argv);
    const QtTranslations translations(QLocale::system());
    substituteFormFonts();
    if (argc != 2) {
        std::fprintf(stderr, "usage: outcome_screens FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    const CurlGlobal curl;
    RefusingWhere fetcher;
    // The error box is printed rather than shown: nobody is there to close it.
    const auto boxes = message_box::seam().replace(
        [](QWidget*, const QString& text) { std::printf("box: %s\n", qPrintable(text)); });
    Form1 form(fetcher);
    form.show();
    auto* tabs = form.findChild<QTabWidget*>(QStringLiteral("SSTab1"));

    fetcher.down = QStringLiteral("yahoo");
    tabs->setCurrentIndex(0);
    press(form, "txtDomain", "example.cn", "cmdQuery");
    // The result page is a web view: it is given time to paint.
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 2000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    bool saved = save(form.grab().toImage(), folder, "survey-one-engine-down.png");

    fetcher.everything = true;
    tabs->setCurrentIndex(3);
    form.findChild<QLineEdit*>(QStringLiteral("txtKeyWord"))->setText(QStringLiteral("网站优化"));
    press(form, "txtKeyWordUrl", "www.example.cn", "cmdKeyWord");
    saved = save(withToolTip(form, "txtBaidu"), folder, "rank-offline.png") && saved;
    tabs->setCurrentIndex(4);
    press(form, "txtDomainPr", "example.cn", "cmdPr");
    saved = save(withToolTip(form, "lblAlexa"), folder, "badges-offline.png") && saved;
    return saved ? 0 : 1;
}
