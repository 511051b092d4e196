#pragma once

#include <QStringList>
#include <QtGlobal>

// Whether the window has somewhere to open. Without a display Qt ends the program with an
// English message and an abort; the window says in Chinese what to do instead and exits 1.

// A display is named (DISPLAY, WAYLAND_DISPLAY), or a platform is (QT_QPA_PLATFORM, Qt's
// -platform option among words). Otherwise tells so on standard error.
bool graphicalSessionNamed(const QStringList& words);

// Held while the application is made: a display that is named but cannot be reached (no X
// server at DISPLAY, a platform plug-in that does not load) is told in Chinese, with Qt's own
// words in parentheses, and the program exits 1. Qt's other messages pass as they would.
class PlatformFailureGuard {
public:
    PlatformFailureGuard();
    ~PlatformFailureGuard(); // passes on the platform's messages held meanwhile
    PlatformFailureGuard(const PlatformFailureGuard&) = delete;
    PlatformFailureGuard& operator=(const PlatformFailureGuard&) = delete;

private:
    QtMessageHandler previous_;
};
