// Makes the pictures the documentation shows of 网站体检: the window after a crawl of the demo
// mode's built-in site, every kind of fault in its table, saved as a PNG file to AUDIT; and,
// given SUBMIT, its 链接提交 page after the crawl's pages were pushed to Baidu and sent to
// IndexNow, every answer on the page.
#include "app/audit_window.h"
#include "app/form_fonts.h"
#include "app/message_box.h"
#include "app/submit_page.h"
#include "app/translations.h"
#include "demo/demo_fetcher.h"
#include "net/http_fetch.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <cstdio>

namespace {

void settle() {
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool save(QWidget& window, const char* file) {
    if (window.grab().save(QString::fromLocal8Bit(file)))
        return true;
    std::fprintf(stderr, "audit_screen: cannot write %s\n", file);
    return false;
}

} // namespace

int main(int argc, char** argv) {
    QStandardPaths::setTestModeEnabled(true); // the state file goes to a folder of no account
    QApplication app(argc, argv);
    const QtTranslations translations(QLocale::system());
    substituteFormFonts();
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: audit_screen AUDIT [SUBMIT]\n");
        return 2;
    }
    const CurlGlobal curl;
    // An error box is printed rather than shown: nobody is there to close it.
    const auto boxes = message_box::seam().replace(
        [](QWidget*, const QString& text) { std::printf("box: %s\n", qPrintable(text)); });
    DemoFetcher fetcher;
    AuditWindow window(nullptr, true, fetcher, EndpointTable{});
    window.resize(1100, 720);
    window.show();
    window.findChild<QPushButton*>(QStringLiteral("start"))->click();
    while (window.running())
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    settle();
    if (!save(window, argv[1]))
        return 1;
    if (argc == 2)
        return 0;
    window.findChild<QTabWidget*>(QStringLiteral("tabs"))->setCurrentIndex(1);
    window.resize(900, 820);
    SubmitPage* page = window.submitPage();
    page->findChild<QLineEdit*>(QStringLiteral("token"))->setText(QStringLiteral("demo-token"));
    for (const char* push : {"pushBaidu", "pushIndexNow"}) {
        page->findChild<QPushButton*>(QLatin1String(push))->click();
        while (page->running())
            QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    settle();
    return save(window, argv[2]) ? 0 : 1;
}
