// Makes the picture the documentation shows of 网站体检: the window after a crawl of the demo
// mode's built-in site, every kind of fault in its table. Saved as a PNG file to PATH.
#include "app/audit_window.h"
#include "app/form_fonts.h"
#include "app/message_box.h"
#include "app/translations.h"
#include "net/http_fetch.h"

#include <QApplication>
#include <QPushButton>
#include <QStandardPaths>
#include <cstdio>

int main(int argc, char** argv) {
    QStandardPaths::setTestModeEnabled(true); // the state file goes to a folder of no account
    QApplication app(argc, argv);
    const QtTranslations translations(QLocale::system());
    substituteFormFonts();
    if (argc != 2) {
        std::fprintf(stderr, "usage: audit_screen PATH\n");
        return 2;
    }
    const CurlGlobal curl;
    // An error box is printed rather than shown: nobody is there to close it.
    const auto boxes = message_box::seam().replace(
        [](QWidget*, const QString& text) { std::printf("box: %s\n", qPrintable(text)); });
    AuditWindow window(nullptr, true);
    window.resize(1100, 720);
    window.show();
    window.findChild<QPushButton*>(QStringLiteral("start"))->click();
    while (window.running())
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    const QString path = QString::fromLocal8Bit(argv[1]);
    if (window.grab().save(path))
        return 0;
    std::fprintf(stderr, "audit_screen: cannot write %s\n", qPrintable(path));
    return 1;
}
