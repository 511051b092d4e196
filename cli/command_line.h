#pragma once

#include "cli/command.h"
#include "cli/program_options.h"

#include <QMap>
#include <QStringList>
#include <optional>

// What a command line asks for.
struct CommandLine {
    std::optional<Answer> answer;     // help or the version instead of running anything
    const Command* command = nullptr; // the command to run, or whose help to show
    QStringList args;
    QMap<QString, QString> options; // the command's own options, by name
    Settings settings;
};

// The words after the program's name. Raises UsageError for a command line that cannot run.
CommandLine parseCommandLine(const QStringList& words);
