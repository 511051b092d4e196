#include "app/form1.h"
#include "app/form_fonts.h"
#include "app/graphical_session.h"
#include "app/screenshot_tour.h"
#include "app/translations.h"
#include "app/window_options.h"
#include "base/program_folder.h"
#include "base/version.h"
#include "demo/demo_fetcher.h"
#include "demo/demo_lookups.h"
#include "net/engine_files.h"
#include "net/http_fetch.h"
#include "net/stoppable_call.h"

#include <QApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <cstdio>
#include <memory>
#include <optional>
#include <unistd.h>

namespace {

void out(const QString& text) {
    std::fputs(text.toUtf8().constData(), stdout);
}

} // namespace

int main(int argc, char** argv) {
    // Help and the version need no display, so they are answered before Qt looks for one. Qt's
    // own options (-platform, -style, …) are only told apart once the application exists.
    QStringList words;
    for (int i = 1; i < argc; ++i)
        words << QString::fromLocal8Bit(argv[i]);
    const WindowOptions early = parseWindowOptions(words);
    if (early.help) {
        out(windowUsage());
        return 0;
    }
    if (early.manPage) {
        out(windowManPage());
        return 0;
    }
    if (early.version) {
        out(QStringLiteral("tessivo " TESSIVO_VERSION "\n"));
        return 0;
    }

    if (!graphicalSessionNamed(words))
        return 1;

    // Chromium refuses to start its sandbox as root (containers, CI); run without it there.
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    giveBrowserEngineLocale(QLocale::system());
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    std::optional<PlatformFailureGuard> platformFailure(std::in_place);
    QApplication app(argc, argv);
    platformFailure.reset();
    QApplication::setApplicationName(QStringLiteral("tessivo"));
    QGuiApplication::setDesktopFileName(QStringLiteral("invalid.tessivo.Tessivo"));
    const QtTranslations translations(QLocale::system());
    substituteFormFonts();

    const WindowOptions options = parseWindowOptions(QApplication::arguments().mid(1));
    if (!options.unknown.isNull()) {
        const QString why = QStringLiteral("tessivo：无法识别的参数 %1\n").arg(options.unknown);
        std::fputs((why + windowUsage()).toUtf8().constData(), stderr);
        return 2;
    }
    if (!options.configDir.isEmpty())
        program_folder::setPath(options.configDir);
    if (!options.enginesDir.isEmpty())
        engines::useFolder(options.enginesDir);

    const CurlGlobal curl;
    // Declared before the window, whose end stops its runs and waits for them: what the runs use
    // outlives them, and the calls a stop abandoned are joined last.
    const AbandonedCallsGuard abandonedCalls;
    std::unique_ptr<Fetcher> fetcher;
    if (options.demo)
        fetcher = std::make_unique<DemoFetcher>();
    else
        fetcher = std::make_unique<CurlFetcher>(FetchLimits{.proxy = options.proxy});
    DemoResolver demoResolver;
    DemoWhoisClient demoWhois;
    Form1 form(*fetcher, options.endpointsFile);
    form.demoRuns = options.demo;
    if (options.demo) {
        form.setWindowTitle(form.windowTitle() + QStringLiteral("（%1）").arg(kDemoMark));
        form.useLookups(demoResolver, demoWhois);
    }

    QSystemTrayIcon tray(form.windowIcon());
    tray.setToolTip(QStringLiteral(TESSIVO_TITLE));
    const auto showForm = [&form] {
        form.showNormal();
        form.raise();
        form.activateWindow();
    };
    QObject::connect(&tray, &QSystemTrayIcon::activated, &form,
                     [showForm](QSystemTrayIcon::ActivationReason why) {
                         // The right button opens the menu, and only the menu.
                         if (why != QSystemTrayIcon::Context)
                             showForm();
                     });
    QMenu trayMenu;
    trayMenu.addAction(QStringLiteral("显示窗口"), &form, showForm);
    trayMenu.addAction(QStringLiteral("历史记录"), &form, &Form1::showHistory);
    trayMenu.addAction(QStringLiteral("网站体检"), &form, &Form1::showAudit);
    trayMenu.addAction(QStringLiteral("排名跟踪"), &form, &Form1::showTracker);
    tray.setContextMenu(&trayMenu);
    if (options.screenshots.isEmpty() && QSystemTrayIcon::isSystemTrayAvailable())
        tray.show();

    form.show();
    if (!options.screenshots.isEmpty()) {
        if (options.demo)
            tryEveryTool(&form);
        takeScreenshots(&form, options.screenshots, options.demo);
    }
    return app.exec();
}
