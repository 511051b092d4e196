#pragma once

#include <QString>
#include <functional>

// text and a newline on standard error, its control characters shown as escapes.
void printError(const QString& text);

// The usage error "tessivo-cli：why（见 tessivo-cli --help）" on standard error; returns 2.
int usageStatus(const QString& why);

// Runs a command and gives the program's exit status: 0 when it ends, 2 for a usage error, 1 for
// a failure, told on standard error, and 130 for a run stopped by Ctrl-C.
int commandStatus(const std::function<void()>& run);
