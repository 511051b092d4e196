// main() of the window and page tests: every one runs offscreen, with the browser engine's
// sandbox off when run as root (CI runs as root, and Chromium refuses its sandbox there).
#include "net/http_fetch.h"
#include "scratch_home.h"

#include <QApplication>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <unistd.h>

int main(int argc, char** argv) {
    const ScratchHome home;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    const CurlGlobal curl;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tessivo-tests"));
    // The user's own cache and settings folders stay out of the tests' way.
    QStandardPaths::setTestModeEnabled(true);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
