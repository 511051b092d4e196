#pragma once

#include <QString>

class QWidget;

// The form names the Windows fonts; on Linux fontconfig is to pick the nearest CJK faces. Call
// once the application exists and before the window is built.
void substituteFormFonts();

// The installed family that family stands for: itself when installed, else the first of its
// substitutes that is, else family unchanged. Worked out once for each family.
QString installedFamily(const QString& family);

// When widget's own font names a family that is not installed, it names the installed one
// instead: Qt asked for a missing family searches fontconfig's fallbacks (for each size and
// weight) before it tries the substitutes, and then draws with the substitute all the same.
void useInstalledFamily(QWidget* widget);
