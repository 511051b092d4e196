#pragma once

#include "cli/command.h"

#include <QString>
#include <vector>

// --batch, --delay, --resume and --format, which every command with a batchLine takes. The
// parser checks their values, so they live apart from the batch runs themselves.
std::vector<CommandOption> batchOptions();

// The help paragraph on them for command.
QString batchHelp(const Command& command);

// --delay's value in seconds; raises UsageError for one that is no number from 0 to 3600.
double delaySeconds(const QString& text);
